#pragma once
// The genotypes as a tidy CSV table (RFC 4180: header row, CRLF line ends,
// fields quoted where they hold a comma, a quote or a line break): one row
// per hypothesis, individual and locus, with the columns
//   hypothesis,individual,pattern,locus,genotype
// and, when the sample has populations, a column population after
// individual.
// Hypotheses and loci are numbered as in the report, an individual is named
// as in the sample, the pattern is the individual's pattern in the
// hypothesis's analysed set (after a split, with the added Ezone last).
// Rows run by hypothesis, then by distinct pattern in the order of the input
// echo and the individuals of each pattern in file order, then by locus.
// Reads only the results model and the sample.

#include <string>
#include <string_view>

#include "export/line_sink.h"
#include "results/sample.h"
#include "results/results.h"

namespace korvelin {

std::string genotypeTable(const Results& results, const Sample& sample);
// The same table row by row (each row ends in its carriage return); false
// when the sink stopped it.
bool writeGenotypeTable(const Results& results, const Sample& sample, const LineSink& sink);

// One CSV field, quoted when it must be. A text that a spreadsheet program
// would run as a formula (starting with =, +, -, @, tab or carriage return)
// gets a leading ' (the usual defence against CSV injection).
std::string csvField(const std::string& text);

}  // namespace korvelin
