#pragma once
// Who showed which pattern: the individuals behind the distinct patterns of
// the data file, their populations, and the individuals left out because a
// band was not scored; kept for the outputs that speak of individuals
// (genotype tables, JSON, HTML). The text report does not use it.

#include <string>
#include <vector>

namespace korvelin {

// An individual of a table left out of the analysis: some Ezone was not
// scored.
struct UnscoredIndividual {
  std::string name;
  int row = 0;              // its row in the table
  int population = -1;      // index into Sample::populations; -1 without a population column
  std::vector<int> ezones;  // the Ezones not scored (1-based, ascending)
};

struct Sample {
  // For each distinct input pattern (0-based, in the order of the echo), the
  // names of the individuals that showed it, in file order. A pattern file
  // names an individual by its line number in the data file; a table by its
  // sample name.
  std::vector<std::vector<std::string>> individuals;
  // The Ezone labels of a table's header row; empty for a pattern file.
  std::vector<std::string> ezoneLabels;

  // A table's population column: its header, the populations in the order
  // they first appear in the file (rows left out included), and for each
  // individual of `individuals` the index of its population in
  // `populations`. All empty without a population column.
  std::string populationLabel = {};
  std::vector<std::string> populations = {};
  std::vector<std::vector<int>> populationOf = {};

  // The individuals left out, in file order.
  std::vector<UnscoredIndividual> unscored = {};

  bool hasPopulations() const { return !populations.empty(); }
  // The population of individual i of pattern p; empty when there is none.
  const std::string& populationName(std::size_t p, std::size_t i) const {
    static const std::string kNone;
    if (p >= populationOf.size() || i >= populationOf[p].size()) return kNone;
    const int index = populationOf[p][i];
    return index >= 0 && static_cast<std::size_t>(index) < populations.size() ? populations[static_cast<std::size_t>(index)] : kNone;
  }
  // The analysed individuals of each population, in the order of `populations`.
  std::vector<int> populationSizes() const {
    std::vector<int> sizes(populations.size(), 0);
    for (const auto& indices : populationOf)
      for (int index : indices)
        if (index >= 0 && static_cast<std::size_t>(index) < sizes.size()) ++sizes[static_cast<std::size_t>(index)];
    return sizes;
  }
};

}  // namespace korvelin
