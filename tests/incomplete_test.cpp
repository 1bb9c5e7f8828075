// The incomplete-sample search over the samples under tests/incomplete: each
// folder holds a data file and expected.json with what the search must give
// (the reference format): `hypotheses`, the whole set of hypotheses compared
// by their loci (the Ezones of each allele's band, and the null allele);
// `simulated_loci`, the model the sample was drawn from, which must be among
// them, and with `ranks_first` rank first. Every sample also runs the
// strict search, which must name the way out when it finds nothing.

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>

#include "harness.h"

namespace korvelin::testing {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

// A locus: the Ezones of each allele's band, and whether it has a null allele.
using LocusShape = std::pair<std::set<std::vector<int>>, bool>;
using Shape = std::set<LocusShape>;

// `loci` as in expected.json, where "alleles" lists the Ezones of each
// allele or (simulated loci) one Ezone per allele, or as in our JSON, where
// each allele is an object with its "ezones".
Shape shapeOf(const json& loci) {
  Shape shape;
  for (const json& l : loci) {
    LocusShape s{{}, l.at("null_allele").get<bool>()};
    for (const json& allele : l.at("alleles")) {
      const json& a = allele.is_object() ? allele.at("ezones") : allele;
      s.first.insert(a.is_array() ? a.get<std::vector<int>>() : std::vector<int>{a.get<int>()});
    }
    shape.insert(s);
  }
  return shape;
}

TEST(IncompleteSamples, FindTheReferenceSetAndRankTheTrueModel) {
  int cases = 0;
  for (const auto& entry : fs::directory_iterator(fs::path(KORVELIN_TESTS_DIR) / "incomplete")) {
    SCOPED_TRACE(entry.path().filename().string());
    ++cases;
    std::map<std::string, std::string> files = filesIn(entry.path().string());
    const json expected = json::parse(files.at("expected.json"));
    files.erase("expected.json");
    const std::string data = files.begin()->first;

    const Transcript t = runCommandLineSession(files, {data, "--incomplete", "--json", "r.json", "-o", "r.out"});
    ASSERT_EQ(t.status, 0) << t.err;
    const json ours = json::parse(t.files.at("r.json"));
    EXPECT_EQ(ours.at("search"), "incomplete");
    std::multiset<Shape> found;
    std::map<Shape, int> rank;
    for (const json& h : ours.at("hypotheses")) {
      found.insert(shapeOf(h.at("loci")));
      rank[shapeOf(h.at("loci"))] = h.at("fit").at("rank").get<int>();
    }
    if (expected.contains("hypotheses")) {
      std::multiset<Shape> want;
      for (const json& h : expected.at("hypotheses")) want.insert(shapeOf(h));
      EXPECT_EQ(found, want);
    }
    if (expected.contains("individuals")) {
      EXPECT_EQ(ours.at("input").at("individuals"), expected.at("individuals"));
    }
    if (expected.contains("ranks_first")) {
      const Shape truth = shapeOf(expected.at("simulated_loci"));
      ASSERT_TRUE(rank.contains(truth)) << "the true model is not found";
      EXPECT_EQ(rank.at(truth), 1);
    }
    // The report lists the hypotheses as found, then ranks them.
    EXPECT_EQ(count(t.files.at("r.out"), "-locus hypothesis can be formulated"), static_cast<int>(found.size()));
    EXPECT_EQ(count(t.files.at("r.out"), "Hypotheses ranked by their fit"), found.empty() ? 0 : 1);
    // Standard output names the best ten by rank and counts the rest.
    EXPECT_EQ(count(t.out, "Hypothesis "), std::min<int>(10, static_cast<int>(found.size())));
    EXPECT_EQ(t.out.find("more (see --json)") != std::string::npos, found.size() > 10);

    const Transcript strict = runCommandLineSession(files, {data, "--json", "s.json", "-o", "s.out"});
    ASSERT_EQ(strict.status, 0);
    const json s = json::parse(strict.files.at("s.json"));
    EXPECT_EQ(s.at("search"), "strict");
    EXPECT_EQ(strict.err.find("--incomplete searches") != std::string::npos, s.at("hypotheses").empty());
  }
  EXPECT_GE(cases, 9);
}

}  // namespace
}  // namespace korvelin::testing
