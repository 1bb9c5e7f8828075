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

}  // namespace
}  // namespace korvelin::testing
