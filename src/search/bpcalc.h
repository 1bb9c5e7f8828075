#pragma once
#include "state/state.h"

namespace korvelin {

// Tests the candidate in `nloc`, `nal2`, `nulal2`, `homloc`, `local2`: the
// codes of every genotype combination it allows must be exactly the observed
// codes. On a match (`ibad` stays 0) the hypothesis is put into canonical
// form and its homomeric bands are recorded; otherwise `ibad` = 1 and nothing
// else changes.
void bpcalc(State& st);

// Number of genotypes of a locus with `alleles` visible alleles and
// `nulls` (0 or 1) null alleles: homozygotes, heterozygotes, null homozygote.
inline int genotypeCount(int alleles, int nulls) { return alleles * (alleles + 1) / 2 + nulls; }

}  // namespace korvelin
