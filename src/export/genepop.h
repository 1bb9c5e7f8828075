#pragma once
// The genotypes of one hypothesis as a GenePop file, the input of most
// population-genetics programs:
//   - a title line naming the program, the hypothesis, the data file and
//     the populations;
//   - one locus name per line ("Locus1", "Locus2", ... as the report numbers
//     the loci);
//   - a "Pop" line before each population, in the order the populations
//     first appear in the data file (one block when there are none);
//   - one line per individual, "name , " then one six-digit genotype per
//     locus: three digits per allele, allele a written 100 + a (101, 102,
//     ...), the null allele 199 (so that 199199 is the null homozygote and
//     000000 stays "missing"), the lower code first.
// An ambiguous genotype "a/a|a/0" is written as missing (000000): neither
// code would be true. An individual left out of the analysis (a band not
// scored) is written as missing at every locus, in its population's block.
// Within a block the analysed individuals stand by distinct pattern in the
// order of the input echo (file order within a pattern), then the ones left
// out in file order. A comma or a line break in a name becomes "_" (the
// comma ends the name).
// Reads only the results model and the sample.

#include <optional>
#include <string>
#include <vector>

#include "results/sample.h"
#include "results/results.h"

namespace korvelin {

struct GenePopFile {
  std::string text;
  std::vector<int> ambiguous;  // per locus: the genotypes written as missing because ambiguous
};

// The file of results.hypotheses[hypothesis]; `version` goes in the title.
GenePopFile genePop(const Results& results, const Sample& sample, std::size_t hypothesis, const std::string& version);

// The hypothesis a GenePop file is written for: the first announced with
// the number `number`, or, for 0, the one ranked first in the first pass
// (the first of rankedOrder). None when there is no such hypothesis.
std::optional<std::size_t> genePopHypothesis(const Results& results, int number);

}  // namespace korvelin
