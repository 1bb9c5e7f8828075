#pragma once
// Who showed which pattern: the individuals behind the distinct patterns of
// the data file, kept for the outputs that speak of individuals (genotype
// tables, JSON, HTML). The text report does not use it.

#include <string>
#include <vector>

namespace korvelin {

struct Sample {
  // For each distinct input pattern (0-based, in the order of the echo), the
  // names of the individuals that showed it, in file order. A pattern file
  // names an individual by its line number in the data file; a table by its
  // sample name.
  std::vector<std::vector<std::string>> individuals;
  // The Ezone labels of a table's header row; empty for a pattern file.
  std::vector<std::string> ezoneLabels;
};

}  // namespace korvelin
