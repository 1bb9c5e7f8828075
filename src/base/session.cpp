#include "base/session.h"

#include "base/format.h"
#include "base/report_file.h"

namespace korvelin {
namespace {

// What the console of an unattended run shows: "** ..." after blanks.
bool isMessage(const std::string& line) {
  const auto at = line.find_first_not_of(' ');
  return at != std::string::npos && line.compare(at, 3, "** ") == 0;
}

// The console of an unattended run: messages ("** ...", after blanks) go
// to standard error; the dialogue's prompts, pauses and report copies go
// nowhere, and there is no keyboard.
class MessagesOnly : public Console {
 public:
  explicit MessagesOnly(Console& streams) : streams_(streams) {}
  bool readLine(std::string&) override { return false; }
  void out(const std::string& line) override { pass(line); }
  void err(const std::string& line) override { pass(line); }
  int flush() override { return streams_.flush(); }
  int outError() const override { return streams_.outError(); }
  int stopSignal() const override { return streams_.stopSignal(); }
  void progress(const std::string& text) override { streams_.progress(text); }

 private:
  void pass(const std::string& line) {
    if (isMessage(line)) streams_.err(line);
  }
  Console& streams_;
};

}  // namespace

int exitStatus(EndKind kind, int signal) {
  switch (kind) {
    case EndKind::Asked: return 0;
    case EndKind::SystemFailed: return 1;
    case EndKind::InputUnusable: return 2;
    case EndKind::LimitReached: return 3;
    case EndKind::Interrupted: return 128 + signal;
  }
  return 1;
}

Session::Session(Console& console, FileSystem& files, SearchPath path)
    : Session(console, files, RunSettings{}, nullptr, path) {}

Session::Session(Console& console, FileSystem& files, RunSettings settings, RunObserver* observer,
                 SearchPath path)
    : state_(std::make_unique<State>()),
      settings_(std::move(settings)),
      observer_(observer),
      streams_(console),
      messagesOnly_(settings_.unattended ? std::make_unique<MessagesOnly>(console) : nullptr),
      console_(messagesOnly_ ? *messagesOnly_ : console),
      files_(files),
      path_(path) {}

Session::Session(const Session& main, TrialRecord& record, const std::atomic<bool>* abandon)
    : state_(std::make_unique<State>(*main.state_)),
      settings_(main.settings_),
      streams_(main.streams_),
      console_(main.console_),
      files_(main.files_),
      path_(main.path_),
      record_(&record),
      abandon_(abandon) {}

void TrialRecord::line(int unit, const std::string& text) {
  text_ += text;
  text_ += '\n';
  marks_.push_back({unit, text_.size()});
}

void TrialRecord::lines(int unit, std::string_view text) {
  text_ += text;
  marks_.push_back({unit, text_.size()});
}

void TrialRecord::stopCheck() { marks_.push_back({kStopCheck, text_.size()}); }

void TrialRecord::clear() {
  text_.clear();
  marks_.clear();
}

void TrialRecord::replay(Session& s) const {
  // The lines of one unit since the last stop check or change of unit.
  std::size_t start = 0, end = 0;
  int unit = kStopCheck;
  const auto write = [&] {
    if (end > start) s.toUnitLines(unit, std::string_view(text_).substr(start, end - start));
    start = end;
  };
  for (const Mark& mark : marks_) {
    if (mark.unit != unit) write();
    unit = mark.unit;
    if (unit == kStopCheck)
      s.checkStop();
    else
      end = mark.end;
  }
  write();
}

void Session::toUnit(int unit, const std::string& line) {
  // (Split trials show many lines that such a console drops: they are
  // dropped before they are recorded.)
  if (unit == kConsoleUnit && settings_.unattended && !isMessage(line)) return;
  if (record_) {
    record_->line(unit, line);
    return;
  }
  if (unit == kConsoleUnit) {
    if (consoleLost_) return;
    console_.out(line);
    checkConsole();
  } else if (unit == kFileUnit) {
    // Until the output file is open (or when it could not be), a report
    // line has nowhere to go but the console copy.
    int status = 0;
    if (output_ && !output_->writeLine(line, status)) outputLost(status);
  } else {
    console_.err(line);
  }
}

void Session::toUnitLines(int unit, std::string_view lines) {
  if (record_) {
    record_->lines(unit, lines);
    return;
  }
  if (unit == kFileUnit) {
    int status = 0;
    if (output_ && !output_->writeLines(lines, status)) outputLost(status);
    return;
  }
  forEachLine(lines, [&](const std::string& line) {
    toUnit(unit, line);
    return true;
  });
}

void Session::reportAndConsole(const std::string& line) {
  toUnit(state_->u, line);
  if (state_->u != kConsoleUnit) toUnit(kConsoleUnit, line);
}

std::string Session::readAnswerLine(ReadContext context) {
  if (record_) throw TrialDeferred{};
  checkStop();
  // What the user has seen is in the report file too.
  if (output_) {
    if (const int status = output_->flush(); status != 0) outputLost(status);
  }
  std::string line;
  const bool read = console_.readLine(line);
  checkStop();
  checkConsole();
  if (!read) keyboardClosed(context);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

char Session::readLetter(ReadContext context) {
  const std::string line = readAnswerLine(context);
  return line.empty() ? ' ' : line[0];
}

bool Session::readNumber(int& value) {
  int blanks = 0;
  for (;;) {
    const FreeInteger read = readFreeInteger(readAnswerLine(), value);
    if (read != FreeInteger::Blank) return read == FreeInteger::Read;
    refused(blanks);  // empty lines are skipped, but not for ever
  }
}

void Session::refused(int& tries) {
  if (++tries < kMostTries) return;
  toConsole(FixedLine().text(" ** No usable answer after ").text(std::to_string(kMostTries)).text(" tries - the run ends"));
  last(EndKind::InputUnusable, "no usable answer after " + std::to_string(kMostTries) + " tries");
}

void Session::checkStop() {
  if (record_) {
    record_->stopCheck();
    if (abandon_ && abandon_->load(std::memory_order_relaxed)) throw TrialDeferred{};
    return;
  }
  const int signal = console_.stopSignal();
  if (signal == 0) return;
  reportAndConsole(FreeLine().text("** Interrupted - the run ends"));
  last(EndKind::Interrupted, "interrupted by signal " + std::to_string(signal));
}

void Session::warten() {
  if (settings_.unattended) return;
  if (state_->begin == 0 && state_->u == kFileUnit) return;
  toConsole(FreeLine().text("<Press Return to continue>"));
  readAnswerLine();
}

void Session::setEnd(EndKind kind, std::string reason) {
  status_ = exitStatus(kind, console_.stopSignal());
  reason_ = std::move(reason);
}

void Session::last(EndKind kind, std::string reason) {
  if (record_) throw TrialDeferred{};
  setEnd(kind, std::move(reason));
  ending_ = true;
  reportAndConsole(ruler());
  if (!consoleLost_) {
    if (const int lost = console_.flush(); lost != 0) markConsoleLost(lost);
  }
  if (output_) {
    // A new report replaces an old one only after a good end; what was
    // still buffered may fail to reach the disk only now.
    int status = 0;
    if (status_ == 0 || status_ == exitStatus(EndKind::LimitReached))
      status = output_->close();
    else
      output_->discard();
    output_.reset();
    if (status != 0) {
      writeFailed(status);
      setEnd(EndKind::SystemFailed, "the report file cannot be written");
    }
  }
  closeAll();
  throw RunEnded{};
}

void Session::abandon(EndKind kind, std::string reason) {
  if (record_) throw TrialDeferred{};
  setEnd(kind, std::move(reason));
  closeAll();
  throw RunEnded{};
}

void Session::writeFailed(int status) {
  if (consoleLost_ && !settings_.unattended) return;
  fileFailed("WRITing", state_->outfil, status);
}

void Session::fileFailed(const std::string& action, const std::string& name, int status) {
  if (settings_.unattended) {
    streams_.err("korvelin: " + printable(name) + ": " + (action == "OPENing" ? "cannot open: " : "cannot write: ") +
                 systemMessage(status));
    return;
  }
  console_.out(FreeLine().text("** Error status ").num(status).text(" in " + action + " of ").name(name));
}

void Session::outputLost(int status) {
  // The report is incomplete from here on: say so and end the run rather
  // than go on writing into a file that no longer takes it.
  output_.reset();
  writeFailed(status);
  last(EndKind::SystemFailed, "the report file cannot be written");
}

void Session::checkConsole() {
  if (consoleLost_) return;
  const int status = console_.outError();
  if (status == 0) return;
  markConsoleLost(status);
  // Nothing more can be shown: the run ends with the report file holding
  // what it got (unless it is ending already).
  if (!ending_) last(EndKind::SystemFailed, reason_);
}

void Session::markConsoleLost(int status) {
  consoleLost_ = true;
  console_.err(FreeLine().text("** Error status ").num(status).text(" in WRITing of standard output"));
  setEnd(EndKind::SystemFailed, "standard output cannot be written");
}

void Session::closeAll() {
  if (output_) output_->discard();
  output_.reset();
  input_.reset();
  if (state_->store.attached()) {
    state_->store.detach();
    files_.remove(scratchName_);
  }
}

void Session::keyboardClosed(ReadContext context) {
  // The status of a read that meets the end of input.
  constexpr int kEndOfInput = -1;
  if (context == ReadContext::FileName)
    toConsole(FreeLine().text("** Error status ").num(kEndOfInput).text(" while reading file name"));
  else if (context == ReadContext::Answer)
    toConsole(FreeLine().text("** Error status ").num(kEndOfInput).text(" while reading answer"));
  else
    toConsole(FreeLine().text("** End of input - no answer can be read; the run ends"));
  last(EndKind::InputUnusable, "end of input: no answer can be read");
}

}  // namespace korvelin
