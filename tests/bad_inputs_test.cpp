// Every bad input we know of, in one table: a malformed pattern file or
// format line, a wrong or unusable file, answers that are not what the
// question wants, a keyboard that closes or never gives a usable answer, a
// stop signal, a disk that fills up, a register that overflows. Each must
// end the run in order: a clear "** " message, the ruler last, the exit
// status of its kind, the data file untouched, an overwritten old report
// untouched, no control character echoed and no scratch file left behind.
// None of them may hang the run.

#include <gtest/gtest.h>

#include <bitset>
#include <cerrno>
#include <csignal>
#include <functional>
#include <new>
#include <regex>

#include "harness.h"
#include "base/format.h"
#include "memory_platform.h"
#include "run/run.h"

namespace korvelin::testing {
namespace {

using Strings = std::vector<std::string>;

const std::string kGood = "3\n(3I1)\n110\n011\n111\n010\n9\n";

struct BadInput {
  std::string kind;
  std::string data;  // the pattern file p.dat
  Strings answers;
  std::string message;  // a whole console line; error statuses read "<n>"
  // The message is the line right before the closing ruler (else it comes
  // earlier and the run goes on until the answers run out).
  bool last = true;
  int times = 1;
  std::string otherFile = {};  // p.out, when it should exist beforehand
  // Before the dialogue has chosen the report unit, the ruler goes to
  // standard error as well.
  bool toErr = false;
  int status = 2;
  // Anything else the run meets: a stop signal, a failing disk, a name that
  // is no plain file or that another run holds.
  std::function<void(MemoryFileSystem&, ScriptedConsole&)> setUp = {};
  // The old p.out was to be overwritten: the failed run leaves it as it was.
  bool overwrite = false;
  std::string heldByAnotherRun = {};
  std::string file = "p.dat";  // the name of the data file
};

// Where a pattern-file message points: the line counter in 11 columns and
// the 60-character name field.
std::string where(int line) { return "line" + std::string(12, ' ') + std::to_string(line) + "  of p.dat" + padded("", 55); }
std::string readError(int line) { return " ** Error  status <n>  in READing " + where(line); }
std::string endOfFile(int line) { return " ** End-of-file found in " + where(line); }

Strings console(int pauses = 200) { return consoleAnswers("p", pauses); }
Strings with(Strings answers, const Strings& more) {
  answers.insert(answers.end(), more.begin(), more.end());
  return answers;
}

std::string tooManyPatterns() {
  std::string file = "6\n(6I1)\n";
  for (int p = 0; p < 51; ++p) file += std::bitset<6>(static_cast<unsigned>(p)).to_string() + "\n";
  return file;
}

// All 32 patterns of five Ezones: far more than 20 hypotheses explain them.
std::string everyPatternOfFive() {
  std::string file = "5\n(5I1)\n";
  for (int p = 0; p < 32; ++p) file += std::bitset<5>(static_cast<unsigned>(p)).to_string() + "\n";
  return file;
}

const std::string kInterrupted = " ** Interrupted - the run ends";
const std::string kNoUsableAnswer = " ** No usable answer after 100 tries - the run ends";

std::function<void(MemoryFileSystem&, ScriptedConsole&)> stopAfter(std::size_t answers) {
  return [answers](MemoryFileSystem&, ScriptedConsole& c) { c.stopAfter(answers, SIGINT); };
}

std::vector<BadInput> patternFileCases() {
  const std::string closed = " ** End of input - no answer can be read; the run ends";
  const std::string ioError = " ** Error  status <n>  in READing ";
  const auto failReadingAt = [](int line) {
    return [line](MemoryFileSystem& fs, ScriptedConsole&) { fs.failReadingAt("p.dat", line); };
  };
  return {
      {"empty file", "", console(), endOfFile(1)},
      {"only the Ezone count", "3\n", console(), endOfFile(2)},
      {"letter for the Ezone count", "x\n(1I1)\n", console(), readError(1)},
      {"nothing but blank lines", "\n  \n\n", console(), endOfFile(1)},
      {"Ezone count beyond 32 bits", "99999999999\n(3I1)\n101\n", console(), readError(1)},
      {"0 Ezones", "0\n(1I1)\n", console(), " ** Line 1 of p.dat gives 0 Ezones; KORVELIN handles 1 to 22 Ezones"},
      {"negative Ezone count", "-3\n(3I1)\n101\n", console(),
       " ** Line 1 of p.dat gives -3 Ezones; KORVELIN handles 1 to 22 Ezones"},
      {"23 Ezones", "23\n(23I1)\n", console(), " ** Line 1 of p.dat gives 23 Ezones; KORVELIN handles 1 to 22 Ezones"},
      {"51 different patterns", tooManyPatterns(), console(),
       " ** p.dat holds more than 50 different patterns; KORVELIN handles at most 50"},
      {"line ends of carriage returns only", "3\r(3I1)\r101\r", console(), readError(1)},
      {"UTF-16 text", std::string("\xFF\xFE" "3\0\n\0", 6), console(), readError(1)},
      {"format with an unknown descriptor", "3\n(3Q1)\n101\n", console(), readError(3)},
      {"format without an integer field", "3\n(5X)\n101\n", console(), readError(3)},
      {"format of a new line only", "3\n(/)\n101\n", console(), readError(3)},
      {"format whose repeated group has no integer field", "3\n(I1,(5X))\n101\n011\n", console(), readError(3)},
      {"format without parentheses", "3\n3I1\n101\n", console(), readError(3)},
      {"format with an unclosed parenthesis", "3\n(3I1\n101\n", console(), readError(3)},
      {"format with an empty pair of parentheses", "3\n()\n101\n", console(), readError(3)},
      {"field width 0", "3\n(I0)\n101\n", console(), readError(3)},
      {"repeat count beyond 32 bits", "3\n(99999999999I1)\n101\n", console(), readError(3)},
      {"group repeated a billion times over", "3\n(1000000000(1000000000I1))\n101\n", console(), readError(3)},
      {"text descriptor running past the end", "3\n(3H)\n101\n", console(), readError(3)},
      {"quote that never closes", "3\n('abc)\n101\n", console(), readError(3)},
      {"format line longer than 70 characters", "3\n(" + std::string(80, ' ') + "3I1)\n101\n", console(),
       readError(3)},
      {"letter in a pattern", "3\n(3I1)\n101\n1x1\n", console(), readError(4)},
      {"tab in a pattern", "3\n(3I1)\n1\t1\n", console(), readError(3)},
      {"NUL byte in a pattern", std::string("3\n(3I1)\n1\0" "1\n", 10), console(), readError(3)},
      {"value beyond 32 bits", "3\n(3I11)\n99999999999\n", console(), readError(3)},
      {"sign without digits", "3\n(3I1)\n+01\n", console(), readError(3)},
      // The counter counts patterns: the letter stands on the sixth line.
      {"letter on the second line of a pattern", "10\n(5I1)\n10100\n00011\n01000\n1x000\n", console(),
       readError(4)},
      {"more than 20 hypotheses", everyPatternOfFive(), console(2000),
       " ** Maximal number  20 of hypotheses exceeded - Program terminated", true, 1, "", false, 3},
      // A read that fails is no end of the data.
      {"read error in line 1", kGood, console(), readError(1), true, 1, "", false, 1, failReadingAt(1)},
      {"read error in a pattern", kGood, console(), readError(4), true, 1, "", false, 1, failReadingAt(4)},
      // Terminal controls in the format line are not echoed.
      {"control characters in the format line", "3\n(3I1,'\x1b]0;pwned\x07\x1b[2J')\n101\n", console(),
       " 101?]0;pwned??[2J", false, 1, "", false, 0},
      {"bad data file when the old report is overwritten", "3\n(3I1)\n1x1\n", {"p", "f", "", "o", "z", ""},
       readError(3), true, 1, "old report\n", false, 2, {}, true},
      {"keyboard closed at the first pause", kGood, consoleAnswers("p", 0), closed},
  };
}

// A spreadsheet table as the data file: its faults end the run before any
// of it is analysed; the limits are those of pattern files.
std::vector<BadInput> tableCases() {
  auto table = [](std::string kind, std::string data, std::string message) {
    return BadInput{std::move(kind), std::move(data), consoleAnswers("p.csv"), std::move(message), true, 1, "", false,
                    2, {}, false, {}, "p.csv"};
  };
  std::string wide = "Sample", wideRow = "\nA", patterns = "Sample,A,B,C,D,E,F\n";
  for (int z = 1; z <= 23; ++z) {
    wide += ",E" + std::to_string(z);
    wideRow += ",1";
  }
  for (int p = 0; p < 51; ++p) {
    patterns += "i" + std::to_string(p);
    for (char bit : std::bitset<6>(static_cast<unsigned>(p)).to_string()) patterns += std::string(",") + bit;
    patterns += "\n";
  }
  return {
      table("table with a 2 in a cell", "Sample,E1,E2\nA,1,0\nB,1,2\n",
            " ** p.csv row 3, column 3 \"E2\": \"2\" is no score; score 1 (band) or 0 (no band), or leave the "
            "column out with --ignore \"E2\""),
      table("table in which no individual is scored whole", "Sample,E1,Notes\nA,1,\nB,0,?\n",
            " ** p.csv has no individual scored in every Ezone (an empty cell, ?, NA or - is not scored), so none "
            "is left to analyse; row 2 \"A\" is not scored in column 3 \"Notes\""),
      table("workbook saved under a table's name", std::string("PK\x03\x04\x14\0\x06\0", 8) + "[Content_Types].xml",
            " ** p.csv is a spreadsheet workbook: save it as CSV and run that"),
      table("empty table", "", " ** p.csv is empty; its first row must be the header"),
      table("table with 23 label columns", wide + wideRow + "\n",
            " ** Line 1 of p.csv gives 23 Ezones; KORVELIN handles 1 to 22 Ezones"),
      table("table without label columns", "Sample\nA\n",
            " ** Line 1 of p.csv gives 0 Ezones; KORVELIN handles 1 to 22 Ezones"),
      table("table with 51 different patterns", patterns,
            " ** p.csv holds more than 50 different patterns; KORVELIN handles at most 50"),
  };
}

std::vector<BadInput> answerCases() {
  const std::string closed = " ** End of input - no answer can be read; the run ends";
  const auto kind = [](const std::string& name, FileKind k) {
    return [name, k](MemoryFileSystem& fs, ScriptedConsole&) { fs.setKind(name, k); };
  };
  const Strings outputName = with({"p", "f", "x.out", "p.out", "z"}, Strings(200, ""));
  const std::string answer = " ** Error status <n>  while reading answer";
  const std::string name = " ** Error status <n>  while reading file name";
  const std::string refused = " ** No Ezone           99  exists - Try again **";
  const Strings offer = answersBeforeOffer({{"p.dat", kGood}}, console());
  return {
      {"keyboard closed at once", kGood, {}, closed, true, 1, "", true},
      {"input names that are blank, then no more", kGood, {"", "   ", "\t"}, closed, true, 1, "", true},
      {"missing input file", kGood, {"nosuch"}, " >> ** File does not exist : nosuch.dat" + padded("", 50), false, 1,
       "", true},
      {"keyboard closed at the output device", kGood, {"p"}, answer, true, 1, "", true},
      {"keyboard closed at the output name", kGood, {"p", "f"}, name},
      {"keyboard closed at append or overwrite", kGood, {"p", "f", ""}, answer, true, 1, "old report\n"},
      {"keyboard closed at the pattern type", kGood, {"p", "s"}, closed},
      {"output file that is the input file", kGood, {"p", "f", "p.dat"},
       " ** The output file must not be the input data file : p.dat" + padded("", 55), false},
      {"keyboard closed at the offer", kGood, offer, closed},
      {"keyboard closed at the Ezone menu", kGood, with(offer, {"y"}), closed},
      {"keyboard closed at the maximal N", kGood, with(offer, {"y", "0"}), closed},
      {"Ezone number too large", kGood, with(offer, {"y", "99"}), refused, false},
      {"Ezone number below -1", kGood, with(offer, {"y", "-5"}), " ** No Ezone           -5  exists - Try again **",
       false},
      {"Ezone number that is no number", kGood, with(offer, {"y", "two", "99"}), refused, false},
      {"Ezone number beyond 32 bits", kGood, with(offer, {"y", "99999999999", "99"}), refused, false},
      {"maximal N that is no number", kGood, with(offer, {"y", "0", "x"}),
       "    is to be performed [no default] : >> ", false, 2},
      {"NUL in the input name", kGood, {std::string("p\0x", 3)},
       " >> ** File does not exist : p?x.dat" + padded("", 53), false, 1, "", true},
      // Only a plain file can take the report; the name is asked again.
      {"output name that is a directory", kGood, outputName, " ** x.out is a directory, not a plain file", false, 1,
       "", false, 0, kind("x.out", FileKind::Directory)},
      {"output name that is a named pipe", kGood, outputName, " ** x.out is a named pipe, not a plain file", false,
       1, "", false, 0, kind("x.out", FileKind::Fifo)},
      {"output name that is a device", kGood, outputName, " ** x.out is a device, not a plain file", false, 1, "",
       false, 0, kind("x.out", FileKind::Device)},
      {"output name that is a symbolic link", kGood, outputName, " ** x.out is a symbolic link, not a plain file",
       false, 1, "", false, 0, kind("x.out", FileKind::Link)},
      {"output file in use by another run", kGood, outputName, " ** x.out is in use by another run", false, 1, "",
       false, 0, {}, false, "x.out"},
      {"output file in a folder that does not exist", kGood, {"p", "f", "nodir/x.out"},
       " ** Error status <n>  in OPENing of nodir/x.out" + padded("", 49), true, 1, "", false, 1,
       [](MemoryFileSystem& fs, ScriptedConsole&) { fs.failCreating("nodir/x.out", ENOENT); }},
      // Endless refused answers end the run.
      {"endless missing input names", kGood, Strings(150, "y"), kNoUsableAnswer, true, 1, "", true},
      {"endless blank lines at the Ezone menu", kGood, with(with(offer, {"y"}), Strings(150, "")), kNoUsableAnswer},
      {"endless refused Ezone numbers", kGood, with(with(offer, {"y"}), Strings(150, "99")), kNoUsableAnswer},
      // A stop signal, noticed at the next question, pause or split trial.
      {"interrupted at a pause", kGood, console(), kInterrupted, true, 1, "", false, 130, stopAfter(4)},
      {"interrupted between split trials", kGood, with(offer, {"y", "0", "8"}), kInterrupted, true, 1, "", false,
       130, stopAfter(offer.size() + 3)},
      {"interrupted when the old report is overwritten", kGood, {"p", "f", "", "o", "z"}, kInterrupted, true, 1,
       "old report\n", false, 130, stopAfter(4), true},
  };
}

// Whether the text holds a control character other than a line end, a tab or
// the form feed of a report page.
bool hasControls(const std::string& text) {
  return std::any_of(text.begin(), text.end(), [](char ch) {
    return (static_cast<unsigned char>(ch) < 32 && ch != '\n' && ch != '\t' && ch != '\f') || ch == 127;
  });
}

void expectOrderlyEnd(const BadInput& c) {
  ScriptedConsole console(c.answers);
  MemoryFileSystem fs;
  fs.put(c.file, c.data);
  if (!c.otherFile.empty()) fs.put("p.out", c.otherFile);
  if (c.setUp) c.setUp(fs, console);
  int held = 0;
  const auto otherRun = c.heldByAnotherRun.empty() ? nullptr : fs.hold(c.heldByAnotherRun, held);
  EXPECT_EQ(runKorvelin(console, fs), c.status) << c.kind;
  const std::string out = std::regex_replace(console.stdoutText(), std::regex("status +-?[0-9]+"), "status <n>");
  EXPECT_EQ(count(out, c.message + "\n"), c.times) << c.kind << "\n" << out;
  const std::string end = (c.last ? c.message + "\n" : std::string()) + ruler() + "\n";
  EXPECT_TRUE(out.ends_with(end)) << c.kind << "\n" << out;
  EXPECT_EQ(console.stderrText(), c.toErr ? ruler() + "\n" : "") << c.kind;
  EXPECT_FALSE(fs.scratchLeft()) << c.kind;
  EXPECT_EQ(fs.contents(c.file), c.data) << c.kind;
  if (!c.otherFile.empty()) {
    EXPECT_TRUE(c.overwrite ? fs.contents("p.out") == c.otherFile : fs.contents("p.out").starts_with(c.otherFile))
        << c.kind;
  }
  for (const auto& name : fs.names()) EXPECT_FALSE(hasControls(fs.contents(name)) && name != c.file) << name;
  EXPECT_FALSE(hasControls(out)) << c.kind;
}

TEST(BadInputs, PatternFilesAndAnswersEndInOrderWithAMessage) {
  for (const auto& cases : {patternFileCases(), tableCases(), answerCases()})
    for (const BadInput& c : cases) expectOrderlyEnd(c);
}

// Files that cannot be used: the input or the output file exists but cannot
// be opened, the disk fills up, the screen cannot be written, the scratch
// file cannot be made. The system failed the run: exit status 1.
TEST(BadInputs, FilesThatFail) {
  const std::string opening = " ** Error status <n>  in OPENing of ";
  const std::string writing = " ** Error status <n>  in WRITing of ";
  struct Case {
    std::string kind;
    std::string unusable;                // a file that exists but cannot be opened
    std::size_t room = std::size_t(-1);  // free bytes on the disk
    std::string message;
    bool toErr = false;                  // the ruler goes to standard error too
    std::size_t screen = std::size_t(-1);  // bytes standard output still takes
  };
  const Case cases[] = {
      {"input file that cannot be opened", "p.dat", std::size_t(-1), opening + "p.dat" + padded("", 55), true},
      {"output file that cannot be opened", "p.out", std::size_t(-1), opening + "p.out" + padded("", 55)},
      {"disk full at the banner", "", 0, writing + "p.out" + padded("", 55)},
      {"disk full in the report", "", 3000, writing + "p.out" + padded("", 55)},
      // The message goes where it can still be seen; the report keeps what it got.
      {"screen that cannot be written", "", std::size_t(-1), writing + "standard output", false, 4000},
  };
  for (const Case& c : cases) {
    ScriptedConsole console(fileAnswers("p", 200));
    MemoryFileSystem fs;
    fs.put("p.dat", kGood);
    if (!c.unusable.empty()) fs.makeUnreadable(c.unusable);
    fs.setCapacity(c.room);
    console.setOutCapacity(c.screen);
    EXPECT_EQ(runKorvelin(console, fs), 1) << c.kind;
    const auto masked = [](const std::string& text) {
      return std::regex_replace(text, std::regex("status +-?[0-9]+"), "status <n>");
    };
    const std::string out = masked(console.stdoutText());
    EXPECT_FALSE(fs.scratchLeft()) << c.kind;
    if (c.screen != std::size_t(-1)) {
      EXPECT_EQ(out.size(), c.screen) << c.kind;
      EXPECT_EQ(masked(console.stderrText()), c.message + "\n") << c.kind;
      EXPECT_TRUE(fs.contents("p.out").ends_with("\n" + ruler() + "\n")) << c.kind;
      continue;
    }
    EXPECT_TRUE(out.ends_with(c.message + "\n" + ruler() + "\n")) << c.kind << "\n" << out;
    EXPECT_EQ(console.stderrText(), c.toErr ? ruler() + "\n" : "") << c.kind;
    if (c.room != std::size_t(-1)) {
      EXPECT_EQ(fs.contents("p.out").size(), c.room) << c.kind;  // filled, and no more
    }
  }
  // No scratch file: the message, and the program stops at once; the old
  // report it was to overwrite stays.
  ScriptedConsole console(with({"p", "f", "", "o", "z"}, Strings(200, "")));
  MemoryFileSystem fs;
  fs.put("p.dat", kGood);
  fs.put("p.out", "old report\n");
  fs.failScratch();
  EXPECT_EQ(runKorvelin(console, fs), 1);
  const auto out = lines(console.stdoutText());
  ASSERT_FALSE(out.empty());
  EXPECT_TRUE(out.back().starts_with(" ** Error opening direct access file 20, cause = ")) << out.back();
  EXPECT_EQ(count(console.stdoutText() + console.stderrText(), ruler()), 0);
  EXPECT_EQ(fs.contents("p.out"), "old report\n");
  EXPECT_FALSE(fs.scratchLeft());

  // Memory that runs out in the middle of the report: the message on
  // standard error, and the report ends with it and the ruler.
  ScriptedConsole oom(fileAnswers("p", 200));
  MemoryFileSystem disk;
  disk.put("p.dat", kGood);
  disk.beforeWrite = [](const std::string&, std::size_t line) {
    if (line == 30) throw std::bad_alloc();
  };
  EXPECT_EQ(runKorvelin(oom, disk), 1);
  EXPECT_EQ(oom.stderrText(), " ** The run stopped: memory exhausted\n");
  EXPECT_TRUE(disk.contents("p.out").ends_with("\n ** The run stopped: memory exhausted\n" + ruler() + "\n"))
      << disk.contents("p.out");
  EXPECT_FALSE(disk.scratchLeft());
}

}  // namespace
}  // namespace korvelin::testing
