#include "input/indata.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "harness.h"
#include "run/format.h"
#include "run/memory_platform.h"

namespace korvelin {
namespace {

using testing::lines;

// What `indata` left: the console lines after the heading (after the input
// name lines when the run ended before it), and the pattern counts.
struct Read {
  std::vector<std::string> shown;
  bool ended = false;
  int nsampsz = 0;
  std::vector<int> nzymo;
};

Read readFile(const std::string& text) {
  ScriptedConsole console({});
  MemoryFileSystem fs;
  fs.put("p.dat", text);
  Session s(console, fs);
  State& st = s.state();
  st.u = kConsoleUnit;
  st.infil = "p.dat";
  int status = 0;
  s.setInput(fs.openRead("p.dat", status));
  Read r;
  try {
    indata(s);
  } catch (const RunEnded&) {
    r.ended = true;
  }
  const auto out = lines(console.stdoutText());
  const std::string heading = " Banding patterns as input (each line represents a pattern):";
  auto from = std::find(out.begin(), out.end(), heading);
  r.shown.assign(from == out.end() ? out.begin() + 2 : from + 1, out.end());
  r.nsampsz = st.nsampsz;
  for (int p = 1; p <= st.nzymos; ++p) r.nzymo.push_back(st.nzymo(p));
  return r;
}

// The redundancy note for a one-digit count.
std::string note(int n) {
  return " Note: Original data contained   " + std::to_string(n) + " patterns more than once (redundant)";
}

TEST(Indata, PatternsAreStoredOnceCountedAndEchoed) {
  struct Case { std::string file; std::vector<std::string> shown; std::vector<int> nzymo; int nsampsz; };
  const Case cases[] = {
      {"4\n(4I1)\n1010\n0110\n1010\n9\n", {" 1010", " 0110", note(1)}, {2, 1}, 3},
      {"4\n(4I1)\n1010\n0110\n1010", {" 1010", " 0110", note(1)}, {2, 1}, 3},  // no end line
      {"\xEF\xBB\xBF" "4\r\n(4I1)\r\n1010\r\n0110\r\n1010\r\n9\r\n", {" 1010", " 0110", note(1)}, {2, 1}, 3},
      {"3\n(3I1)\n101\n101\n101\n101\n", {" 101", note(3)}, {4}, 4},
      {"3\n(3I1)\n100\n100\n120\n011\n", {" 100", note(1)}, {2}, 2},  // a 2 ends the data
      {"3\n(3I1)\n100\n901\n011\n", {" 100"}, {1}, 1},                // so does a leading 9
      {"22\n(22I1)\n" + std::string(22, '1') + "\n", {" " + std::string(22, '1')}, {1}, 1},
      {"3\n(3I1)\n", {}, {}, 0},
      {"3\n(3I1)\n9\n", {}, {}, 0},
      // Ten Ezones through (5I1): each pattern spans two lines, so does its echo.
      {"10\n(5I1)\n10100\n00011\n01000\n11000\n10100\n00011\n",
       {" 10100", "00011", " 01000", "11000", note(1)}, {2, 1}, 3},
  };
  for (const Case& c : cases) {
    const Read r = readFile(c.file);
    EXPECT_FALSE(r.ended) << c.file;
    EXPECT_EQ(r.shown, c.shown) << c.file;
    EXPECT_EQ(r.nzymo, c.nzymo) << c.file;
    EXPECT_EQ(r.nsampsz, c.nsampsz) << c.file;
  }
}

std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }
const std::string kName = "  of p.dat" + blanks(55);

// The counter in ten blanks and a digit; the error status is left open.
std::string endOfFile(int line) {
  return " ** End-of-file found in line  " + blanks(10) + std::to_string(line) + kName;
}
std::string readError(int line) { return "  in READing line  " + blanks(10) + std::to_string(line) + kName; }

TEST(Indata, BadFilesEndTheRunWithAMessageAndTheRuler) {
  std::string many = "6\n(6I1)\n";
  for (int p = 0; p < 51; ++p) {
    for (int z = 5; z >= 0; --z) many += static_cast<char>('0' + (p >> z & 1));
    many += '\n';
  }
  struct Case { std::string file; std::string head; std::string tail; };
  const std::string status = " ** Error  status  ";
  const Case cases[] = {
      {"", endOfFile(1), ""},
      {"3\n", endOfFile(2), ""},
      {"x\n(1I1)\n", status, readError(1)},
      {"0\n(1I1)\n", " ** Line 1 of p.dat gives 0 Ezones; KORVELIN handles 1 to 22 Ezones", ""},
      {"23\n(23I1)\n", " ** Line 1 of p.dat gives 23 Ezones; KORVELIN handles 1 to 22 Ezones", ""},
      {many, " ** p.dat holds more than 50 different patterns; KORVELIN handles at most 50", ""},
      {"3\n(3I1)\n101\n1a1\n", status, readError(4)},
      {"3\n(3Q1)\n101\n", status, readError(3)},
      // The counter counts patterns: the letter is on the sixth line of the file.
      {"10\n(5I1)\n10100\n00011\n01000\n1x000\n", status, readError(4)},
  };
  EXPECT_EQ(readFile(many.substr(0, many.size() - 7)).nzymo.size(), 50u);  // 50 still fit
  for (const Case& c : cases) {
    const Read r = readFile(c.file);
    ASSERT_TRUE(r.ended) << c.file;
    ASSERT_GE(r.shown.size(), 2u) << c.file;
    const std::string& message = r.shown[r.shown.size() - 2];
    if (c.tail.empty()) {
      EXPECT_EQ(message, c.head);
    } else {
      EXPECT_EQ(message.substr(0, c.head.size()), c.head);
      EXPECT_TRUE(message.size() > c.head.size() + c.tail.size() &&
                  message.substr(message.size() - c.tail.size()) == c.tail) << message;
    }
    EXPECT_EQ(r.shown.back(), ruler()) << c.file;
  }
}

}  // namespace
}  // namespace korvelin
