#include "run/session.h"

#include "run/format.h"

namespace korvelin {

Session::Session(Console& console, FileSystem& files, SearchPath path)
    : state_(std::make_unique<State>()), console_(console), files_(files), path_(path) {}

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
