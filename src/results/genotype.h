#pragma once
// The one genotype rule of every output. Under a hypothesis, the genotype at
// a locus follows from which of the locus's alleles show their homomeric
// band in a pattern: two alleles a < b give "a/b"; one allele a gives "a/a",
// or "a/a|a/0" when the locus has a null allele (the two cannot be told
// apart); none gives "0/0", the null homozygote.

#include <string>
#include <vector>

#include "results/results.h"

namespace korvelin {

// The genotype at `locus` of a pattern (0/1 string over the Ezones the
// locus's allele Ezones number).
LocusGenotype genotypeAt(const Locus& locus, const std::string& pattern);

// The genotype at every locus, in locus order.
std::vector<LocusGenotype> genotypeOf(const std::vector<Locus>& loci, const std::string& pattern);

// The genotype of the visible alleles `present` (ascending allele numbers,
// at most two) at a locus with or without a null allele.
LocusGenotype genotypeFromAlleles(const std::vector<int>& present, bool nullAllele);

}  // namespace korvelin
