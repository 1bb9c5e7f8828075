#include "results/hypothesis_fit.h"

#include <algorithm>
#include <cmath>
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

// The genotypes a phenotype allows at each locus: "a/a|a/0" both, any other
// exactly itself; each pair lower allele first and each list sorted, so
// that equal classes compare equal.
std::vector<std::vector<fit::Genotype>> allowedGenotypes(const std::vector<LocusGenotype>& loci) {
  std::vector<std::vector<fit::Genotype>> allowed;
  for (const LocusGenotype& g : loci) {
    if (g.ambiguous)
      allowed.push_back({{0, g.allele1}, {g.allele1, g.allele1}});
    else
      allowed.push_back({{std::min(g.allele1, g.allele2), std::max(g.allele1, g.allele2)}});
  }
  return allowed;
}

// Part of G of a class of `observed` individuals expecting `expected`.
double gPart(double observed, double expected) {
  const double term = observed > 0 ? observed * std::log(observed / expected) : 0;
  return std::max(0.0, 2 * (term - (observed - expected)));
}

// The expected individuals of every pattern and missing phenotype of `h`
// under `result`, the fit of `in`.
void expect(const Hypothesis& h, const fit::Input& in, const fit::Result& result,
            std::vector<PhenotypeExpectation>& patterns, std::vector<PhenotypeExpectation>& missing) {
  using Class = std::vector<std::vector<fit::Genotype>>;
  const double n = static_cast<double>(result.individuals);
  std::map<Class, double> observedIn;  // individuals per observed class
  std::vector<Class> classOf;
  for (std::size_t i = 0; i < h.genotypes.size(); ++i) {
    classOf.push_back(allowedGenotypes(h.genotypes[i].loci));
    observedIn[classOf.back()] += static_cast<double>(in.patterns[i].count);
  }
  for (std::size_t i = 0; i < classOf.size(); ++i) {
    const double nc = observedIn[classOf[i]];
    const double ec = n * fit::classProbability(result, in.loci, classOf[i]);
    const double share = nc > 0 ? static_cast<double>(in.patterns[i].count) / nc : 0;
    patterns.push_back({ec * share, gPart(nc, ec) * share});
  }
  std::vector<Class> missingClass;
  std::map<Class, int> variants;  // missing phenotypes per class never observed
  for (const ExpectedPhenotype& e : h.expectedPhenotypes) {
    if (e.observed) continue;
    missingClass.push_back(allowedGenotypes(e.loci));
    if (!observedIn.contains(missingClass.back())) ++variants[missingClass.back()];
  }
  for (const Class& c : missingClass) {
    const auto it = variants.find(c);
    if (it == variants.end()) {
      missing.push_back({0, 0});
      continue;
    }
    double ec = 0;
    try {
      ec = n * fit::classProbability(result, in.loci, c) / it->second;
    } catch (const std::invalid_argument&) {
      // a phenotype with an allele the loci lack: nothing expected of it
    }
    missing.push_back({ec, gPart(0, ec)});
  }
}

// The hypotheses of each pass, in their order.
std::map<PassKey, std::vector<std::size_t>> passes(const std::vector<Hypothesis>& hs) {
  std::map<PassKey, std::vector<std::size_t>> groups;
  for (std::size_t i = 0; i < hs.size(); ++i) groups[passKey(hs[i])].push_back(i);
  return groups;
}

// Adds the expectations of `part` to `total`, phenotype by phenotype.
void addExpectations(std::vector<PhenotypeExpectation>& total, const std::vector<PhenotypeExpectation>& part) {
  if (total.size() < part.size()) total.resize(part.size());
  for (std::size_t i = 0; i < part.size(); ++i) {
    total[i].count += part[i].count;
    total[i].g += part[i].g;
  }
}

