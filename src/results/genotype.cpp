#include "results/genotype.h"

namespace korvelin {

namespace {

bool shows(const std::string& pattern, const std::vector<int>& ezones) {
  // The Ezones of a homomeric band form one equivalence class: present in
  // one, present in all; the first speaks for the class.
  if (ezones.empty()) return false;
  const auto z = static_cast<std::size_t>(ezones.front() - 1);
  return z < pattern.size() && pattern[z] == '1';
}

}  // namespace

LocusGenotype genotypeFromAlleles(const std::vector<int>& present, bool nullAllele) {
  LocusGenotype g;
  if (present.empty()) {
    g.text = "0/0";
  } else if (present.size() == 1) {
    const std::string a = std::to_string(present[0]);
    g.allele1 = g.allele2 = present[0];
    g.ambiguous = nullAllele;
    g.text = a + "/" + a + (nullAllele ? "|" + a + "/0" : "");
  } else {
    // A valid hypothesis never shows three alleles of one locus in one
    // pattern; should it, every allele is named.
    g.allele1 = present[0];
    g.allele2 = present[1];
    for (std::size_t i = 0; i < present.size(); ++i) g.text += (i > 0 ? "/" : "") + std::to_string(present[i]);
  }
  return g;
}

LocusGenotype genotypeAt(const Locus& locus, const std::string& pattern) {
  std::vector<int> present;
  for (const Allele& a : locus.alleles)
    if (shows(pattern, a.ezones)) present.push_back(a.allele);
  return genotypeFromAlleles(present, locus.nullAllele);
}

std::vector<LocusGenotype> genotypeOf(const std::vector<Locus>& loci, const std::string& pattern) {
  std::vector<LocusGenotype> genotypes;
  for (const Locus& locus : loci) genotypes.push_back(genotypeAt(locus, pattern));
  return genotypes;
}

}  // namespace korvelin
