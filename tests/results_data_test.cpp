// The results as data agree with the text report of the same run: for every
// worked example and every reference transcript, the JSON document parses
// and announces the same hypotheses (loci, null alleles, expected and found
// patterns, closed samples) as the boxes of the report, the genotype table
// names every individual of the data file once per hypothesis and locus, with
// the genotype of its pattern, and the HTML page draws the lanes and bands of
// the JSON document.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>
#include <sstream>

#include "export/genotype_table.h"
#include "export/html_report.h"
#include "export/json_export.h"
#include "harness.h"
#include "pattern_generator.h"
#include "results/hypothesis_fit.h"

namespace korvelin::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// What one announcement box of the report says (expected -1: more than the box prints).
struct Box {
  int number = 0, loci = 0, nullLoci = 0, found = 0;
  long long expected = 0;
  bool closed = false;
};

std::vector<Box> boxesOf(const std::string& console) {
  const std::regex head(R"( Hypothesis +(\d+):)"), loci(R"( \* ?(\d+)-locus hypothesis can be formulated \*)"),
      nulls(R"( \*     with null alleles? at +(\d+) loc)"), all(R"( \*          All of the +(\d+) +\*)"),
      some(R"( \* +(?:only +)?(\d+) (?:instead )?of the +(>?) *(\d+) +\*)");
  std::vector<Box> boxes;
  std::smatch m;
  for (const std::string& line : lines(console)) {
    if (std::regex_match(line, m, head)) boxes.push_back({std::stoi(m[1])});
    if (boxes.empty()) continue;
    Box& b = boxes.back();
    if (std::regex_match(line, m, loci)) b.loci = std::stoi(m[1]);
    if (std::regex_search(line, m, nulls)) b.nullLoci = std::stoi(m[1]);
    if (std::regex_match(line, m, all)) b.expected = b.found = std::stoi(m[1]);
    if (std::regex_match(line, m, some)) b.found = std::stoi(m[1]), b.expected = m[2] == ">" ? -1 : std::stoll(m[3]);
    b.closed = b.closed || line == " * >>> Sample is genetically closed <<< *";
  }
  return boxes;
}

// The lanes, bands and chart bars of each section of a page, as its tags say
// (the observed gel has hypothesis 0). The pages write their tags in lower
// case and quote every attribute value.
struct PageLane {  // ghost: class "lane missing"; bands: Ezone, data-origin
  std::string pattern;
  bool ghost = false;
  std::vector<std::pair<int, std::string>> bands;
};
struct PageBar {  // of the chart of observed (else expected) against expected individuals
  std::string pattern;
  bool expected = false;
  double count = 0, height = 0;
};
struct PageSection {
  std::string id;
  int hypothesis = 0;
  std::vector<PageLane> lanes;
  std::vector<PageBar> bars;
};

std::set<std::string> tokens(const std::string& text) {
  std::istringstream in(text);
  std::set<std::string> out;
  for (std::string t; in >> t;) out.insert(t);
  return out;
}

