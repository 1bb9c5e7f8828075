// The phenotypes a hypothesis allows and the genotypes behind them, on a
// hand-made hypothesis with every kind of band: an intralocus heteromeric,
// the heteromeric of a visible allele with another locus's null allele, a
// modified form, a fixed and an empty Ezone.

#include "results/phenotypes.h"

#include <gtest/gtest.h>

#include "results/genotype.h"

namespace korvelin {
namespace {

// Ezones 1 and 2: alleles 1 and 2 of locus 1, Ezone 3 their heteromeric;
// Ezone 4: allele 1 of locus 2, which has a null allele; Ezone 5: the
// heteromeric of locus 1 allele 1 with the null allele of locus 2; Ezone 6:
// a modified form of locus 2 allele 1; Ezone 7 fixed, Ezone 8 empty.
Hypothesis everyKindOfBand() {
  Hypothesis h;
  h.ezones = 8;
  h.loci = {{1, false, {{1, {1}, 0}, {2, {2}, 0}}}, {2, true, {{1, {4}, 1}}}};
  h.heteromericBands = {{{3}, true, 1, 1, 1, 2}, {{5}, false, 1, 1, 2, 0}};
  h.modifiedBands = {{{6}, 2, 1, 1}};
  for (int z = 1; z <= 8; ++z) h.ezoneBands.push_back({z, false, z, BandKind::Homomeric, {}});
  h.ezoneBands[6].kind = BandKind::Fixed;
  h.ezoneBands[7].kind = BandKind::Empty;
  h.expected = 9;  // (2 alleles: 3) x (1 allele, 1 form, null: 3)
  return h;
}

TEST(Phenotypes, EveryKindOfBandAndTheMissingOnes) {
  Hypothesis h = everyKindOfBand();
  const std::vector<std::pair<std::string, std::string>> allowed = {
      // locus 1 slower; per locus: homozygotes, heterozygotes, null homozygote,
      // each first without, then with the modified form
      {"10010010", "1/1 1/1|1/0"}, {"10010110", "1/1 1/1|1/0"}, {"10001010", "1/1 0/0"},
      {"01010010", "2/2 1/1|1/0"}, {"01010110", "2/2 1/1|1/0"}, {"01000010", "2/2 0/0"},
      {"11110010", "1/2 1/1|1/0"}, {"11110110", "1/2 1/1|1/0"}, {"11101010", "1/2 0/0"},
  };
  for (std::size_t i = 0; i + 2 < allowed.size(); ++i) h.patterns.push_back(allowed[i].first);
  enumeratePhenotypes(h);
  ASSERT_EQ(h.expectedPhenotypes.size(), allowed.size());
  for (std::size_t i = 0; i < allowed.size(); ++i) {
    const ExpectedPhenotype& p = h.expectedPhenotypes[i];
    EXPECT_EQ(p.pattern, allowed[i].first);
    EXPECT_EQ(p.loci.at(0).text + " " + p.loci.at(1).text, allowed[i].second) << p.pattern;
    EXPECT_EQ(p.observed, i + 2 < allowed.size()) << p.pattern;
  }
  EXPECT_TRUE(h.phenotypesComplete);
  EXPECT_EQ(h.missingPhenotypes, (std::vector<std::string>{"11110110", "11101010"}));
  EXPECT_EQ(static_cast<long long>(h.missingPhenotypes.size()), h.expected - 7);

  // The genotypes of the observed patterns follow the same rule.
  for (std::size_t i = 0; i < h.patterns.size(); ++i) {
    const auto g = genotypeOf(h.loci, h.patterns[i]);
    EXPECT_EQ(g.at(0).text + " " + g.at(1).text, allowed[i].second);
  }
}

// Modified forms of one allele of a two-allele locus: with two, every
// genotype carrying that allele shows any choice of them (2/2 and 1/2 four
// ways each), nine phenotypes where the announcement counts
// (2+2)(2+3)/2 - 2 = 8; fifteen allow over 2^15 phenotypes, and the list
// stops at its limit and says so.
TEST(Phenotypes, ModifiedFormsOfOneAllele) {
  for (const int forms : {2, 15}) {
    Hypothesis h;
    h.ezones = 2 + forms;
    h.loci = {{1, false, {{1, {1}, 0}, {2, {2}, forms}}}};
    for (int f = 1; f <= forms; ++f) h.modifiedBands.push_back({{2 + f}, 1, 2, f});
    enumeratePhenotypes(h);
    EXPECT_EQ(h.phenotypesComplete, forms == 2);
    EXPECT_EQ(h.expectedPhenotypes.size(), forms == 2 ? 9u : kMaxListedPhenotypes);
  }
}

}  // namespace
}  // namespace korvelin
