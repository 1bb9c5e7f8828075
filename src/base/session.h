#pragma once
// One run of the program: the analysis state together with the console, the
// file system and the open files. Every stage that talks to the user or
// writes the report does so through here.

#include <atomic>
#include <memory>
#include <string>
#include <vector>

#include "results/sample.h"
#include "results/results.h"
#include "base/observer.h"
#include "base/platform.h"
#include "base/settings.h"
#include "state/state.h"

namespace korvelin {

// How a run ended; each kind has its exit status (see exitStatus).
enum class EndKind {
  Asked,          // 0: as the user asked, or the analysis came to its end
  SystemFailed,   // 1: a file or the console failed, memory ran out
  InputUnusable,  // 2: an unusable data file, or no usable answer
  LimitReached,   // 3: the analysis stopped at a limit
  Interrupted,    // 128 + the signal
};
int exitStatus(EndKind kind, int signal = 0);

// Thrown by `last` (and by the few ends that skip it) to unwind to the top of
// the run; the session then holds the exit status and its reason.
struct RunEnded {};

// Report units: standard error until the dialogue decides, then the console
// or the output file.
inline constexpr int kStderrUnit = 0;
inline constexpr int kConsoleUnit = 6;
inline constexpr int kFileUnit = 8;

// A question refused this many times in a row ends the run.
inline constexpr int kMostTries = 100;

// Which search the analysis passes run: the fast one in every normal run;
// the plain enumeration is the reference for tests and benchmarks.
enum class SearchPath { Fast, Plain };

class Session;

// What a split trial run ahead on another thread wrote, and where it looked
// for a stop signal, in order. The main thread plays it back when the trial's
// turn comes, so the console, the report and the stop checks come out as if
// it had run the trial itself.
class TrialRecord {
 public:
  void line(int unit, const std::string& text);
  // Whole lines, each ending in '\n'.
  void lines(int unit, std::string_view text);
  void stopCheck();
  void clear();
  // Lines to their units, stop checks as checks (which may end the run).
  void replay(Session& s) const;

 private:
  static constexpr int kStopCheck = -1;
  struct Mark {
    int unit;  // or kStopCheck
    std::size_t end;
  };
  // Every line with its '\n', so that the lines between two stop checks
  // go to their unit at once.
  std::string text_;
  std::vector<Mark> marks_;
};

// Thrown inside a trial run ahead when the trial comes to something that
// belongs to the whole run (announcing a hypothesis, ending the run, waiting
// for an answer), or when it is no longer wanted: the main thread then runs
// that trial itself, in its turn.
struct TrialDeferred {};

class Session {
 public:
  Session(Console& console, FileSystem& files, SearchPath path = SearchPath::Fast);
  // A run with settings made in advance. When they are unattended, the
  // console takes no answers and shows only messages (lines starting with
  // "** " after blanks), on standard error; `observer` (may be null) hears
  // of the rest.
  Session(Console& console, FileSystem& files, RunSettings settings, RunObserver* observer,
          SearchPath path = SearchPath::Fast);
  // A session for running split trials ahead of `main` on another thread: a
  // copy of its state and settings that writes into `record` (see
  // TrialRecord, TrialDeferred) and has no console, files or observer of its
  // own. `abandon`, when set, makes its next stop check defer the trial.
  Session(const Session& main, TrialRecord& record, const std::atomic<bool>* abandon);
  // However the run unwinds, the scratch file does not outlive it.
  ~Session() { closeAll(); }
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  State& state() { return *state_; }
  Console& console() { return console_; }
  FileSystem& files() { return files_; }
  SearchPath searchPath() const { return path_; }
  // The results as data and the individuals behind the patterns, for the
  // outputs beside the text report.
  Results& results() { return results_; }
  const Results& results() const { return results_; }
  Sample& sample() { return sample_; }
  const Sample& sample() const { return sample_; }
  RunSettings& settings() { return settings_; }
  // Standard output itself, for a report that goes there (the console of an
  // unattended run keeps only the messages).
  Console& standardStreams() { return streams_; }

  // The trial in hand is about to change what belongs to the whole run (the
  // totals, the results, the observer): a trial run ahead stops here.
  void runWideEffect() {
    if (record_) throw TrialDeferred{};
  }
  // Whether this session runs trials ahead of the main one.
  bool runsAhead() const { return record_ != nullptr; }

