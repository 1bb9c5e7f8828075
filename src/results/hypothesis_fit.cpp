#include "results/hypothesis_fit.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>
#include <string>
#include <tuple>

namespace korvelin {
namespace {

// Hypotheses of the same analysis pass share a key.
using PassKey = std::tuple<bool, int, int, int, std::string>;

PassKey passKey(const Hypothesis& h) {
  if (h.pass == PassKind::First || !h.split) return {false, 0, 0, 0, ""};
  return {true, h.split->ezone, h.split->combination, h.split->of, h.split->code};
}

}  // namespace

std::string fitStatistic(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.3g", value);
  return text;
}

bool samePass(const Hypothesis& a, const Hypothesis& b) { return passKey(a) == passKey(b); }

fit::Input fitInput(const Hypothesis& h, const std::vector<int>& counts) {
  if (counts.size() != h.genotypes.size())
    throw std::invalid_argument("counts of individuals do not match the patterns of the hypothesis");
  fit::Input in;
  for (const Locus& l : h.loci) in.loci.push_back({static_cast<int>(l.alleles.size()), l.nullAllele});
  for (std::size_t i = 0; i < h.genotypes.size(); ++i) {
    fit::Pattern p;
    p.count = counts[i];
    for (const LocusGenotype& g : h.genotypes[i].loci) {
      if (g.ambiguous)
        p.genotypes.push_back({{g.allele1, g.allele1}, {0, g.allele1}});
      else
        p.genotypes.push_back({{g.allele1, g.allele2}});
    }
    in.patterns.push_back(std::move(p));
  }
  in.expectedClasses = fit::homomericClasses(in.loci);
  return in;
}

std::vector<std::optional<HypothesisFit>> fitHypotheses(const Results& results) {
  const auto& hs = results.hypotheses;
  std::vector<std::optional<HypothesisFit>> fits(hs.size());
  for (std::size_t i = 0; i < hs.size(); ++i) {
    try {
      HypothesisFit f;
      f.result = fit::estimate(fitInput(hs[i], results.input.counts));
      f.weak = f.result.individuals < kFewIndividuals;
      fits[i] = std::move(f);
    } catch (const std::invalid_argument&) {
      // no fit for this one
    }
  }
  std::vector<bool> done(hs.size(), false);
  for (std::size_t i = 0; i < hs.size(); ++i) {
    if (done[i]) continue;
    std::vector<std::size_t> group;
    for (std::size_t j = i; j < hs.size(); ++j)
      if (!done[j] && passKey(hs[j]) == passKey(hs[i])) {
        done[j] = true;
        if (fits[j]) group.push_back(j);
      }
    std::vector<double> aics;
    for (const std::size_t j : group) aics.push_back(fits[j]->result.aic);
    const std::vector<fit::Rank> ranks = fit::rank(aics);
    for (std::size_t k = 0; k < group.size(); ++k) fits[group[k]]->rank = ranks[k];
  }
  return fits;
}

void fitResults(Results& results) { results.fits = fitHypotheses(results); }

const std::optional<HypothesisFit>& fitOf(const Results& results, std::size_t index) {
  static const std::optional<HypothesisFit> none;
  return index < results.fits.size() ? results.fits[index] : none;
}

}  // namespace korvelin

namespace korvelin {

std::vector<std::size_t> rankedOrder(const Results& results) {
  const auto& hs = results.hypotheses;
  std::vector<std::size_t> order(hs.size());
  std::vector<std::size_t> passOf(hs.size());
  for (std::size_t i = 0; i < hs.size(); ++i) {
    order[i] = i;
    passOf[i] = i == 0 ? 0 : passOf[i - 1] + (samePass(hs[i - 1], hs[i]) ? 0 : 1);
  }
  const auto rankOf = [&](std::size_t i) {
    const auto& fit = fitOf(results, i);
    return fit ? fit->rank.rank : 1 << 30;
  };
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
    return std::tuple(passOf[a], rankOf(a)) < std::tuple(passOf[b], rankOf(b));
  });
  return order;
}

}  // namespace korvelin
