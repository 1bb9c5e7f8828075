#pragma once
// Deterministic pattern sets for whole-session tests and benchmarks: random
// 0/1 matrices, and the phenotypes of genetic models (loci, null alleles,
// hybrid and modified bands, fixed and empty Ezones) with some patterns
// dropped or misread.

#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "state/state.h"

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
};

// A population in Hardy-Weinberg proportions: per locus the frequencies of
// its visible alleles 1..n and of its null allele (0: none); hybrid bands of
// two alleles (intralocus: the heterozygote of the two; interlocus: both
// alleles present).
struct HwLocus {
  std::vector<double> alleles;
  double nullFrequency = 0;
};
struct HwHybrid {
  int locus1 = 0, allele1 = 0, locus2 = 0, allele2 = 0;  // 0-based loci, alleles from 1
};
struct HwModel {
  std::vector<HwLocus> loci;
  std::vector<HwHybrid> hybrids;
};
// A sample of it: one pattern per individual. The Ezones are the homomeric
// bands of the alleles, locus by locus in allele order, then the hybrids in
// the model's order.
struct HwSample {
  std::vector<std::string> individuals;
  // The Ezone (1-based) of the homomeric band of allele a of locus l: [l][a - 1].
  std::vector<std::vector<int>> alleleEzones;
  // The distinct phenotypes the model allows; a sample of fewer different
  // patterns lacks some.
  int phenotypes = 0;
  // For a sample of several populations, the population (0-based) of each
  // individual; empty for one.
  std::vector<int> populations = {};
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
  // `individuals` drawn independently, each with two gametes drawn from the
  // allele frequencies of every locus.
  HwSample hardyWeinberg(const HwModel& model, int individuals);
  // `individuals` from each population of `models` (the same loci and
  // hybrids, other frequencies), one after another.
  HwSample hardyWeinberg(const std::vector<HwModel>& models, int individuals);
  // The sample as a table file: a header "sample,population,E1,...", then one
  // row per individual.
  static std::string tableFile(const HwSample& sample);

 private:
  GeneratedCase random();
  GeneratedCase model();
  std::mt19937 rng_;
};

// An analysis pass over these patterns (one 0/1 string each) up to the
// homomeric classes (zymograms) or allele zones (DNA), `nhom` of them.
void analyse(State& st, const std::vector<std::string>& patterns, bool dna = false);
std::unique_ptr<State> analysed(const std::vector<std::string>& patterns, bool dna = false);


}  // namespace korvelin::testing
