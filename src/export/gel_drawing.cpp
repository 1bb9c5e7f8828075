#include "export/gel_drawing.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <set>
#include <tuple>
#include <utility>

#include "export/band_origins.h"
#include "export/html_text.h"

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
  explicit Palette(const std::map<int, int>& alleles) : alleles_(alleles) {}
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
  const std::map<int, int>& alleles_;  // per locus
};

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
std::string countText(long long count, double pitch) { return (pitch >= 40 ? "n=" : "") + std::to_string(count); }

}  // namespace

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

namespace {

// ---------------------------------------------------------------- the chart

// Lanes whose part of G is among the three largest of the row (and not 0)
// are marked.
constexpr std::size_t kMarkedParts = 3;

std::string number(double v, const char* format = "%.3g") {
  char buf[32];
  std::snprintf(buf, sizeof buf, format, v);
  return buf;
}

}  // namespace

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

namespace {

// ---------------------------------------------------------------- the legend

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
std::string legendOf(const Hypothesis& h, const Palette& pal, const std::string& prefix, bool ghosts) {
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

}  // namespace

BandPaint::BandPaint(const Hypothesis& h, std::string prefix) : h_(h), prefix_(std::move(prefix)) {
  for (const Locus& l : h.loci) alleles_[l.locus] = static_cast<int>(l.alleles.size());
}

std::string BandPaint::defs() const { return bandDefs(h_, Palette(alleles_), prefix_); }

std::string BandPaint::attributes(const BandOrigin& origin) const {
  const Look look = lookOf(origin, Palette(alleles_), prefix_);
  return "fill=\"" + look.fill + "\" stroke=\"" + look.stroke + "\" stroke-width=\"" + fmt(look.strokeWidth) + "\"";
}

std::string BandPaint::legend(bool ghosts) const { return legendOf(h_, Palette(alleles_), prefix_, ghosts); }

}  // namespace korvelin
