// The HTML page of every worked example, run in memory: the lanes and bands
// of the page against the JSON document of the same run, without a browser.

#include <gtest/gtest.h>

#include "export/html_report.h"
#include "html_pages.h"

namespace korvelin::testing {
namespace {

TEST(HtmlReportExamples, LanesAndBandsMatchTheJsonOfTheRun) {
  int examples = 0;
  for (const std::string& name : exampleNames(KORVELIN_EXAMPLES)) {
    SCOPED_TRACE(name);
    ++examples;
    const RenderedRun run = renderExample(KORVELIN_EXAMPLES, name);
    ASSERT_EQ(run.transcript.status, 0);
    EXPECT_FALSE(run.transcript.results.hypotheses.empty());
    EXPECT_EQ(shapeMismatch(run.json, pageShape(run.html), kMaxGhostLanes), "");
  }
  EXPECT_GE(examples, 7);
}

// A reference run of twenty DNA hypotheses, each with its own section.
TEST(HtmlReportExamples, TwentyHypothesesTwentySections) {
  const RenderedRun run = renderCase(std::string(KORVELIN_TESTS_DIR) + "/conformance/rand-014");
  ASSERT_EQ(run.transcript.results.hypotheses.size(), 20u);
  EXPECT_EQ(shapeMismatch(run.json, pageShape(run.html), kMaxGhostLanes), "");
}

// A run whose hypothesis lacks a phenotype draws it as a ghost lane, with
// the genotype that would show it.
TEST(HtmlReportExamples, AMissingPhenotypeIsAGhostLane) {
  const RenderedRun run = renderMissingPhenotype();
  ASSERT_EQ(run.transcript.results.hypotheses.size(), 1u);
  const Hypothesis& h = run.transcript.results.hypotheses[0];
  ASSERT_EQ(h.missingPhenotypes, std::vector<std::string>{"11111"});
  EXPECT_EQ(shapeMismatch(run.json, pageShape(run.html), kMaxGhostLanes), "");
  const auto page = pageShape(run.html);
  ASSERT_FALSE(page.empty());
  ASSERT_EQ(page.back().lanes.size(), 8u);
  EXPECT_TRUE(page.back().lanes.back().ghost);
  const std::string ghost = run.html.substr(run.html.find("<g class=\"lane missing\""));
  EXPECT_NE(ghost.find(">1/2</text>"), std::string::npos);
}

// The summary table lists the hypotheses of a pass by their rank, not by
// their number, and warns when the sample is too small to rank them.
TEST(HtmlReportExamples, SummaryFollowsTheRanking) {
  const auto summaryOrder = [](const std::string& html) {
    std::vector<int> numbers;
    const auto table = html.find("<table class=\"summary\"");
    for (auto at = html.find("<tr><td class=\"num\"><a href=\"#h", table); at != std::string::npos;
         at = html.find("<tr><td class=\"num\"><a href=\"#h", at + 1))
      numbers.push_back(std::stoi(html.substr(at + 31)));
    return numbers;
  };
  // Counts that favour the second hypothesis (two loci) over the first.
  std::string data = "3\n(3I1)\n";
  for (const auto& [pattern, count] : {std::pair{"000", 16}, {"101", 48}, {"010", 12}, {"110", 24}})
    for (int i = 0; i < count; ++i) data += std::string(pattern) + "\n";
  const RenderedRun many = renderRun({{"p.dat", data + "9\n"}}, consoleAnswers("p"));
  ASSERT_EQ(many.transcript.results.hypotheses.size(), 2u);
  EXPECT_EQ(summaryOrder(many.html), (std::vector<int>{2, 1}));
  EXPECT_EQ(many.html.find("the ranking is weak"), std::string::npos);

  const RenderedRun few = renderRun({{"p.dat", "3\n(3I1)\n000\n101\n010\n110\n9\n"}}, consoleAnswers("p"));
  EXPECT_NE(few.html.find("With only 4 individuals the ranking is weak"), std::string::npos);
}

}  // namespace
}  // namespace korvelin::testing
