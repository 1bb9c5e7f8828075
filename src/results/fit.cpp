#include "results/fit.h"

#include <algorithm>
#include <cmath>
#include <numeric>
#include <stdexcept>
#include <string>

#include <boost/math/special_functions/gamma.hpp>

namespace korvelin::fit {
namespace {

constexpr int kMaxIterations = 10000;
constexpr double kTolerance = 1e-10;
constexpr double kTieTolerance = 1e-6;

// A phenotype class: the genotypes it allows at each locus (sorted, each
// pair lower allele first) and its individuals.
struct Class {
  std::vector<std::vector<Genotype>> genotypes;
  long count = 0;
  std::vector<long> patterns;  // the counts of the observed patterns pooled here
};

std::vector<Class> pool(const Input& in) {
  const std::size_t nloci = in.loci.size();
  std::vector<Class> classes;
  for (const Pattern& p : in.patterns) {
    if (p.count < 0) throw std::invalid_argument("negative count of individuals");
    if (p.genotypes.size() != nloci) throw std::invalid_argument("pattern without genotypes for every locus");
    Class c{p.genotypes, p.count, {p.count}};
    for (std::size_t l = 0; l < nloci; ++l) {
      auto& list = c.genotypes[l];
      if (list.empty()) throw std::invalid_argument("pattern allows no genotype at locus " + std::to_string(l + 1));
      for (auto& [a, b] : list) {
        if (a > b) std::swap(a, b);
        const int lowest = in.loci[l].nullAllele ? 0 : 1;
        if (a < lowest || b > in.loci[l].visibleAlleles)
          throw std::invalid_argument("genotype with an allele that locus " + std::to_string(l + 1) + " lacks");
      }
      std::sort(list.begin(), list.end());
      list.erase(std::unique(list.begin(), list.end()), list.end());
    }
    if (c.count == 0) continue;
    auto same = std::find_if(classes.begin(), classes.end(),
                             [&](const Class& o) { return o.genotypes == c.genotypes; });
    if (same != classes.end()) {
      same->count += c.count;
      same->patterns.push_back(c.count);
      continue;
    }
    for (const Class& o : classes) {
      bool overlap = true;  // at every locus some genotype in common
      for (std::size_t l = 0; l < nloci && overlap; ++l) {
        const auto& x = o.genotypes[l];
        const auto& y = c.genotypes[l];
        overlap = std::find_first_of(x.begin(), x.end(), y.begin(), y.end()) != x.end();
      }
      if (overlap) throw std::invalid_argument("two patterns allow some of the same genotypes");
    }
    classes.push_back(std::move(c));
  }
  return classes;
}

// Frequencies indexed by allele number (index 0 = null allele, 0 when the
// locus has none).
using Frequencies = std::vector<std::vector<double>>;

double genotypeFrequency(const std::vector<double>& p, const Genotype& g) {
  const auto a = static_cast<std::size_t>(g.first), b = static_cast<std::size_t>(g.second);
  return a == b ? p[a] * p[a] : 2 * p[a] * p[b];
}

double locusShare(const std::vector<double>& p, const std::vector<Genotype>& allowed) {
  double s = 0;
  for (const Genotype& g : allowed) s += genotypeFrequency(p, g);
  return s;
}

// ln P of a class.
double logProbability(const Frequencies& p, const Class& c) {
  double lp = 0;
  for (std::size_t l = 0; l < p.size(); ++l) lp += std::log(locusShare(p[l], c.genotypes[l]));
  return lp;
}

double logLikelihood(const Frequencies& p, const std::vector<Class>& classes) {
  double ll = 0;
  for (const Class& c : classes) ll += static_cast<double>(c.count) * logProbability(p, c);
  return ll;
}

// One EM step at every locus; `alleles` is scratch space.
void emStep(Frequencies& p, const std::vector<Class>& classes, double individuals, std::vector<double>& alleles) {
  for (std::size_t l = 0; l < p.size(); ++l) {
    alleles.assign(p[l].size(), 0.0);
    for (const Class& c : classes) {
      const double s = locusShare(p[l], c.genotypes[l]);
      if (s <= 0) continue;
      for (const Genotype& g : c.genotypes[l]) {
        const double w = static_cast<double>(c.count) * genotypeFrequency(p[l], g) / s;
        alleles[static_cast<std::size_t>(g.first)] += w;
        alleles[static_cast<std::size_t>(g.second)] += w;
      }
    }
    for (std::size_t a = 0; a < alleles.size(); ++a) p[l][a] = alleles[a] / (2 * individuals);
  }
}

}  // namespace

int homomericClasses(const std::vector<Locus>& loci) {
  int n = 1;
  for (const Locus& l : loci) n *= l.visibleAlleles * (l.visibleAlleles + 1) / 2 + (l.nullAllele ? 1 : 0);
  return n;
}

Result estimate(const Input& in) {
  if (in.loci.empty()) throw std::invalid_argument("no loci");
  for (const Locus& l : in.loci)
    if (l.visibleAlleles < 1) throw std::invalid_argument("a locus without visible alleles");
  const std::vector<Class> classes = pool(in);
  Result r;
  for (const Class& c : classes) r.individuals += c.count;
  if (r.individuals == 0) throw std::invalid_argument("no individuals");
  r.classes = static_cast<int>(classes.size());
  const double n = static_cast<double>(r.individuals);

  Frequencies p;
  for (const Locus& l : in.loci) {
    const int alleles = l.visibleAlleles + (l.nullAllele ? 1 : 0);
    p.emplace_back(static_cast<std::size_t>(l.visibleAlleles) + 1, 1.0 / alleles);
    if (!l.nullAllele) p.back()[0] = 0;
    r.freeParameters += alleles - 1;
  }

  Frequencies before = p;
  std::vector<double> scratch;
  while (r.iterations < kMaxIterations) {
    before = p;
    emStep(p, classes, n, scratch);
    ++r.iterations;
    double change = 0;
    for (std::size_t l = 0; l < p.size(); ++l)
      for (std::size_t a = 0; a < p[l].size(); ++a) change = std::max(change, std::abs(p[l][a] - before[l][a]));
    if (change <= kTolerance) {
      r.converged = true;
      break;
    }
  }

  const double ll = logLikelihood(p, classes);
  // The share of each observed pattern within its class, in the observed
  // proportions: one free parameter for every pattern beyond the first.
  double within = 0;
  for (const Class& c : classes) {
    r.shareParameters += static_cast<int>(c.patterns.size()) - 1;
    for (const long x : c.patterns)
      within += static_cast<double>(x) * std::log(static_cast<double>(x) / static_cast<double>(c.count));
  }
  r.classLogLikelihood = ll;
  r.logLikelihood = ll + within;
  double g = 0;
  for (const Class& c : classes) {
    const double observed = static_cast<double>(c.count);
    g += observed * (std::log(observed / n) - logProbability(p, c));
  }
  r.g = std::max(0.0, 2 * g);  // a rounding error must not make it negative
  r.df = in.expectedClasses - 1 - r.freeParameters;
  if (r.df > 0) r.pValue = boost::math::gamma_q(r.df / 2.0, r.g / 2.0);
  r.aic = 2.0 * (r.freeParameters + r.shareParameters) - 2 * r.logLikelihood;

  for (std::size_t l = 0; l < p.size(); ++l) {
    std::vector<double> f(p[l].begin() + 1, p[l].end());
    if (in.loci[l].nullAllele) f.push_back(p[l][0]);
    r.frequencies.push_back(std::move(f));
  }
  return r;
}

double classProbability(const Result& result, const std::vector<Locus>& loci,
                        const std::vector<std::vector<Genotype>>& genotypes) {
  if (genotypes.size() != loci.size() || result.frequencies.size() != loci.size())
    throw std::invalid_argument("a phenotype without genotypes for every locus");
  double probability = 1;
  for (std::size_t l = 0; l < loci.size(); ++l) {
    const std::vector<double>& f = result.frequencies[l];  // 1..A, then the null allele
    std::vector<double> p(static_cast<std::size_t>(loci[l].visibleAlleles) + 1, 0.0);
    for (std::size_t a = 1; a < p.size() && a - 1 < f.size(); ++a) p[a] = f[a - 1];
    if (loci[l].nullAllele && f.size() > p.size() - 1) p[0] = f.back();
    std::vector<Genotype> allowed = genotypes[l];
    for (auto& [a, b] : allowed) {
      if (a > b) std::swap(a, b);
      if (a < (loci[l].nullAllele ? 0 : 1) || b > loci[l].visibleAlleles)
        throw std::invalid_argument("genotype with an allele that locus " + std::to_string(l + 1) + " lacks");
    }
    std::sort(allowed.begin(), allowed.end());
    allowed.erase(std::unique(allowed.begin(), allowed.end()), allowed.end());
    probability *= locusShare(p, allowed);
  }
  return probability;
}

Result combine(const std::vector<Result>& parts) {
  Result total;
  total.converged = true;
  for (const Result& r : parts) {
    total.logLikelihood += r.logLikelihood;
    total.classLogLikelihood += r.classLogLikelihood;
    total.g += r.g;
    total.df += r.df;
    total.freeParameters += r.freeParameters;
    total.shareParameters += r.shareParameters;
    total.individuals += r.individuals;
    total.classes += r.classes;
    total.converged = total.converged && r.converged;
    total.iterations = std::max(total.iterations, r.iterations);
  }
  if (total.df > 0) total.pValue = boost::math::gamma_q(total.df / 2.0, total.g / 2.0);
  total.aic = 2.0 * (total.freeParameters + total.shareParameters) - 2 * total.logLikelihood;
  return total;
}

Heterogeneity heterogeneity(const Result& pooled, const std::vector<Result>& parts) {
  Heterogeneity h;
  double ll = 0;
  int k = 0;
  for (const Result& r : parts) {
    ll += r.classLogLikelihood;
    k += r.freeParameters;
  }
  h.g = std::max(0.0, 2 * (ll - pooled.classLogLikelihood));  // EM stops just short of the maximum
  h.df = k - pooled.freeParameters;
  if (h.df > 0) h.pValue = boost::math::gamma_q(h.df / 2.0, h.g / 2.0);
  return h;
}

std::vector<Rank> rank(const std::vector<double>& aics) {
  std::vector<Rank> ranks(aics.size());
  if (aics.empty()) return ranks;
  std::vector<std::size_t> order(aics.size());
  std::iota(order.begin(), order.end(), 0);
  std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) { return aics[a] < aics[b]; });
  const double best = aics[order.front()];
  double leader = best;
  int leaderRank = 1;
  double total = 0;
  for (std::size_t i = 0; i < order.size(); ++i) {
    const double aic = aics[order[i]];
    if (aic - leader > kTieTolerance * std::max(1.0, std::abs(leader))) {
      leader = aic;
      leaderRank = static_cast<int>(i) + 1;
    }
    Rank& r = ranks[order[i]];
    r.rank = leaderRank;
    r.deltaAic = aic - best;
    r.akaikeWeight = std::exp(-r.deltaAic / 2);
    total += r.akaikeWeight;
  }
  if (total > 0)
    for (Rank& r : ranks) r.akaikeWeight /= total;
  return ranks;
}

}  // namespace korvelin::fit
