#include "cli/command_line.h"

#include <algorithm>
#include <chrono>
#include <ctime>
#include <new>
#include <optional>

#include "cli/data_outputs.h"
#include "cli/options.h"
#include "cli/program.h"
#include "input/indata.h"
#include "results/hypothesis_fit.h"
#include "base/format.h"
#include "base/report_file.h"
#include "run/run.h"
#include "base/session.h"
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
  void runEnded(const State&, bool) override { console_.progress(""); }
  // The fit of the hypotheses closes standard output, before the files
  // are put in place. A run stopped by the hypothesis limit found too many,
  // not none, even when none was announced.
  void fitLines(const Results& results, bool limitReached) {
    if (searched_ && !incomplete_ && !limitReached && results.hypotheses.empty())
      console_.err(
          "Note: no hypothesis was found. The strict test needs the sample to contain every phenotype "
          "class a hypothesis allows; --incomplete searches the hypotheses under which some phenotypes are "
          "absent from the sample, and ranks them by fit.");
    if (quiet_) return;
    if (incomplete_) {
      listRanked(results);
    } else {
      for (const std::string& line : cli::fitLines(results)) console_.out(line);
    }
  }
  // The report's name, once it is in place.
  void reportLine(const std::string& report) {
    if (!quiet_ && !report.empty()) console_.out("Report: " + printable(report));
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
    const std::vector<std::string> fitted = cli::fitLines(results);
    for (std::size_t k = 0; k < listed; ++k) console_.out(fitted[order[k]]);
    if (fitted.size() > results.hypotheses.size()) console_.out(fitted.back());  // the small-sample warning
  }

  Console& console_;
  const bool quiet_;
  const bool incomplete_;
  bool searched_ = false;
  std::string totals_;
  long long trials_ = 0;
  bool shown_ = false;
  std::chrono::steady_clock::time_point lastShown_;
};

int usageError(Console& console, const std::string& problem) {
  console.err("korvelin: " + problem);
  console.err("Try 'korvelin --help'");
  return kUsageStatus;
}

bool isNullDevice(FileSystem& files, const std::string& name) {
  return name == "/dev/null" || (files.kindOf(name) == FileKind::Device && files.sameFile(name, "/dev/null"));
}

// What the run would refuse, found before anything is written: every
// problem, each in a line, and the exit status (2 when any is a mistake of
// the command, 1 when the system is in the way). A usage error comes alone.
struct Refusal {
  std::vector<std::string> problems;
  int status = kUsageStatus;
  bool usage = false;  // a mistake in the options, which the help explains
};

// A file the run writes: the report or a data file.
struct Output {
  std::string name;
  std::string what;  // "report file", "JSON", ...
  bool report = false;
};

std::optional<Refusal> checkSplits(const RunSettings& settings, FileSystem& files) {
  int status = 0;
  int ezones = 0;
  auto in = files.openRead(settings.dataFile, status);
  if (!in || settings.splits.empty() ||
      !readEzoneCount(settings.dataFile, *in, {settings.populationColumn, settings.ignoredColumns}, ezones) ||
      ezones <= 0)
    return std::nullopt;
  // From the second request on, the menu also takes the Ezone a split adds.
  for (std::size_t i = 0; i < settings.splits.size(); ++i) {
    const int last = i == 0 ? ezones : ezones + 1;
    if (settings.splits[i] > last)
      return Refusal{{"--split " + std::to_string(settings.splits[i]) + ": no such Ezone (" +
                      printable(settings.dataFile) + ": Ezones 1 to " + std::to_string(last) + ")"},
                     kUsageStatus,
                     true};
  }
  return std::nullopt;
}

