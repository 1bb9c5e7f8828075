// The fit ranking on simulated samples: individuals drawn under
// Hardy-Weinberg proportions from a known model, analysed by a whole session;
// the true hypothesis, when found, should rank first, and its G test should
// reject at the 5 % level about as often as chance says.

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>
#include <numeric>
#include <random>
#include <set>

#include "harness.h"
#include "pattern_generator.h"
#include "results/hypothesis_fit.h"

namespace korvelin::testing {
namespace {

// A locus as the hypothesis names it: the Ezones of every allele, and the
// null allele.
using LocusShape = std::pair<std::set<std::vector<int>>, bool>;

std::set<LocusShape> shape(const Hypothesis& h) {
  std::set<LocusShape> loci;
  for (const Locus& l : h.loci) {
    LocusShape s{{}, l.nullAllele};
    for (const Allele& a : l.alleles) s.first.insert(a.ezones);
    loci.insert(s);
  }
  return loci;
}

std::set<LocusShape> shape(const HwModel& m, const HwSample& s) {
  std::set<LocusShape> loci;
  for (std::size_t l = 0; l < m.loci.size(); ++l) {
    LocusShape x{{}, m.loci[l].nullFrequency > 0};
    for (const int z : s.alleleEzones[l]) x.first.insert({z});
    loci.insert(x);
  }
  return loci;
}

// The fits of the hypotheses that name the true loci, and how many other
// hypotheses were fitted (of the first pass only, when `firstPass`).
std::pair<std::vector<HypothesisFit>, int> fitsOfTruth(const Transcript& t, const std::set<LocusShape>& truth,
                                                       bool firstPass) {
  const auto fits = fitHypotheses(t.results);
  std::pair<std::vector<HypothesisFit>, int> found;
  for (std::size_t h = 0; h < fits.size(); ++h) {
    if (!fits[h] || (firstPass && t.results.hypotheses[h].pass != PassKind::First)) continue;
    if (shape(t.results.hypotheses[h]) == truth) found.first.push_back(*fits[h]);
    else ++found.second;
  }
  return found;
}

// Frequencies for `visible` alleles (each at least `least`) and, when
// `null` > 0, a null allele of frequency in [null, null + 0.15].
HwLocus locus(std::mt19937& rng, int visible, double null, double least = 0.12) {
  std::uniform_real_distribution<double> u(0, 1);
  HwLocus l{{}, null > 0 ? null + 0.15 * u(rng) : 0};
  std::vector<double> shares(static_cast<std::size_t>(visible));
  for (double& x : shares) x = 0.5 + u(rng);
  const double total = std::accumulate(shares.begin(), shares.end(), 0.0), rest = 1 - l.nullFrequency - least * visible;
  for (const double x : shares) l.alleles.push_back(least + rest * x / total);
  return l;
}

// The models: those in the first rows have competitors that explain the same
// patterns (two alleles with a null allele at one locus, or one allele with
// a null allele at each of two loci, and so on).
HwModel model(std::mt19937& rng, int kind) {
  HwModel m;
  switch (kind) {
    case 0: m.loci = {locus(rng, 2, 0.2)}; break;
    case 1: m.loci = {locus(rng, 1, 0.4), locus(rng, 1, 0.4)}; break;
    case 2: m.loci = {locus(rng, 1, 0.5), locus(rng, 1, 0.5), locus(rng, 1, 0.5)}; break;
    case 3: m.loci = {locus(rng, 2, 0.25), locus(rng, 2, 0)}; break;
    case 4: m.loci = {locus(rng, 3, 0.25)}; break;
    case 5:  // a dimer: the hybrid band of alleles 1 and 2
      m.loci = {locus(rng, 2, 0), locus(rng, 1, 0.4)};
      m.hybrids = {{0, 1, 0, 2}};
      break;
    default: m.loci = {locus(rng, 3, 0)}; break;
  }
  return m;
}

TEST(FitSimulation, TrueHypothesisRanksFirstAndItsTestRejectsRarely) {
  constexpr int kSamples = 210, kIndividuals = 200, kKinds = 7;
  PatternGenerator gen(20261207);
  std::mt19937 rng(19);
  int found = 0, first = 0, contested = 0, contestedFirst = 0, tested = 0, rejected = 0;
  for (int s = 0; s < kSamples; ++s) {
    const HwModel m = model(rng, s % kKinds);
    const HwSample sample = gen.hardyWeinberg(m, kIndividuals);
    const Transcript t = runSession({{"hw.dat", patternFile(sample.individuals)}}, consoleAnswers("hw.dat", 2000));
    ASSERT_EQ(t.results.input.individuals, kIndividuals) << s;
    const auto [truths, rivals] = fitsOfTruth(t, shape(m, sample), true);
    if (truths.empty()) continue;
    for (const HypothesisFit& f : truths) EXPECT_EQ(f.result.individuals, kIndividuals);
    const HypothesisFit& best = *std::min_element(
        truths.begin(), truths.end(), [](const auto& x, const auto& y) { return x.rank.rank < y.rank.rank; });
    ++found;
    first += best.rank.rank == 1;
    contested += rivals > 0;
    contestedFirst += rivals > 0 && best.rank.rank == 1;
    tested += best.result.pValue.has_value();
    rejected += best.result.pValue && *best.result.pValue < 0.05;
  }
  std::cout << "true hypothesis found in " << found << " of " << kSamples << " samples; ranked first in " << first
            << " (" << contestedFirst << " of the " << contested << " with rivals); G-test p < 0.05 in " << rejected
            << " of " << tested << " testable\n";
  ASSERT_GE(found * 10, kSamples * 8);  // the rates below must rest on most samples
  ASSERT_GE(contested * 4, kSamples);
  EXPECT_GE(first * 10, found * 9);
  ASSERT_GE(tested * 2, found);
  EXPECT_LE(rejected * 10, tested);
}

// Samples of the size labs have (30 to 100 individuals) that lack some
// phenotype of their model: the strict test cannot find the model, the
// incomplete-sample search should, and should rank it first unless the data
// cannot tell it from its rivals.
TEST(FitSimulation, IncompleteSamplesFindAndRankTheTrueModel) {
  constexpr int kSamples = 120, kKinds = 7;
  PatternGenerator gen(20261209);
  std::mt19937 rng(23);
  int found = 0, first = 0, strictFound = 0;
  for (int s = 0; s < kSamples; ++s) {
    HwModel m;
    HwSample sample;
    for (int tries = 0; tries < 1000; ++tries) {  // a sample that lacks a phenotype
      m = model(rng, s % kKinds);
      sample = gen.hardyWeinberg(m, gen.pick(30, 100));
      if (std::set(sample.individuals.begin(), sample.individuals.end()).size() <
          static_cast<std::size_t>(sample.phenotypes))
        break;
    }
    const Transcript t = runPatterns(sample.individuals, true);
    ASSERT_EQ(t.status, 0) << s;
    const auto truth = shape(m, sample);
    for (const HypothesisFit& f : fitsOfTruth(t, truth, false).first) {
      ++found;
      first += f.rank.rank == 1;
    }
    for (const Hypothesis& h : runPatterns(sample.individuals, false).results.hypotheses)
      strictFound += shape(h) == truth;
  }
  std::cout << "incomplete samples: true model found in " << found << " of " << kSamples << ", ranked first in "
            << first << "; the strict test found it in " << strictFound << "\n";
  EXPECT_GE(found * 100, kSamples * 80);
  EXPECT_GE(first * 100, kSamples * 65);
  EXPECT_LE(strictFound * 100, kSamples * 20);
}

// Two populations of one codominant locus (alleles 1 and 2, no null
// allele) at different frequencies, analysed together: pooled, the excess of
// homozygotes (Wahlund effect) looks like a null allele and the hypothesis
// with one ranks above the true one; fitted within each population, it
// should not, and the heterogeneity test should say the populations differ.
TEST(FitSimulation, TwoPopulationsPooledShowAFalseNullAlleleAndSplitNot) {
  constexpr int kSamples = 60, kEach = 60;
  PatternGenerator gen(20261226);
  std::mt19937 rng(29);
  std::uniform_real_distribution<double> u(0, 1);
  int pooledNull = 0, splitNull = 0, differ = 0;
  for (int s = 0; s < kSamples; ++s) {
    const double a = 0.75 + 0.15 * u(rng), b = 0.1 + 0.15 * u(rng);  // allele 1 in each population
    const HwSample sample = gen.hardyWeinberg({HwModel{{{{a, 1 - a}, 0}}, {}}, HwModel{{{{b, 1 - b}, 0}}, {}}}, kEach);
    // The incomplete-sample search, so that the hypothesis with a null allele competes.
    const Transcript t = runUnattended({{"two.csv", PatternGenerator::tableFile(sample)}}, "two.csv", true);
    ASSERT_EQ(t.status, 0) << s;
    ASSERT_EQ(t.sample.populations.size(), 2U) << s;
    const auto pooled = fitHypotheses(t.results);
    const auto split = fitHypotheses(t.results, t.sample);
    // The best of the pass: does it carry a null allele?
    const auto bestHasNull = [&t](const std::vector<std::optional<HypothesisFit>>& fits) {
      for (std::size_t h = 0; h < fits.size(); ++h)
        if (fits[h] && fits[h]->rank.rank == 1)
          return std::any_of(t.results.hypotheses[h].loci.begin(), t.results.hypotheses[h].loci.end(),
                             [](const Locus& l) { return l.nullAllele; });
      return false;
    };
    pooledNull += bestHasNull(pooled);
    splitNull += bestHasNull(split);
    for (const auto& f : split)
      if (f && f->rank.rank == 1) differ += f->heterogeneity.pValue && *f->heterogeneity.pValue < 0.05;
  }
  std::cout << "two populations: a null allele ranked first in " << pooledNull << " of " << kSamples
            << " samples pooled, in " << splitNull << " fitted within populations; the populations differ "
            << "(heterogeneity p < 0.05) in " << differ << "\n";
  EXPECT_GE(pooledNull * 2, kSamples);        // the false signal, pooled
  EXPECT_LE(splitNull * 10, kSamples);        // gone within populations
  EXPECT_GE(differ * 10, kSamples * 9);
}

}  // namespace
}  // namespace korvelin::testing
