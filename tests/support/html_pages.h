#pragma once
// A worked example run in memory from its answers file, with the HTML page
// of that run, and what the page's tags say: for the tests of the HTML report
// and of the pages in a browser.

#include <string>

#include "harness.h"

namespace korvelin::testing {

struct RenderedRun {
  Transcript transcript;
  std::string html;
};

// A session of these files and answers, with its page.
RenderedRun renderRun(const std::map<std::string, std::string>& files, const std::vector<std::string>& answers);

}  // namespace korvelin::testing

namespace korvelin::testing {

// The checkable structure of a page, as its tags say: sections (the observed
// gel has hypothesis 0), their lanes and the bands inside them.
struct PageBand {
  int ezone = 0;
  std::string origin;  // data-origin, empty where it has none
};
struct PageLane {
  std::string pattern;
  bool ghost = false;  // class "lane missing"
  std::vector<PageBand> bands;
};
// A bar of the chart of observed against expected individuals.
struct PageBar {
  std::string pattern;    // of its lane
  bool expected = false;  // else observed
  double count = 0;       // data-count
  double height = 0;
};
struct PageSection {
  std::string id;
  int hypothesis = 0;
  std::vector<PageLane> lanes;
  std::vector<PageBar> bars;
  int strayBands = 0;  // bands outside any lane
};
std::vector<PageSection> pageShape(const std::string& html);

// Empty when the lanes and bands of the page `html` are those of the JSON
// document of the same results (one lane per distinct pattern, a band per '1',
// a section per hypothesis drawn with ghost lanes for its missing phenotypes
// and the origin of every band; under a fitted hypothesis's gel an observed
// and an expected bar per lane with the counts of the fit, drawn to one
// scale), else the first difference.
std::string shapeMismatch(const Results& results, const Sample& sample, const std::string& html);

}  // namespace korvelin::testing
