// The HTML page of every worked example, run in memory: the lanes and bands
// of the page against the JSON document of the same run, without a browser.

#include <gtest/gtest.h>

#include "export/html_report.h"
#include "html_pages.h"

namespace korvelin::testing {
namespace {

// Every example, a reference run of twenty DNA hypotheses (a section each)
// and a sample that lacks a phenotype (a ghost lane).
TEST(HtmlReportExamples, LanesAndBandsMatchTheJsonOfTheRun) {
  std::vector<std::pair<std::string, RenderedRun>> pages;
  for (const ShippedRun& example : shippedRuns(KORVELIN_EXAMPLES))
    pages.emplace_back(example.name, renderRun(example.files, example.answers));
  EXPECT_GE(pages.size(), 7u);
  const ShippedRun twenty = shippedRun("", KORVELIN_TESTS_DIR, "conformance/rand-014");
  pages.emplace_back(twenty.name, renderRun(twenty.files, twenty.answers));
  EXPECT_EQ(pages.back().second.transcript.results.hypotheses.size(), 20u);
  pages.emplace_back("missing phenotype", renderMissingPhenotype());
  EXPECT_EQ(pages.back().second.transcript.results.hypotheses.at(0).missingPhenotypes.size(), 1u);
  for (const auto& [name, run] : pages) {
    SCOPED_TRACE(name);
    EXPECT_EQ(run.transcript.status, name == twenty.name ? 3 : 0);  // that run fills the register
    EXPECT_FALSE(run.transcript.results.hypotheses.empty());
    EXPECT_EQ(shapeMismatch(run.json, pageShape(run.html), kMaxGhostLanes), "");
  }
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
