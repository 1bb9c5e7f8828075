#include "run/session.h"

#include "run/format.h"

namespace korvelin {
namespace {

// The console of an unattended run: messages ("** ...", after blanks) go
// to standard error; the dialogue's prompts, pauses and report copies go
// nowhere, and there is no keyboard.
class MessagesOnly : public Console {
 public:
  explicit MessagesOnly(Console& streams) : streams_(streams) {}
  bool readLine(std::string&) override { return false; }
  void out(const std::string& line) override { pass(line); }
  void err(const std::string& line) override { pass(line); }

 private:
  void pass(const std::string& line) {
    const auto at = line.find_first_not_of(' ');
    if (at != std::string::npos && line.compare(at, 3, "** ") == 0) streams_.err(line);
  }
  Console& streams_;
};

}  // namespace

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

void Session::toUnit(int unit, const std::string& line) {
  if (unit == kConsoleUnit) {
    console_.out(line);
  } else if (unit == kFileUnit) {
    // Until the output file is open (or when it could not be), a report
    // line has nowhere to go but the console copy.
    int status = 0;
    if (output_ && !output_->writeLine(line, status)) outputLost(status);
  } else {
    console_.err(line);
  }
}

void Session::reportAndConsole(const std::string& line) {
  toUnit(state_->u, line);
  if (state_->u != kConsoleUnit) console_.out(line);
}

std::string Session::readAnswerLine(ReadContext context) {
  std::string line;
  if (!console_.readLine(line)) keyboardClosed(context);
  if (!line.empty() && line.back() == '\r') line.pop_back();
  return line;
}

char Session::readLetter(ReadContext context) {
  const std::string line = readAnswerLine(context);
  return line.empty() ? ' ' : line[0];
}

bool Session::readNumber(int& value) {
  for (;;) {
    const FreeInteger read = readFreeInteger(readAnswerLine(), value);
    if (read != FreeInteger::Blank) return read == FreeInteger::Read;  // empty lines are skipped
  }
}

void Session::warten() {
  if (settings_.unattended) return;
  if (state_->begin == 0 && state_->u == kFileUnit) return;
  console_.out(FreeLine().text("<Press Return to continue>"));
  readAnswerLine();
}

void Session::last() {
  reportAndConsole(ruler());
  // What was still buffered may fail to reach the disk only now.
  const int status = output_ ? output_->close() : 0;
  closeAll();
  if (status != 0) writeFailed(status);
  throw RunEnded{};
}

void Session::writeFailed(int status) {
  console_.out(FreeLine().text("** Error status ").num(status).text(" in WRITing of ").name(state_->outfil));
}

void Session::outputLost(int status) {
  // The report is incomplete from here on: say so and end the run rather
  // than go on writing into a file that no longer takes it.
  output_.reset();
  writeFailed(status);
  last();
}

void Session::closeAll() {
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
    console_.out(FreeLine().text("** Error status ").num(kEndOfInput).text(" while reading file name"));
  else if (context == ReadContext::Answer)
    console_.out(FreeLine().text("** Error status ").num(kEndOfInput).text(" while reading answer"));
  else
    console_.out(FreeLine().text("** End of input - no answer can be read; the run ends"));
  last();
}

}  // namespace korvelin
