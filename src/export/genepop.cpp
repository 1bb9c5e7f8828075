#include "export/genepop.h"

#include <optional>

#include "results/hypothesis_fit.h"

namespace korvelin {
namespace {

// The three-digit code of an allele: 100 + a, the null allele 199.
std::string alleleCode(int allele) {
  if (allele == 0) return "199";
  if (allele < 1 || allele > 98) return "000";
  return std::to_string(100 + allele);
}

std::string genotypeCode(const LocusGenotype& g, int& ambiguous) {
  if (g.ambiguous) {
    ++ambiguous;
    return "000000";
  }
  std::string a = alleleCode(g.allele1), b = alleleCode(g.allele2);
  if (a == "000" || b == "000") return "000000";
  return a <= b ? a + b : b + a;
}

// A name as GenePop can read it: the comma ends the name, a line ends the
// individual.
std::string safeName(const std::string& name) {
  std::string safe = name;
  for (char& ch : safe)
    if (ch == ',' || ch == '\n' || ch == '\r') ch = '_';
  return safe.empty() ? "_" : safe;
}

}  // namespace

std::optional<std::size_t> genePopHypothesis(const Results& results, int number) {
  if (results.hypotheses.empty()) return std::nullopt;
  if (number == 0) return rankedOrder(results).front();
  for (std::size_t i = 0; i < results.hypotheses.size(); ++i)
    if (results.hypotheses[i].number == number) return i;
  return std::nullopt;
}

GenePopFile genePop(const Results& results, const Sample& sample, std::size_t hypothesis, const std::string& version) {
  const Hypothesis& h = results.hypotheses.at(hypothesis);
  GenePopFile file;
  file.ambiguous.assign(h.loci.size(), 0);
  std::string title = "KORVELIN " + version + ": genotypes under hypothesis " + std::to_string(h.number);
  if (h.split) title += " (split trial Ezone " + std::to_string(h.split->ezone) + ")";
  title += " of " + results.input.file;
  if (sample.hasPopulations()) {
    title += "; populations";
    for (std::size_t k = 0; k < sample.populations.size(); ++k)
      title += (k == 0 ? " " : "; ") + sample.populations[k];
  }
  file.text = safeName(title) + "\n";
  for (const Locus& l : h.loci) file.text += "Locus" + std::to_string(l.locus) + "\n";
  const std::string missing = [&] {
    std::string codes;
    for (std::size_t l = 0; l < h.loci.size(); ++l) codes += " 000000";
    return codes;
  }();
  const std::size_t blocks = sample.hasPopulations() ? sample.populations.size() : 1;
  for (std::size_t k = 0; k < blocks; ++k) {
    const auto inBlock = [&](int population) { return !sample.hasPopulations() || population == static_cast<int>(k); };
    file.text += "Pop\n";
    for (std::size_t p = 0; p < h.genotypes.size() && p < sample.individuals.size(); ++p)
      for (std::size_t i = 0; i < sample.individuals[p].size(); ++i) {
        const int population = p < sample.populationOf.size() && i < sample.populationOf[p].size()
                                   ? sample.populationOf[p][i]
                                   : -1;
        if (!inBlock(population)) continue;
        std::string line = safeName(sample.individuals[p][i]) + " ,";
        for (std::size_t l = 0; l < h.genotypes[p].loci.size() && l < file.ambiguous.size(); ++l)
          line += " " + genotypeCode(h.genotypes[p].loci[l], file.ambiguous[l]);
        file.text += line + "\n";
      }
    for (const UnscoredIndividual& u : sample.unscored)
      if (inBlock(u.population)) file.text += safeName(u.name) + " ," + missing + "\n";
  }
  return file;
}

}  // namespace korvelin
