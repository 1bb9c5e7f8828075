#include "search/bpcalc.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>

namespace korvelin {
namespace {

struct Locus {
  std::vector<int> classes;
  int null = 0;
};

// Class k is Ezone k at homomeric position k (code bit k-1).
std::unique_ptr<State> candidate(const std::vector<Locus>& loci, const std::vector<int>& observed) {
  auto st = std::make_unique<State>();
  for (int k = 1; k <= kZones; ++k) st->c(k, 1) = k, st->ic(k) = 1;
  st->nloc = static_cast<int>(loci.size());
  for (int nl = 1; nl <= st->nloc; ++nl) {
    st->nal2(nl) = static_cast<int>(loci[nl - 1].classes.size());
    st->nulal2(nl) = loci[nl - 1].null;
    for (int na = 1; na <= st->nal2(nl); ++na) st->local2(nl, na) = st->homloc(nl, na) = loci[nl - 1].classes[na - 1];
  }
  st->ncodes = static_cast<int>(observed.size());
  std::copy(observed.begin(), observed.end(), &st->homcod(1));
  return st;
}

TEST(BpcalcExamples, ExpectedCodesMustEqualTheObserved) {
  std::vector<int> thirtySix;  // two loci of three codominant alleles
  for (int a : {1, 2, 4, 3, 5, 6})
    for (int b : {8, 16, 32, 24, 40, 48}) thirtySix.push_back(a + b);
  std::sort(thirtySix.begin(), thirtySix.end());
  std::vector<Locus> manyLoci;  // 22 loci whose single alleles show in every pattern
  for (int k = 1; k <= 22; ++k) manyLoci.push_back(Locus{{k}});
  const struct {
    std::vector<Locus> loci;
    std::vector<int> observed;
    bool passes;
  } cases[] = {
      {{{{1, 2}}}, {1, 2, 3}, true},
      {{{{1, 2}, 1}}, {0, 1, 2, 3}, true},
      {{{{1, 2}}}, {0, 1, 2, 3}, false},
      {{{{1}, 1}, {{2}, 1}}, {0, 1, 2, 3}, true},
      {{{{1, 2}}}, {1, 2}, false},     // one expected code missing
      {{{{1, 2}}}, {1, 2, 4}, false},  // as many codes, one different
      {{{{1, 2, 3}}, {{4, 5, 6}}}, thirtySix, true},
      {{{{1, 2, 3}}, {{4, 5, 6}}, {{7, 8, 9}}}, thirtySix, false},  // 216 combinations
      {{{{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}}}, {1, 2, 3}, false},      // 55 genotypes
      {manyLoci, {(1 << 22) - 1}, false},
  };
  for (const auto& c : cases) {
    auto st = candidate(c.loci, c.observed);
    bpcalc(*st);
    EXPECT_EQ(st->ibad, c.passes ? 0 : 1) << c.loci.size() << " loci";
    EXPECT_EQ(st->nall(1), c.passes ? static_cast<int>(c.loci[0].classes.size()) : 0);
  }
}

TEST(BpcalcExamples, PassingCandidateRenumberedAndRecorded) {
  auto st = candidate({{{9, 7}}, {{5, 3}, 1}}, {64, 68, 80, 84, 256, 260, 272, 276, 320, 324, 336, 340});
  st->c(3, 2) = 4;  // class 3 holds Ezones 3 and 4
  st->ic(3) = 2;
  st->store.write(1, 2, 1, 1, 9);  // a heteromeric of an earlier hypothesis
  bpcalc(*st);
  ASSERT_EQ(st->ibad, 0);
  EXPECT_EQ(st->store.read(1, 2, 1, 1), 0);
  EXPECT_EQ((std::array{st->nulall(1), st->nulall(2), st->nulnum}), (std::array{1, 0, 1}));
  // Ezone, locus, allele, class: the locus with class 3 comes first.
  for (const auto& [z, locus, allele, cls] :
       {std::array{3, 1, 1, 3}, {4, 1, 1, 3}, {5, 1, 2, 5}, {7, 2, 1, 7}, {9, 2, 2, 9}}) {
    EXPECT_EQ(st->locall(locus, allele), cls);
    EXPECT_EQ(st->store.read(locus, locus, allele, allele), cls);
    EXPECT_EQ((std::array{st->class_(z, 4), st->class_(z, 5), st->class_(z, 6), st->class_(z, 7)}),
              (std::array{locus, locus, allele, allele}));
    EXPECT_EQ(st->zassgn(z) + st->cassgn(cls), 2);
  }
  st->store.write(1, 2, 1, 1, 9);
  st->nal2(2) = 1;  // rejected: neither the tables nor the store change
  bpcalc(*st);
  EXPECT_EQ((std::array{st->ibad, st->store.read(1, 2, 1, 1), st->nall(1)}), (std::array{1, 9, 2}));
}

}  // namespace
}  // namespace korvelin
