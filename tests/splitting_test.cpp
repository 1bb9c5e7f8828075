// The search for overlapping Ezones: the trials of one Ezone, and as the
// user meets it, the offer, the Ezone menu, the requests and their totals in
// whole console sessions. The all-Ezones order from the fixed Ezones on and
// the maximal N are pinned by a golden transcript.

#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "harness.h"
#include "input/initia.h"
#include "relations/logary.h"
#include "base/format.h"
#include "split/split.h"

namespace korvelin::testing {
namespace {

// A console session: the dialogue, the pauses of the first pass, the answer
// to the offer, then each number answer after enough empty lines for the
// pauses of the trials before it (a number question skips empty lines, 99
// of them at most).
Transcript session(const std::vector<std::string>& patterns, const std::string& offer,
                   const std::vector<std::string>& numbers) {
  const std::map<std::string, std::string> files{{"s.dat", patternFile(patterns)}};
  auto answers = answersBeforeOffer(files, consoleAnswers("s.dat"));
  answers.push_back(offer);
  for (const auto& n : numbers) {
    answers.resize(answers.size() + 99);
    answers.push_back(n);
  }
  answers.resize(answers.size() + 99);
  return runSession(files, answers);
}

// Whether every text occurs in `out`, each after the one before it.
::testing::AssertionResult inOrder(const std::string& out, const std::vector<std::string>& texts) {
  std::size_t at = 0;
  for (const auto& text : texts) {
    at = out.find(text, at);
    if (at == std::string::npos) return ::testing::AssertionFailure() << "missing or out of order: '" << text << "'";
    at += text.size();
  }
  return ::testing::AssertionSuccess();
}

// A one-Ezone request on Ezone 1, which has a band in the first n of n + 1
// patterns (Ezone 2 only in the last one): the number of every trial, and
// those in which neither new Ezone implies the other (the only ones a pass
// analyses; the others it stops at once as redundant).
struct Request : testing::Rig {
  explicit Request(int n) {
    st.begin = 0;
    st.nzyori = st.nzymos = n + 1;
    for (int k = 1; k <= n; ++k) st.mori(k, 1) = 1;
    st.mori(n + 1, 2) = 1;
    st.nznori = 2, st.nzones = 3;
    st.nsplit = st.isplit = st.class_(1, 1) = st.dosplt = 1;
    st.csplit = -2, st.ttlcmb = -100, st.nlimit = 8;
    while ((last = split(s)) == SplitStep::TrialReady) {
      initia(st);
      logary(st);
      trials.push_back(st.ncomb);
      if (!st.imply(1, 3) && !st.imply(3, 1)) analysed.push_back(st.ncomb);
    }
  }
  std::vector<int> trials, analysed;
  SplitStep last;
};

TEST(Split, CombinationsAreTriedInAscendingOrderWithoutTrivialOrMirroredOnes) {
  const std::tuple<int, std::size_t, std::vector<int>, std::vector<int>> cases[] = {
      {1, 0, {}, {}},
      {2, 3, {1, 3, 5}, {5}},
      {3, 12, {1, 3, 4, 5, 9, 10, 11, 12, 14, 15, 16, 17}, {5, 11, 14, 15, 16, 17}},
      {8, 3279, {}, {}},  // listed for small n only
  };
  for (const auto& [n, size, trials, analysed] : cases) {
    const Request r(n);
    EXPECT_EQ(r.trials.size(), size) << n;
    if (n <= 3) {
      EXPECT_EQ(r.trials, trials);
      EXPECT_EQ(r.analysed, analysed);
    }
    EXPECT_TRUE(r.last == SplitStep::Exhausted && r.st.dosplt == 2);
  }
}

const std::string kMenu = ">> Which Ezone should be split into two new Ezones?";

// Numbers the menu refuses are in the table of bad inputs.
TEST(Splitting, MenuComesBackAfterEachOneEzoneRequest) {
  // Ezone 2 fixed; "J" is yes.
  const std::string out = session({"010", "111", "011"}, "J", {"1", "2", "4", "-1"}).out;
  const std::string total = " Total number of hypotheses found =  ";
  EXPECT_TRUE(inOrder(out, {total + "1\n", kMenu, " Running through possible combinations of Ezone overlap ...\n",
                            // Ezone 1 has a band in one pattern only: the menu comes back at
                            // once, without totals.
                            kMenu,
                            // The next request still gets its first trial.
                            " Splitting Ezone  2: Combination      1 of      12, Code = 001\n", " Hypothesis   2:",
                            " Splitting Ezone  2: Combination     12 of      12, Code = 122\n", total + "2\n", kMenu,
                            // The added Ezone is accepted now, but the input has no band there.
                            " ** Ezone   4 is empty in all patterns\n", total + "2\n", kMenu, ruler()}));
  // Totals count every hypothesis of the run so far.
  EXPECT_EQ((std::array{count(out, kMenu), count(out, total)}), (std::array{4, 3}));
}

// The last Ezone of the input is the only fixed one, so the all-Ezones
// request visits it first; the classes still follow.
TEST(Splitting, AllEzonesGoOnPastTheLastInputEzone) {
  const std::string out = session({"101", "011", "111"}, "y", {"0", "8"}).out;
  EXPECT_TRUE(inOrder(out, {" Splitting Ezone  3: Combination     12 of      12",
                            " Splitting Ezone  1: Combination      3 of       3",
                            " Splitting Ezone  2: Combination      3 of       3"}));
  EXPECT_EQ(count(out, " Total number of hypotheses found"), 2);  // the run ends with the request
}

TEST(Splitting, FileWithTwentyTwoEzonesCanBeSplit) {
  // Two loci with two codominant alleles, each band five Ezones wide; Ezone 1
  // in every pattern and Ezone 22 in two.
  std::vector<std::string> patterns;
  for (const std::string a : {"1111100000", "1111111111", "0000011111"})
    for (const std::string b : {"1111100000", "1111111111", "0000011111"})
      patterns.push_back("1" + a + b + (patterns.size() < 2 ? "1" : "0"));
  const std::string out = session(patterns, "j", {"1", "22", "-1"}).out;
  // A one-Ezone request is bounded by the largest N the program allows.
  EXPECT_TRUE(inOrder(out, {" ** Ezone  1: Band appears in   9 patterns (more than max. N =  8)\n", kMenu,
                            " Splitting Ezone 22: Combination      3 of       3, Code = 12\n",
                            " Ezone 22x  [  1]   -   ", " Ezone 23x  [  1]      -", " Total number", kMenu}));
}

}  // namespace
}  // namespace korvelin::testing