  // Hooks for the observer of an unattended run.
  void hypothesisAnnounced() {
    if (observer_) observer_->hypothesisAnnounced(results_.hypotheses.back());
  }
  void totalsReported() {
    if (observer_) observer_->totalsReported(*state_);
  }
  void trialStarted() {
    if (observer_) observer_->trialStarted(*state_);
  }
  void runEnded() {
    if (observer_) observer_->runEnded(*state_, reportOpened_);
  }

  // Writes a line to one unit (0 standard error, 6 console, 8 output file).
  void toUnit(int unit, const std::string& line);
  // Whole lines, each ending in '\n', to one unit: what toUnit does line by
  // line, with the lines for a file written at once.
  void toUnitLines(int unit, std::string_view lines);
  // To the report unit only.
  void report(const std::string& line) { toUnit(state_->u, line); }
  // To the report unit and, when that is not the console, to the console too.
  void reportAndConsole(const std::string& line);
  void toConsole(const std::string& line) { toUnit(kConsoleUnit, line); }

  // What a failed read (the keyboard closed) is reported as.
  enum class ReadContext { Question, FileName, Answer };

  // The first character of the answer, or a blank for an empty line.
  char readLetter(ReadContext context = ReadContext::Question);
  // A whole answer line.
  std::string readAnswerLine(ReadContext context = ReadContext::Question);
  // A number in free form; empty lines are skipped. Returns false when the
  // line holds something that is not a number (the caller asks again).
  bool readNumber(int& value);
  // One more refused answer to the question being asked; the run ends when
  // `tries` (counted by the caller from 0) reaches kMostTries.
  void refused(int& tries);
  // Ends the run in order when a stop signal came (Ctrl-C, kill).
  void checkStop();

  // The page pause.
  void warten();
  // The orderly end of the run: ruler, output file closed (an overwrite
  // takes the old file's place only after a good end), scratch file gone.
  // `reason` says briefly why the run ended, for people.
  [[noreturn]] void last(EndKind kind, std::string reason);
  // An end without the ruler: the files are released as after `last`.
  [[noreturn]] void abandon(EndKind kind, std::string reason);
  // A file that could not be opened (`action` "OPENing") or written
  // ("WRITing"): the dialogue's "** Error status" line; from the command
  // line a plain line on standard error.
  void fileFailed(const std::string& action, const std::string& name, int status);
  // Releases files without a ruler (used when unwinding from any end).
  void closeAll();

  // How the run ended: its exit status and why.
  int endStatus() const { return status_; }
  const std::string& endReason() const { return reason_; }

  void setInput(std::unique_ptr<InputFile> in) { input_ = std::move(in); }
  InputFile* input() { return input_.get(); }
  void setOutput(std::unique_ptr<OutputFile> out) {
    reportOpened_ = reportOpened_ || out != nullptr;
    output_ = std::move(out);
  }
  bool hasOutput() const { return output_ != nullptr; }
  void setScratchName(std::string name) { scratchName_ = std::move(name); }

 private:
  void setEnd(EndKind kind, std::string reason);
  // End of input on the keyboard: nothing more can be asked.
  [[noreturn]] void keyboardClosed(ReadContext context);
  // A write to the output file failed (the disk is full, say).
  [[noreturn]] void outputLost(int status);
  // A write to standard output failed: the rest goes to the report only,
  // and the run ends.
  void checkConsole();
  void markConsoleLost(int status);
  void writeFailed(int status);

  std::unique_ptr<State> state_;
  RunSettings settings_;
  RunObserver* observer_ = nullptr;
  Console& streams_;
  std::unique_ptr<Console> messagesOnly_;
  Console& console_;
  FileSystem& files_;
  SearchPath path_;
  std::unique_ptr<InputFile> input_;
  std::unique_ptr<OutputFile> output_;
  std::string scratchName_;
  Results results_;
  Sample sample_;
  TrialRecord* record_ = nullptr;
  const std::atomic<bool>* abandon_ = nullptr;
  bool reportOpened_ = false;
  bool consoleLost_ = false;
  bool ending_ = false;  // inside `last`
  int status_ = 0;
  std::string reason_ = "the run ended as asked";
};

}  // namespace korvelin
