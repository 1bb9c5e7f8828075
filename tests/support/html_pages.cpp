#include "html_pages.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <regex>
#include <nlohmann/json.hpp>
#include <set>
#include <sstream>

#include "export/html_report.h"
#include "export/json_export.h"
#include "results/hypothesis_fit.h"
#include "version.h"

namespace korvelin::testing {

RenderedRun renderRun(const std::map<std::string, std::string>& files, const std::vector<std::string>& answers) {
  RenderedRun run;
  run.transcript = runSession(files, answers);
  const HtmlContext context{kVersion, "2026-12-07 12:00 UTC", ""};
  run.html = htmlReport(run.transcript.results, run.transcript.sample, context);
  return run;
}

namespace {

struct Tag {
  std::string name;
  bool closing = false;
  std::map<std::string, std::string> attributes;
};

// The tag that starts at `at` (a '<'); `at` moves to its end. The pages
// write their tags in lower case and quote every attribute value.
Tag readTag(const std::string& html, std::size_t& at) {
  static const std::regex name(R"(^<(/?)([!\w-]+))"), attribute(R"re(([\w-]+)="([^"]*)")re");
  const std::size_t end = std::min(html.find('>', at), html.size());
  const std::string text = html.substr(at, end - at);
  at = end;
  Tag tag;
  if (std::smatch m; std::regex_search(text, m, name)) tag.closing = m[1].length() > 0, tag.name = m[2];
  for (std::sregex_iterator it(text.begin(), text.end(), attribute), last; it != last; ++it)
    tag.attributes[(*it)[1]] = (*it)[2];
  return tag;
}

std::set<std::string> tokens(const std::string& text) {
  std::istringstream in(text);
  std::set<std::string> out;
  for (std::string t; in >> t;) out.insert(t);
  return out;
}

std::string letter(int locus) { return std::string(1, static_cast<char>('A' + locus - 1)); }

}  // namespace

std::vector<PageSection> pageShape(const std::string& html) {
  std::vector<PageSection> sections;
  int gDepth = 0, laneDepth = -1;
  std::string chartLane;  // pattern of the chart lane we are in
  for (std::size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at)) {
    if (html.compare(at, 4, "<!--") == 0) {
      at = html.find("-->", at);
      continue;
    }
    Tag tag = readTag(html, at);
    if (tag.name == "style" && !tag.closing) {  // CSS may hold '<' in no form we use, but skip it whole
      at = html.find("</style", at);
      continue;
    }
    if (tag.name == "section" && !tag.closing) {
      PageSection s;
      if (auto it = tag.attributes.find("id"); it != tag.attributes.end()) s.id = it->second;
      if (auto it = tag.attributes.find("data-hypothesis"); it != tag.attributes.end())
        s.hypothesis = std::stoi(it->second);
      sections.push_back(s);
      continue;
    }
    if (tag.name == "g") {
      if (tag.closing) {
        if (--gDepth == laneDepth) laneDepth = -1;
        chartLane.clear();
        continue;
      }
      ++gDepth;
      const auto cls = tag.attributes.find("class");
      if (cls != tag.attributes.end() && tokens(cls->second).contains("chart-lane"))
        chartLane = tag.attributes["data-pattern"];
      if (cls != tag.attributes.end() && tokens(cls->second).contains("lane") && !sections.empty()) {
        laneDepth = gDepth - 1;
        sections.back().lanes.push_back({tag.attributes["data-pattern"],
                                         tokens(cls->second).contains("missing"), {}});
      }
      continue;
    }
    if (tag.closing || sections.empty()) continue;
    const auto cls = tag.attributes.find("class");
    if (cls != tag.attributes.end() && tokens(cls->second).contains("bar") && !chartLane.empty()) {
      sections.back().bars.push_back({chartLane, tokens(cls->second).contains("expected"),
                                      std::stod(tag.attributes["data-count"]), std::stod(tag.attributes["height"])});
      continue;
    }
    if (cls == tag.attributes.end() || !tokens(cls->second).contains("band")) continue;
    PageSection& s = sections.back();
    if (laneDepth < 0 || s.lanes.empty()) {
      ++s.strayBands;
      continue;
    }
    const auto ez = tag.attributes.find("data-ezone");
    const auto origin = tag.attributes.find("data-origin");
    s.lanes.back().bands.push_back({ez == tag.attributes.end() ? 0 : std::stoi(ez->second),
                                    origin == tag.attributes.end() ? "" : origin->second});
  }
  return sections;
}

namespace {

// The difference between a lane and the pattern it should draw.
std::string laneMismatch(const PageLane& lane, const std::string& pattern, bool ghost) {
  if (lane.pattern != pattern) return "lane " + lane.pattern + " where " + pattern + " was due";
  if (lane.ghost != ghost) return "lane " + pattern + (ghost ? " is not" : " is") + " a ghost lane";
  std::vector<int> want, got;
  for (std::size_t z = 0; z < pattern.size(); ++z)
    if (pattern[z] == '1') want.push_back(static_cast<int>(z + 1));
  for (const PageBand& b : lane.bands) got.push_back(b.ezone);
  if (want != got) return "lane " + pattern + " has the bands of other Ezones";
  return "";
}

// The difference between the chart's bars and the observed and expected
// counts of the fit of the JSON document, for the `lanes` drawn.
std::string chartMismatch(const nlohmann::json& fit, const std::vector<PageBar>& bars, std::size_t lanes) {
  if (fit.is_null()) return bars.empty() ? "" : "a chart for a hypothesis without a fit";
  const auto& phenotypes = fit.at("phenotypes");
  if (bars.size() != 2 * lanes)
    return std::to_string(bars.size()) + " chart bars for " + std::to_string(lanes) + " lanes";
  if (phenotypes.size() < lanes) return "fewer fitted phenotypes than lanes";
  double unit = 0, largest = 0;  // the scale, from the tallest bar
  for (const PageBar& b : bars)
    if (b.count > largest) largest = b.count, unit = b.height / b.count;
  for (std::size_t k = 0; k < bars.size(); ++k) {
    const auto& want = phenotypes.at(k / 2);
    const PageBar& b = bars[k];
    const double count = want.at(b.expected ? "expected_count" : "count").get<double>();
    const std::string what = "chart bar " + std::to_string(k / 2 + 1) + (b.expected ? " expected" : " observed");
    if (b.pattern != want.at("pattern") || b.expected != (k % 2 == 1)) return what + " stands in the wrong lane";
    if (std::abs(b.count - count) > 1e-5 * std::max(1.0, count)) return what + " counts " + std::to_string(b.count);
    if (std::abs(b.height - count * unit) > 0.1) return what + " is not drawn to the chart's scale";
  }
  return "";
}

}  // namespace

std::string shapeMismatch(const Results& results, const Sample& sample, const std::string& html) {
  const auto doc = nlohmann::json::parse(toJson(results, sample, 0, ""));
  const std::vector<PageSection> page = pageShape(html);
  const auto& input = doc.at("input");
  const auto& hypotheses = doc.at("hypotheses");
  std::vector<const PageSection*> observed, sections;
  for (const PageSection& s : page) {
    if (s.strayBands > 0) return "section " + s.id + " has bands outside lanes";
    if (s.hypothesis > 0) sections.push_back(&s);
    else if (!s.lanes.empty()) observed.push_back(&s);
  }
  const auto& patterns = input.at("patterns");
  // A run that read no patterns draws no gel.
  if (observed.size() != (patterns.empty() ? 0U : 1U))
    return "observed gels: " + std::to_string(observed.size()) + " for " + std::to_string(patterns.size()) +
           " patterns";
  if (patterns.empty()) return hypotheses.empty() ? "" : "hypotheses without patterns";
  if (observed[0]->lanes.size() != patterns.size())
    return "observed gel: " + std::to_string(observed[0]->lanes.size()) + " lanes for " +
           std::to_string(patterns.size()) + " patterns";
  for (std::size_t p = 0; p < patterns.size(); ++p)
    if (auto d = laneMismatch(observed[0]->lanes[p], patterns[p].at("pattern"), false); !d.empty())
      return "observed gel: " + d;
  // A section for each hypothesis drawn (the best of each pass, see
  // drawnHypotheses), in the order of the hypotheses.
  std::vector<std::size_t> drawn;
  const std::vector<bool> isDrawn = drawnHypotheses(results);
  for (std::size_t i = 0; i < isDrawn.size(); ++i)
    if (isDrawn[i]) drawn.push_back(i);
  if (sections.size() != drawn.size())
    return std::to_string(sections.size()) + " hypothesis sections for " + std::to_string(drawn.size()) +
           " drawn of " + std::to_string(hypotheses.size());
  auto next = drawn.begin();
  for (const PageSection* section : sections) {
    const auto& h = hypotheses[*next++];
    const PageSection& s = *section;
    const std::string where = "hypothesis " + std::to_string(h.at("number").get<int>()) + ": ";
    if (s.hypothesis != h.at("number").get<int>()) return where + "section numbered " + std::to_string(s.hypothesis);
    // What each Ezone's band should be called, from the alleles and bands.
    std::map<int, std::set<std::string>> origins;
    for (const auto& l : h.at("loci"))
      for (const auto& a : l.at("alleles"))
        for (int z : a.at("ezones"))
          origins[z].insert(letter(l.at("locus")) + std::to_string(a.at("allele").get<int>()));
    for (const auto& b : h.at("heteromeric_bands"))
      for (int z : b.at("ezones"))
        origins[z].insert(letter(b.at("locus1")) + std::to_string(b.at("allele1").get<int>()) + "x" +
                          letter(b.at("locus2")) + std::to_string(b.at("allele2").get<int>()));
    for (const auto& m : h.at("modified_bands"))
      for (int z : m.at("ezones"))
        origins[z].insert(letter(m.at("locus")) + std::to_string(m.at("allele").get<int>()) + "*m" +
                          std::to_string(m.at("form").get<int>()));
    std::vector<std::pair<std::string, bool>> lanes;
    for (const auto& g : h.at("genotypes")) lanes.emplace_back(g.at("pattern"), false);
    const auto& missing = h.at("missing_phenotypes");
    for (std::size_t k = 0; k < missing.size() && k < kMaxGhostLanes; ++k) lanes.emplace_back(missing[k], true);
    if (s.lanes.size() != lanes.size())
      return where + std::to_string(s.lanes.size()) + " lanes for " + std::to_string(lanes.size());
    if (auto d = chartMismatch(h.at("fit"), s.bars, lanes.size()); !d.empty()) return where + d;
    for (std::size_t k = 0; k < lanes.size(); ++k) {
      if (auto d = laneMismatch(s.lanes[k], lanes[k].first, lanes[k].second); !d.empty()) return where + d;
      for (const PageBand& b : s.lanes[k].bands) {
        const std::set<std::string> got = tokens(b.origin);
        const auto it = origins.find(b.ezone);
        const bool ok = it == origins.end()
                            ? got.size() == 1 && (got.contains("fixed") || got.contains("unexplained"))
                            : got == it->second;
        if (!ok) return where + "Ezone " + std::to_string(b.ezone) + " band called \"" + b.origin + "\"";
      }
    }
  }
  return "";
}

}  // namespace korvelin::testing
