// The fit of the hypotheses of a results model: genotypes into fit input,
// and ranking within each analysis pass.

#include "results/hypothesis_fit.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <stdexcept>

namespace korvelin {
namespace {

LocusGenotype genotype(int a, int b, bool ambiguous = false) { return {a, b, ambiguous, ""}; }

Locus locus(int number, int alleles, bool null) {
  Locus l{number, null, {}};
  for (int a = 1; a <= alleles; ++a) l.alleles.push_back({a, {a}, 0});
  return l;
}

// Patterns 00, 10, 01, 11 (two Ezones) explained by one locus with alleles
// 1, 2 and a null allele, or by two loci with one allele and a null allele
// each.
Hypothesis oneLocus(int number) {
  Hypothesis h;
  h.number = number;
  h.loci = {locus(1, 2, true)};
  h.genotypes = {{"00", {genotype(0, 0)}},
                 {"10", {genotype(1, 1, true)}},
                 {"01", {genotype(2, 2, true)}},
                 {"11", {genotype(1, 2)}}};
  return h;
}

Hypothesis twoLoci(int number) {
  Hypothesis h;
  h.number = number;
  h.loci = {locus(1, 1, true), locus(2, 1, true)};
  h.genotypes = {{"00", {genotype(0, 0), genotype(0, 0)}},
                 {"10", {genotype(1, 1, true), genotype(0, 0)}},
                 {"01", {genotype(0, 0), genotype(1, 1, true)}},
                 {"11", {genotype(1, 1, true), genotype(1, 1, true)}}};
  return h;
}

TEST(HypothesisFit, RankedWithinTheirAnalysisPass) {
  Results r;
  r.input.counts = {4, 45, 21, 30};  // exact proportions for p = (0.5, 0.3, 0.2)
  r.hypotheses = {twoLoci(1), oneLocus(2), twoLoci(3)};
  // A split trial of its own (the same patterns, for the test): ranked alone.
  r.hypotheses[2].pass = PassKind::SplitTrial;
  r.hypotheses[2].split = SplitTrial{2, 1, 3, "01"};
  const auto fits = fitHypotheses(r);
  ASSERT_EQ(fits.size(), 3U);
  for (const auto& f : fits) ASSERT_TRUE(f.has_value());
  // One locus (a/a|a/0 allowing both genotypes): p = (0.5, 0.3, 0.2) exactly.
  // Two loci: band 1 missing in 25 of 100 (q0 = 0.5), band 2 in 49 (r0 = 0.7).
  const double ll2 = 4 * std::log(0.25 * 0.49) + 45 * std::log(0.75 * 0.49) + 21 * std::log(0.25 * 0.51) +
                     30 * std::log(0.75 * 0.51);
  const double ll1 = 45 * std::log(0.45) + 21 * std::log(0.21) + 30 * std::log(0.3) + 4 * std::log(0.04);
  EXPECT_NEAR(fits[0]->result.logLikelihood, ll2, 1e-6);
  EXPECT_NEAR(fits[1]->result.logLikelihood, ll1, 1e-6);
  EXPECT_EQ(fits[1]->rank.rank, 1);
  EXPECT_EQ(fits[0]->rank.rank, 2);
  EXPECT_NEAR(fits[0]->rank.deltaAic, 2 * (ll1 - ll2), 1e-6);
  EXPECT_NEAR(fits[1]->rank.akaikeWeight, 1 / (1 + std::exp(ll2 - ll1)), 1e-9);
  EXPECT_EQ(fits[2]->rank.rank, 1);
  EXPECT_DOUBLE_EQ(fits[2]->rank.akaikeWeight, 1);
  EXPECT_FALSE(fits[0]->weak);
}

TEST(HypothesisFit, FewIndividualsMakeAWeakRankingAndUnusableHypothesesNone) {
  Results r;
  r.input.counts = {1, 3, 2, 3};
  Hypothesis empty = oneLocus(2);
  empty.loci.clear();
  for (auto& g : empty.genotypes) g.loci.clear();
  r.hypotheses = {oneLocus(1), empty, twoLoci(3)};
  const auto fits = fitHypotheses(r);
  ASSERT_TRUE(fits[0] && fits[2]);
  EXPECT_FALSE(fits[1].has_value());
  EXPECT_TRUE(fits[0]->weak);
  EXPECT_EQ(fits[0]->result.individuals, 9);
  EXPECT_NEAR(fits[0]->rank.akaikeWeight + fits[2]->rank.akaikeWeight, 1, 1e-12);
  EXPECT_THROW(fitInput(oneLocus(1), {4, 45}), std::invalid_argument);
}

// One locus with alleles 1, 2 and a null allele. With all four phenotypes
// in exact proportions the expected counts are the observed ones; without
// the null homozygote the sample lacks a phenotype that the fit expects.
TEST(HypothesisFit, ExpectedIndividualsOfEveryPhenotypeIncludingTheMissing) {
  Results r;
  r.input.counts = {4, 45, 21, 30};  // p = (0.5, 0.3, 0.2): 100 x (0.04, 0.45, 0.21, 0.30)
  r.hypotheses = {oneLocus(1)};
  fitResults(r);
  const std::vector<double> exact = {4, 45, 21, 30};
  ASSERT_TRUE(fitOf(r, 0));
  for (std::size_t i = 0; i < exact.size(); ++i) {
    EXPECT_NEAR(fitOf(r, 0)->patterns[i].count, exact[i], 1e-6);
    EXPECT_NEAR(fitOf(r, 0)->patterns[i].g, 0, 1e-6);
  }

  Hypothesis h = oneLocus(1);
  h.genotypes.erase(h.genotypes.begin());  // no 0/0 in the sample
  h.expectedPhenotypes = {{"00", {genotype(0, 0)}, false},
                          {"10", {genotype(1, 1, true)}, true},
                          {"01", {genotype(2, 2, true)}, true},
                          {"11", {genotype(1, 2)}, true}};
  h.missingPhenotypes = {"00"};
  r.input.counts = {45, 21, 30};
  r.hypotheses = {h};
  fitResults(r);
  const HypothesisFit& f = *fitOf(r, 0);
  const double p1 = f.result.frequencies[0][0], p2 = f.result.frequencies[0][1], p0 = f.result.frequencies[0][2];
  ASSERT_EQ(f.patterns.size(), 3U);
  ASSERT_EQ(f.missing.size(), 1U);
  EXPECT_NEAR(f.patterns[0].count, 96 * (p1 * p1 + 2 * p1 * p0), 1e-9);
  EXPECT_NEAR(f.patterns[1].count, 96 * (p2 * p2 + 2 * p2 * p0), 1e-9);
  EXPECT_NEAR(f.patterns[2].count, 96 * 2 * p1 * p2, 1e-9);
  EXPECT_NEAR(f.missing[0].count, 96 * p0 * p0, 1e-9);
  EXPECT_GT(f.missing[0].count, 0.5);  // the excess of single bands asks for a null allele
  double total = f.missing[0].count, g = f.missing[0].g;
  for (const PhenotypeExpectation& e : f.patterns) {
    total += e.count;
    g += e.g;
  }
  EXPECT_NEAR(total, 96, 1e-9);
  EXPECT_NEAR(g, f.result.g, 1e-9);
}

// The gels of the HTML page: the best ten of a pass (one without a fit
// last), then pass after pass until a hundred are drawn.
TEST(HypothesisFit, DrawnGelsAreTheBestOfEachPassUpToAHundred) {
  Results r;
  std::vector<std::optional<HypothesisFit>> fits;
  for (int i = 0; i < 12; ++i) {
    r.hypotheses.push_back(oneLocus(i + 1));
    fits.emplace_back(HypothesisFit{});
    fits.back()->rank.rank = 12 - i;  // the last is the best
  }
  fits[11].reset();  // no fit: after every ranked one
  for (int trial = 1; trial <= 150; ++trial) {
    Hypothesis h = oneLocus(12 + trial);
    h.pass = PassKind::SplitTrial;
    h.split = SplitTrial{1, trial, 150, "1"};
    r.hypotheses.push_back(h);
    fits.emplace_back(HypothesisFit{});
    fits.back()->rank.rank = 1;
  }
  r.fits = fits;
  const std::vector<bool> drawn = drawnHypotheses(r);
  const std::vector<bool> first(drawn.begin(), drawn.begin() + 12);
  EXPECT_EQ(first, std::vector<bool>({false, true, true, true, true, true, true, true, true, true, true, false}));
  EXPECT_EQ(std::count(drawn.begin() + 12, drawn.end(), true), 90);
  EXPECT_TRUE(drawn[12 + 89]);
  EXPECT_FALSE(drawn[12 + 90]);
}

// Two populations, fitted each with its own allele frequencies, against
// values worked out by hand: the sum of the populations' fits, and the test
// whether they differ (G = 2 (L per population - L pooled), df = k).
TEST(HypothesisFit, PerPopulationFitAndHeterogeneityByHand) {
  Hypothesis codominant;  // 1/1, 1/2, 2/2
  codominant.number = 1;
  codominant.loci = {locus(1, 2, false)};
  codominant.genotypes = {{"10", {genotype(1, 1)}}, {"11", {genotype(1, 2)}}, {"01", {genotype(2, 2)}}};
  Hypothesis null;  // band of allele 1 (1/1|1/0), or none (0/0)
  null.number = 1;
  null.loci = {locus(1, 1, true)};
  null.genotypes = {{"1", {genotype(1, 1, true)}}, {"0", {genotype(0, 0)}}};
  const double rootPoint4 = std::sqrt(0.4);
  struct Case {
    const char* name;
    Hypothesis h;
    std::vector<int> a, b;                    // individuals per pattern in populations A and B
    double frequencyA, frequencyB, pooled;    // of allele 1 (codominant) or the null allele
    double llA, llB, llPooled;
  };
  const std::vector<Case> cases{
      {"different frequencies", codominant, {30, 20, 10}, {5, 10, 25}, 2.0 / 3, 0.25, 0.5,
       30 * std::log(4.0 / 9) + 20 * std::log(4.0 / 9) + 10 * std::log(1.0 / 9),
       5 * std::log(1.0 / 16) + 10 * std::log(6.0 / 16) + 25 * std::log(9.0 / 16),
       70 * std::log(0.25) + 30 * std::log(0.5)},
      {"one shared frequency", codominant, {25, 50, 25}, {10, 20, 10}, 0.5, 0.5, 0.5,
       50 * std::log(0.25) + 50 * std::log(0.5), 20 * std::log(0.25) + 20 * std::log(0.5),
       70 * std::log(0.25) + 70 * std::log(0.5)},
      {"a null allele", null, {84, 16}, {36, 64}, 0.4, 0.8, rootPoint4,
       84 * std::log(0.84) + 16 * std::log(0.16), 36 * std::log(0.36) + 64 * std::log(0.64),
       120 * std::log(0.6) + 80 * std::log(0.4)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Results r;
    Sample sample;
    sample.populations = {"A", "B"};
    for (std::size_t p = 0; p < c.a.size(); ++p) {
      r.input.counts.push_back(c.a[p] + c.b[p]);
      sample.individuals.emplace_back();
      sample.populationOf.emplace_back();
      for (int k = 0; k < 2; ++k)
        for (int i = 0; i < (k == 0 ? c.a : c.b)[p]; ++i) {
          sample.individuals.back().push_back("x");
          sample.populationOf.back().push_back(k);
        }
    }
    r.hypotheses = {c.h};
    fitResults(r, sample);
    ASSERT_TRUE(fitOf(r, 0));
    const HypothesisFit& f = *fitOf(r, 0);
    ASSERT_EQ(f.populations.size(), 2U);
    ASSERT_TRUE(f.pooled);
    const std::size_t allele = c.h.loci[0].nullAllele ? 1 : 0;  // the null allele stands last
    EXPECT_NEAR(f.populations[0].result.frequencies[0][allele], c.frequencyA, 1e-7);
    EXPECT_NEAR(f.populations[1].result.frequencies[0][allele], c.frequencyB, 1e-7);
    EXPECT_NEAR(f.pooled->frequencies[0][allele], c.pooled, 1e-7);
    EXPECT_NEAR(f.populations[0].result.logLikelihood, c.llA, 1e-6);
    EXPECT_NEAR(f.populations[1].result.logLikelihood, c.llB, 1e-6);
    EXPECT_NEAR(f.pooled->logLikelihood, c.llPooled, 1e-6);
    // The ranking's fit is the sum: L and k add up.
    EXPECT_NEAR(f.result.logLikelihood, c.llA + c.llB, 1e-6);
    EXPECT_NEAR(f.result.aic, 2 * 2 - 2 * (c.llA + c.llB), 1e-6);
    EXPECT_NEAR(f.result.g, f.populations[0].result.g + f.populations[1].result.g, 1e-9);
    const double g = 2 * (c.llA + c.llB - c.llPooled);
    EXPECT_NEAR(f.heterogeneity.g, g, 1e-6);
    EXPECT_EQ(f.heterogeneity.df, 1);
    ASSERT_TRUE(f.heterogeneity.pValue);
    EXPECT_NEAR(*f.heterogeneity.pValue, std::erfc(std::sqrt(g / 2)), 1e-6);  // chi-square, 1 df
    // The expectations of the whole sample are the populations' summed.
    double expected = 0;
    for (const PhenotypeExpectation& e : f.patterns) expected += e.count;
    EXPECT_NEAR(expected, static_cast<double>(f.result.individuals), 1e-6);
    EXPECT_NEAR(f.patterns[1].count, f.populations[0].patterns[1].count + f.populations[1].patterns[1].count, 1e-9);
  }
}

}  // namespace
}  // namespace korvelin