std::vector<PageSection> pageShape(const std::string& html) {
  static const std::regex nameRe(R"(^<(/?)([!\w-]+))"), attributeRe(R"re(([\w-]+)="([^"]*)")re");
  std::vector<PageSection> sections;
  int gDepth = 0, laneDepth = -1;
  std::string chartLane;  // pattern of the chart lane we are in
  for (std::size_t at = html.find('<'); at != std::string::npos; at = html.find('<', at)) {
    if (html.compare(at, 4, "<!--") == 0 || html.compare(at, 6, "<style") == 0) {
      at = html.find(html[at + 1] == '!' ? "-->" : "</style", at);
      continue;
    }
    const std::size_t end = std::min(html.find('>', at), html.size());
    const std::string text = html.substr(at, end - at);
    at = end;
    std::smatch m;
    if (!std::regex_search(text, m, nameRe)) continue;
    const bool closing = m[1].length() > 0;
    const std::string name = m[2];
    std::map<std::string, std::string> attr;
    for (std::sregex_iterator it(text.begin(), text.end(), attributeRe), last; it != last; ++it)
      attr[(*it)[1]] = (*it)[2];
    const std::set<std::string> cls = tokens(attr["class"]);
    if (name == "section" && !closing) {
      sections.push_back({attr["id"], std::atoi(attr["data-hypothesis"].c_str()), {}, {}});
    } else if (name == "g" && closing) {
      if (--gDepth == laneDepth) laneDepth = -1;
      chartLane.clear();
    } else if (name == "g") {
      ++gDepth;
      if (cls.contains("chart-lane")) chartLane = attr["data-pattern"];
      if (cls.contains("lane") && !sections.empty()) {
        laneDepth = gDepth - 1;
        sections.back().lanes.push_back({attr["data-pattern"], cls.contains("missing"), {}});
      }
    } else if (!closing && !sections.empty()) {
      PageSection& s = sections.back();
      if (cls.contains("bar") && !chartLane.empty())
        s.bars.push_back({chartLane, cls.contains("expected"), std::stod(attr["data-count"]), std::stod(attr["height"])});
      else if (cls.contains("band") && (laneDepth < 0 || s.lanes.empty())) s.lanes.push_back({"(a band outside lanes)", false, {}});
      if (cls.contains("band"))
        s.lanes.back().bands.emplace_back(std::atoi(attr["data-ezone"].c_str()), attr["data-origin"]);
    }
  }
  return sections;
}

std::string letter(int locus) { return std::string(1, static_cast<char>('A' + locus - 1)); }

// The difference between drawn lanes and the patterns they should draw
// (pattern, ghost lane), a band per '1'.
std::string lanesMismatch(const std::vector<PageLane>& got, const std::vector<std::pair<std::string, bool>>& want) {
  if (got.size() != want.size())
    return std::to_string(got.size()) + " lanes for " + std::to_string(want.size()) + " patterns";
  for (std::size_t k = 0; k < got.size(); ++k) {
    std::string drawn(want[k].first.size(), '0');
    for (const auto& b : got[k].bands)
      if (b.first < 1 || b.first > static_cast<int>(drawn.size())) drawn = "a band off the gel";
      else ++drawn[static_cast<std::size_t>(b.first - 1)];
    if (got[k].pattern != want[k].first || got[k].ghost != want[k].second || drawn != want[k].first)
      return "lane " + got[k].pattern + (got[k].ghost ? " (ghost)" : "") + " with " + drawn + " where " + want[k].first + " was due";
  }
  return "";
}

// The difference between the chart's bars and the observed and expected
// counts of the fit of the JSON document, for the `lanes` drawn.
std::string chartMismatch(const nlohmann::json& fit, const std::vector<PageBar>& bars, std::size_t lanes) {
  if (fit.is_null()) return bars.empty() ? "" : "a chart for a hypothesis without a fit";
  const auto& phenotypes = fit.at("phenotypes");
  if (bars.size() != 2 * lanes) return std::to_string(bars.size()) + " chart bars for " + std::to_string(lanes) + " lanes";
  double unit = 0, largest = 0;  // the scale, from the tallest bar
  for (const PageBar& b : bars)
    if (b.count > largest) largest = b.count, unit = b.height / b.count;
  for (std::size_t k = 0; k < bars.size(); ++k) {
    const PageBar& b = bars[k];
    const double count = phenotypes.at(k / 2).at(b.expected ? "expected_count" : "count").get<double>();
    if (b.pattern != phenotypes.at(k / 2).at("pattern") || b.expected != (k % 2 == 1) ||
        std::abs(b.count - count) > 1e-5 * std::max(1.0, count) || std::abs(b.height - count * unit) > 0.1)
      return "chart bar " + std::to_string(k + 1) + " of " + b.pattern + " counts " + std::to_string(b.count);
  }
  return "";
}

// Empty when the lanes and bands of the page `html` are those of the JSON
// document of the same results (one lane per distinct pattern, a band per '1',
// a section per hypothesis drawn with ghost lanes for its missing phenotypes
// and the origin of every band; under a fitted hypothesis's gel an observed
// and an expected bar per lane with the counts of the fit, drawn to one
// scale), else the first difference.
std::string shapeMismatch(const Results& results, const Sample& sample, const std::string& html) {
  const auto doc = nlohmann::json::parse(toJson(results, sample, 0, ""));
  const std::vector<PageSection> page = pageShape(html);
  const auto& hypotheses = doc.at("hypotheses");
  std::vector<const PageSection*> observed, sections;
  for (const PageSection& s : page)
    if (s.hypothesis > 0 || !s.lanes.empty()) (s.hypothesis > 0 ? sections : observed).push_back(&s);
  // A run that read no patterns draws no gel.
  const auto& patterns = doc.at("input").at("patterns");
  if (observed.size() != (patterns.empty() ? 0U : 1U)) return std::to_string(observed.size()) + " observed gels";
  if (patterns.empty()) return hypotheses.empty() ? "" : "hypotheses without patterns";
  std::vector<std::pair<std::string, bool>> lanes;
  for (const auto& p : patterns) lanes.emplace_back(p.at("pattern"), false);
  if (auto d = lanesMismatch(observed[0]->lanes, lanes); !d.empty()) return "observed gel: " + d;
  // A section for each hypothesis drawn (the best of each pass, see
  // drawnHypotheses), in the order of the hypotheses.
  const std::vector<bool> isDrawn = drawnHypotheses(results);
  if (sections.size() != static_cast<std::size_t>(std::count(isDrawn.begin(), isDrawn.end(), true)))
    return std::to_string(sections.size()) + " hypothesis sections for " + std::to_string(hypotheses.size());
  std::size_t next = 0;
  for (const PageSection* section : sections) {
    while (!isDrawn[next]) ++next;
    const auto& h = hypotheses[next++];
    const PageSection& s = *section;
    const std::string where = "hypothesis " + std::to_string(h.at("number").get<int>()) + ": ";
    if (s.hypothesis != h.at("number").get<int>()) return where + "section " + s.id;
    // What each Ezone's band should be called, from the alleles and bands.
    std::map<int, std::set<std::string>> origins;
    const auto name = [](const json& j, const char* locus, const char* allele) {
      return letter(j.at(locus)) + std::to_string(j.at(allele).get<int>());
    };
    for (const auto& l : h.at("loci"))
      for (const auto& a : l.at("alleles"))
        for (int z : a.at("ezones")) origins[z].insert(letter(l.at("locus")) + std::to_string(a.at("allele").get<int>()));
    for (const auto& b : h.at("heteromeric_bands"))
      for (int z : b.at("ezones")) origins[z].insert(name(b, "locus1", "allele1") + "x" + name(b, "locus2", "allele2"));
    for (const auto& m : h.at("modified_bands"))
      for (int z : m.at("ezones")) origins[z].insert(name(m, "locus", "allele") + "*m" + std::to_string(m.at("form").get<int>()));
    lanes.clear();
    for (const auto& g : h.at("genotypes")) lanes.emplace_back(g.at("pattern"), false);
    const auto& missing = h.at("missing_phenotypes");
    for (std::size_t k = 0; k < missing.size() && k < kMaxGhostLanes; ++k) lanes.emplace_back(missing[k], true);
    if (auto d = lanesMismatch(s.lanes, lanes); !d.empty()) return where + d;
    if (auto d = chartMismatch(h.at("fit"), s.bars, lanes.size()); !d.empty()) return where + d;
    for (const PageLane& lane : s.lanes)
      for (const auto& [ezone, origin] : lane.bands) {
        const auto it = origins.find(ezone);
        if (it == origins.end() ? origin != "fixed" && origin != "unexplained" : tokens(origin) != it->second)
          return where + "Ezone " + std::to_string(ezone) + " band called \"" + origin + "\"";
      }
  }
  return "";
}

TEST(ResultsData, JsonAndGenotypeTableAgreeWithTheReport) {
  const auto runs = shippedRuns(KORVELIN_EXAMPLES, KORVELIN_TESTS_DIR);
  ASSERT_GE(runs.size(), 30u);
  int withHypotheses = 0, splitHypotheses = 0;
  for (const ShippedRun& run : runs) {
    SCOPED_TRACE(run.name);
    const Transcript t = runSession(run.files, run.answers);
    const json doc = json::parse(toJson(t.results, t.sample, t.status, "finished"));
    EXPECT_EQ(shapeMismatch(t.results, t.sample, htmlReport(t.results, t.sample, {})), "");

    // The hypotheses against the boxes.
    const std::vector<Box> boxes = boxesOf(t.out);
    const json& hypotheses = doc["hypotheses"];
    ASSERT_EQ(hypotheses.size(), boxes.size());
    EXPECT_EQ(doc["totals"]["hypotheses"], boxes.size());
    int closed = 0;
    for (std::size_t i = 0; i < boxes.size(); ++i) {
      const Box& b = boxes[i];
      const json& h = hypotheses[i];
      EXPECT_EQ(h["number"], b.number);
      EXPECT_EQ(h["loci"].size(), static_cast<std::size_t>(b.loci));
      EXPECT_EQ(std::count_if(h["loci"].begin(), h["loci"].end(), [](const json& l) { return l["null_allele"] == true; }),
                b.nullLoci);
      EXPECT_TRUE(b.expected < 0 ? h["expected"] > 999 : h["expected"] == b.expected) << h["expected"];
      EXPECT_EQ(h["found"], b.found);
      EXPECT_EQ(h["closed"], b.closed) << b.number;
      closed += b.closed ? 1 : 0;
      if (!h["split"].is_null()) ++splitHypotheses;
    }
    EXPECT_EQ(doc["totals"]["closed"], closed);
    if (!boxes.empty()) ++withHypotheses;

    // Every individual of the data file, once per hypothesis and locus.
    const json& input = doc["input"];
    if (input["file"].get<std::string>().empty()) continue;
    const auto dataFile = run.files.find(fs::path(input["file"].get<std::string>()).filename().string());
    ASSERT_NE(dataFile, run.files.end());
    const std::vector<std::string> dataLines = lines(dataFile->second);
    std::map<std::string, std::size_t> patternOf;  // individual -> distinct pattern
    for (std::size_t p = 0; p < input["patterns"].size(); ++p)
      for (const json& name : input["patterns"][p]["individuals"]) {
        EXPECT_TRUE(patternOf.emplace(name.get<std::string>(), p).second) << name;
        // The named line starts the pattern: in these files its last 0/1
        // digits begin it (a record may go on over further lines).
        const std::size_t line = std::stoul(name.get<std::string>());
        ASSERT_LE(line, dataLines.size());
        std::string digits;
        std::copy_if(dataLines[line - 1].begin(), dataLines[line - 1].end(), std::back_inserter(digits),
                     [](char ch) { return ch == '0' || ch == '1'; });
        digits.erase(0, digits.size() - std::min(digits.size(), input["ezones"].get<std::size_t>()));
        EXPECT_TRUE(!digits.empty() && input["patterns"][p]["pattern"].get<std::string>().starts_with(digits)) << line;
      }
    EXPECT_EQ(patternOf.size(), input["individuals"].get<std::size_t>());

    std::map<std::pair<int, int>, std::set<std::string>> seen;  // (hypothesis, locus) -> individuals
    const std::vector<std::string> table = lines(genotypeTable(t.results, t.sample));
    for (std::size_t r = 1; r < table.size(); ++r) {
      EXPECT_TRUE(table[r].ends_with('\r'));
      std::vector<std::string> row;  // no quoted fields: split at commas
      std::istringstream in(table[r].substr(0, table[r].size() - 1));
      for (std::string field; std::getline(in, field, ',');) row.push_back(field);
      ASSERT_EQ(row.size(), 5u);
      const int number = std::stoi(row[0]), locus = std::stoi(row[3]);
      ASSERT_TRUE(number >= 1 && static_cast<std::size_t>(number) <= hypotheses.size());
      const json& h = hypotheses[static_cast<std::size_t>(number - 1)];
      ASSERT_TRUE(patternOf.contains(row[1])) << row[1];
      const json& g = h["genotypes"][patternOf[row[1]]];
      EXPECT_EQ(row[2], g["pattern"]);
      EXPECT_EQ(row[4], g["loci"][static_cast<std::size_t>(locus - 1)]);
      EXPECT_TRUE(seen[std::pair(number, locus)].insert(row[1]).second) << "twice: " << row[1];
    }
    for (const json& h : hypotheses)
      for (const json& l : h["loci"])
        EXPECT_EQ(seen[std::pair(h["number"].get<int>(), l["locus"].get<int>())].size(), patternOf.size());
  }
  // The runs cover hypotheses of first passes and of split trials.
  EXPECT_GE(withHypotheses, 15);
  EXPECT_GE(splitHypotheses, 1);
}

// The report's number of each allele of the true model, locus by locus, when
// the hypothesis has the model's loci (alleles on the same bands, null
// alleles at the same loci); empty otherwise.
std::vector<std::vector<int>> trueAlleleNumbers(const Hypothesis& h, const TrueModel& truth) {
  std::vector<std::vector<int>> numbers;
  for (const TrueModel::Locus& tl : truth.loci) {
    std::vector<int> found;
    for (const Locus& l : h.loci) {
      if (l.nullAllele != tl.nullAllele || l.alleles.size() != tl.alleleEzones.size()) continue;
      for (int z : tl.alleleEzones)
        for (const Allele& a : l.alleles)
          if (std::find(a.ezones.begin(), a.ezones.end(), z) != a.ezones.end()) found.push_back(a.allele);
      if (found.size() == tl.alleleEzones.size()) break;
      found.clear();
    }
    if (found.empty()) return {};
    numbers.push_back(found);
  }
  return numbers;
}

// Generated models with null alleles, heteromeric and modified bands: under
// the hypothesis of the true model every pattern gets the genotype it was
// drawn from (after the rule: "a/a|a/0" where a null allele hides, "0/0" for
// the null homozygote), and under every hypothesis the expected phenotypes
// the sample lacks are as many as the announcement's count leaves.
TEST(ResultsData, GenotypesAndMissingPhenotypesOfGeneratedModels) {
  PatternGenerator gen(1616);
  std::array<int, 4> rules{};  // patterns per genotype rule
  std::array<int, 4> missingChecked{};  // all, with null alleles, heteromeric bands, modified bands
  for (int n = 0; n < 160; ++n) {
    const GeneratedCase c = gen.next(false, 8);
    if (!c.truth) continue;
    SCOPED_TRACE("case " + std::to_string(n));
    const Transcript t = runSession({{"g.dat", patternFile(c.patterns)}}, consoleAnswers("g.dat", 600));
    for (const Hypothesis& h : t.results.hypotheses) {
      SCOPED_TRACE("hypothesis " + std::to_string(h.number));
      // The announcement counts the modified forms of a locus as if each
      // were one more allele, which holds while no allele has two forms
      // (two forms of one allele of a locus with two alleles make 10
      // phenotypes, announced as 9); there the lists follow the genotypes.
      const bool formsCounted = std::all_of(h.loci.begin(), h.loci.end(), [](const Locus& l) {
        return l.alleles.size() < 2 ||
               std::all_of(l.alleles.begin(), l.alleles.end(), [](const Allele& a) { return a.modifiedForms < 2; });
      });
      if (h.found <= h.expected && formsCounted) {
        EXPECT_TRUE(h.phenotypesComplete);
        EXPECT_EQ(static_cast<long long>(h.missingPhenotypes.size()), h.expected - h.found);
        missingChecked[0] += 1;
        missingChecked[1] += std::any_of(h.loci.begin(), h.loci.end(), [](const Locus& l) { return l.nullAllele; });
        missingChecked[2] += !h.heteromericBands.empty();
        missingChecked[3] += !h.modifiedBands.empty();
      }
      const auto numbers = trueAlleleNumbers(h, *c.truth);
      if (numbers.empty()) continue;
      ASSERT_EQ(h.genotypes.size(), c.truth->genotypes.size());
      for (std::size_t p = 0; p < h.genotypes.size(); ++p) {
        for (std::size_t l = 0; l < numbers.size(); ++l) {
          const auto [x, y] = c.truth->genotypes[p][l];
          const int a = y == 0 ? 0 : numbers[l][static_cast<std::size_t>(y - 1)];
          const int b = x == 0 ? 0 : numbers[l][static_cast<std::size_t>(x - 1)];
          const bool hides = c.truth->loci[l].nullAllele;
          const std::string n1 = std::to_string(a), het = std::to_string(std::min(a, b)) + "/" + std::to_string(std::max(a, b));
          const std::string want = a == 0 ? "0/0" : b == 0 || a == b ? n1 + "/" + n1 + (hides ? "|" + n1 + "/0" : "") : het;
          ++rules[a == 0 ? 0 : b == 0 || a == b ? (hides ? 1 : 2) : 3];  // null homozygote, ..., heterozygote
          const bool seen = std::any_of(h.genotypes[p].loci.begin(), h.genotypes[p].loci.end(),
                                        [&](const LocusGenotype& g) { return g.text == want; });
          EXPECT_TRUE(seen) << h.genotypes[p].pattern << " locus " << l + 1 << " wants " << want;
        }
      }
    }
  }
  for (int count : rules) EXPECT_GE(count, 20);
  const std::array<int, 4> least{40, 10, 5, 5};  // element by element, not in dictionary order
  for (std::size_t k = 0; k < least.size(); ++k) EXPECT_GE(missingChecked[k], least[k]) << k;
}

}  // namespace
}  // namespace korvelin::testing
