// Whole sessions through the start-up dialogue and every way a run can end.

#include <gtest/gtest.h>

#include "harness.h"
#include "run/format.h"
#include "run/memory_platform.h"
#include "run/run.h"

namespace korvelin::testing {
namespace {

// Two hypotheses, so the second report is announced by "For results see".
const std::string kPat = "3\n(3I1)\n110\n011\n111\n010\n9\n";
const std::string kTop = " ." + std::string(59, '-') + ".";
const std::string kRuler = ruler() + "\n";

std::vector<std::string> with(std::vector<std::string> answers, int pauses) {
  answers.insert(answers.end(), static_cast<std::size_t>(pauses), "");
  return answers;
}

int count(const std::string& text, const std::string& what) {
  int n = 0;
  for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

bool endsWith(const std::string& text, const std::string& tail) {
  return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

TEST(Dialogue, InputNameIsAskedAgainAndGetsDotDat) {
  const auto t = runSession({{"pat.dat", kPat}}, with({"nosuch", "   ", "pat", "S", "z"}, 200));
  EXPECT_EQ(count(t.out, ">> Name of input data file [default extension = .dat] : >> "), 3);
  EXPECT_EQ(count(t.out, " >> ** File does not exist : " + padded("nosuch.dat", 60) + "\n"), 1);
  EXPECT_EQ(count(t.out, " Input data file: " + padded("pat.dat", 60) + "\n"), 1);
  // "S" goes straight on to the pattern type, without output-file questions.
  EXPECT_EQ(count(t.out, "File+Screen=\"f\" [default=\"f\"] : >> \n >> Type of pattern?:\n"), 1);
  EXPECT_EQ(t.files.size(), 1u);
}

TEST(Dialogue, NameWithADotIsUsedUnchanged) {
  const auto t = runSession({{"pat", kPat}}, fileAnswers("./pat"));
  EXPECT_EQ(count(t.out, " >> Name of output file [default = ./out] ? : \n"), 1);
  ASSERT_EQ(t.files.count("out"), 1u);
  EXPECT_EQ(count(t.files.at("out"), " Input data file: ./pat "), 1);
}

TEST(Dialogue, ExistingOutputFileIsAppendedToOrOverwritten) {
  for (const std::string answer : {"", "a", "x", "o", "O"}) {
    const bool append = answer != "o" && answer != "O";
    const auto t =
        runSession({{"pat.dat", kPat}, {"pat.out", "OLD 1\nOLD 2"}}, with({"pat", "f", "", answer, "z"}, 200));
    EXPECT_EQ(count(t.out, " ** Already exists : \n    " + padded("pat.out", 60) + "\n"), 1);
    const std::string& file = t.files.at("pat.out");
    EXPECT_EQ(file.rfind(append ? "OLD 1\nOLD 2\n" + kTop : kTop, 0), 0u) << answer;
    EXPECT_EQ(count(file, "OLD"), append ? 2 : 0);
    // The banner once in each place; the input name line in the file only.
    EXPECT_EQ(count(file, kTop), 1);
    EXPECT_EQ(count(t.out, kTop), 1);
    EXPECT_EQ(count(file, "_|\n Input data file: " + padded("pat.dat", 60) + "\n  \n"), 1);
    EXPECT_EQ(count(t.out, "Input data file"), 0);
    EXPECT_TRUE(endsWith(file, kRuler));
  }
}

TEST(Dialogue, OutputNameIsShownUpToItsFirstBlank) {
  const auto t = runSession({{"pat.dat", kPat}}, with({"pat", "f", "my out", "z"}, 200));
  ASSERT_EQ(t.files.count("my out"), 1u);
  EXPECT_EQ(count(t.out, " For results see output file <my>\n"), 1);
}

// The answers of a console run up to the offer to search for overlapping Ezones.
std::vector<std::string> toOffer() {
  const int pauses = static_cast<int>(runSession({{"pat.dat", kPat}}, consoleAnswers("pat")).answersRead) - 4;
  return with({"pat", "s", "z"}, pauses);
}

TEST(Ends, EndOfKeyboardInputAtEveryQuestionEndsTheRun) {
  const auto offer = toOffer();
  auto menu = offer, maxN = offer;
  menu.push_back("y");
  maxN.insert(maxN.end(), {"y", "0"});
  // The dialogue's own reads report a failed read; until it has chosen the
  // report unit the ruler goes to standard error as well.
  const std::string closed = " ** End of input - no answer can be read; the run ends";
  const std::string answer = "  while reading answer", name = "  while reading file name";
  struct Case { std::vector<std::string> answers; std::string message; bool toErr; };
  const Case cases[] = {
      {{}, closed, true}, {{"pat"}, answer, true}, {{"pat", "f"}, name, true}, {{"pat", "f", ""}, answer, true},
      {{"pat", "f", "", "a"}, closed, false}, {{"pat", "s"}, closed, false}, {{"pat", "s", "z"}, closed, false},
      {{"pat", "s", "z", ""}, closed, false}, {offer, closed, false}, {menu, closed, false}, {maxN, closed, false}};
  for (const Case& c : cases) {
    const auto t = runSession({{"pat.dat", kPat}, {"pat.out", ""}}, c.answers);
    EXPECT_EQ(t.answersRead, c.answers.size());
    EXPECT_TRUE(endsWith(t.out, c.message + "\n" + kRuler)) << c.answers.size();
    EXPECT_EQ(t.err, c.toErr ? kRuler : "") << c.answers.size();
    EXPECT_FALSE(scratchLeft(t)) << c.answers.size();
  }
}

TEST(Ends, EveryOrderlyEndRemovesTheScratchFile) {
  const auto offer = toOffer();
  auto stop = offer, retry = offer, all = offer;
  stop.push_back("n");
  retry.insert(retry.end(), {"y", "abc", "y", "", "-1"});
  all.insert(all.end(), {"y", "0", "2"});
  all = with(all, 200);
  const std::vector<std::pair<std::string, std::vector<std::string>>> cases = {
      {kPat, stop}, {kPat, retry}, {kPat, all}, {"2\n(2I1)\n11\n", consoleAnswers("pat")}};
  for (const auto& [data, answers] : cases) {
    const auto t = runSession({{"pat.dat", data}}, answers);
    EXPECT_EQ(count(t.out, "End of input"), 0);
    EXPECT_TRUE(endsWith(t.out, kRuler));
    EXPECT_EQ(t.status, 0);
    EXPECT_FALSE(scratchLeft(t));
  }
  // A number answer that is no number shows the menu again; empty lines are skipped.
  EXPECT_EQ(count(runSession({{"pat.dat", kPat}}, retry).out, ">> Which Ezone should be split"), 3);
}

TEST(Ends, ScratchFileThatCannotBeOpenedStopsAtOnce) {
  ScriptedConsole console(consoleAnswers("pat"));
  MemoryFileSystem fs;
  fs.put("pat.dat", kPat);
  fs.failScratch();
  EXPECT_EQ(runKorvelin(console, fs), 0);
  const auto out = lines(console.stdoutText());
  ASSERT_FALSE(out.empty());
  EXPECT_EQ(out.back().rfind(" ** Error opening direct access file 20, cause = ", 0), 0u) << out.back();
  EXPECT_EQ(count(console.stdoutText() + console.stderrText(), ruler()), 0);
}

}  // namespace
}  // namespace korvelin::testing
