#pragma once
// The phenotypes a hypothesis allows, as Ezone patterns, counted the way the
// announcement counts expected patterns: every genotype of every locus (the
// homozygotes, the heterozygotes of two visible alleles, the null
// homozygote), each with or without each facultative modified form of the
// alleles it carries; heteromeric bands follow from the genotype (two
// visible parents: both carried; a visible allele and the null allele of
// another locus: that locus is null homozygous); fixed Ezones always show
// a band, empty and unexplained Ezones never.

#include "results/results.h"

namespace korvelin {

// More phenotypes than this are not listed (the list is then marked
// incomplete); a hypothesis that passes the search allows far fewer.
inline constexpr std::size_t kMaxListedPhenotypes = 20000;

// Fills expectedPhenotypes, phenotypesComplete and missingPhenotypes of `h`
// from its loci, bands, Ezone bands and patterns.
void enumeratePhenotypes(Hypothesis& h);

}  // namespace korvelin
