// The results as data agree with the text report of the same run: for every
// worked example and every reference transcript, the JSON document parses
// and announces the same hypotheses (loci, null alleles, expected and found
// patterns, closed samples) as the boxes of the report, the genotype table
// names every individual of the data file once per hypothesis and locus, with
// the genotype of its pattern, and the HTML page draws the lanes and bands of
// the JSON document.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <regex>
#include <set>

#include "export/genotype_table.h"
#include "export/html_report.h"
#include "export/json_export.h"
#include "harness.h"
#include "html_pages.h"
#include "pattern_generator.h"

namespace korvelin::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// What one announcement box of the report says.
struct Box {
  int number = 0;
  int loci = 0;
  int nullLoci = 0;
  long long expected = 0;  // -1: more than the box prints
  int found = 0;
  bool closed = false;
};

std::vector<Box> boxesOf(const std::string& console) {
  const std::regex head(R"( Hypothesis +(\d+):)"), loci(R"( \* ?(\d+)-locus hypothesis can be formulated \*)"),
      nulls(R"( \*     with null alleles? at +(\d+) loc)"), all(R"( \*          All of the +(\d+) +\*)"),
      only(R"( \*        only +(\d+) of the +(>?) *(\d+) +\*)"),
      instead(R"( \*      +(\d+) instead of the +(\d+) +\*)");
  std::vector<Box> boxes;
  std::smatch m;
  for (const std::string& line : lines(console)) {
    if (std::regex_match(line, m, head)) {
      boxes.push_back({});
      boxes.back().number = std::stoi(m[1]);
      continue;
    }
    if (boxes.empty()) continue;
    Box& b = boxes.back();
    if (std::regex_match(line, m, loci)) b.loci = std::stoi(m[1]);
    if (std::regex_search(line, m, nulls)) b.nullLoci = std::stoi(m[1]);
    if (std::regex_match(line, m, all)) b.expected = b.found = std::stoi(m[1]);
    if (std::regex_match(line, m, only)) {
      b.found = std::stoi(m[1]);
      b.expected = m[2] == ">" ? -1 : std::stoll(m[3]);
    }
    if (std::regex_match(line, m, instead)) {
      b.found = std::stoi(m[1]);
      b.expected = std::stoll(m[2]);
    }
    if (line == " * >>> Sample is genetically closed <<< *") b.closed = true;
  }
  return boxes;
}

// The rows of a CSV table without quoted fields, split at commas.
std::vector<std::vector<std::string>> csvRows(const std::string& text) {
  std::vector<std::vector<std::string>> rows;
  for (std::string line : lines(text)) {
    EXPECT_TRUE(line.ends_with('\r'));
    if (line.ends_with('\r')) line.pop_back();
    std::vector<std::string> fields;
    std::size_t from = 0;
    for (std::size_t at; (at = line.find(',', from)) != std::string::npos; from = at + 1)
      fields.push_back(line.substr(from, at - from));
    fields.push_back(line.substr(from));
    rows.push_back(fields);
  }
  return rows;
}

