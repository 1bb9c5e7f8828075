// The search for overlapping Ezones as the user meets it: the offer, the
// Ezone menu, the requests and their totals, in whole console sessions.

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "harness.h"

namespace korvelin::testing {
namespace {

const std::vector<std::string> kFixedMiddle = {"010", "111", "011"};  // Ezone 2 fixed
const std::vector<std::string> kFixedLast = {"101", "011", "111"};    // Ezone 3 fixed
// Ezones 1 and 4 fixed; 2 and 3 one class; 6 with a band in one pattern.
const std::vector<std::string> kTwoFixed = {"111100", "111110", "100111"};

// A console session: the dialogue, the pauses of the first pass, the answer
// to the offer, then each number answer after plenty of empty lines for the
// pauses of the trials before it (a number question skips empty lines).
Transcript session(const std::vector<std::string>& patterns, const std::string& offer,
                   const std::vector<std::string>& numbers) {
  const std::map<std::string, std::string> files{{"s.dat", patternFile(patterns)}};
  const auto probe = lines(runSession(files, consoleAnswers("s.dat", 200)).out);
  auto answers = consoleAnswers("s.dat", int(std::count(probe.begin(), probe.end(), " <Press Return to continue>")));
  answers.push_back(offer);
  for (const auto& n : numbers) {
    answers.insert(answers.end(), 1000, "");
    answers.push_back(n);
  }
  answers.insert(answers.end(), 1000, "");
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

std::vector<std::string> totals(const std::string& out) {
  std::vector<std::string> found;
  for (const auto& line : lines(out))
    if (line.rfind(" Total number of hypotheses found =", 0) == 0) found.push_back(line.substr(35));
  return found;
}

const char* kMenu = ">> Which Ezone should be split into two new Ezones?";

TEST(Splitting, OfferAcceptsYesInEnglishAndGerman) {
  for (const auto& [answer, yes] : std::vector<std::pair<std::string, bool>>{
           {"y", true}, {"j", true}, {"J", true}, {"", false}, {"n", false}}) {
    SCOPED_TRACE("answer '" + answer + "'");
    const Transcript t = session(kFixedMiddle, answer, {"-1"});
    EXPECT_EQ(t.out.find(kMenu) != std::string::npos, yes);
    EXPECT_EQ(t.status, 0);
    EXPECT_FALSE(scratchLeft(t));
  }
}

TEST(Splitting, MenuRefusesNumbersAndComesBackAfterEachOneEzoneRequest) {
  const std::string out = session(kFixedMiddle, "y", {"-2", "4", "1", "2", "4", "-1"}).out;
  EXPECT_TRUE(inOrder(out, {" ** No Ezone           -2  exists - Try again **\n",
                            " ** No Ezone            4  exists - Try again **\n",
                            " Running through possible combinations of Ezone overlap ...\n",
                            // Ezone 1 has a band in one pattern only: the menu comes back at once.
                            kMenu,
                            // The next request still gets its first trial.
                            " Splitting Ezone  2: Combination      1 of      12, Code = 001\n", " Hypothesis   2:",
                            " Splitting Ezone  2: Combination     12 of      12, Code = 122\n", kMenu,
                            // The added Ezone is accepted now, but the input has no band there.
                            " ** Ezone   4 is empty in all patterns\n", kMenu,
                            "==================================================================\n"}));
  // No totals after the first request; the others count every hypothesis so far.
  EXPECT_EQ(totals(out), (std::vector<std::string>{"  1", "  2", "  2"}));
}

TEST(Splitting, AllEzonesStartWithTheFixedOnesAndGoOnToTheLastClass) {
  struct Case {
    std::vector<std::string> patterns;
    std::string maximalN;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {kTwoFixed, "1",
       {" ** Ezone  1: Band appears in   3 patterns (more than max. N =  1)\n ** Splitting this Ezone is infeasible\n",
        " ** Ezone  4: Equivalent to splitting Ezone  1\n", " ** Ezone  2: Band appears in   2 patterns (more"}},
      // 8 is not below the largest N, so every Ezone with up to 8 bands is split.
      {kTwoFixed, "8",
       {" Splitting Ezone  1: Combination     12 of      12", " ** Ezone  4: Equivalent to splitting Ezone  1\n",
        " Splitting Ezone  2: Combination      3 of       3", " ** Ezone  3: Equivalent to splitting Ezone  2\n",
        " Splitting Ezone  5: Combination      3 of       3"}},
      // The last Ezone of the input is the only fixed one: the classes still follow.
      {kFixedLast, "8",
       {" Splitting Ezone  3: Combination     12 of      12", " Splitting Ezone  1: Combination      3 of       3",
        " Splitting Ezone  2: Combination      3 of       3"}},
  };
  for (const Case& c : cases) {
    const Transcript t = session(c.patterns, "y", {"0", c.maximalN});
    EXPECT_TRUE(inOrder(t.out, c.expected)) << c.maximalN;
    EXPECT_EQ(t.out.find("Splitting Ezone  6"), std::string::npos);  // a band in one pattern only
    EXPECT_EQ(totals(t.out).size(), 2u);  // the run ends with the request
  }
}

TEST(Splitting, FileWithTwentyTwoEzonesCanBeSplit) {
  // Two loci with two codominant alleles, each band five Ezones wide; Ezone 1
  // in every pattern and Ezone 22 in two.
  std::vector<std::string> patterns;
  for (const std::string a : {"1111100000", "1111111111", "0000011111"})
    for (const std::string b : {"1111100000", "1111111111", "0000011111"})
      patterns.push_back("1" + a + b + (patterns.size() < 2 ? "1" : "0"));
  const std::string out = session(patterns, "y", {"1", "22", "23", "-1"}).out;
  EXPECT_TRUE(inOrder(out, {" ** Ezone  1: Band appears in   9 patterns (more than max. N =  8)\n", kMenu,
                            " Splitting Ezone 22: Combination      3 of       3, Code = 12\n",
                            " Ezone 22x  [  1]   -   ", " Ezone 23x  [  1]      -", " Total number", kMenu,
                            " ** Ezone  23 is empty in all patterns\n", " Total number"}));
}

}  // namespace
}  // namespace korvelin::testing
