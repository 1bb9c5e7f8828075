#pragma once
// The results of a run as one self-contained HTML5 page: a header, the
// observed gel, a summary table of the hypotheses, and one section per
// hypothesis with the gel coloured by the origin of every band, a legend,
// the missing phenotypes as ghost lanes and the genotype of every lane.
// Inline SVG and CSS only (no scripts, fonts or other files). Reads only the
// results model and the sample. The page is put together here; the drawings
// are gel_drawing's, the stylesheet html_style's and the names of the bands'
// origins band_origins'.
//
// The page carries a structure that programs can check (described in the
// guide, "The HTML report"): every lane is an SVG group with class "lane"
// (a ghost lane: "lane missing") and data-pattern (its 0/1 string); every
// band a shape with class "band" and data-ezone, and inside a hypothesis
// section data-origin (its origin codes, see originCode in band_origins.h);
// every hypothesis section has data-hypothesis (its number).

#include <ctime>
#include <string>

#include "results/sample.h"
#include "results/results.h"

namespace korvelin {

// What the page shows that is not in the results model.
struct HtmlContext {
  std::string version;   // the program's version (kVersion)
  std::string runTime;   // date and time of the run, as it should be shown
  std::string ended;     // why the run ended early; empty after a normal end
};

// Ghost lanes drawn per hypothesis at most; the rest are counted in words.
inline constexpr std::size_t kMaxGhostLanes = 60;

std::string htmlReport(const Results& results, const Sample& sample, const HtmlContext& context);

// A moment as the page shows the run's date and time ("2026-12-07 19:58 UTC",
// in local time with its zone).
std::string runTimeText(std::time_t when);

}  // namespace korvelin
