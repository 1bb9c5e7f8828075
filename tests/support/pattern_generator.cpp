#include "pattern_generator.h"

#include <algorithm>
#include <functional>
#include <memory>
#include <set>

#include "harness.h"
#include "input/initia.h"
#include "relations/candidates.h"
#include "relations/classes.h"
#include "relations/logary.h"

namespace korvelin::testing {
namespace {

// The genotype at each locus, lower allele first; allele 0 is the null allele.
using Genotype = std::vector<std::pair<int, int>>;
// Whether an Ezone shows a band in a genotype.
using Band = std::function<bool(const Genotype&)>;

bool carries(const Genotype& g, int l, int a) { return g[l].first == a || g[l].second == a; }

bool addDistinct(std::vector<std::string>& rows, const std::string& row) {
  if (std::find(rows.begin(), rows.end(), row) != rows.end()) return false;
  rows.push_back(row);
  return true;
}

// What a band of a model is: allele `a` of locus `l` (a homomeric band), or
// another kind (a = 0).
struct ModelBand {
  Band shows;
  int l = -1;
  int a = 0;
};

}  // namespace

std::unique_ptr<State> analysed(const std::vector<std::string>& patterns, bool dna) {
  auto st = std::make_unique<State>();
  analyse(*st, patterns, dna);
  return st;
}

void analyse(State& st, const std::vector<std::string>& patterns, bool dna) {
  setPatterns(st, patterns);
  st.dna = dna ? 1 : 0;
  initia(st);
  logary(st);
  equcls(st);
  dna ? dnavar(st) : homhet(st);
}

GeneratedCase PatternGenerator::next(bool dna, int maxHom) {
  for (;;) {
    GeneratedCase c = chance(60) ? model() : random();
    if (c.patterns.empty()) continue;
    c.nhom = analysed(c.patterns, dna)->nhom;
    if (c.nhom >= 1 && c.nhom <= maxHom) return c;
  }
}

namespace {

// The pattern of a genotype under a Hardy-Weinberg model.
std::string hwPattern(const HwModel& model, const Genotype& g) {
  std::string row;
  for (std::size_t l = 0; l < model.loci.size(); ++l)
    for (int a = 1; a <= static_cast<int>(model.loci[l].alleles.size()); ++a)
      row += carries(g, static_cast<int>(l), a) ? '1' : '0';
  for (const HwHybrid& h : model.hybrids) {
    const bool band = h.locus1 == h.locus2
                          ? g[static_cast<std::size_t>(h.locus1)] == std::pair(std::min(h.allele1, h.allele2), std::max(h.allele1, h.allele2))
                          : carries(g, h.locus1, h.allele1) && carries(g, h.locus2, h.allele2);
    row += band ? '1' : '0';
  }
  return row;
}

// Every genotype combination the model allows, locus by locus.
void everyGenotype(const HwModel& model, Genotype& g, std::set<std::string>& patterns) {
  const std::size_t l = g.size();
  if (l == model.loci.size()) {
    patterns.insert(hwPattern(model, g));
    return;
  }
  const int first = model.loci[l].nullFrequency > 0 ? 0 : 1, last = static_cast<int>(model.loci[l].alleles.size());
  for (int x = first; x <= last; ++x)
    for (int y = x; y <= last; ++y) {
      g.emplace_back(x, y);
      everyGenotype(model, g, patterns);
      g.pop_back();
    }
}

}  // namespace

HwSample PatternGenerator::hardyWeinberg(const HwModel& model, int individuals) {
  HwSample sample;
  int ezone = 0;
  for (const HwLocus& l : model.loci) {
    sample.alleleEzones.emplace_back();
    for (std::size_t a = 0; a < l.alleles.size(); ++a) sample.alleleEzones.back().push_back(++ezone);
  }
  // Allele 0 (null) first, then 1..n.
  std::vector<std::discrete_distribution<int>> gamete;
  for (const HwLocus& l : model.loci) {
    std::vector<double> weights{l.nullFrequency};
    weights.insert(weights.end(), l.alleles.begin(), l.alleles.end());
    gamete.emplace_back(weights.begin(), weights.end());
  }
  for (int i = 0; i < individuals; ++i) {
    Genotype g;
    for (auto& draw : gamete) {
      const int x = draw(rng_), y = draw(rng_);
      g.emplace_back(std::min(x, y), std::max(x, y));
    }
    sample.individuals.push_back(hwPattern(model, g));
  }
  std::set<std::string> all;
  Genotype g;
  everyGenotype(model, g, all);
  sample.phenotypes = static_cast<int>(all.size());
  return sample;
}

HwSample PatternGenerator::hardyWeinberg(const std::vector<HwModel>& models, int individuals) {
  HwSample all;
  for (std::size_t k = 0; k < models.size(); ++k) {
    HwSample one = hardyWeinberg(models[k], individuals);
    if (k == 0) {
      all.alleleEzones = one.alleleEzones;
      all.phenotypes = one.phenotypes;
    }
    all.individuals.insert(all.individuals.end(), one.individuals.begin(), one.individuals.end());
    all.populations.insert(all.populations.end(), one.individuals.size(), static_cast<int>(k));
  }
  return all;
}

std::string PatternGenerator::tableFile(const HwSample& sample) {
  std::string text = "sample,population";
  const std::size_t zones = sample.individuals.empty() ? 0 : sample.individuals.front().size();
  for (std::size_t z = 1; z <= zones; ++z) text += ",E" + std::to_string(z);
  text += "\n";
  for (std::size_t i = 0; i < sample.individuals.size(); ++i) {
    text += "I" + std::to_string(i + 1) + ",P" +
            std::to_string(i < sample.populations.size() ? sample.populations[i] + 1 : 1);
    for (const char band : sample.individuals[i]) text += std::string(",") + band;
    text += "\n";
  }
  return text;
}

GeneratedCase PatternGenerator::random() {
  const int zones = pick(2, 10), rows = pick(2, 16), density = pick(20, 70);
  GeneratedCase c;
  for (int p = 0; p < rows; ++p) {
    std::string row;
    for (int z = 0; z < zones; ++z) row += chance(density) ? '1' : '0';
    addDistinct(c.patterns, row);
  }
  return c;
}

GeneratedCase PatternGenerator::model() {
  GeneratedCase c;
  std::vector<ModelBand> bands;
  TrueModel truth;
  std::vector<std::vector<std::pair<int, int>>> genotypes;  // of each locus
  // Now and then up to five loci, all but the first with one allele and a
  // null allele: their phenotypes fit many groupings (up to five loci) and
  // fill the register.
  const bool small = chance(20);
  const int loci = small ? pick(3, 5) : pick(1, 3);
  for (int l = 0; l < loci; ++l) {
    const int alleles = small ? (l == 0 ? pick(1, 2) : 1) : pick(1, 4);
    const bool null = alleles == 1 || chance(small ? 30 : 40);
    genotypes.emplace_back();
    truth.loci.push_back({null, std::vector<int>(static_cast<std::size_t>(alleles), 0)});
    for (int x = null ? 0 : 1; x <= alleles; ++x)
      for (int y = x; y <= alleles; ++y) genotypes.back().emplace_back(x, y);
    for (int a = 1; a <= alleles; ++a) bands.push_back({[l, a](const Genotype& g) { return carries(g, l, a); }, l, a});
    if (small) continue;
    if (alleles >= 2 && chance(40)) {  // the hybrid of alleles 1 and b
      bands.push_back({[l, b = pick(2, alleles)](const Genotype& g) { return g[l] == std::pair(1, b); }});
    }
    if (chance(25)) {  // a modified form of allele a, seen without a second visible allele only
      bands.push_back({[l, a = pick(1, alleles)](const Genotype& g) {
        return g[l].second == a && (g[l].first == 0 || g[l].first == a);
      }});
    }
    if (l > 0 && chance(35)) {  // the hybrid of allele 1 of an earlier locus and allele b of this one
      bands.push_back({[l, k = pick(0, l - 1), b = pick(1, alleles)](const Genotype& g) {
        return carries(g, k, 1) && carries(g, l, b);
      }});
    }
  }
  if (chance(25)) bands.push_back({[](const Genotype&) { return true; }});
  if (chance(20)) bands.push_back({[](const Genotype&) { return false; }});
  if (bands.size() > 22) return c;
  std::shuffle(bands.begin(), bands.end(), rng_);
  for (std::size_t z = 0; z < bands.size(); ++z)
    if (bands[z].l >= 0)
      truth.loci[static_cast<std::size_t>(bands[z].l)].alleleEzones[static_cast<std::size_t>(bands[z].a - 1)] =
          static_cast<int>(z) + 1;
  // Genotypes drawn at random until 50 different patterns or 2000 draws: small
  // models come out complete, large ones with gaps.
  for (int draw = 0; draw < 2000 && c.patterns.size() < 50; ++draw) {
    Genotype g;
    for (const auto& list : genotypes)
      g.push_back(list[static_cast<std::size_t>(pick(0, static_cast<int>(list.size()) - 1))]);
    std::string row;
    for (const ModelBand& band : bands) row += band.shows(g) ? '1' : '0';
    if (addDistinct(c.patterns, row)) truth.genotypes.push_back(g);
  }
  c.truth = truth;
  if (small) return c;
  if (chance(35) && c.patterns.size() > 3) {
    c.patterns.resize(c.patterns.size() - static_cast<std::size_t>(pick(1, 3)));
    c.truth->genotypes.resize(c.patterns.size());
  }
  if (chance(20)) {
    c.truth.reset();  // a scoring error: one band read wrongly (the row may now repeat another)
    char& cell = c.patterns[static_cast<std::size_t>(pick(0, static_cast<int>(c.patterns.size()) - 1))]
                           [static_cast<std::size_t>(pick(0, static_cast<int>(bands.size()) - 1))];
    cell = cell == '1' ? '0' : '1';
  }
  return c;
}

}  // namespace korvelin::testing
