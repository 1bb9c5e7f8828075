// The HTML page of a whole run in memory, without a browser: the ghost lane
// of a missing phenotype and the summary's order.

#include <gtest/gtest.h>

#include "export/html_report.h"
#include "html_pages.h"

namespace korvelin::testing {
namespace {

// A sample that lacks a phenotype: its page draws a ghost lane. (The pages of
// every shipped run are checked in results_data_test.)
TEST(HtmlReportExamples, AMissingPhenotypeIsAGhostLane) {
  const RenderedRun gap = renderMissingPhenotype();
  EXPECT_EQ(gap.transcript.results.hypotheses.at(0).missingPhenotypes.size(), 1u);
  EXPECT_EQ(shapeMismatch(gap.transcript.results, gap.transcript.sample, gap.html), "");
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
