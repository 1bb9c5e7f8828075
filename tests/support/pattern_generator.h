#pragma once
// Deterministic pattern sets for whole-session tests and benchmarks: random
// 0/1 matrices, and the phenotypes of genetic models (loci, null alleles,
// hybrid and modified bands, fixed and empty Ezones) with some patterns
// dropped or misread.

#include <cstdint>
#include <map>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace korvelin::testing {

// The genetic model behind a generated case, when its patterns are the
// model's phenotypes as drawn (none misread).
struct TrueModel {
  struct Locus {
    bool nullAllele = false;
    std::vector<int> alleleEzones;  // Ezone (1-based) of each allele's band
  };
  std::vector<Locus> loci;
  // For each pattern, one genotype that shows it: per locus the two alleles,
  // lower first, 0 for the null allele.
  std::vector<std::vector<std::pair<int, int>>> genotypes;
  bool hybrids = false;   // the model has heteromeric bands
  bool modified = false;  // the model has modified bands
};

struct GeneratedCase {
  std::vector<std::string> patterns;  // rows of '0'/'1', at most 50 different
  int nhom = 0;                       // homomeric classes of the first pass
  std::optional<TrueModel> truth;     // for model cases read without error
};

class PatternGenerator {
 public:
  explicit PatternGenerator(std::uint32_t seed) : rng_(seed) {}
  // A random or model case whose first pass has 1..maxHom homomeric classes.
  GeneratedCase next(bool dna, int maxHom);
  int pick(int lo, int hi) { return lo + static_cast<int>(rng_() % static_cast<unsigned>(hi - lo + 1)); }
  bool chance(int percent) { return pick(1, 100) <= percent; }

 private:
  GeneratedCase random();
  GeneratedCase model();
  std::mt19937 rng_;
};

// The homomeric classes (zymograms) or allele zones (DNA) that an analysis
// pass finds in these patterns.
int homomericClasses(const std::vector<std::string>& patterns, bool dna);


}  // namespace korvelin::testing
