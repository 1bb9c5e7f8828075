#include "export/genotype_table.h"

namespace korvelin {

std::string csvField(const std::string& text) {
  // A spreadsheet program runs a cell that starts like this as a formula.
  const bool formula = !text.empty() && std::string_view("=+-@\t\r").find(text.front()) != std::string_view::npos;
  const std::string cell = formula ? "'" + text : text;
  if (cell.find_first_of(",\"\r\n") == std::string::npos) return cell;
  std::string quoted = "\"";
  for (char ch : cell) {
    if (ch == '"') quoted += '"';
    quoted += ch;
  }
  return quoted + "\"";
}

std::string genotypeTable(const Results& results, const Sample& sample) {
  std::string table;
  writeGenotypeTable(results, sample, textSink(table));
  return table;
}

bool writeGenotypeTable(const Results& results, const Sample& sample, const LineSink& sink) {
  const bool populations = sample.hasPopulations();
  if (!sink(populations ? "hypothesis,individual,population,pattern,locus,genotype\r"
                        : "hypothesis,individual,pattern,locus,genotype\r"))
    return false;
  for (const Hypothesis& h : results.hypotheses) {
    const std::string number = std::to_string(h.number);
    for (std::size_t p = 0; p < h.genotypes.size() && p < sample.individuals.size(); ++p) {
      const PatternGenotype& g = h.genotypes[p];
      for (std::size_t i = 0; i < sample.individuals[p].size(); ++i) {
        std::string who = csvField(sample.individuals[p][i]) + ",";
        if (populations) who += csvField(sample.populationName(p, i)) + ",";
        for (std::size_t l = 0; l < g.loci.size(); ++l)
          if (!sink(number + "," + who + g.pattern + "," + std::to_string(h.loci[l].locus) + "," +
                    csvField(g.loci[l].text) + "\r"))
            return false;
      }
    }
  }
  return true;
}

}  // namespace korvelin
