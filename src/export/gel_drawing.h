#pragma once
// The drawings of the HTML page, as inline SVG: a gel (its lanes, their
// bands in Ezone rows, the genotypes under them), the chart of observed
// against expected individuals under a gel's lanes, and the colours,
// textures and legend of the bands of a hypothesis. The page says what to
// draw (a GelPlan); this module says how it looks.

#include <cstddef>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "results/results.h"

namespace korvelin {

// One lane of a gel.
struct LanePlan {
  std::string pattern;                 // 0/1 over the gel's Ezones
  std::string head;                    // above the lane (its number)
  long long count = 0;                 // individuals, shown under the head
  std::string title;                   // hover text of the whole lane
  bool ghost = false;                  // a missing phenotype
  std::vector<std::string> genotypes;  // per locus
};

// A gel to draw. Its labels and titles are HTML already (escaped by the
// page); the lanes' patterns and genotypes are plain text, escaped here.
struct GelPlan {
  std::string label;                   // what the drawing shows, for readers
  int ezones = 0;
  std::vector<int> rowOrder;           // Ezones top to bottom
  std::vector<std::string> rowLabel;   // per Ezone (index z-1)
  std::vector<std::string> rowTitle;
  std::vector<std::string> rightLabel;
  std::vector<std::string> rightTitle;
  std::vector<bool> rowMarked;         // a split half: highlighted row
  std::vector<bool> rowEmpty;
  std::vector<LanePlan> lanes;
  std::vector<std::string> lociLabels; // genotype rows under the gel
  std::string defs;                    // SVG patterns of the bands (BandPaint::defs)
  // The attributes of the band in Ezone z (class, data, paint) and its title.
  std::function<std::string(int z, bool ghost)> bandAttributes;
  std::function<std::string(int z)> bandTitle;
};

std::string drawGel(const GelPlan& g);

// One row of the chart of observed against expected individuals, with a
// value per lane of the gel above it (observed lanes, then ghost lanes).
// The whole sample makes one row; a sample of several populations can give
// each its own row under the same lanes.
struct ChartRow {
  std::string label;             // what the row counts (plain text); empty for the whole sample
  std::vector<double> observed;  // individuals per lane
  std::vector<double> expected;
  std::vector<double> g;         // the lane's part of G
};

// Bars under the lanes of gel `g`: per lane the individuals observed (solid)
// and expected (outlined), side by side, one row per ChartRow, on a scale of
// their own per row; the largest parts of G carry a triangle pointing up
// where more were observed than expected, down where fewer. `label` names
// the chart for readers.
std::string drawFitChart(const GelPlan& g, const std::vector<ChartRow>& rows, const std::string& label);

// How the bands of a hypothesis are painted. One hue per locus (Okabe-Ito),
// the alleles of a locus in shades of it from dark to light, each allele
// after the first with a texture of its own; a heteromeric band striped in
// the colours of its two alleles, a modified band pale with a thick outline,
// fixed bands grey, unexplained ones hatched. Ids of the SVG patterns begin
// with `prefix`, unique on the page.
class BandPaint {
 public:
  BandPaint(const Hypothesis& h, std::string prefix);
  // The SVG patterns the bands of the hypothesis fill with (a <defs> element).
  std::string defs() const;
  // The paint attributes (fill, stroke, stroke-width) of a band of this origin.
  std::string attributes(const BandOrigin& origin) const;
  // Every origin of the hypothesis's gel once, with a swatch, its code and
  // its words; with `ghosts`, a line on how missing phenotypes are drawn.
  std::string legend(bool ghosts) const;

 private:
  const Hypothesis& h_;
  std::string prefix_;
  std::map<int, int> alleles_;  // per locus
};

}  // namespace korvelin
