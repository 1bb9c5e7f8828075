#include "results/hypothesis_fit.h"

#include <algorithm>
#include <cstdio>
#include <map>
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

// The hypotheses of each pass, in their order.
std::map<PassKey, std::vector<std::size_t>> passes(const std::vector<Hypothesis>& hs) {
  std::map<PassKey, std::vector<std::size_t>> groups;
  for (std::size_t i = 0; i < hs.size(); ++i) groups[passKey(hs[i])].push_back(i);
  return groups;
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
  for (const auto& [key, group] : passes(hs)) {
    std::vector<std::size_t> fitted;
    for (const std::size_t j : group)
      if (fits[j]) fitted.push_back(j);
    std::vector<double> aics;
    for (const std::size_t j : fitted) aics.push_back(fits[j]->result.aic);
    const std::vector<fit::Rank> ranks = fit::rank(aics);
    for (std::size_t k = 0; k < fitted.size(); ++k) fits[fitted[k]]->rank = ranks[k];
  }
  return fits;
}

std::vector<bool> drawnHypotheses(const Results& results, const std::vector<std::optional<HypothesisFit>>& fits,
                                  std::size_t perPass, std::size_t inAll) {
  std::vector<bool> drawn(results.hypotheses.size(), false);
  std::vector<std::vector<std::size_t>> groups;
  for (auto& [key, group] : passes(results.hypotheses)) groups.push_back(std::move(group));
  // The passes in the order they ran.
  std::sort(groups.begin(), groups.end(), [](const auto& a, const auto& b) { return a.front() < b.front(); });
  std::size_t left = inAll;
  for (auto& group : groups) {
    const auto rankOf = [&fits](std::size_t i) { return fits[i] ? fits[i]->rank.rank : 1 << 30; };
    std::stable_sort(group.begin(), group.end(),
                     [&](std::size_t a, std::size_t b) { return rankOf(a) < rankOf(b); });
    for (std::size_t k = 0; k < group.size() && k < perPass && left > 0; ++k, --left) drawn[group[k]] = true;
  }
  return drawn;
}

}  // namespace korvelin
