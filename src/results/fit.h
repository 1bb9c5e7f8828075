#pragma once
// How well a genetic hypothesis fits the counts of individuals per observed
// pattern, and the ranking of competing hypotheses by that fit.
//
// Model. Individuals are a random sample of unrelated diploids from a
// population in Hardy-Weinberg proportions (random mating), and the loci are
// independent (linkage equilibrium). Locus l has alleles 1..A_l that show a
// homomeric band and, when it carries one, the null allele 0, with
// frequencies p_l,a summing to 1. The genotype frequencies are
//     P(a/a) = p_a^2,   P(a/b) = 2 p_a p_b  (a != b, either may be 0).
// Under a hypothesis a pattern tells, at every locus, a set of genotypes that
// could have produced it (a pattern with band a only at a locus with a null
// allele is "a/a|a/0"; one with no band of the locus is the null homozygote
// 0/0). The loci are independent, so the probability of the pattern is
//     P(pattern) = prod_l  S_l,   S_l = sum over the genotypes g allowed at l of P(g),
// which is the sum over all genotype combinations showing the pattern of the
// product of the locus genotype frequencies. Thus "a/a|a/0" has
// S = p_a^2 + 2 p_a p_0, and a pattern without any band of a locus
// S = p_0^2.
//
// Phenotype classes. Only the homomeric bands tell genotypes apart; two
// observed patterns that differ only in other bands (a facultative modified
// form, say) allow the same genotypes, and the hypothesis predicts only how
// often their class occurs, not how it divides. Patterns with the same
// allowed genotypes are therefore pooled into one phenotype class (their
// counts added) for the estimates and the G test; classes must allow
// disjoint sets of genotype combinations. So that log-likelihoods stay
// probabilities of the same observed patterns for every hypothesis, a class
// of several patterns divides its probability among them in their observed
// proportions, and each pattern beyond the first of a class counts as one
// more free parameter in the AIC (s below; 0 when nothing is pooled).
//
// Estimates. The allele frequencies are maximum-likelihood estimates found
// by EM, locus by locus (the likelihood factorises over loci): the n_c
// individuals of class c are split between the genotypes g allowed at locus l
// in proportion n_c P(g) / S_l, each genotype contributes its two alleles to
// the allele counts, and the new frequency is the allele count over 2N. The
// start is uniform over the alleles of the locus. EM stops when no frequency
// changes by more than 1e-10 (frequencies are shares of 1, so this is a
// change relative to the whole) in one step, or after 10 000 steps; then
// `converged` is false. That happens mainly when an estimate creeps towards
// 0 (a null allele the counts do not need: it falls like 1/step), and the
// estimate is then close to its limit of 0 but not at it.
//
// Numbers (N = number of individuals, n_c the count of class c, k = number of
// free allele frequencies = sum over loci of (alleles including null - 1)):
//   log-likelihood  L = sum_c n_c ln P_c + sum_x n_x ln(n_x / n_c(x)) over
//                   the observed patterns x (the second sum is 0 unless
//                   patterns are pooled); natural log; the multinomial
//                   coefficient is left out: it is the same for every
//                   hypothesis of the same counts
//   G = 2 sum_c n_c ln(n_c / (N P_c)), the likelihood-ratio statistic of the
//       hypothesis against the observed class proportions n_c / N (the
//       saturated model); expected classes not observed add nothing to the
//       sum (0 ln 0 = 0) though their probability is part of the model
//   df = (expected homomeric phenotype classes - 1) - k
//   p = P(chi-square with df degrees of freedom >= G); none when df <= 0
//       (not testable: the frequencies can fit any class proportions)
//   AIC = 2(k + s) - 2L.
//
// Ranking: hypotheses of one analysis pass (the same patterns) are compared by
// AIC; the lowest is best. Rank 1 is the best; hypotheses whose AICs agree to
// within 1e-6 (relative, when above 1) share a rank (competition ranking:
// 1, 1, 3). delta = AIC - AIC of the best; the Akaike weight
// exp(-delta/2) / sum of exp(-delta/2) over the group is the relative support
// of each hypothesis within the group.

#include <optional>
#include <utility>
#include <vector>

namespace korvelin::fit {

struct Locus {
  int visibleAlleles = 0;   // A >= 1, alleles 1..A
  bool nullAllele = false;  // allele 0
};

// An unordered pair of alleles; 0 is the null allele.
using Genotype = std::pair<int, int>;

struct Pattern {
  long count = 0;  // individuals that showed the pattern
  // For each locus, the genotypes compatible with the pattern (at least one).
  std::vector<std::vector<Genotype>> genotypes;
};

struct Input {
  std::vector<Locus> loci;
  std::vector<Pattern> patterns;
  // How many phenotypes the hypothesis expects in its homomeric bands (for
  // the degrees of freedom); see homomericClasses.
  int expectedClasses = 0;
};

struct Result {
  // Per locus, in allele order 1..A, then the null allele when there is one.
  std::vector<std::vector<double>> frequencies;
  double logLikelihood = 0;
  // L without the share of each pattern within its class: the likelihood of
  // the phenotype classes alone.
  double classLogLikelihood = 0;
  double g = 0;
  int df = 0;
  std::optional<double> pValue;  // none: not testable
  double aic = 0;
  int freeParameters = 0;   // k: free allele frequencies
  int shareParameters = 0;  // s: patterns pooled into a class beyond its first
  long individuals = 0;
  int classes = 0;  // observed phenotype classes after pooling
  bool converged = false;
  int iterations = 0;
};

// The number of homomeric phenotypes of these loci: the product over loci of
// A(A+1)/2 (+1 for the null homozygote when the locus has a null allele).
int homomericClasses(const std::vector<Locus>& loci);

// Throws std::invalid_argument when the input is not usable: no loci, a
// genotype with an allele the locus does not have, a pattern without a
// genotype at some locus, no individuals, or two patterns whose genotype
// sets overlap without being equal.
Result estimate(const Input& input);

// The probability of a phenotype class, given by the genotypes it allows at
// each locus (as in Pattern), under the frequencies that `result` estimated
// for these loci: the product over loci of the sum of the genotype
// frequencies. Throws std::invalid_argument as estimate does for a genotype
// the loci lack.
double classProbability(const Result& result, const std::vector<Locus>& loci,
                        const std::vector<std::vector<Genotype>>& genotypes);

// Samples from several populations, each fitted on its own (its own allele
// frequencies), taken together: log-likelihoods, G, df, free parameters and
// individuals add up; p is that of the summed G on the summed df; AIC =
// 2(k + s) - 2L of the sums. Converged when every part converged;
// iterations the most of any part. The frequencies stay with the parts
// (empty here).
Result combine(const std::vector<Result>& parts);

// Whether the populations differ in allele frequencies: the likelihood-ratio
// test of one set of frequencies per population (`parts`) against one set
// for all (`pooled`, fitted to the pooled counts), on the phenotype classes:
//     G = 2 (sum of the parts' class log-likelihoods - pooled's),
//     df = sum of the parts' k - pooled's k,
// p = P(chi-square with df >= G); none when df <= 0.
struct Heterogeneity {
  double g = 0;
  int df = 0;
  std::optional<double> pValue;
};
Heterogeneity heterogeneity(const Result& pooled, const std::vector<Result>& parts);

struct Rank {
  int rank = 0;  // 1 = best; ties share a rank
  double deltaAic = 0;
  double akaikeWeight = 0;
};

// Ranks one group of hypotheses fitted to the same counts, in input order.
std::vector<Rank> rank(const std::vector<double>& aics);

}  // namespace korvelin::fit
