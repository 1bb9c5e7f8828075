#include "export/html_report.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <tuple>

#include "results/hypothesis_fit.h"

namespace korvelin {
namespace {

// ---------------------------------------------------------------- colours

struct Rgb {
  double r, g, b;
  bool operator==(const Rgb&) const = default;
};

constexpr Rgb rgb(unsigned v) {
  return {static_cast<double>((v >> 16) & 0xff), static_cast<double>((v >> 8) & 0xff),
          static_cast<double>(v & 0xff)};
}

constexpr Rgb kWhite = rgb(0xffffff);
constexpr Rgb kBlack = rgb(0x000000);

// One hue per locus, from the Okabe-Ito palette (readable with the common
// colour-vision deficiencies); yellow comes last, it is weak on white.
constexpr Rgb kLocusHues[] = {rgb(0x0072B2), rgb(0xD55E00), rgb(0x009E73), rgb(0xCC79A7),
                              rgb(0xE69F00), rgb(0x56B4E9), rgb(0xF0E442)};

Rgb mix(Rgb a, Rgb b, double t) {
  return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

std::string css(Rgb c) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "#%02x%02x%02x", static_cast<int>(c.r + 0.5), static_cast<int>(c.g + 0.5),
                static_cast<int>(c.b + 0.5));
  return buf;
}

// CIE lightness L* (0 black .. 100 white) of an sRGB colour.
double lightness(Rgb c) {
  auto linear = [](double v) {
    v /= 255;
    return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4);
  };
  const double y = 0.2126 * linear(c.r) + 0.7152 * linear(c.g) + 0.0722 * linear(c.b);
  return y > 216.0 / 24389 ? 116 * std::cbrt(y) - 16 : y * 24389.0 / 27;
}

// The hue darkened or lightened to lightness `target`.
Rgb withLightness(Rgb hue, double target) {
  const Rgb towards = lightness(hue) > target ? kBlack : kWhite;
  double lo = 0, hi = 1;
  for (int i = 0; i < 40; ++i) {
    const double t = (lo + hi) / 2;
    ((lightness(mix(hue, towards, t)) > target) == (towards == kBlack) ? lo : hi) = t;
  }
  return mix(hue, towards, (lo + hi) / 2);
}

// The colour of an allele: its locus's hue, from dark (L* 30) for allele 1
// to light (L* 80) for the last, evenly spaced in lightness, so that the
// alleles of a locus differ by at least 50 / (alleles - 1) in L* (25 for
// three alleles, 12.5 for five) whatever the viewer's colour vision; each
// allele after the first also has a texture of its own (see alleleTexture).
// The null allele is a pale tint.
class Palette {
 public:
  static constexpr double kDarkest = 30, kLightest = 80;
  explicit Palette(const Hypothesis& h) {
    for (const Locus& l : h.loci) alleles_[l.locus] = static_cast<int>(l.alleles.size());
  }
  Rgb of(int locus, int allele) const {
    const Rgb hue = kLocusHues[static_cast<std::size_t>(std::max(locus - 1, 0)) % std::size(kLocusHues)];
    if (allele == 0) return mix(hue, kWhite, 0.8);
    const auto it = alleles_.find(locus);
    const int n = it == alleles_.end() ? 1 : it->second;
    if (n <= 1) return hue;
    const double t = static_cast<double>(allele - 1) / (n - 1);  // 0 first .. 1 last
    return withLightness(hue, kDarkest + (kLightest - kDarkest) * t);
  }

 private:
  std::map<int, int> alleles_;
};

// ---------------------------------------------------------------- text

std::string num(long long v) { return std::to_string(v); }

std::string join(const std::vector<std::string>& items, std::string_view sep) {
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += sep;
    out += items[i];
  }
  return out;
}

std::string plural(long long n, std::string_view one, std::string_view many) {
  return num(n) + " " + std::string(n == 1 ? one : many);
}

std::string alleleWords(int locus, int allele) {
  return "locus " + locusLetter(locus) + ", " + (allele == 0 ? std::string("null allele") : "allele " + num(allele));
}

// An Ezone as the report names it, with the mark of a split half.
std::string ezoneName(const Hypothesis* h, int z) {
  std::string name = num(z);
  if (h && z >= 1 && static_cast<std::size_t>(z) <= h->ezoneBands.size() && h->ezoneBands[z - 1].splitMark)
    name += "x";
  return name;
}

std::string ezoneList(const Hypothesis* h, const std::vector<int>& ezones) {
  std::vector<std::string> names;
  for (int z : ezones) names.push_back(ezoneName(h, z));
  return (ezones.size() == 1 ? "Ezone " : "Ezones ") + join(names, ", ");
}

// ---------------------------------------------------------------- bands

BandOrigin kindOnly(BandKind kind) {
  BandOrigin o;
  o.kind = kind;
  return o;
}

// The explanations of the band in Ezone z (one pseudo-origin for fixed,
// empty and unexplained Ezones).
std::vector<BandOrigin> originsAt(const Hypothesis& h, int z) {
  if (z < 1 || static_cast<std::size_t>(z) > h.ezoneBands.size()) return {kindOnly(BandKind::Unexplained)};
  const EzoneBand& e = h.ezoneBands[z - 1];
  if (e.kind == BandKind::Fixed || e.kind == BandKind::Empty || e.origins.empty()) return {kindOnly(e.kind)};
  return e.origins;
}

std::string codesAt(const Hypothesis& h, int z) {
  std::vector<std::string> codes;
  for (const BandOrigin& o : originsAt(h, z)) codes.push_back(originCode(o));
  return join(codes, " ");
}

std::string wordsAt(const Hypothesis& h, int z) {
  std::vector<std::string> words;
  for (const BandOrigin& o : originsAt(h, z)) words.push_back(originWords(o));
  return join(words, ", or ");
}

