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

}  // namespace
}  // namespace korvelin::testing