TEST(ResultsData, JsonAndGenotypeTableAgreeWithTheReport) {
  const auto runs = shippedRuns(KORVELIN_EXAMPLES, KORVELIN_TESTS_DIR);
  ASSERT_GE(runs.size(), 30u);
  int withHypotheses = 0, splitHypotheses = 0;
  for (const ShippedRun& run : runs) {
    SCOPED_TRACE(run.name);
    const Transcript t = runSession(run.files, run.answers);
    const json doc = json::parse(toJson(t.results, t.sample, t.status, "finished"));
    EXPECT_EQ(doc["schema_version"], 1);
    EXPECT_EQ(doc["ended"]["status"], t.status);
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
      SCOPED_TRACE("hypothesis " + std::to_string(b.number));
      EXPECT_EQ(h["number"], b.number);
      EXPECT_EQ(h["loci"].size(), static_cast<std::size_t>(b.loci));
      int nullLoci = 0;
      for (const json& l : h["loci"]) nullLoci += l["null_allele"].get<bool>() ? 1 : 0;
      EXPECT_EQ(nullLoci, b.nullLoci);
      if (b.expected < 0) {
        EXPECT_GT(h["expected"].get<long long>(), 999);
      } else {
        EXPECT_EQ(h["expected"], b.expected);
      }
      EXPECT_EQ(h["found"], b.found);
      EXPECT_EQ(h["closed"], b.closed);
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
        // The named line starts the pattern (in the layouts of these files,
        // its last 0/1 digits, after any label, begin the pattern; a record
        // may go on over further lines, and blanks read as 0).
        const std::size_t line = std::stoul(name.get<std::string>());
        ASSERT_LE(line, dataLines.size());
        std::string digits;
        for (char ch : dataLines[line - 1])
          if (ch == '0' || ch == '1') digits += ch;
        const std::size_t ezones = input["ezones"].get<std::size_t>();
        if (digits.size() > ezones) digits.erase(0, digits.size() - ezones);
        EXPECT_TRUE(!digits.empty() && input["patterns"][p]["pattern"].get<std::string>().starts_with(digits))
            << "line " << line << ": " << digits;
      }
    EXPECT_EQ(patternOf.size(), input["individuals"].get<std::size_t>());

    const auto rows = csvRows(genotypeTable(t.results, t.sample));
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows[0], (std::vector<std::string>{"hypothesis", "individual", "pattern", "locus", "genotype"}));
    std::map<std::pair<int, int>, std::set<std::string>> seen;  // (hypothesis, locus) -> individuals
    for (std::size_t r = 1; r < rows.size(); ++r) {
      ASSERT_EQ(rows[r].size(), 5u);
      const int number = std::stoi(rows[r][0]), locus = std::stoi(rows[r][3]);
      ASSERT_TRUE(number >= 1 && static_cast<std::size_t>(number) <= hypotheses.size());
      const json& h = hypotheses[static_cast<std::size_t>(number - 1)];
      ASSERT_TRUE(patternOf.contains(rows[r][1])) << rows[r][1];
      const json& g = h["genotypes"][patternOf[rows[r][1]]];
      EXPECT_EQ(rows[r][2], g["pattern"]);
      EXPECT_EQ(rows[r][4], g["loci"][static_cast<std::size_t>(locus - 1)]);
      EXPECT_TRUE(seen[std::pair(number, locus)].insert(rows[r][1]).second) << "twice: " << rows[r][1];
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
      found.clear();
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
  std::map<std::string, int> rules;
  int missingChecked = 0, withNull = 0, withHybrid = 0, withModified = 0;
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
        ++missingChecked;
        withNull += std::any_of(h.loci.begin(), h.loci.end(), [](const Locus& l) { return l.nullAllele; });
        withHybrid += !h.heteromericBands.empty();
        withModified += !h.modifiedBands.empty();
      }
      const auto numbers = trueAlleleNumbers(h, *c.truth);
      if (numbers.empty()) continue;
      ASSERT_EQ(h.genotypes.size(), c.truth->genotypes.size());
      for (std::size_t p = 0; p < h.genotypes.size(); ++p) {
        for (std::size_t l = 0; l < numbers.size(); ++l) {
          const auto [x, y] = c.truth->genotypes[p][l];
          const int a = y == 0 ? 0 : numbers[l][static_cast<std::size_t>(y - 1)];
          const int b = x == 0 ? 0 : numbers[l][static_cast<std::size_t>(x - 1)];
          std::string rule, want;
          if (a == 0) {
            rule = "null homozygote", want = "0/0";
          } else if (b == 0 || a == b) {
            const std::string n1 = std::to_string(a);
            rule = c.truth->loci[l].nullAllele ? "homozygote or null heterozygote" : "homozygote";
            want = n1 + "/" + n1 + (c.truth->loci[l].nullAllele ? "|" + n1 + "/0" : "");
          } else {
            rule = "heterozygote", want = std::to_string(std::min(a, b)) + "/" + std::to_string(std::max(a, b));
          }
          ++rules[rule];
          // The true locus l is the hypothesis's locus that holds its alleles.
          bool seen = false;
          for (const LocusGenotype& g : h.genotypes[p].loci) seen = seen || g.text == want;
          EXPECT_TRUE(seen) << h.genotypes[p].pattern << " locus " << l + 1 << " wants " << want;
        }
      }
    }
  }
  for (const char* rule : {"null homozygote", "homozygote or null heterozygote", "homozygote", "heterozygote"})
    EXPECT_GE(rules[rule], 20) << rule;
  EXPECT_GE(missingChecked, 40);
  EXPECT_GE(withNull, 10);
  EXPECT_GE(withHybrid, 5);
  EXPECT_GE(withModified, 5);
}

}  // namespace
}  // namespace korvelin::testing
