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

}  // namespace
}  // namespace korvelin
