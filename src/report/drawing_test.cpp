#include "report/drawing.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "harness.h"
#include "run/memory_platform.h"

namespace korvelin {
namespace {

// Draws the patterns (one 0/1 string each), seen `seen` times in turn, to
// `unit`; with `split`, as a split trial in which Ezone `split` was split.
struct Gel {
  ScriptedConsole console{std::vector<std::string>(8, "")};
  MemoryFileSystem fs;
  Session s{console, fs};
  State& st = s.state();

  Gel(const std::vector<std::string>& patterns, std::vector<int> seen, int unit = kConsoleUnit, int begin = 1,
      int split = 0) {
    st.u = unit;
    st.begin = begin;
    st.nzymos = static_cast<int>(patterns.size());
    st.nzones = static_cast<int>(patterns[0].size());
    st.dosplt = split != 0 ? 1 : 0;
    st.isplit = split;
    if (split != 0) st.shwspl(split) = st.shwspl(st.nzones) = 'x';  // the added Ezone is the last
    for (int p = 1; p <= st.nzymos; ++p) {
      st.nsampsz += st.nzymo(p) = seen[static_cast<std::size_t>(p - 1) % seen.size()];
      for (int z = 1; z <= st.nzones; ++z) st.zsum(z) += st.m(p, z) = patterns[p - 1][z - 1] - '0';
    }
    int status = 0;
    if (unit == kFileUnit) s.setOutput(fs.openWrite("gel.out", WriteMode::Create, status));
    drwzym(s);
  }
  std::string out() const { return console.stdoutText(); }
  std::string file() const { return fs.contents("gel.out"); }
};

const std::string kPause = " <Press Return to continue>\n";
const std::string kTitle =
    "  \n Schematic representation of banding patterns - \n Elementary zones (Ezones) numbered consecutively :\n";
const std::string kPicture =
    "  \n"
    " Pattern  [RowSum]  1  2  3  4\n"
    " _____________________________\n"
    " Ezone  1   [  3]   -  -     -\n"
    " Ezone  2   [  3]      -  -  -\n"
    " Ezone  3   [  2]   -        -\n"
    " _____________________________\n"
    " No.found   [ 12]   5  2  1  4\n";

TEST(Drawing, WorkedExampleOnEachUnit) {
  const std::vector<std::string> lanes = {"101", "110", "010", "111"};
  EXPECT_EQ(Gel(lanes, {5, 2, 1, 4}).out(), kTitle + kPicture);
  const Gel first(lanes, {5, 2, 1, 4}, kFileUnit);
  EXPECT_EQ(first.file(), kTitle + kPicture);
  EXPECT_EQ(first.out(), kTitle + kPicture);
  // After the first report the picture goes to the file only.
  const Gel later(lanes, {5, 2, 1, 4}, kFileUnit, 0);
  EXPECT_EQ(later.file(), kPicture);
  EXPECT_EQ(later.out(), "");
  EXPECT_NE(Gel({"1", "0"}, {1000, 2}).out().find(" No.found   [***] ***  2\n"), std::string::npos);
}

// The single-Ezone block of pattern n alone: short labels, no row sum.
std::string lastBlock(int n) {
  const std::string rule = " " + std::string(20, '_') + "\n";
  return "  \n Pattern           " + std::to_string(n) + "\n" + rule + " Ezone  1           -\n" + rule +
         " No.found           1\n";
}

TEST(Drawing, BlocksOfSixteenAndTheirPauses) {
  std::string ones;
  for (int p = 0; p < 16; ++p) ones += "  1";
  struct Case {
    int patterns, unit, begin;
    long pauses;
    std::string tail;  // how the report unit's text ends
  } const cases[] = {
      {16, kConsoleUnit, 1, 0, " No.found   [ 16] " + ones + "\n"},
      {17, kConsoleUnit, 1, 1, "  1  1\n" + kPause + lastBlock(17)},
      {17, kFileUnit, 1, 1, "  1  1\n" + lastBlock(17)},  // the pause only in the console's copy
      {33, kConsoleUnit, 1, 2, "  1\n\n" + kPause + lastBlock(33)},
      {33, kFileUnit, 1, 3, "  1\n\n" + lastBlock(33)},
      {33, kFileUnit, 0, 0, "  1\n\n" + lastBlock(33)},
  };
  for (const auto& tc : cases) {
    std::vector<std::string> lanes;
    for (int p = 1; p <= tc.patterns; ++p) lanes.push_back(p % 2 == 1 ? "1" : "0");
    const Gel gel(lanes, {1}, tc.unit, tc.begin);
    const std::string text = tc.unit == kFileUnit ? gel.file() : gel.out();
    EXPECT_TRUE(text.ends_with(tc.tail)) << tc.patterns << " on unit " << tc.unit << ":\n" << text;
    EXPECT_EQ(std::ranges::count(testing::lines(gel.out()), kPause.substr(0, kPause.size() - 1)), tc.pauses);
    if (tc.unit == kFileUnit && tc.begin == 1) {
      EXPECT_TRUE(gel.out().ends_with(kPause + lastBlock(tc.patterns)));
    }
  }
}

TEST(Drawing, AddedEzoneFollowsTheSplitOne) {
  // No title, rule or found line while splitting.
  EXPECT_EQ(Gel({"1001001", "0101010"}, {1}, kConsoleUnit, 0, 4).out(),
            "  \n"
            " Pattern  [RowSum]  1  2\n"
            " _______________________\n"
            " Ezone  1   [  1]   -   \n"
            " Ezone  2   [  1]      -\n"
            " Ezone  3   [  0]       \n"
            " Ezone  4x  [  2]   -  -\n"
            " Ezone  7x  [  1]   -   \n"
            " Ezone  5   [  0]       \n"
            " Ezone  6   [  1]      -\n");
}

// Every Ezone fixed or empty: no candidate, so after the picture and its
// pause only the ruler follows.
TEST(Drawing, RunWithoutCandidateEndsAfterThePicture) {
  const auto t = testing::runSession({{"flat.dat", testing::patternFile({"0110", "0110"})}},
                                     testing::consoleAnswers("flat"));
  EXPECT_EQ(t.status, 0);
  EXPECT_EQ(t.answersRead, 5u);  // three dialogue answers and two pauses
  EXPECT_TRUE(t.out.ends_with(" No.found   [  2]   2\n" + kPause + std::string(66, '=') + "\n"));
  EXPECT_FALSE(testing::scratchLeft(t));
}

}  // namespace
}  // namespace korvelin
