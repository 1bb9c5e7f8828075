// Fit of a hypothesis to the counts of individuals: EM estimates, likelihood,
// G test and AIC against values worked out by hand, the inputs refused and
// the ranking (the cases in tests/data/fit_cases.json).

#include "results/fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>

namespace korvelin::fit {
namespace {

using nlohmann::json;

json cases(const std::string& kind) {
  std::ifstream file(std::string(KORVELIN_TESTS_DIR) + "/data/fit_cases.json");
  return json::parse(file).at(kind);
}

// "1/1|1/0" is two genotypes; "" none.
std::vector<Genotype> genotypes(const std::string& text) {
  std::vector<Genotype> g;
  for (std::size_t at = 0; at < text.size(); at += 4) g.emplace_back(text[at] - '0', text[at + 2] - '0');
  return g;
}

Input input(const json& c) {
  Input in;
  for (const auto& l : c.at("loci")) in.loci.push_back({l[0].get<int>(), l[1].get<bool>()});
  for (const auto& p : c.at("patterns")) {
    in.patterns.push_back({p[0].get<long>(), {}});
    for (const auto& g : p[1]) in.patterns.back().genotypes.push_back(genotypes(g.get<std::string>()));
  }
  in.expectedClasses = homomericClasses(in.loci);
  return in;
}

TEST(Fit, HandComputedCases) {
  for (const auto& c : cases("estimates")) {
    SCOPED_TRACE(c.at("case").get<std::string>());
    const Result r = estimate(input(c));
    const double tolerance = c.value("tolerance", 1e-6);
    EXPECT_EQ(r.converged, c.value("converged", true));
    ASSERT_EQ(r.frequencies.size(), c.at("frequencies").size());
    for (std::size_t l = 0; l < r.frequencies.size(); ++l) {
      ASSERT_EQ(r.frequencies[l].size(), c["frequencies"][l].size());
      for (std::size_t a = 0; a < r.frequencies[l].size(); ++a)
        EXPECT_NEAR(r.frequencies[l][a], c["frequencies"][l][a], tolerance) << "locus " << l << " allele " << a;
    }
    for (const auto& [key, value] : std::initializer_list<std::pair<const char*, double>>{
             {"logLikelihood", r.logLikelihood}, {"g", r.g}, {"aic", r.aic}})
      if (c.contains(key)) {
        EXPECT_NEAR(value, c[key].get<double>(), tolerance) << key;
      }
    for (const auto& [key, value] : std::initializer_list<std::pair<const char*, long>>{
             {"df", r.df}, {"classes", r.classes}, {"individuals", r.individuals},
             {"shareParameters", r.shareParameters}, {"iterations", r.iterations}})
      if (c.contains(key)) {
        EXPECT_EQ(value, c[key].get<long>()) << key;
      }
    if (!c.contains("p")) continue;
    ASSERT_EQ(r.pValue.has_value(), !c["p"].is_null());
    if (r.pValue) {
      EXPECT_NEAR(*r.pValue, c["p"].get<double>(), tolerance);
    }
  }
}

TEST(Fit, AmbiguousGenotypesAreSplitByTheirExpectedShares) {
  // Alleles 1, 2 and the null allele, no closed form: the estimates must make
  // the score vanish, i.e. the expected allele counts under the fitted
  // frequencies reproduce them.
  const Result r = estimate(input(json::parse(
      R"({"loci": [[2, true]], "patterns": [[40, ["1/1|1/0"]], [25, ["2/2|0/2"]], [20, ["1/2"]], [15, ["0/0"]]]})")));
  ASSERT_TRUE(r.converged);
  const double p1 = r.frequencies[0][0], p2 = r.frequencies[0][1], p0 = r.frequencies[0][2];
  EXPECT_NEAR(p1 + p2 + p0, 1, 1e-12);
  const double nulls = 40 * (2 * p1 * p0) / (p1 * p1 + 2 * p1 * p0) + 25 * (2 * p2 * p0) / (p2 * p2 + 2 * p2 * p0) +
                       2 * 15;
  EXPECT_NEAR(p0, nulls / 200, 1e-8);
  // More null homozygotes than 16 in 100: a null frequency above 0.2.
  EXPECT_GT(p0, 0.2);
  EXPECT_EQ(r.df, 1);
  ASSERT_TRUE(r.pValue.has_value());
  EXPECT_NEAR(*r.pValue, std::erfc(std::sqrt(r.g / 2)), 1e-9);
}

TEST(Fit, UnusableInputsAreRefused) {
  for (const auto& c : cases("refused")) EXPECT_THROW(estimate(input(c)), std::invalid_argument) << c["case"];
}

TEST(Fit, RankingByAic) {
  for (const auto& c : cases("ranking")) {
    const std::vector<Rank> r = rank(c.at("aic").get<std::vector<double>>());
    ASSERT_EQ(r.size(), c.at("rank").size());
    for (std::size_t i = 0; i < r.size(); ++i) {
      EXPECT_EQ(r[i].rank, c["rank"][i].get<int>()) << c["aic"] << " " << i;
      EXPECT_NEAR(r[i].deltaAic, c["delta"][i].get<double>(), 1e-6) << c["aic"] << " " << i;
      EXPECT_NEAR(r[i].akaikeWeight, c["weight"][i].get<double>(), 1e-9) << c["aic"] << " " << i;
    }
  }
}

}  // namespace
}  // namespace korvelin::fit
