#include "results/phenotypes.h"

#include <set>

#include "results/genotype.h"

namespace korvelin {
namespace {

// One way a locus can look: its genotype and the modified forms shown.
struct LocusOption {
  LocusGenotype genotype;
  std::vector<int> present;        // visible alleles carried
  std::vector<std::size_t> forms;  // indices into Hypothesis::modifiedBands
};

// The ways one locus can look; `cut` tells that there were more than the
// listing takes.
std::vector<LocusOption> optionsOf(const Hypothesis& h, const Locus& locus, bool& cut) {
  std::vector<std::vector<int>> genotypes;
  const int n = static_cast<int>(locus.alleles.size());
  for (int a = 1; a <= n; ++a) genotypes.push_back({a});
  for (int a = 1; a <= n; ++a)
    for (int b = a + 1; b <= n; ++b) genotypes.push_back({a, b});
  if (locus.nullAllele) genotypes.push_back({});
  std::vector<LocusOption> options;
  for (const auto& present : genotypes) {
    std::vector<std::size_t> forms;
    for (std::size_t j = 0; j < h.modifiedBands.size(); ++j) {
      const ModifiedBand& m = h.modifiedBands[j];
      if (m.locus != locus.locus) continue;
      for (int a : present)
        if (m.allele == a) forms.push_back(j);
    }
    // Without any modified form first, then every choice of them.
    const std::size_t choices = forms.size() < 20 ? std::size_t{1} << forms.size() : kMaxListedPhenotypes + 1;
    for (std::size_t mask = 0; mask < choices; ++mask) {
      if (options.size() == kMaxListedPhenotypes) {
        cut = true;
        return options;
      }
      LocusOption o{genotypeFromAlleles(present, locus.nullAllele), present, {}};
      for (std::size_t j = 0; j < forms.size(); ++j)
        if ((mask >> j) & 1u) o.forms.push_back(forms[j]);
      options.push_back(std::move(o));
    }
  }
  return options;
}

void mark(std::string& pattern, const std::vector<int>& ezones) {
  for (int z : ezones)
    if (z >= 1 && static_cast<std::size_t>(z) <= pattern.size()) pattern[static_cast<std::size_t>(z - 1)] = '1';
}

// Whether allele `allele` of locus `locus` (1-based) takes part: a visible
// allele when carried, the null allele when nothing of the locus shows.
bool partakes(const std::vector<const LocusOption*>& chosen, int locus, int allele) {
  if (locus < 1 || static_cast<std::size_t>(locus) > chosen.size()) return false;
  const auto& present = chosen[static_cast<std::size_t>(locus - 1)]->present;
  if (allele == 0) return present.empty();
  for (int a : present)
    if (a == allele) return true;
  return false;
}

std::string phenotypeOf(const Hypothesis& h, const std::vector<const LocusOption*>& chosen) {
  std::string pattern(static_cast<std::size_t>(h.ezones), '0');
  for (const EzoneBand& e : h.ezoneBands)
    if (e.kind == BandKind::Fixed) mark(pattern, {e.ezone});
  for (std::size_t l = 0; l < chosen.size(); ++l) {
    for (int a : chosen[l]->present) mark(pattern, h.loci[l].alleles[static_cast<std::size_t>(a - 1)].ezones);
    for (std::size_t j : chosen[l]->forms) mark(pattern, h.modifiedBands[j].ezones);
  }
  for (const HeteromericBand& b : h.heteromericBands)
    if (partakes(chosen, b.locus1, b.allele1) && partakes(chosen, b.locus2, b.allele2)) mark(pattern, b.ezones);
  return pattern;
}

}  // namespace

void enumeratePhenotypes(Hypothesis& h) {
  h.expectedPhenotypes.clear();
  h.missingPhenotypes.clear();
  h.phenotypesComplete = true;
  std::vector<std::vector<LocusOption>> options;
  bool cut = false;
  for (const Locus& locus : h.loci) options.push_back(optionsOf(h, locus, cut));
  if (cut) h.phenotypesComplete = false;
  for (const auto& o : options)
    if (o.empty()) return;  // a locus without any genotype allows nothing

  const std::set<std::string> observed(h.patterns.begin(), h.patterns.end());
  std::set<std::string> seen;
  // The digits of the enumeration, the last locus fastest.
  std::vector<std::size_t> digit(options.size(), 0);
  std::vector<const LocusOption*> chosen(options.size());
  for (;;) {
    for (std::size_t l = 0; l < options.size(); ++l) chosen[l] = &options[l][digit[l]];
    std::string pattern = phenotypeOf(h, chosen);
    if (seen.insert(pattern).second) {
      if (h.expectedPhenotypes.size() >= kMaxListedPhenotypes) {
        h.phenotypesComplete = false;
        break;
      }
      ExpectedPhenotype p;
      p.observed = observed.contains(pattern);
      for (const LocusOption* o : chosen) p.loci.push_back(o->genotype);
      p.pattern = std::move(pattern);
      h.expectedPhenotypes.push_back(std::move(p));
    }
    std::size_t l = options.size();
    while (l > 0 && digit[l - 1] + 1 == options[l - 1].size()) digit[--l] = 0;
    if (l == 0) break;
    digit[l - 1] += 1;
  }
  for (const ExpectedPhenotype& p : h.expectedPhenotypes)
    if (!p.observed) h.missingPhenotypes.push_back(p.pattern);
}

}  // namespace korvelin
