#include "cli/command_line.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <optional>

#include "cli/data_outputs.h"
#include "cli/options.h"
#include "input/indata.h"
#include "results/hypothesis_fit.h"
#include "run/run.h"
#include "run/startup.h"

namespace korvelin::cli {
namespace {

std::string count(long long n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "Hypothesis 2 (Ezone 3 split, combination 12 of 39): 2 loci, null allele
// at 1 locus, 6 patterns expected, 6 found, genetically closed".
std::string hypothesisLine(const Hypothesis& h) {
  std::string line = "Hypothesis " + std::to_string(h.number);
  if (h.split)
    line += " (Ezone " + std::to_string(h.split->ezone) + " split, combination " +
            std::to_string(h.split->combination) + " of " + std::to_string(h.split->of) + ")";
  int nulls = 0;
  for (const Locus& l : h.loci) nulls += l.nullAllele ? 1 : 0;
  line += ": " + count(static_cast<long long>(h.loci.size()), "locus", "loci") + ", ";
  line += nulls == 0 ? "no null allele" : (nulls == 1 ? "null allele at " : "null alleles at ") +
                                              count(nulls, "locus", "loci");
  line += ", " + count(h.expected, "pattern", "patterns") + " expected, " + std::to_string(h.found) + " found, ";
  return line + (h.closed ? "genetically closed" : "not closed");
}

// How many hypotheses of an incomplete-sample search standard output names;
// the JSON has them all.
constexpr std::size_t kListedHypotheses = 10;

std::string totalsLine(const State& st) {
  return "Total: " + count(st.nxhypo, "hypothesis", "hypotheses") + ", " + std::to_string(st.nxexac) +
         " with genetically closed patterns";
}

// "Splitting Ezone 5: combination 120 of 511"; for all Ezones the trials so
// far come first.
std::string progressLine(const State& st, long long trials) {
  const std::string where = "Ezone " + std::to_string(st.isplit) + ": combination " + std::to_string(st.nrealc) +
                            " of " + std::to_string(st.ttlhlf - 1);
  if (st.nsplit == 1) return "Splitting " + where;
  return "Splitting all Ezones: trial " + std::to_string(trials) + ", " + where;
}

// What standard output and the progress line show of an unattended run.
class RunLines : public RunObserver {
 public:
  RunLines(Console& console, bool quiet, bool incomplete)
      : console_(console), quiet_(quiet), incomplete_(incomplete) {}

  // The incomplete-sample search finds hypotheses by the hundred: they are
  // listed at the end, by rank, not as found.
  void hypothesisAnnounced(const Hypothesis& h) override {
    if (!quiet_ && !incomplete_) console_.out(hypothesisLine(h));
  }
  void totalsReported(const State& st) override {
    console_.progress("");
    trials_ = 0;
    searched_ = true;
    totals_ = totalsLine(st);
    if (!quiet_ && !incomplete_) console_.out(totals_);
  }
  void trialStarted(const State& st) override {
    // At most ten updates a second: a trial may take microseconds.
    constexpr auto kInterval = std::chrono::milliseconds(100);
    ++trials_;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && now - lastShown_ < kInterval) return;
    shown_ = true;
    lastShown_ = now;
    console_.progress(progressLine(st, trials_));
  }
  void runEnded(const State& st, bool reportOpened) override {
    console_.progress("");
    if (reportOpened) report_ = st.outfil;
  }
  // The fit of the hypotheses and the report's name close standard output.
  void closing(const Results& results) {
    if (searched_ && !incomplete_ && results.hypotheses.empty())
      console_.err(
          "Note: no hypothesis was found. The strict test needs the sample to contain every phenotype "
          "class a hypothesis allows; --incomplete searches the hypotheses under which some phenotypes are "
          "absent from the sample, and ranks them by fit.");
    if (quiet_) return;
    if (incomplete_) {
      listRanked(results);
    } else {
      for (const std::string& line : fitLines(results)) console_.out(line);
    }
    if (!report_.empty()) console_.out("Report: " + report_);
  }

 private:
  // The best hypotheses by rank, the totals, and the fit of those listed.
  void listRanked(const Results& results) {
    const std::vector<std::size_t> order = rankedOrder(results);
    const std::size_t listed = std::min(order.size(), kListedHypotheses);
    for (std::size_t k = 0; k < listed; ++k) console_.out(hypothesisLine(results.hypotheses[order[k]]));
    if (order.size() > listed)
      console_.out("\u2026 and " + std::to_string(order.size() - listed) + " more (see --json)");
    if (searched_) console_.out(totals_);
    const std::vector<std::string> fitted = fitLines(results);
    for (std::size_t k = 0; k < listed; ++k) console_.out(fitted[order[k]]);
    if (fitted.size() > results.hypotheses.size()) console_.out(fitted.back());  // the small-sample warning
  }

  Console& console_;
  const bool quiet_;
  const bool incomplete_;
  bool searched_ = false;
  std::string totals_;
  long long trials_ = 0;
  std::string report_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point lastShown_;
};

int usageError(Console& console, const std::string& problem) {
  console.err("korvelin: " + problem);
  console.err("Try 'korvelin --help'");
  return kUsageStatus;
}

struct Refusal {
  std::string problem;
  bool usage = false;  // a mistake in the options, which the help explains
};

// What the run would refuse or the menu not take, found before anything is
// written. Settles the report file's name.
std::optional<Refusal> checkFiles(RunSettings& settings, FileSystem& files) {
  if (!files.exists(settings.dataFile)) return Refusal{settings.dataFile + ": no such file"};
  int status = 0;
  int ezones = 0;
  if (auto in = files.openRead(settings.dataFile, status); in && !settings.splits.empty() &&
                                                          readEzoneCount(settings.dataFile, *in, {settings.populationColumn, settings.ignoredColumns}, ezones) && ezones > 0) {
    // From the second request on, the menu also takes the Ezone a split adds.
    for (std::size_t i = 0; i < settings.splits.size(); ++i) {
      const int last = i == 0 ? ezones : ezones + 1;
      if (settings.splits[i] > last)
        return Refusal{"--split " + std::to_string(settings.splits[i]) + ": no such Ezone (" + settings.dataFile +
                           ": Ezones 1 to " + std::to_string(last) + ")",
                       true};
    }
  }
  if (settings.reportTo != RunSettings::ReportTo::File) {
    if (const std::string problem = dataOutputProblem(settings, files); !problem.empty()) return Refusal{problem};
    return std::nullopt;
  }
  if (settings.reportFile.empty()) settings.reportFile = defaultReportName(settings.dataFile);
  if (files.sameFile(settings.reportFile, settings.dataFile))
    return Refusal{settings.reportFile + ": the report file would be DATAFILE", true};
  if (settings.existing == RunSettings::Existing::Refuse && files.exists(settings.reportFile))
    return Refusal{settings.reportFile + ": the report file exists (--append or --overwrite to use it)"};
  if (const std::string problem = dataOutputProblem(settings, files); !problem.empty()) return Refusal{problem};
  return std::nullopt;
}

}  // namespace

int runCommandLine(const std::vector<std::string>& args, Console& console, FileSystem& files) {
  Options options = parseOptions(args);
  switch (options.action) {
    case Options::Action::Help:
      console.out(helpText().substr(0, helpText().size() - 1));
      return 0;
    case Options::Action::Version:
      console.out(versionText());
      return 0;
    case Options::Action::UsageError:
      return usageError(console, options.problem);
    case Options::Action::Run:
      break;
  }
  if (const auto refusal = checkFiles(options.settings, files)) {
    if (refusal->usage) return usageError(console, refusal->problem);
    console.err("korvelin: " + refusal->problem);
    return kUsageStatus;
  }
  const RunSettings& settings = options.settings;
  RunLines lines(console, settings.quiet || settings.reportTo == RunSettings::ReportTo::StandardOutput,
                 settings.incomplete);
  FinishedRun finished;
  finished.started = std::time(nullptr);
  const int status = runKorvelin(console, files, settings, &lines, SearchPath::Fast, [&](const Session& s) {
    finished.results = s.results();
    finished.sample = s.sample();
    finished.status = s.endStatus();
    finished.reason = s.endReason();
  });
  // A run stopped before it could hold its results (memory exhausted) has
  // none to write.
  if (status != finished.status) return status;
  // The data files speak of the whole run, however it ended.
  const bool written = writeDataOutputs(settings, finished, files, console);
  lines.closing(finished.results);
  return written || status != 0 ? status : 1;
}

}  // namespace korvelin::cli