std::string idSafe(const std::string& code) {
  std::string out;
  for (char c : code) out += (std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
  return out;
}

// How a band is painted: SVG presentation attributes.
struct Look {
  std::string fill;
  std::string stroke;
  double strokeWidth = 0.8;
};

// The texture drawn over an allele's colour, so that alleles of a locus
// differ in more than shade: none for allele 1, then diagonal lines, dots,
// horizontal lines, cross-hatching, vertical lines, and round again.
std::string alleleTexture(int allele, const std::string& ink) {
  const std::string line = "stroke=\"" + ink + "\" stroke-width=\"1.3\"";
  switch ((allele - 2) % 5) {
    case 0: return "<path d=\"M0 6L6 0M-1 1L1 -1M5 7L7 5\" " + line + "/>";
    case 1: return "<circle cx=\"3\" cy=\"3\" r=\"1.2\" fill=\"" + ink + "\"/>";
    case 2: return "<path d=\"M0 3H6\" " + line + "/>";
    case 3: return "<path d=\"M0 6L6 0M0 0L6 6\" " + line + "/>";
    default: break;
  }
  return "<path d=\"M3 0V6\" " + line + "/>";
}

// Ink of a texture or outline on colour c: dark on light colours, light on dark.
std::string inkOn(Rgb c) { return lightness(c) > 55 ? css(mix(c, kBlack, 0.6)) : css(mix(c, kWhite, 0.7)); }

Look lookOf(const BandOrigin& o, const Palette& pal, const std::string& prefix) {
  switch (o.kind) {
    case BandKind::Homomeric: {
      const Rgb c = pal.of(o.locus, o.allele);
      const std::string fill = o.allele >= 2 ? "url(#" + prefix + "-" + idSafe(originCode(o)) + ")" : css(c);
      return {fill, css(mix(c, kBlack, 0.45)), 0.8};
    }
    case BandKind::Heteromeric:
      return {"url(#" + prefix + "-" + idSafe(originCode(o)) + ")", "#333333", 0.8};
    case BandKind::Modified: {
      const Rgb c = pal.of(o.locus, o.allele);
      return {css(mix(c, kWhite, 0.72)), css(mix(c, kBlack, 0.15)), 2.6};
    }
    case BandKind::Fixed: return {"#6b6b6b", "#333333", 0.8};
    case BandKind::Empty: return {"#ffffff", "#999999", 0.8};
    case BandKind::Unexplained: break;
  }
  return {"url(#" + prefix + "-unexplained)", "#000000", 1.2};
}

// Stripes in the two colours of a heteromeric band's alleles, and a hatch
// for unexplained bands.
std::string bandDefs(const Hypothesis& h, const Palette& pal, const std::string& prefix) {
  std::string defs = "<defs>";
  std::set<std::string> done;
  for (int z = 1; z <= h.ezones; ++z)
    for (const BandOrigin& o : originsAt(h, z)) {
      if (o.kind == BandKind::Homomeric && o.allele >= 2) {
        const std::string id = prefix + "-" + idSafe(originCode(o));
        if (!done.insert(id).second) continue;
        const Rgb c = pal.of(o.locus, o.allele);
        defs += "<pattern id=\"" + id + "\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\"><rect "
                "width=\"6\" height=\"6\" fill=\"" + css(c) + "\"/>" + alleleTexture(o.allele, inkOn(c)) + "</pattern>";
        continue;
      }
      if (o.kind != BandKind::Heteromeric) continue;
      const std::string id = prefix + "-" + idSafe(originCode(o));
      if (!done.insert(id).second) continue;
      defs += "<pattern id=\"" + id +
              "\" width=\"10\" height=\"10\" patternUnits=\"userSpaceOnUse\" patternTransform=\"rotate(45)\">"
              "<rect width=\"5\" height=\"10\" fill=\"" + css(pal.of(o.locus, o.allele)) +
              "\"/><rect x=\"5\" width=\"5\" height=\"10\" fill=\"" + css(pal.of(o.locus2, o.allele2)) +
              "\"/></pattern>";
    }
  defs += "<pattern id=\"" + prefix +
          "-unexplained\" width=\"6\" height=\"6\" patternUnits=\"userSpaceOnUse\" patternTransform=\"rotate(45)\">"
          "<rect width=\"6\" height=\"6\" fill=\"#e0e0e0\"/><rect width=\"2\" height=\"6\" fill=\"#555555\"/>"
          "</pattern></defs>";
  return defs;
}

// ---------------------------------------------------------------- the gel

struct LanePlan {
  std::string pattern;                 // 0/1 over the gel's Ezones
  std::string head;                    // above the lane (its number)
  long long count = 0;                 // individuals, shown under the head
  std::string title;                   // hover text of the whole lane
  bool ghost = false;                  // a missing phenotype
  std::vector<std::string> genotypes;  // per locus
};

struct GelPlan {
  std::string prefix;                  // for ids
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
  std::string defs;
  // The attributes of the band in Ezone z (class, data, paint) and its title.
  std::function<std::string(int z, bool ghost)> bandAttributes;
  std::function<std::string(int z)> bandTitle;
};

std::string fmt(double v) {
  char buf[32];
  std::snprintf(buf, sizeof buf, "%.1f", v);
  std::string s = buf;
  if (s.size() > 2 && s.compare(s.size() - 2, 2, ".0") == 0) s.resize(s.size() - 2);
  return s;
}

std::string text(double x, double y, const std::string& cls, const std::string& content,
                  const std::string& extra = "") {
  return "<text x=\"" + fmt(x) + "\" y=\"" + fmt(y) + "\" class=\"" + cls + "\"" + extra + ">" + content + "</text>";
}

// Where the lanes of a gel stand, shared by the gel and the chart under it.
struct GelLayout {
  double left = 0;      // x of the first lane
  double right = 0;     // room right of the last lane
  double pitch = 0;     // width of a lane
  double ghostGap = 0;  // room between the observed lanes and the ghost lanes
  double width = 0;
  std::size_t observed = 0, ghosts = 0;
  // The narrowest the drawing may be shown: lanes no narrower than
  // kMinPitch on the screen; a narrower window scrolls.
  std::string minWidth() const;
  double laneX(std::size_t index, bool ghost) const {
    return left + pitch * static_cast<double>(index) + (ghost ? ghostGap : 0);
  }
};

// Lanes share the width the page has, but are never narrower than
// kMinPitch: from about 30 lanes on the gel grows wider than the page and
// scrolls sideways rather than shrinking its text.
constexpr double kMinPitch = 28, kMaxPitch = 64, kGelWidth = 1160;

std::string GelLayout::minWidth() const {
  return "min-width:" + fmt(std::ceil(width * std::min(1.0, kMinPitch / pitch))) + "px";
}

GelLayout layoutOf(const GelPlan& g) {
  GelLayout at;
  std::size_t labelLen = 7, rightLen = 0;
  for (const auto& l : g.rowLabel) labelLen = std::max(labelLen, l.size());
  for (const auto& l : g.rightLabel) rightLen = std::max(rightLen, l.size());
  at.left = 14 + 7.2 * static_cast<double>(std::min<std::size_t>(labelLen, 16));
  at.right = rightLen == 0 ? 12 : 22 + 7.4 * static_cast<double>(rightLen);
  for (const auto& lane : g.lanes) (lane.ghost ? at.ghosts : at.observed)++;
  const bool both = at.ghosts > 0 && at.observed > 0;
  const double slots = static_cast<double>(at.observed + at.ghosts) + (both ? 0.7 : 0);
  at.pitch = std::clamp(std::floor((kGelWidth - at.left - at.right) / std::max(slots, 1.0)), kMinPitch, kMaxPitch);
  at.ghostGap = both ? std::floor(at.pitch * 0.7) : 0;
  at.width = at.left + at.pitch * static_cast<double>(at.observed + at.ghosts) + at.ghostGap + at.right;
  return at;
}

// The count under a lane's number: "n=12", or the number alone where the
// lane is too narrow for both.
std::string countText(long long count, double pitch) { return (pitch >= 40 ? "n=" : "") + num(count); }

std::string drawGel(const GelPlan& g) {
  constexpr double kRowH = 26, kBandH = 14, kTop = 50;
  std::size_t genoLen = 3;
  for (const auto& lane : g.lanes)
    for (const auto& t : lane.genotypes) genoLen = std::max(genoLen, t.size());
  const GelLayout at = layoutOf(g);
  const double left = at.left, right = at.right, pitch = at.pitch, ghostGap = at.ghostGap, width = at.width;
  const std::size_t observed = at.observed, ghosts = at.ghosts;
  const bool flatGenotypes = 6.6 * static_cast<double>(genoLen) + 6 <= pitch;
  const double genoRowH = flatGenotypes ? 16 : 6.6 * static_cast<double>(genoLen) + 12;
  const double gelH = kRowH * g.ezones + 8;
  const double gelBottom = kTop + gelH;
  const double genoTop = gelBottom + 26;
  const double height = genoTop + (g.lociLabels.empty() ? 0 : genoRowH * g.lociLabels.size() + 6);

  std::vector<double> rowY(static_cast<std::size_t>(g.ezones) + 1, 0);  // row centre per Ezone
  for (std::size_t r = 0; r < g.rowOrder.size(); ++r)
    rowY[static_cast<std::size_t>(g.rowOrder[r])] = kTop + 4 + kRowH * (static_cast<double>(r) + 0.5);

  std::string s = "<svg class=\"gel\" style=\"" + at.minWidth() + "\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" +
                  fmt(width) + "\" height=\"" +
                  fmt(height) + "\" viewBox=\"0 0 " + fmt(width) + " " + fmt(height) + "\" role=\"img\" aria-label=\"" +
                  g.label + "\">";
  s += g.defs;
  // The gel's frame: the anode at the top, Ezone rows, split halves marked.
  s += text(left - 8, kTop - 4, "pole", "anode +", " text-anchor=\"end\"");
  s += text(left - 8, gelBottom + 12, "pole", "cathode \u2212", " text-anchor=\"end\"");
  s += "<rect class=\"gel-bed\" x=\"" + fmt(left - 4) + "\" y=\"" + fmt(kTop) + "\" width=\"" +
       fmt(width - left - right + 8) + "\" height=\"" + fmt(gelH) + "\"/>";
  for (int z : g.rowOrder) {
    const auto i = static_cast<std::size_t>(z - 1);
    const double y = rowY[static_cast<std::size_t>(z)];
    s += "<g class=\"row-label" + std::string(g.rowEmpty[i] ? " empty" : "") + "\"><title>" + g.rowTitle[i] +
         "</title>" + text(left - 8, y + 4, "ezone", g.rowLabel[i], " text-anchor=\"end\"") + "</g>";
    if (!g.rightLabel[i].empty())
      s += "<g class=\"row-origin\"><title>" + g.rightTitle[i] + "</title>" +
           text(width - right + 10, y + 4, "origin", g.rightLabel[i]) + "</g>";
  }
  // Group captions.
  if (observed > 0 && ghosts > 0) s += text(left, 12, "caption", "observed");
  if (ghosts > 0) {
    const double gx = left + pitch * static_cast<double>(observed) + ghostGap;
    s += text(gx, 12, "caption ghost", "missing");
    if (observed > 0)
      s += "<line class=\"ghost-divider\" x1=\"" + fmt(gx - ghostGap / 2) + "\" y1=\"18\" x2=\"" +
           fmt(gx - ghostGap / 2) + "\" y2=\"" + fmt(height - 4) + "\"/>";
  }
  for (std::size_t k = 0; k < g.lociLabels.size(); ++k)
    s += text(left - 8, genoTop + genoRowH * static_cast<double>(k) + 11, "locus-label", "Locus " + g.lociLabels[k],
              " text-anchor=\"end\"");

  // The lanes.
  std::size_t index = 0;
  for (const LanePlan& lane : g.lanes) {
    const double x0 = left + pitch * static_cast<double>(index) + (lane.ghost ? ghostGap : 0);
    const double cx = x0 + pitch / 2;
    ++index;
    s += "<g class=\"lane" + std::string(lane.ghost ? " missing" : "") + "\" data-pattern=\"" +
         htmlEscape(lane.pattern) + "\"><title>" + lane.title + "</title>";
    s += "<rect class=\"lane-bg\" x=\"" + fmt(x0 + 3) + "\" y=\"" + fmt(kTop + 2) + "\" width=\"" + fmt(pitch - 6) +
         "\" height=\"" + fmt(gelH - 4) + "\" rx=\"3\"/>";
    s += text(cx, 28, "lane-head", lane.head, " text-anchor=\"middle\"");
    s += text(cx, 42, "lane-sub", countText(lane.count, pitch), " text-anchor=\"middle\"");
    for (int z = 1; z <= g.ezones && static_cast<std::size_t>(z) <= lane.pattern.size(); ++z) {
      if (lane.pattern[static_cast<std::size_t>(z - 1)] != '1') continue;
      const double y = rowY[static_cast<std::size_t>(z)];
      s += "<rect " + g.bandAttributes(z, lane.ghost) + " x=\"" + fmt(x0 + 7) + "\" y=\"" + fmt(y - kBandH / 2) +
           "\" width=\"" + fmt(pitch - 14) + "\" height=\"" + fmt(kBandH) + "\" rx=\"2\"><title>" + g.bandTitle(z) +
           "</title></rect>";
    }
    for (std::size_t k = 0; k < lane.genotypes.size(); ++k) {
      const double y = genoTop + genoRowH * static_cast<double>(k);
      if (flatGenotypes)
        s += text(cx, y + 11, "genotype", htmlEscape(lane.genotypes[k]), " text-anchor=\"middle\"");
      else
        s += text(cx + 4, y + 2, "genotype", htmlEscape(lane.genotypes[k]),
                  " text-anchor=\"end\" transform=\"rotate(-90 " + fmt(cx + 4) + " " + fmt(y + 2) + ")\"");
    }
    s += "</g>";
  }
  // The two halves of a split Ezone, framed across the gel.
  for (int z : g.rowOrder)
    if (g.rowMarked[static_cast<std::size_t>(z - 1)])
      s += "<rect class=\"split-row\" x=\"" + fmt(left - 2) + "\" y=\"" +
           fmt(rowY[static_cast<std::size_t>(z)] - kRowH / 2 + 1) + "\" width=\"" + fmt(width - left - right + 4) +
           "\" height=\"" + fmt(kRowH - 2) + "\" rx=\"4\"/>";
  s += "</svg>";
  return s;
}

// ---------------------------------------------------------------- the chart

// One row of the chart of observed against expected individuals, with a
// value per lane of the gel above it (observed lanes, then ghost lanes).
// The whole sample makes one row; a sample of several populations can give
// each its own row under the same lanes.
struct ChartRow {
  std::string label;             // what the row counts; empty for the whole sample
  std::vector<double> observed;  // individuals per lane
  std::vector<double> expected;
  std::vector<double> g;         // the lane's part of G
};

// Lanes whose part of G is among the three largest of the row (and not 0)
// are marked.
constexpr std::size_t kMarkedParts = 3;

std::string number(double v, const char* format = "%.3g") {
  char buf[32];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

// Bars under the lanes of gel `g`: per lane the individuals observed (solid)
// and expected (outlined), side by side, one row per ChartRow, on a scale of
// their own per row; the largest parts of G carry a triangle pointing up
// where more were observed than expected, down where fewer.
std::string drawFitChart(const GelPlan& g, const std::vector<ChartRow>& rows, const std::string& label) {
  constexpr double kBarsH = 72, kRowGap = 34, kTop = 8;
  const GelLayout at = layoutOf(g);
  const double height = kTop + (kBarsH + kRowGap) * static_cast<double>(rows.size());
  std::string s = "<svg class=\"gel fit-chart\" style=\"" + at.minWidth() +
                  "\" xmlns=\"http://www.w3.org/2000/svg\" width=\"" + fmt(at.width) +
                  "\" height=\"" + fmt(height) + "\" viewBox=\"0 0 " + fmt(at.width) + " " + fmt(height) +
                  "\" role=\"img\" aria-label=\"" + label + "\">";
  for (std::size_t r = 0; r < rows.size(); ++r) {
    const ChartRow& row = rows[r];
    const double base = kTop + 14 + (kBarsH + kRowGap) * static_cast<double>(r) + kBarsH - 14;
    double most = 0, total = 0;
    for (std::size_t i = 0; i < row.observed.size(); ++i) {
      most = std::max({most, row.observed[i], i < row.expected.size() ? row.expected[i] : 0.0});
      if (i < row.g.size()) total += row.g[i];
    }
    const double scale = most > 0 ? (kBarsH - 22) / most : 0;
    std::vector<std::size_t> byPart;
    for (std::size_t i = 0; i < row.g.size(); ++i)
      if (row.g[i] > 1e-9) byPart.push_back(i);
    std::stable_sort(byPart.begin(), byPart.end(),
                     [&row](std::size_t a, std::size_t b) { return row.g[a] > row.g[b]; });
    if (byPart.size() > kMarkedParts) byPart.resize(kMarkedParts);
    s += text(at.left - 8, base - (kBarsH - 22) + 4, "axis", number(most), " text-anchor=\"end\"");
    s += text(at.left - 8, base + 4, "axis", "0", " text-anchor=\"end\"");
    if (!row.label.empty()) s += text(at.left, base - kBarsH + 8, "axis", htmlEscape(row.label));
    s += "<line class=\"chart-base\" x1=\"" + fmt(at.left - 4) + "\" y1=\"" + fmt(base) + "\" x2=\"" +
         fmt(at.width - at.right + 4) + "\" y2=\"" + fmt(base) + "\"/>";
    std::size_t index = 0;
    for (std::size_t i = 0; i < g.lanes.size() && i < row.observed.size(); ++i) {
      const LanePlan& lane = g.lanes[i];
      const double x0 = at.laneX(index++, lane.ghost);
      const double o = row.observed[i], e = i < row.expected.size() ? row.expected[i] : 0;
      const double part = i < row.g.size() ? row.g[i] : 0;
      const double barW = std::floor((at.pitch - 8) / 2);
      const bool marked = std::find(byPart.begin(), byPart.end(), i) != byPart.end();
      s += "<g class=\"chart-lane" + std::string(lane.ghost ? " missing" : "") + (marked ? " marked" : "") +
           "\" data-pattern=\"" + htmlEscape(lane.pattern) + "\"><title>" +
           (lane.ghost ? "Missing phenotype " : "Pattern ") +
           lane.head + ": " + number(o, "%g") + " observed, " + number(e) + " expected; part of G " + number(part) +
           (total > 0 ? " (" + number(100 * part / total, "%.0f") + "% of G)" : std::string()) + "</title>";
      auto bar = [&](const char* kind, double value, double x) {
        s += "<rect class=\"bar " + std::string(kind) + "\" data-count=\"" + number(value, "%.6g") + "\" x=\"" +
             fmt(x) + "\" y=\"" + fmt(base - value * scale) + "\" width=\"" + fmt(barW) + "\" height=\"" +
             fmt(value * scale) + "\"/>";
      };
      bar("observed", o, x0 + 4);
      bar("expected", e, x0 + 4 + barW);
      if (marked) {
        const double top = base - std::max(o, e) * scale - 4, cx = x0 + at.pitch / 2;
        s += o >= e ? "<path class=\"g-mark\" d=\"M" + fmt(cx - 5) + " " + fmt(top) + "h10l-5 -8z\"/>"
                    : "<path class=\"g-mark\" d=\"M" + fmt(cx - 5) + " " + fmt(top - 8) + "h10l-5 8z\"/>";
      }
      s += text(x0 + at.pitch / 2, base + 12, "axis", number(e, e < 9.95 ? "%.1f" : "%.0f"),
                " text-anchor=\"middle\"");
      s += "</g>";
    }
  }
  s += "</svg>";
  return s;
}

// Ezones top to bottom: in number order, with the added half of a split
// Ezone right under the Ezone it was split from.
std::vector<int> rowOrder(int ezones, const std::optional<SplitTrial>& split) {
  std::vector<int> order;
  for (int z = 1; z <= ezones; ++z) {
    if (split && z == ezones && split->ezone >= 1 && split->ezone < ezones) continue;
    order.push_back(z);
    if (split && z == split->ezone && split->ezone < ezones) order.push_back(ezones);
  }
  return order;
}

// The individuals of a lane, each with its population when the table has
// them: "A1 (North)", "B2 (South)".
std::vector<std::string> laneNames(const Sample& sample, std::size_t pattern) {
  if (pattern >= sample.individuals.size()) return {};
  std::vector<std::string> names = sample.individuals[pattern];
  if (sample.hasPopulations())
    for (std::size_t i = 0; i < names.size(); ++i) names[i] += " (" + sample.populationName(pattern, i) + ")";
  return names;
}

std::string namesOf(const Sample& sample, std::size_t pattern) { return join(laneNames(sample, pattern), ", "); }

// The populations with their sizes, and the individuals left out because a
// band was not scored.
std::string sampleNotes(const Sample& sample) {
  std::string out;
  if (sample.hasPopulations()) {
    const std::vector<int> sizes = sample.populationSizes();
    std::vector<std::string> counts;
    for (std::size_t k = 0; k < sizes.size(); ++k)
      counts.push_back(htmlEscape(sample.populations[k]) + ": " + num(sizes[k]));
    out += "<p class=\"note populations\">Individuals analysed per population (" +
           htmlEscape(sample.populationLabel) + "): " + join(counts, ", ") + ".</p>";
  }
  if (!sample.unscored.empty()) {
    std::vector<std::string> left;
    for (const UnscoredIndividual& u : sample.unscored) {
      std::vector<std::string> ezones;
      for (int z : u.ezones) ezones.push_back(num(z));
      left.push_back(htmlEscape(u.name) + " (row " + num(u.row) + (ezones.size() == 1 ? ", Ezone " : ", Ezones ") +
                     join(ezones, ", ") + ")");
    }
    out += "<p class=\"warn unscored\">Left out of the analysis, not scored in every Ezone (" +
           plural(static_cast<long long>(left.size()), "individual", "individuals") + "): " + join(left, "; ") +
           ".</p>";
  }
  return out;
}

std::string laneTitle(const Sample& sample, std::size_t pattern, int count) {
  std::string t = "Pattern " + num(static_cast<long long>(pattern + 1)) + ": " +
                  plural(count, "individual", "individuals");
  const std::string names = namesOf(sample, pattern);
  if (!names.empty()) t += " (" + htmlEscape(names) + ")";
  return t;
}

int countOf(const InputSet& in, std::size_t p) { return p < in.counts.size() ? in.counts[p] : 0; }

std::string ezoneLabel(const Sample& sample, int z, int inputEzones, bool mark) {
  std::string label = "Ezone " + num(z) + (mark ? "x" : "");
  if (z <= inputEzones && static_cast<std::size_t>(z) <= sample.ezoneLabels.size()) {
    const std::string& name = sample.ezoneLabels[static_cast<std::size_t>(z - 1)];
    if (name.size() <= 14) {
      if (!name.empty()) label = name;
    } else {
      std::size_t cut = 13;  // not inside a UTF-8 sequence
      while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
      label = name.substr(0, cut) + "\u2026";
    }
  }
  return htmlEscape(label);
}

// ---------------------------------------------------------------- sections

void appendStyle(std::string& out) {
  out += R"(<style>
:root{--ink:#1d1d1f;--muted:#5d6066;--rule:#d9d6cf;--paper:#ffffff;--bed:#f4f1ea}
*{box-sizing:border-box}
html{-webkit-print-color-adjust:exact;print-color-adjust:exact}
body{margin:0 auto;max-width:1220px;padding:24px 28px 48px;color:var(--ink);background:var(--paper);
 font:15px/1.45 system-ui,-apple-system,"Segoe UI",Roboto,"Helvetica Neue",Arial,sans-serif}
h1{font-size:1.6em;margin:0 0 .2em}h2{font-size:1.25em;margin:1.6em 0 .5em;padding-bottom:.2em;border-bottom:2px solid var(--rule)}
header dl{display:grid;grid-template-columns:max-content 1fr;gap:.15em 1.2em;margin:.6em 0 0}
header dt{color:var(--muted)}header dd{margin:0}
.note{color:var(--muted);font-size:.92em;max-width:75ch}
.warn{border-left:4px solid #D55E00;padding:.3em .8em;background:#fff6ef}
table.summary{border-collapse:collapse;font-size:.93em;margin:.4em 0}
table.summary th,table.summary td{border:1px solid var(--rule);padding:.3em .7em;text-align:left;vertical-align:top}
table.summary th{background:#f3f2ef;font-weight:600}table.summary td.num{text-align:right;font-variant-numeric:tabular-nums;white-space:nowrap}
table.summary td.num .populations{display:block;white-space:normal;text-align:left;font-size:.9em;min-width:13em;color:var(--muted)}
.gel-row{display:flex;flex-wrap:wrap;align-items:flex-start;gap:18px 28px;margin:.6em 0}
figure{margin:0;max-width:100%;min-width:0}
.scroll{overflow-x:auto;max-width:100%}
svg.gel{display:block;max-width:100%;height:auto;font-family:inherit}
svg .gel-bed{fill:var(--bed);stroke:#cfc9bd;stroke-width:1}
svg .lane-bg{fill:#fbfaf7;stroke:#ddd6c8;stroke-width:.8}
svg .lane.missing .lane-bg{fill:#ffffff;stroke:#7a7a7a;stroke-width:1.2;stroke-dasharray:5 3}
svg .lane.missing .band{fill-opacity:.45;stroke-dasharray:3 2}
svg .split-row{fill:#E69F00;fill-opacity:.16;stroke:#b07800;stroke-width:1.2}
svg text{fill:var(--ink);font-size:12px}
svg .ezone{font-size:12px}svg .row-label.empty .ezone{fill:#9a9a9a;font-style:italic}
svg .origin{font-size:12px;font-family:ui-monospace,"DejaVu Sans Mono",Menlo,Consolas,monospace}
svg .pole,svg .caption{font-size:11px;fill:var(--muted)}svg .caption.ghost{font-style:italic}
svg .lane-head{font-size:12px;font-weight:600}svg .lane-sub{font-size:10.5px;fill:var(--muted)}
svg .lane.missing .lane-head,svg .lane.missing .lane-sub{fill:#7a7a7a;font-style:italic}
svg .genotype{font-size:11px;font-family:ui-monospace,"DejaVu Sans Mono",Menlo,Consolas,monospace}
svg .lane.missing .genotype{fill:#6a6a6a;font-style:italic}
svg .locus-label{font-size:11px;font-weight:600}
svg .ghost-divider{stroke:#9a9a9a;stroke-width:1;stroke-dasharray:2 3}
.legend{font-size:.9em;flex:1 1 16em;min-width:16em;max-width:30em}
.legend h3{font-size:1em;margin:.2em 0 .4em}
.legend ul{list-style:none;margin:0;padding:0}
.legend li{display:flex;align-items:center;gap:.6em;margin:.25em 0}
.legend code{min-width:4.2em;font-weight:600}
.legend svg{flex:none}
ol.individuals{font-size:.88em;color:var(--muted);columns:3 20em;column-gap:3.2em;margin:.5em 0;padding-left:2.2em}
ol.individuals li{break-inside:avoid;margin-bottom:.25em}
ol.individuals span{white-space:nowrap}
figure.fit{margin:.8em 0 .4em}
figure.fit figcaption{font-size:.85em;color:var(--muted);max-width:95ch;margin-bottom:.2em}
.g-key{color:#D55E00}
svg .bar.observed{fill:#3d3d45}
svg .bar.expected{fill:#ffffff;fill-opacity:.7;stroke:#D55E00;stroke-width:1.5}
svg .chart-lane.missing .bar.expected{stroke-dasharray:3 2}
svg .g-mark{fill:#D55E00}
svg .axis{font-size:9.5px;fill:var(--muted)}
svg .chart-base{stroke:#9a9a9a;stroke-width:1}
dl.facts{display:grid;grid-template-columns:max-content 1fr;gap:.15em 1em;margin:.4em 0}
dl.facts dt{color:var(--muted)}dl.facts dd{margin:0}
.badge{display:inline-block;font-size:.75em;font-weight:600;padding:.1em .55em;border-radius:1em;vertical-align:middle;margin-left:.5em}
.badge.closed{background:#d7eee5;color:#00553e}.badge.open{background:#fbe3d3;color:#8a3700}
footer{margin-top:3em;color:var(--muted);font-size:.85em;border-top:1px solid var(--rule);padding-top:.5em}
@page{size:A4;margin:14mm 12mm}
/* Print: headings stay with what they head, drawings and tables are not
   cut where they fit on a page, a hypothesis starts on a new page when it
   would otherwise be split, and drawings shrink to the page (no scrolling
   on paper). */
@media print{
 body{max-width:none;padding:0;font-size:9.5pt}
 h2{margin-top:.8em}
 h2,h3,p.fit-note,p.note,figcaption,header dl{break-after:avoid}
 section.hypothesis,section#summary{break-inside:avoid-page;break-before:auto}
 p{orphans:3;widows:3}
 section.hypothesis+section.hypothesis{padding-top:.2em}
 figure,.gel-row,.legend,table.summary,dl.facts,tr{break-inside:avoid}
 .gel-row{display:block}
 .legend{max-width:none;font-size:.85em;margin-top:.4em}
 .legend ul{columns:2;column-gap:2em}
 .legend li{break-inside:avoid;margin:.1em 0}
 .scroll{overflow:visible}
 svg.gel{max-width:100%;min-width:0 !important}
 table.summary{font-size:8pt;width:100%}
 table.summary th,table.summary td{padding:.2em .35em}
 a{color:inherit;text-decoration:none}
 ol.individuals{columns:2}
}
</style>
)";
}

void appendHeader(std::string& out, const Results& r, const HtmlContext& ctx) {
  const InputSet& in = r.input;
  out += "<header><h1>KORVELIN report: " + htmlEscape(in.file) + "</h1><dl>";
  auto row = [&out](const std::string& term, const std::string& value) {
    out += "<dt>" + term + "</dt><dd>" + value + "</dd>";
  };
  row("Data file", htmlEscape(in.file));
  row("Pattern type", in.dna ? "DNA electropherograms" : "zymograms");
  row("Ezones", num(in.ezones));
  row("Individuals", num(in.individuals));
  row("Distinct patterns", num(static_cast<long long>(in.patterns.size())));
  row("Hypotheses", num(static_cast<long long>(r.hypotheses.size())));
  row("Program", "KORVELIN " + htmlEscape(ctx.version));
  row("Run", htmlEscape(ctx.runTime));
  out += "</dl>";
  if (!ctx.ended.empty()) out += "<p class=\"warn\">The run ended early: " + htmlEscape(ctx.ended) + "</p>";
  out += "</header>\n";
}

void appendObserved(std::string& out, const Results& r, const Sample& sample) {
  const InputSet& in = r.input;
  GelPlan g;
  g.prefix = "obs";
  g.label = "The observed gel";
  g.ezones = in.ezones;
  g.rowOrder = rowOrder(in.ezones, std::nullopt);
  for (int z = 1; z <= in.ezones; ++z) {
    int with = 0;
    for (const std::string& p : in.patterns)
      if (static_cast<std::size_t>(z) <= p.size() && p[static_cast<std::size_t>(z - 1)] == '1') ++with;
    const bool fixed = with == static_cast<int>(in.patterns.size()) && with > 0;
    const bool empty = with == 0;
    g.rowLabel.push_back(ezoneLabel(sample, z, in.ezones, false));
    g.rowTitle.push_back("Ezone " + num(z) + ": a band in " + plural(with, "pattern", "patterns") +
                         (fixed ? " (fixed: every pattern)" : empty ? " (empty: no pattern)" : ""));
    g.rightLabel.push_back(fixed ? "fixed" : empty ? "empty" : "");
    g.rightTitle.push_back(fixed ? "fixed Ezone: a band in every pattern" : empty ? "empty Ezone: no band" : "");
    g.rowMarked.push_back(false);
    g.rowEmpty.push_back(empty);
  }
  for (std::size_t p = 0; p < in.patterns.size(); ++p)
    g.lanes.push_back({in.patterns[p], num(static_cast<long long>(p + 1)), countOf(in, p),
                       laneTitle(sample, p, countOf(in, p)), false, {}});
  g.bandAttributes = [](int z, bool) {
    return "class=\"band\" data-ezone=\"" + num(z) + "\" fill=\"#2f2f33\" stroke=\"#111111\" stroke-width=\"0.6\"";
  };
  g.bandTitle = [](int z) { return "Ezone " + num(z) + ": band"; };

  out += "<section id=\"observed\" class=\"observed\"><h2>The observed gel</h2>";
  out += "<p class=\"note\">One lane per distinct pattern, numbered as in the text report, with its number of "
         "individuals (n). Ezone 1, the anodal end, is at the top. Hover over a lane for its individuals.</p>";
  out += "<figure class=\"gel\"><div class=\"scroll\">" + drawGel(g) + "</div></figure>";
  if (!sample.individuals.empty()) {
    out += "<p class=\"note\">The individuals of each lane (a pattern file names them by the line they stand on):</p><ol class=\"individuals\">";
    for (std::size_t p = 0; p < in.patterns.size(); ++p) {
      // A name breaks only at the commas between names.
      std::vector<std::string> names;
      for (const std::string& name : laneNames(sample, p)) names.push_back("<span>" + htmlEscape(name) + "</span>");
      out += "<li>n=" + num(countOf(in, p)) + ": " + join(names, ", ") + "</li>";
    }
    out += "</ol>";
  }
  out += sampleNotes(sample);
  out += "</section>\n";
}

std::string splitWords(const Hypothesis& h) {
  if (!h.split) return "";
  return "Ezone " + num(h.split->ezone) + " split into Ezones " + num(h.split->ezone) + "x and " + num(h.ezones) +
         "x (combination " + num(h.split->combination) + " of " + num(h.split->of) + ", code " +
         htmlEscape(h.split->code) + ")";
}

// The p-values within each population and of the heterogeneity test, under
// the p of the whole sample; empty without populations.
std::string populationCells(const HypothesisFit& fit) {
  if (fit.populations.empty()) return "";
  std::string s = "<span class=\"populations\">";
  for (const PopulationFit& pf : fit.populations)
    s += htmlEscape(pf.name) + ": " +
         (pf.result.pValue ? "p " + fitStatistic(*pf.result.pValue) : std::string("not testable")) + "<br>";
  const fit::Heterogeneity& het = fit.heterogeneity;
  s += "populations differ: " +
       (het.pValue ? "p " + fitStatistic(*het.pValue) + " (G " + fitStatistic(het.g) + ", df " + num(het.df) + ")"
                   : std::string("not testable")) +
       "</span>";
  return s;
}

std::string fitCells(const std::optional<HypothesisFit>& fit) {
  if (!fit) return "<td colspan=\"4\">not fitted</td>";
  const fit::Result& r = fit->result;
  return "<td class=\"num\">" + num(fit->rank.rank) + "</td><td class=\"num\">" + fitStatistic(fit->rank.deltaAic) +
         "</td><td class=\"num\">" + fitStatistic(fit->rank.akaikeWeight) + "</td><td class=\"num\">" +
         (r.pValue ? fitStatistic(*r.pValue) + " (G " + fitStatistic(r.g) + ", df " + num(r.df) + ")"
                   : std::string("not testable (df ") + num(r.df) + ")") +
         (r.converged ? "" : " <span title=\"the allele frequencies did not settle\">not converged</span>") +
         populationCells(*fit) + "</td>";
}

void appendSummary(std::string& out, const Results& r, const std::vector<bool>& drawn) {
  out += "<section id=\"summary\"><h2>Hypotheses</h2>";
  if (r.hypotheses.empty()) {
    out += "<p>No hypothesis explains the patterns.</p></section>\n";
    return;
  }
  const auto fits = [&r](std::size_t i) -> const std::optional<HypothesisFit>& { return fitOf(r, i); };
  out += "<p class=\"fit-note\">Within each analysis pass (the first pass, or one split trial) the hypotheses are "
         "ranked by how well they predict the number of individuals of each pattern: AIC from the likelihood of "
         "the counts, with allele frequencies estimated from them; &Delta;AIC to the best and the Akaike weight "
         "(the share of support among the hypotheses of the pass); the p-value of the G test of the counts "
         "against the hypothesis. This assumes random mating (Hardy&ndash;Weinberg proportions), independent loci "
         "and a sample of unrelated individuals.";
  if (std::any_of(r.fits.begin(), r.fits.end(), [](const auto& f) { return f && !f->populations.empty(); }))
    out += " The individuals come from several populations: each hypothesis is fitted with allele frequencies "
           "of each population's own, and the G test is the sum over the populations; under it, the p-value "
           "within each population and that of the test whether the populations differ in allele frequencies "
           "(heterogeneity).";
  if (r.input.individuals < kFewIndividuals)
    out += " <strong>With only " + num(r.input.individuals) + " individuals the ranking is weak.</strong>";
  out += "</p>";
  if (std::count(drawn.begin(), drawn.end(), true) < static_cast<long>(drawn.size()))
    out += "<p class=\"note\">Gels are drawn for the best " + num(static_cast<long long>(kDrawnPerPass)) +
           " hypotheses of each pass, and for " + num(static_cast<long long>(kDrawnInAll)) +
           " at most in all; the others (without a link) are only listed here.</p>";
  out += "<table class=\"summary\"><thead><tr><th>No.</th><th>Split trial</th><th>Loci</th><th>Null alleles</th>"
         "<th>Heteromeric bands</th><th>Modified bands</th><th>Expected / found</th><th>Closed</th>"
         "<th>Rank</th><th>&Delta;AIC</th><th>Akaike weight</th><th>G test p</th></tr></thead>"
         "<tbody>";
  // Passes in the order they ran, each sorted by rank (unfitted last).
  const std::vector<std::size_t> order = rankedOrder(r);
  for (const std::size_t i : order) {
    const Hypothesis& h = r.hypotheses[i];
    int intra = 0;
    for (const HeteromericBand& b : h.heteromericBands) intra += b.intralocus ? 1 : 0;
    const int inter = static_cast<int>(h.heteromericBands.size()) - intra;
    std::vector<std::string> nulls;
    for (const Locus& l : h.loci)
      if (l.nullAllele) nulls.push_back(locusLetter(l.locus));
    out += "<tr><td class=\"num\">" +
           (drawn[i] ? "<a href=\"#h" + num(h.number) + "\">" + num(h.number) + "</a>" : num(h.number)) + "</td><td>" +
           (h.split ? "Ezone " + num(h.split->ezone) + ", " + num(h.split->combination) + " of " + num(h.split->of) +
                          " (" + htmlEscape(h.split->code) + ")"
                    : std::string("\u2014")) +
           "</td><td class=\"num\">" + num(static_cast<long long>(h.loci.size())) + "</td><td>" +
           (nulls.empty() ? std::string("none") : "locus " + join(nulls, ", ")) + "</td><td>" +
           (h.dna ? std::string("\u2014 (DNA)") : num(static_cast<long long>(h.heteromericBands.size()))) +
           (h.heteromericBands.empty() ? "" : " (" + num(intra) + " intra, " + num(inter) + " inter)") +
           "</td><td class=\"num\">" + num(static_cast<long long>(h.modifiedBands.size())) + "</td><td class=\"num\">" +
           num(h.expected) + " / " + num(h.found) + "</td><td>" + (h.closed ? "yes" : "no") + "</td>" +
           fitCells(fits(i)) + "</tr>";
  }
  out += "</tbody></table></section>\n";
}

std::string swatch(const Look& look, bool ghost = false) {
  return "<svg width=\"34\" height=\"16\" viewBox=\"0 0 34 16\" aria-hidden=\"true\"><rect x=\"2\" y=\"2.5\" "
         "width=\"30\" height=\"11\" rx=\"2\" fill=\"" + look.fill + "\" stroke=\"" + look.stroke +
         "\" stroke-width=\"" + fmt(look.strokeWidth) + "\"" +
         (ghost ? " fill-opacity=\".45\" stroke-dasharray=\"3 2\"" : "") + "/></svg>";
}

// Rank of a kind of band in the legend: alleles first, then hybrids, then
// modified forms, then the Ezones no allele explains.
int legendRank(BandKind kind) {
  switch (kind) {
    case BandKind::Homomeric: return 0;
    case BandKind::Heteromeric: return 1;
    case BandKind::Modified: return 2;
    case BandKind::Fixed: return 3;
    case BandKind::Unexplained: return 4;
    case BandKind::Empty: break;
  }
  return 5;
}

// Every origin of the gel once, locus by locus and allele by allele.
std::string legend(const Hypothesis& h, const Palette& pal, const std::string& prefix, bool ghosts) {
  std::map<std::tuple<int, int, int, int, int, int>, BandOrigin> entries;
  for (int z = 1; z <= h.ezones; ++z)
    for (const BandOrigin& o : originsAt(h, z))
      if (o.kind != BandKind::Empty)
        entries.emplace(std::tuple{legendRank(o.kind), o.locus, o.allele, o.locus2, o.allele2, o.form}, o);
  std::string s = "<aside class=\"legend\"><h3>Legend</h3><ul>";
  for (const auto& [key, o] : entries)
    s += "<li>" + swatch(lookOf(o, pal, prefix)) + "<code>" + originCode(o) + "</code><span>" + originWords(o) +
         "</span></li>";
  if (ghosts && !entries.empty())
    s += "<li>" + swatch(lookOf(entries.begin()->second, pal, prefix), true) +
         "<code>&#160;</code><span>a band of a missing phenotype (dashed lane), in the colour of its origin, "
         "paler and dashed</span></li>";
  s += "</ul></aside>";
  return s;
}

// The chart of observed against expected individuals under the gel `g` of
// hypothesis `h`, with a line that says how to read it.
std::string fitChart(const Hypothesis& h, const GelPlan& g, const std::optional<HypothesisFit>& fit) {
  if (!fit) return "<p class=\"note\">The hypothesis was not fitted to the counts of individuals.</p>";
  // One row for the whole sample, then, with populations, one per population
  // under its own allele frequencies.
  const auto rowOf = [&g](std::string label, const std::vector<int>* counts,
                          const std::vector<PhenotypeExpectation>& patterns,
                          const std::vector<PhenotypeExpectation>& missingList) {
    ChartRow row{std::move(label), {}, {}, {}};
    std::size_t ghost = 0;
    for (std::size_t i = 0; i < g.lanes.size(); ++i) {
      const bool missing = g.lanes[i].ghost;
      const std::size_t k = missing ? ghost++ : i;
      const auto& list = missing ? missingList : patterns;
      const double observed = missing ? 0.0
                              : counts  ? (i < counts->size() ? static_cast<double>((*counts)[i]) : 0.0)
                                        : static_cast<double>(g.lanes[i].count);
      row.observed.push_back(observed);
      row.expected.push_back(k < list.size() ? list[k].count : 0);
      row.g.push_back(k < list.size() ? list[k].g : 0);
    }
    return row;
  };
  std::vector<ChartRow> rows{rowOf(fit->populations.empty() ? "" : "All populations", nullptr, fit->patterns,
                                   fit->missing)};
  for (const PopulationFit& pf : fit->populations)
    rows.push_back(rowOf(pf.name.empty() ? "(no population)" : pf.name, &pf.counts, pf.patterns, pf.missing));
  return "<figure class=\"fit\"><figcaption>Observed (solid) and expected (outlined) individuals per lane under "
         "the fitted allele frequencies, the expected number under each lane; "
         "<span class=\"g-key\">&#9650;&#9660;</span> mark the lanes that add most to G (&#9650; more observed than "
         "expected, &#9660; fewer). A missing phenotype that differs from an observed one only in modified forms "
         "expects none: the hypothesis does not say how often a modified form shows." +
         std::string(fit->populations.empty()
                         ? ""
                         : " The first row is the whole sample (the sum of the populations' expectations), then "
                           "one row per population under its own allele frequencies.") +
         "</figcaption><div class=\"scroll\">" +
         drawFitChart(g, rows, "Observed and expected individuals under hypothesis " + num(h.number)) +
         "</div></figure>";
}

void appendHypothesis(std::string& out, const Results& r, const Sample& sample, const Hypothesis& h,
                      const std::optional<HypothesisFit>& fit) {
  const std::string prefix = "h" + num(h.number);
  const Palette pal(h);
  out += "<section class=\"hypothesis\" id=\"" + prefix + "\" data-hypothesis=\"" + num(h.number) + "\">";
  out += "<h2>Hypothesis " + num(h.number) + ": " + plural(static_cast<long long>(h.loci.size()), "locus", "loci") +
         (h.closed ? "<span class=\"badge closed\">closed</span>" : "<span class=\"badge open\">not closed</span>") +
         "</h2>";
  if (h.split)
    out += "<p class=\"warn\">From the search for overlapping Ezones: " + splitWords(h) +
           ". The two halves are marked x and framed in the gel.</p>";

  // The facts, in words.
  out += "<dl class=\"facts\">";
  for (const Locus& l : h.loci) {
    std::vector<std::string> alleles;
    for (const Allele& a : l.alleles) {
      std::string t = "allele " + num(a.allele) + " in " + ezoneList(&h, a.ezones);
      if (a.modifiedForms > 0) t += " (" + plural(a.modifiedForms, "modified form", "modified forms") + ")";
      alleles.push_back(t);
    }
    if (l.nullAllele) alleles.push_back("a null allele (0)");
    out += "<dt>Locus " + locusLetter(l.locus) + "</dt><dd>" + join(alleles, "; ") + "</dd>";
  }
  if (!h.heteromericBands.empty()) {
    std::vector<std::string> items;
    for (const HeteromericBand& b : h.heteromericBands)
      items.push_back(ezoneList(&h, b.ezones) + " " +
                      originCode({BandKind::Heteromeric, b.locus1, b.allele1, b.locus2, b.allele2, 0}));
    out += "<dt>Heteromeric bands</dt><dd>" + join(items, "; ") + "</dd>";
  }
  if (!h.modifiedBands.empty()) {
    std::vector<std::string> items;
    for (const ModifiedBand& m : h.modifiedBands)
      items.push_back(ezoneList(&h, m.ezones) + " " + originCode({BandKind::Modified, m.locus, m.allele, 0, 0, m.form}));
    out += "<dt>Modified bands</dt><dd>" + join(items, "; ") + "</dd>";
  }
  const long long missing = static_cast<long long>(h.missingPhenotypes.size());
  out += "<dt>Patterns</dt><dd>" + num(h.expected) + " expected, " + num(h.found) + " found" +
         (h.closed ? ": the sample is genetically closed"
                   : missing > 0 ? "; " + plural(missing, "missing phenotype is", "missing phenotypes are") +
                                       " drawn as dashed lanes"
                                 : "") +
         "</dd></dl>";

  // The gel.
  GelPlan g;
  g.prefix = prefix;
  g.label = "The gel under hypothesis " + num(h.number);
  g.ezones = h.ezones;
  g.rowOrder = rowOrder(h.ezones, h.split);
  for (int z = 1; z <= h.ezones; ++z) {
    const bool mark = static_cast<std::size_t>(z) <= h.ezoneBands.size() && h.ezoneBands[z - 1].splitMark;
    const std::vector<BandOrigin> origins = originsAt(h, z);
    const bool empty = origins.front().kind == BandKind::Empty;
    g.rowLabel.push_back(ezoneLabel(sample, z, r.input.ezones, mark));
    g.rowTitle.push_back("Ezone " + ezoneName(&h, z) + ": " + wordsAt(h, z));
    std::vector<std::string> codes;
    for (const BandOrigin& o : origins) codes.push_back(originCode(o));
    g.rightLabel.push_back(join(codes, " / "));
    g.rightTitle.push_back(wordsAt(h, z));
    g.rowMarked.push_back(mark);
    g.rowEmpty.push_back(empty);
  }
  for (const Locus& l : h.loci) g.lociLabels.push_back(locusLetter(l.locus));
  for (std::size_t p = 0; p < h.patterns.size(); ++p) {
    LanePlan lane{h.patterns[p], num(static_cast<long long>(p + 1)), countOf(r.input, p),
                  laneTitle(sample, p, countOf(r.input, p)), false, {}};
    if (p < h.genotypes.size())
      for (const LocusGenotype& lg : h.genotypes[p].loci) lane.genotypes.push_back(lg.text);
    g.lanes.push_back(std::move(lane));
  }
  std::map<std::string, const ExpectedPhenotype*> expected;
  for (const ExpectedPhenotype& e : h.expectedPhenotypes) expected.emplace(e.pattern, &e);
  const std::size_t ghosts = std::min(h.missingPhenotypes.size(), kMaxGhostLanes);
  for (std::size_t k = 0; k < ghosts; ++k) {
    const std::string& pat = h.missingPhenotypes[k];
    LanePlan lane{pat, "m" + num(static_cast<long long>(k + 1)), 0, "", true, {}};
    std::vector<std::string> texts;
    if (auto it = expected.find(pat); it != expected.end())
      for (const LocusGenotype& lg : it->second->loci) lane.genotypes.push_back(lg.text);
    for (std::size_t i = 0; i < lane.genotypes.size(); ++i)
      texts.push_back("locus " + locusLetter(h.loci[i].locus) + " " + lane.genotypes[i]);
    lane.title = "Missing phenotype m" + num(static_cast<long long>(k + 1)) + " (" + pat + ")" +
                 (texts.empty() ? std::string() : ": " + htmlEscape(join(texts, ", ")));
    g.lanes.push_back(std::move(lane));
  }
  g.defs = bandDefs(h, pal, prefix);
  g.bandAttributes = [&h, &pal, &prefix](int z, bool) {
    const Look look = lookOf(originsAt(h, z).front(), pal, prefix);
    return "class=\"band\" data-ezone=\"" + num(z) + "\" data-origin=\"" + codesAt(h, z) + "\" fill=\"" + look.fill +
           "\" stroke=\"" + look.stroke + "\" stroke-width=\"" + fmt(look.strokeWidth) + "\"";
  };
  g.bandTitle = [&h](int z) { return "Ezone " + ezoneName(&h, z) + ": " + wordsAt(h, z); };

  out += "<div class=\"gel-row\"><figure class=\"gel\"><div class=\"scroll\">" + drawGel(g) + "</div></figure>" +
         legend(h, pal, prefix, ghosts > 0) + "</div>";
  out += "<p class=\"note\">Under each lane: its genotype at every locus (alleles as numbered above, 0 the null "
         "allele; \u201ca/a|a/0\u201d where a null allele makes the two indistinguishable).</p>";
  if (h.missingPhenotypes.size() > ghosts)
    out += "<p class=\"note\">Only the first " + num(static_cast<long long>(ghosts)) + " of the " +
           num(static_cast<long long>(h.missingPhenotypes.size())) + " missing phenotypes are drawn.</p>";
  if (!h.phenotypesComplete)
    out += "<p class=\"note\">The hypothesis allows too many phenotypes to list them all; the missing ones drawn "
           "are among the first listed.</p>";
  out += fitChart(h, g, fit);
  out += "</section>\n";
}

}  // namespace

std::string locusLetter(int locus) {
  if (locus >= 1 && locus <= 26) return std::string(1, static_cast<char>('A' + locus - 1));
  return "L" + num(locus);
}

std::string originCode(const BandOrigin& o) {
  switch (o.kind) {
    case BandKind::Homomeric: return locusLetter(o.locus) + num(o.allele);
    case BandKind::Heteromeric:
      return locusLetter(o.locus) + num(o.allele) + "x" + locusLetter(o.locus2) + num(o.allele2);
    case BandKind::Modified: return locusLetter(o.locus) + num(o.allele) + "*m" + num(o.form);
    case BandKind::Fixed: return "fixed";
    case BandKind::Empty: return "empty";
    case BandKind::Unexplained: break;
  }
  return "unexplained";
}

std::string originWords(const BandOrigin& o) {
  switch (o.kind) {
    case BandKind::Homomeric: return "homomeric band of " + alleleWords(o.locus, o.allele);
    case BandKind::Heteromeric:
      if (o.locus == o.locus2)
        return "intralocus heteromeric band of locus " + locusLetter(o.locus) + ", " +
               (o.allele == 0 ? std::string("null allele") : "allele " + num(o.allele)) + " \u00d7 " +
               (o.allele2 == 0 ? std::string("null allele") : "allele " + num(o.allele2));
      return "interlocus heteromeric band of " + alleleWords(o.locus, o.allele) + " \u00d7 " +
             alleleWords(o.locus2, o.allele2);
    case BandKind::Modified:
      return "modified form " + num(o.form) + " of " + alleleWords(o.locus, o.allele) + " (facultative)";
    case BandKind::Fixed: return "fixed band (in every pattern)";
    case BandKind::Empty: return "empty Ezone (in no pattern)";
    case BandKind::Unexplained: break;
  }
  return "band this hypothesis does not explain";
}

std::string htmlEscape(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char c : text) {
    switch (c) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&#39;"; break;
      default:
        // Control characters have no place in an HTML text.
        if (static_cast<unsigned char>(c) < 0x20 && c != '\t' && c != '\n') out += "\uFFFD";
        else out += c;
    }
  }
  return out;
}

std::string runTimeText(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char buf[64];
  if (std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M %Z", &local) == 0) return "";
  return buf;
}

std::string htmlReport(const Results& results, const Sample& sample, const HtmlContext& context) {
  std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                    "<meta name=\"generator\" content=\"KORVELIN " + htmlEscape(context.version) + "\">\n"
                    "<title>KORVELIN: " + htmlEscape(results.input.file) + "</title>\n";
  appendStyle(out);
  out += "</head>\n<body>\n";
  appendHeader(out, results, context);
  // A run that failed shows what it read, and no analysis it did not make.
  if (!results.input.patterns.empty())
    appendObserved(out, results, sample);
  else
    out += "<section id=\"observed\" class=\"observed\"><h2>The observed gel</h2><p>No patterns were read.</p>"
           "</section>\n";
  const std::vector<bool> drawn = drawnHypotheses(results);
  if (!results.hypotheses.empty() || context.ended.empty()) appendSummary(out, results, drawn);
  for (std::size_t i = 0; i < results.hypotheses.size(); ++i)
    if (drawn[i]) appendHypothesis(out, results, sample, results.hypotheses[i], fitOf(results, i));
  out += "<footer>Written by KORVELIN " + htmlEscape(context.version) + " on " + htmlEscape(context.runTime) +
         ". Colours: Okabe\u2013Ito palette, one hue per locus, alleles in shades of it; every band names its origin "
         "on hover and in the legend.</footer>\n</body>\n</html>\n";
  return out;
}

}  // namespace korvelin