// The fit of `h` within each population of `byPopulation` (its individuals
// per pattern; populations without any are left out), summed into f.result.
void fitPopulations(const Hypothesis& h, const std::vector<std::string>& names,
                    const std::vector<std::vector<int>>& byPopulation, HypothesisFit& f) {
  std::vector<fit::Result> parts;
  std::vector<PhenotypeExpectation> patterns, missing;
  for (std::size_t k = 0; k < byPopulation.size(); ++k) {
    long individuals = 0;
    for (const int c : byPopulation[k]) individuals += c;
    if (individuals == 0) continue;
    PopulationFit pf;
    pf.name = names[k];
    pf.counts = byPopulation[k];
    const fit::Input in = fitInput(h, pf.counts);
    pf.result = fit::estimate(in);
    expect(h, in, pf.result, pf.patterns, pf.missing);
    addExpectations(patterns, pf.patterns);
    addExpectations(missing, pf.missing);
    parts.push_back(pf.result);
    f.populations.push_back(std::move(pf));
  }
  f.pooled = f.result;
  f.heterogeneity = fit::heterogeneity(f.result, parts);
  f.result = fit::combine(parts);
  f.result.frequencies = f.pooled->frequencies;
  f.patterns = std::move(patterns);
  f.missing = std::move(missing);
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
  for (std::size_t i = 0; i < h.genotypes.size(); ++i)
    in.patterns.push_back({counts[i], allowedGenotypes(h.genotypes[i].loci)});
  in.expectedClasses = fit::homomericClasses(in.loci);
  return in;
}

std::vector<std::vector<int>> populationCounts(const Sample& sample, std::size_t patterns) {
  if (!sample.hasPopulations() || sample.populationOf.size() != patterns) return {};
  std::vector<std::vector<int>> counts(sample.populations.size(), std::vector<int>(patterns, 0));
  for (std::size_t p = 0; p < patterns; ++p)
    for (const int k : sample.populationOf[p]) {
      if (k < 0 || static_cast<std::size_t>(k) >= counts.size()) return {};
      ++counts[static_cast<std::size_t>(k)][p];
    }
  return counts;
}

std::vector<std::optional<HypothesisFit>> fitHypotheses(const Results& results, const Sample& sample) {
  const auto& hs = results.hypotheses;
  std::vector<std::optional<HypothesisFit>> fits(hs.size());
  std::vector<std::vector<int>> byPopulation = populationCounts(sample, results.input.counts.size());
  for (std::size_t p = 0; p < results.input.counts.size() && !byPopulation.empty(); ++p) {
    int total = 0;
    for (const auto& counts : byPopulation) total += counts[p];
    if (total != results.input.counts[p]) byPopulation.clear();  // not this run's individuals
  }
  for (std::size_t i = 0; i < hs.size(); ++i) {
    try {
      HypothesisFit f;
      const fit::Input in = fitInput(hs[i], results.input.counts);
      f.result = fit::estimate(in);
      f.weak = f.result.individuals < kFewIndividuals;
      expect(hs[i], in, f.result, f.patterns, f.missing);
      if (!byPopulation.empty()) fitPopulations(hs[i], sample.populations, byPopulation, f);
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

void fitResults(Results& results, const Sample& sample) { results.fits = fitHypotheses(results, sample); }

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

std::vector<bool> drawnHypotheses(const Results& results, std::size_t perPass, std::size_t inAll) {
  std::vector<bool> drawn(results.hypotheses.size(), false);
  std::vector<std::vector<std::size_t>> groups;
  for (auto& [key, group] : passes(results.hypotheses)) groups.push_back(std::move(group));
  // The passes in the order they ran.
  std::sort(groups.begin(), groups.end(), [](const auto& a, const auto& b) { return a.front() < b.front(); });
  std::size_t left = inAll;
  for (auto& group : groups) {
    const auto rankOf = [&results](std::size_t i) {
      const auto& fit = fitOf(results, i);
      return fit ? fit->rank.rank : 1 << 30;
    };
    std::stable_sort(group.begin(), group.end(),
                     [&](std::size_t a, std::size_t b) { return rankOf(a) < rankOf(b); });
    for (std::size_t k = 0; k < group.size() && k < perPass && left > 0; ++k, --left) drawn[group[k]] = true;
  }
  return drawn;
}

}  // namespace korvelin
