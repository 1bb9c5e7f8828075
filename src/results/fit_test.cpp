// Fit of a hypothesis to the counts of individuals: EM estimates, likelihood,
// G test and AIC against values worked out by hand, and the ranking.

#include "results/fit.h"

#include <gtest/gtest.h>

#include <cmath>
#include <stdexcept>
#include <string>

namespace korvelin::fit {
namespace {

using G = std::vector<Genotype>;

Pattern pattern(long count, std::vector<G> genotypes) { return Pattern{count, std::move(genotypes)}; }

Input oneLocus(Locus locus, std::vector<Pattern> patterns) {
  Input in{{locus}, std::move(patterns), 0};
  in.expectedClasses = homomericClasses(in.loci);
  return in;
}

// Alleles 1, 2 and the null allele: the four phenotypes 1, 2, 1+2 and none.
Input dominance(long n1, long n2, long n12, long n0) {
  return oneLocus({2, true}, {pattern(n1, {{{1, 1}, {1, 0}}}), pattern(n2, {{{2, 2}, {0, 2}}}),
                              pattern(n12, {{{1, 2}}}), pattern(n0, {{{0, 0}}})});
}

struct Expected {
  std::string name;
  Input input;
  std::vector<std::vector<double>> frequencies;
  double logLikelihood, g;
  int df;
  std::optional<double> p;
  double aic;
};

// Two independent loci: alleles 1, 2 at the first; allele 1 and a null
// allele at the second (band present "P" or absent "A").
Input twoLoci() {
  Input in{{{2, false}, {1, true}}, {}, 0};
  const G present{{1, 1}, {0, 1}}, absent{{0, 0}};
  const std::vector<std::pair<G, std::pair<long, long>>> first{
      {{{1, 1}}, {25, 5}}, {{{1, 2}}, {40, 10}}, {{{2, 2}}, {15, 5}}};
  for (const auto& [g1, counts] : first) {
    in.patterns.push_back(pattern(counts.first, {g1, present}));
    in.patterns.push_back(pattern(counts.second, {g1, absent}));
  }
  in.expectedClasses = homomericClasses(in.loci);
  return in;
}

TEST(Fit, HandComputedCases) {
  const double p0 = std::sqrt(0.2);
  const std::vector<Expected> cases{
      // p = (60 + 50) / 200; expected 30.25, 49.5, 20.25.
      {"two codominant alleles",
       oneLocus({2, false}, {pattern(30, {{{1, 1}}}), pattern(50, {{{1, 2}}}), pattern(20, {{{2, 2}}})}),
       {{0.55, 0.45}},
       30 * std::log(0.3025) + 50 * std::log(0.495) + 20 * std::log(0.2025),
       0.0102046165,
       1,
       std::erfc(std::sqrt(0.0102046165 / 2)),
       2 - 2 * (30 * std::log(0.3025) + 50 * std::log(0.495) + 20 * std::log(0.2025))},
      // Dominance: only the null homozygote is told apart, p0^2 = 16/100, so
      // p0 = 0.4 in closed form; two classes, one free frequency: saturated.
      {"dominant allele and null allele",
       oneLocus({1, true}, {pattern(84, {{{1, 1}, {0, 1}}}), pattern(16, {{{0, 0}}})}),
       {{0.6, 0.4}},
       84 * std::log(0.84) + 16 * std::log(0.16),
       0,
       0,
       std::nullopt,
       2 - 2 * (84 * std::log(0.84) + 16 * std::log(0.16))},
      // Independent loci: marginals 30/50/20 and 20 of 100 without the band,
      // so p = 0.55 and p0 = sqrt(0.2); six classes, two free frequencies.
      {"two independent loci", twoLoci(), {{0.55, 0.45}, {1 - p0, p0}}, -153.0106460685, 0.5233686536, 3,
       0.9137282306, 310.0212921371},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const Result r = estimate(c.input);
    EXPECT_TRUE(r.converged);
    ASSERT_EQ(r.frequencies.size(), c.frequencies.size());
    for (std::size_t l = 0; l < c.frequencies.size(); ++l) {
      ASSERT_EQ(r.frequencies[l].size(), c.frequencies[l].size());
      for (std::size_t a = 0; a < c.frequencies[l].size(); ++a)
        EXPECT_NEAR(r.frequencies[l][a], c.frequencies[l][a], 1e-6) << "locus " << l << " allele " << a;
    }
    EXPECT_NEAR(r.logLikelihood, c.logLikelihood, 1e-6);
    EXPECT_NEAR(r.g, c.g, 1e-6);
    EXPECT_EQ(r.df, c.df);
    ASSERT_EQ(r.pValue.has_value(), c.p.has_value());
    if (c.p) {
      EXPECT_NEAR(*r.pValue, *c.p, 1e-6);
    }
    EXPECT_NEAR(r.aic, c.aic, 1e-6);
  }
}

TEST(Fit, AmbiguousGenotypesAreSplitByTheirExpectedShares) {
  // Without closed form: the estimates must make the score vanish, i.e. the
  // expected allele counts under the fitted frequencies reproduce them.
  const Result r = estimate(dominance(40, 25, 20, 15));
  ASSERT_TRUE(r.converged);
  const double p1 = r.frequencies[0][0], p2 = r.frequencies[0][1], p0 = r.frequencies[0][2];
  EXPECT_NEAR(p1 + p2 + p0, 1, 1e-12);
  const double nulls = 40 * (2 * p1 * p0) / (p1 * p1 + 2 * p1 * p0) + 25 * (2 * p2 * p0) / (p2 * p2 + 2 * p2 * p0) +
                       2 * 15;
  EXPECT_NEAR(p0, nulls / 200, 1e-8);
  // More null homozygotes than the exact case above: a larger null frequency.
  EXPECT_GT(p0, 0.2);
  EXPECT_EQ(r.df, 1);
  ASSERT_TRUE(r.pValue.has_value());
  EXPECT_NEAR(*r.pValue, std::erfc(std::sqrt(r.g / 2)), 1e-9);
}

TEST(Fit, NullAlleleTheDataDoNotNeedIsReportedAsNotConverged) {
  // Everybody shows the band: the null frequency creeps towards 0 (by
  // p0 / (1 + p0) per step) and never settles within the limit.
  const Result r = estimate(oneLocus({1, true}, {pattern(100, {{{1, 1}, {0, 1}}})}));
  EXPECT_FALSE(r.converged);
  EXPECT_EQ(r.iterations, 10000);
  EXPECT_LT(r.frequencies[0][1], 1e-3);
  EXPECT_NEAR(r.logLikelihood, 0, 1e-4);
}

TEST(Fit, PatternsAllowingTheSameGenotypesArePooled) {
  // A facultative modified band splits 30 homozygotes into 10 + 20: the
  // hypothesis can only predict the pooled class.
  Input split = oneLocus({2, false}, {pattern(10, {{{1, 1}}}), pattern(50, {{{2, 1}}}), pattern(20, {{{2, 2}}}),
                                      pattern(20, {{{1, 1}}}), pattern(0, {{{1, 2}}})});
  const Result r = estimate(split);
  EXPECT_EQ(r.classes, 3);
  EXPECT_EQ(r.individuals, 100);
  EXPECT_NEAR(r.g, 0.0102046165, 1e-6);
  EXPECT_NEAR(r.frequencies[0][0], 0.55, 1e-9);
  EXPECT_EQ(r.df, 1);
  // The 30 divide 10 : 20 at one more parameter.
  const double ll = 30 * std::log(0.3025) + 50 * std::log(0.495) + 20 * std::log(0.2025) + 10 * std::log(10.0 / 30) +
                    20 * std::log(20.0 / 30);
  EXPECT_NEAR(r.logLikelihood, ll, 1e-6);
  EXPECT_EQ(r.shareParameters, 1);
  EXPECT_NEAR(r.aic, 4 - 2 * ll, 1e-6);
}

TEST(Fit, UnusableInputsAreRefused) {
  const std::vector<std::pair<std::string, Input>> cases{
      {"no loci", Input{}},
      {"allele beyond the locus", oneLocus({1, false}, {pattern(5, {{{1, 2}}})})},
      {"null allele at a locus without one", oneLocus({2, false}, {pattern(5, {{{1, 0}}})})},
      {"no genotype", oneLocus({2, false}, {pattern(5, {{}})})},
      {"no individuals", oneLocus({2, false}, {pattern(0, {{{1, 1}}})})},
      {"overlapping genotype sets", oneLocus({1, true}, {pattern(5, {{{1, 1}, {0, 1}}}), pattern(5, {{{1, 1}}})})},
  };
  for (const auto& [name, in] : cases) EXPECT_THROW(estimate(in), std::invalid_argument) << name;
}

TEST(Fit, RankingByAic) {
  struct Case {
    std::vector<double> aics;
    std::vector<int> ranks;
    std::vector<double> deltas, weights;
  };
  const std::vector<Case> cases{
      {{10, 12, 10, 20}, {1, 3, 1, 4}, {0, 2, 0, 10}, {0.4211204740, 0.1549215646, 0.4211204740, 0.0028374874}},
      {{300.5, 300.5 + 1e-9, 299}, {2, 2, 1}, {1.5, 1.5, 0}, {0.2428953111, 0.2428953111, 0.5142093777}},
      {{7}, {1}, {0}, {1}},
      {{}, {}, {}, {}},
  };
  for (const auto& c : cases) {
    const std::vector<Rank> r = rank(c.aics);
    ASSERT_EQ(r.size(), c.ranks.size());
    for (std::size_t i = 0; i < r.size(); ++i) {
      EXPECT_EQ(r[i].rank, c.ranks[i]) << i;
      EXPECT_NEAR(r[i].deltaAic, c.deltas[i], 1e-6) << i;
      EXPECT_NEAR(r[i].akaikeWeight, c.weights[i], 1e-9) << i;
    }
  }
}

}  // namespace
}  // namespace korvelin::fit
