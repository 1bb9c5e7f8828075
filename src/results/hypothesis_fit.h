#pragma once
// The fit statistics of the hypotheses of a run: each hypothesis of the
// results model turned into the input of the fit (its loci, and per distinct
// pattern the count of individuals and the genotypes it allows), and the
// hypotheses ranked by AIC within their analysis pass (the first pass, or one
// split trial: only hypotheses of the same analysed patterns are compared).

#include <optional>
#include <string>
#include <vector>

#include "results/sample.h"
#include "results/fit.h"
#include "results/results.h"

namespace korvelin {

// Below this many individuals the ranking says little.
inline constexpr long kFewIndividuals = 10;

// A fit statistic as the outputs show it: three significant digits
// ("0.0102", "12.3", "3.2e-05").
std::string fitStatistic(double value);

// Whether two hypotheses come from the same analysis pass (the first pass,
// or one split trial), and so are ranked against each other.
bool samePass(const Hypothesis& a, const Hypothesis& b);

// The fit input of a hypothesis: `counts`[i] individuals showed its pattern
// i. A genotype "a/a|a/0" allows a/a and a/0, any other exactly itself.
fit::Input fitInput(const Hypothesis& h, const std::vector<int>& counts);

// The individuals of each population of the sample per input pattern
// (index = population index, then pattern index; `patterns` long); empty
// without populations, or when the sample does not cover the patterns.
std::vector<std::vector<int>> populationCounts(const Sample& sample, std::size_t patterns);

// The fit of every hypothesis (index = index in results.hypotheses), with
// the counts of results.input; within each population when the sample has
// populations (see HypothesisFit). A hypothesis the fit cannot use (no loci,
// or no individuals) has none and takes no part in the ranking.
std::vector<std::optional<HypothesisFit>> fitHypotheses(const Results& results, const Sample& sample = Sample{});

// Fits every hypothesis into results.fits, once the run is over.
void fitResults(Results& results, const Sample& sample = Sample{});

// The fit of hypothesis `index` as results.fits holds it; none when it was
// not fitted (or the fits were never computed).
const std::optional<HypothesisFit>& fitOf(const Results& results, std::size_t index);

// The hypotheses (indices into results.hypotheses) pass by pass in the order
// the passes ran, each pass by rank, ties and unfitted hypotheses in the
// order announced (unfitted last).
std::vector<std::size_t> rankedOrder(const Results& results);

// The HTML page draws the gels of at most this many hypotheses of each
// analysis pass, and of this many in all (a search of all Ezones may give
// thousands of passes); it only lists the others.
inline constexpr std::size_t kDrawnPerPass = 10;
inline constexpr std::size_t kDrawnInAll = 100;

// Whether each hypothesis (index as in results.hypotheses) gets its gel
// drawn: the best `perPass` of each analysis pass by rank (those without a
// fit after the others, ties in the order found), pass after pass in the
// order they ran, until `inAll` are drawn.
std::vector<bool> drawnHypotheses(const Results& results, std::size_t perPass = kDrawnPerPass,
                                  std::size_t inAll = kDrawnInAll);

}  // namespace korvelin
