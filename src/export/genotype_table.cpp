#include "export/genotype_table.h"

namespace korvelin {

std::string csvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
  std::string quoted = "\"";
  for (char ch : text) {
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
  if (!sink("hypothesis,individual,pattern,locus,genotype\r")) return false;
  for (const Hypothesis& h : results.hypotheses) {
    const std::string number = std::to_string(h.number);
    for (std::size_t p = 0; p < h.genotypes.size() && p < sample.individuals.size(); ++p) {
      const PatternGenotype& g = h.genotypes[p];
      for (const std::string& individual : sample.individuals[p])
        for (std::size_t l = 0; l < g.loci.size(); ++l)
          if (!sink(number + "," + csvField(individual) + "," + g.pattern + "," + std::to_string(h.loci[l].locus) +
                    "," + csvField(g.loci[l].text) + "\r"))
            return false;
    }
  }
  return true;
}

}  // namespace korvelin