// Settles the report file's name and the outputs that go nowhere
// (/dev/null), then checks every output.
std::optional<Refusal> checkFiles(RunSettings& settings, FileSystem& files) {
  if (!files.exists(settings.dataFile)) return Refusal{{printable(settings.dataFile) + ": no such file"}};
  if (auto refusal = checkSplits(settings, files)) return refusal;
  if (settings.reportTo == RunSettings::ReportTo::File) {
    if (settings.reportFile.empty()) settings.reportFile = defaultReportName(settings.dataFile);
    if (isNullDevice(files, settings.reportFile)) {
      settings.reportTo = RunSettings::ReportTo::Screen;
      settings.reportFile.clear();
    }
  }
  for (std::string* data : {&settings.jsonFile, &settings.genotypesFile, &settings.htmlFile, &settings.genepopFile})
    if (!data->empty() && isNullDevice(files, *data)) data->clear();

  std::vector<Output> outputs;
  if (settings.reportTo == RunSettings::ReportTo::File) outputs.push_back({settings.reportFile, "report file", true});
  for (const auto& [name, kind, what] : dataOutputs(settings))
    if (name != "-") outputs.push_back({name, what, false});

  Refusal refusal;
  bool mistake = false;
  const auto refuse = [&](const Output& output, const std::string& problem, bool ofTheCommand) {
    refusal.problems.push_back(printable(output.name) + ": " + problem);
    mistake = mistake || ofTheCommand;
  };
  const std::string input = files.identity(settings.dataFile);
  std::vector<std::string> seen;
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const Output& output = outputs[i];
    const std::string identity = files.identity(output.name);
    seen.push_back(identity);
    if (identity == input) {
      if (output.report) return Refusal{{printable(output.name) + ": the report file would be DATAFILE"}, 2, true};
      refuse(output, "the " + output.what + " would be DATAFILE", true);
      continue;
    }
    bool clash = false;
    for (std::size_t j = 0; j < i && !clash; ++j)
      if (seen[j] == identity) {
        refuse(output, "the " + outputs[j].what + " and the " + output.what + " would be one file", true);
        clash = true;
      }
    if (clash) continue;
    if (const std::string kind = kindProblem(files, output.name); !kind.empty()) {
      refuse(output, kind, true);
      continue;
    }
    if (files.kindOf(output.name) == FileKind::Plain) {
      if (output.report && settings.existing == RunSettings::Existing::Refuse)
        refuse(output, "the report file exists (--append or --overwrite to use it)", true);
      else if (!output.report && settings.existing != RunSettings::Existing::Overwrite)
        refuse(output, "the " + output.what + " exists (--overwrite to replace it)", true);
      continue;
    }
    if (const int status = files.creatable(output.name); status != 0)
      refuse(output, "cannot create: " + systemMessage(status), false);
  }
  if (refusal.problems.empty()) return std::nullopt;
  refusal.status = mistake ? kUsageStatus : 1;
  return refusal;
}

int stopped(Console& console) { return console.stopSignal() == 0 ? 0 : 128 + console.stopSignal(); }

// Standard output could not take the last lines: say so.
int outputLost(Console& console, int status) {
  console.err("korvelin: standard output: cannot write: " + systemMessage(status));
  return 1;
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
    if (refusal->usage) return usageError(console, refusal->problems.front());
    for (const std::string& problem : refusal->problems) console.err("korvelin: " + problem);
    return refusal->status;
  }
  const RunSettings& settings = options.settings;
  bool toStandardOutput = settings.reportTo == RunSettings::ReportTo::StandardOutput;
  for (const DataOutput& data : dataOutputs(settings)) toStandardOutput = toStandardOutput || data.name == "-";
  RunLines lines(console, settings.quiet || toStandardOutput, settings.incomplete);
  // Nothing is put in place before the run has ended well.
  WholeFiles whole(files);
  std::set<std::string> existed;
  for (const DataOutput& data : dataOutputs(settings))
    if (files.kindOf(data.name) == FileKind::Plain) existed.insert(data.name);
  FinishedRun finished;
  finished.started = std::time(nullptr);
  const int status = runKorvelin(console, whole, settings, &lines, SearchPath::Fast, [&](Session& s) {
    finished.results = std::move(s.results());
    finished.sample = std::move(s.sample());
    finished.status = s.endStatus();
    finished.reason = s.endReason();
  });
  if (status != 0 && status != exitStatus(EndKind::LimitReached)) return status;
  try {
    if (const int signal = stopped(console)) return signal;
    if (const int failed = writeDataOutputs(settings, finished, existed, whole, console)) return failed;
    lines.fitLines(finished.results, status == exitStatus(EndKind::LimitReached));
    if (const int lost = console.flush()) return outputLost(console, lost);
    if (const int signal = stopped(console)) return signal;
    if (const auto failure = whole.publishAll()) {
      console.err(fileMessage(failure->name, failure->status == EEXIST
                                                 ? "made by someone else during the run, and left alone"
                                                 : "cannot be put in place: " + systemMessage(failure->status)));
      return 1;
    }
  } catch (const std::bad_alloc&) {
    console.err("korvelin: memory exhausted after the run; no file was written");
    return 1;
  }
  lines.reportLine(settings.reportTo == RunSettings::ReportTo::File ? settings.reportFile : std::string());
  if (const int lost = console.flush()) return outputLost(console, lost);
  return status;
}

int runProgram(int argc, char** argv) {
  auto console = makeStandardConsole();
  auto files = makeDiskFileSystem();
  // Without arguments, the dialogue.
  if (argc <= 1) return runKorvelin(*console, *files);
  return runCommandLine(std::vector<std::string>(argv + 1, argv + argc), *console, *files);
}

}  // namespace korvelin::cli
