#include "cli/command_line.h"

#include <chrono>
#include <ctime>
#include <optional>

#include "cli/data_outputs.h"
#include "cli/options.h"
#include "input/indata.h"
#include "run/run.h"
#include "run/startup.h"

namespace korvelin::cli {
namespace {

std::string count(long long n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

// "Hypothesis 2 (Ezone 3 split, combination 12 of 39): 2 loci, null allele
// at 1 locus, 6 patterns expected, 6 found, genetically closed".
std::string hypothesisLine(const State& st) {
  std::string line = "Hypothesis " + std::to_string(st.nxhypo);
  if (st.dosplt != 0)
    line += " (Ezone " + std::to_string(st.isplit) + " split, combination " + std::to_string(st.nrealc) + " of " +
            std::to_string(st.ttlhlf - 1) + ")";
  line += ": " + count(st.nloc, "locus", "loci") + ", ";
  line += st.nulnum == 0 ? "no null allele" : (st.nulnum == 1 ? "null allele at " : "null alleles at ") +
                                                  count(st.nulnum, "locus", "loci");
  line += ", " + count(st.nzexp, "pattern", "patterns") + " expected, " + std::to_string(st.nzymos) + " found, ";
  return line + (st.nzymos == st.nzexp ? "genetically closed" : "not closed");
}

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
  RunLines(Console& console, bool quiet) : console_(console), quiet_(quiet) {}

  void hypothesisAnnounced(const State& st) override {
    if (!quiet_) console_.out(hypothesisLine(st));
  }
  void totalsReported(const State& st) override {
    console_.progress("");
    trials_ = 0;
    if (!quiet_) console_.out(totalsLine(st));
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
    if (quiet_) return;
    for (const std::string& line : fitLines(results)) console_.out(line);
    if (!report_.empty()) console_.out("Report: " + report_);
  }

 private:
  Console& console_;
  const bool quiet_;
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
  RunLines lines(console, settings.quiet || settings.reportTo == RunSettings::ReportTo::StandardOutput);
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
