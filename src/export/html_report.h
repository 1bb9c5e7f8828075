#pragma once
// The results of a run as one self-contained HTML5 page: a header, the
// observed gel, a summary table of the hypotheses, and one section per
// hypothesis with the gel coloured by the origin of every band, a legend,
// the missing phenotypes as ghost lanes and the genotype of every lane.
// Inline SVG and CSS only (no scripts, fonts or other files). Reads only the
// results model and the sample.
//
// The page carries a structure that programs can check (described in the
// guide, "The HTML report"): every lane is an SVG group with class "lane"
// (a ghost lane: "lane missing") and data-pattern (its 0/1 string); every
// band a shape with class "band" and data-ezone, and inside a hypothesis
// section data-origin (its origin codes, see originCode); every hypothesis
// section has data-hypothesis (its number).

#include <ctime>
#include <string>
#include <string_view>

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

// The short code of a band's origin: loci as letters (locus 1 = A), alleles
// by number with 0 for the null allele. "A1" homomeric band of locus 1,
// allele 1; "A1xA2" intralocus and "A1xB2" interlocus heteromeric band;
// "A1*m1" the first modified form of allele 1 of locus 1; "fixed", "empty"
// and "unexplained" for the Ezones no allele explains.
std::string originCode(const BandOrigin& origin);
// The same origin in words, for hover titles and the legend.
std::string originWords(const BandOrigin& origin);
// The letter of a locus (1 = A, ..., 26 = Z, then L27, L28, ...).
std::string locusLetter(int locus);

// A moment as the page shows the run's date and time ("2026-12-07 19:58 UTC",
// in local time with its zone).
std::string runTimeText(std::time_t when);

// Text made safe for HTML content and attribute values.
std::string htmlEscape(std::string_view text);

}  // namespace korvelin
