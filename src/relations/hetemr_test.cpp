#include "relations/hetemr.h"

#include <gtest/gtest.h>

#include <array>
#include <memory>

#include "input/initia.h"
#include "relations/candidates.h"
#include "relations/classes.h"
#include "relations/logary.h"

namespace korvelin {
namespace {

// Classes of `patterns`, then the hypothesis: each {locus, allele, class}
// recorded as the expected-pattern test leaves it, and null alleles at the
// loci `nulls`.
std::unique_ptr<State> hypothesis(const std::vector<std::string>& patterns,
                                  const std::vector<std::array<int, 3>>& alleles, const std::vector<int>& nulls) {
  auto st = std::make_unique<State>();
  st->nzones = static_cast<int>(patterns[0].size());
  st->nzymos = static_cast<int>(patterns.size());
  for (int i = 1; i <= st->nzymos; ++i)
    for (int z = 1; z <= st->nzones; ++z) st->m(i, z) = patterns[i - 1][z - 1] - '0';
  initia(*st);
  logary(*st);
  equcls(*st);
  homhet(*st);
  for (const auto& [l, a, k] : alleles) {
    st->nloc = std::max(st->nloc, l);
    st->nall(l) = std::max(st->nall(l), a);
    st->store.write(l, l, a, a, k);
    st->class_(st->c(k, 1), 4) = l;
    st->class_(st->c(k, 1), 6) = a;
  }
  for (int l : nulls) st->nulall(l) = 1;
  return st;
}

TEST(HetemrExamples, DependentBandsGetOneOrigin) {
  struct Case {
    std::vector<std::string> patterns;
    std::vector<std::array<int, 3>> alleles;
    std::vector<int> nulls;
    int cls;
    std::array<int, 4> origin;  // the last one assigned
    int nhybr, ibad;
  };
  const Case cases[] = {
      // Intralocus hybrid of the bands in Ezones 1 and 3.
      {{"100", "001", "111"}, {{1, 1, 1}, {1, 2, 3}}, {}, 2, {1, 1, 1, 2}, 1, 0},
      // Ezone 2 only with Ezone 1: a modified form of allele 1.
      {{"100", "001", "101", "110"}, {{1, 1, 1}, {1, 2, 3}}, {}, 2, {1, 0, 1, 1}, 0, 0},
      // Both alleles without Ezone 2 once: no hybrid, a modified form of each.
      {{"100", "001", "101", "111"}, {{1, 1, 1}, {1, 2, 3}}, {}, 2, {1, 0, 2, 1}, 0, 0},
      // Hybrid of class 3 (locus 2) and class 5 (allele 2 of locus 1).
      {{"10000", "00001", "10011", "10100", "01101", "11111"}, {{1, 1, 1}, {1, 2, 5}, {2, 1, 3}}, {2}, 2,
       {1, 2, 2, 1}, 1, 0},
      // Ezone 4 is the hybrid of 1 with 2 and of 1 with 3.
      {{"1111", "1000", "0100", "0010", "0110"}, {{1, 1, 1}, {1, 2, 2}, {1, 3, 3}}, {}, 4, {1, 1, 1, 3}, 2, 1},
      // Ezone 2 with the null allele of the other locus, in both orders.
      {{"000", "110", "001", "101"}, {{1, 1, 1}, {2, 1, 3}}, {1, 2}, 2, {1, 2, 1, 0}, 1, 0},
      {{"000", "110", "001", "101"}, {{1, 1, 3}, {2, 1, 1}}, {1, 2}, 2, {1, 2, 0, 1}, 1, 0},
  };
  for (std::size_t i = 0; i < std::size(cases); ++i) {
    SCOPED_TRACE(i);
    const Case& e = cases[i];
    auto st = hypothesis(e.patterns, e.alleles, e.nulls);
    const int z = st->c(e.cls, 1);
    st->class_(z, 2) = st->class_(z, 3) = 0;  // as a modified form of an earlier hypothesis left it
    hetemr(*st);
    EXPECT_EQ((std::array{st->class_(z, 4), st->class_(z, 5), st->class_(z, 6), st->class_(z, 7)}), e.origin);
    EXPECT_EQ(st->store.read(e.origin[0], e.origin[1], e.origin[2], e.origin[3]), e.cls);
    if (e.nhybr == 2) {
      EXPECT_EQ(st->store.read(1, 1, 1, 2), e.cls);  // the first origin stays as well
    }
    EXPECT_EQ(st->nhybr(e.cls), e.nhybr);
    EXPECT_EQ(st->ibad, e.ibad);
    EXPECT_EQ(st->class_(z, 3), e.nhybr > 0 ? 1 : 0);
    EXPECT_EQ(st->iptm, e.nhybr == 0 ? 1 : 0);
    if (e.nhybr > 0) {
      EXPECT_EQ(e.origin[0] == e.origin[1] ? st->shetin : st->shetbt, 1);
    }
  }
}

}  // namespace
}  // namespace korvelin
