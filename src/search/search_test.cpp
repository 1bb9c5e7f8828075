// The hypothesis search: band-pattern codes, the orders of modes, groupings
// and null-allele configurations, the expected-pattern test and the loop.

#include "search/search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <memory>
#include <numeric>
#include <set>
#include <tuple>

#include "harness.h"
#include "search/bpcalc.h"
#include "search/modes.h"
#include "search/permutations.h"

namespace korvelin {
namespace {

using Rows = std::vector<std::vector<int>>;
using testing::Rig;

std::size_t distinct(const Rows& rows) { return std::set<std::vector<int>>(rows.begin(), rows.end()).size(); }

// Every mode newtrn offers for `nhom` classes: the alleles per locus.
Rows allModes(int nhom) {
  Rig r;
  r.st.nhom = r.st.nal2(1) = nhom;
  r.st.nloc = 1;
  for (int k = 1; k <= nhom; ++k) r.st.chom(k) = k;
  Rows modes;
  for (int ntrm1 = 0; newtrn(r.s, ntrm1), ntrm1 != 2;) {
    modes.emplace_back(&r.st.nal2(1), &r.st.nal2(1) + r.st.nloc);
    EXPECT_TRUE(std::is_sorted(modes.back().begin(), modes.back().end()));
    EXPECT_EQ(std::accumulate(modes.back().begin(), modes.back().end(), 0), nhom);
  }
  return modes;
}

TEST(SearchOrders, ModesOncePerPartitionInOrder) {
  EXPECT_EQ(allModes(5), (Rows{{5}, {2, 3}, {1, 4}, {1, 2, 2}, {1, 1, 3}, {1, 1, 1, 2}, {1, 1, 1, 1, 1}}));
  const std::size_t partitions[] = {1, 2, 3, 5, 7, 11, 15, 22, 30, 42};
  for (int n = 1; n <= 10; ++n) EXPECT_EQ(distinct(allModes(n)), partitions[n - 1]) << n;
}

// The orders of the generator from the identity until it reports the end.
Rows orders(int n) {
  auto st = std::make_unique<State>();
  st->nhom = n, st->inperm = 1;
  std::iota(&st->perm(1), &st->perm(1) + n, 1);
  for (Rows seen;; permut(*st)) {
    seen.emplace_back(&st->perm(1), &st->perm(1) + n);
    if (st->inperm == 3) return seen;
  }
}

TEST(SearchOrders, EveryPermutationOnceThenTheIdentity) {
  const Rows four = orders(4);
  EXPECT_EQ((std::array{four.size(), distinct(four)}), (std::array<std::size_t, 2>{25, 24}));
  EXPECT_EQ(four.back(), four.front());
}

// The rows of `lochom` that a mode stores.
Rows groupings(const std::vector<int>& mode) {
  auto st = std::make_unique<State>();
  st->nloc = static_cast<int>(mode.size());
  st->nhom = std::accumulate(mode.begin(), mode.end(), 0);
  std::copy(mode.begin(), mode.end(), &st->nal2(1));
  for (int k = 1; k <= st->nhom; ++k) st->perm(k) = st->chom(k) = k;
  st->inperm = st->nprmod = 1;
  firstAssignment(*st);
  GroupingFilter filter;
  filter.restart(*st);
  while (nextDistinctAssignment(*st, filter) == NextAssignment::Accepted) continue;
  Rows rows(st->nprmod);
  for (int r = 1; r <= st->nprmod; ++r) rows[r - 1].assign(st->lochom.row(r), st->lochom.row(r) + st->nhom);
  return rows;
}

// Each way to give the classes to loci of these sizes once: 3!/2!, 4!/(2!2!), 4!/2!.
TEST(SearchOrders, RepeatedGroupingsFilteredOut) {
  const std::pair<std::vector<int>, std::size_t> cases[] = {{{1, 2}, 3}, {{2, 2}, 6}, {{1, 1, 2}, 12}};
  for (const auto& [mode, ways] : cases) {
    const Rows rows = groupings(mode);
    EXPECT_EQ((std::array{rows.size(), distinct(rows)}), (std::array{ways, ways}));
    for (const auto& row : rows) EXPECT_EQ(std::count(row.begin(), row.end(), 2), mode[1]);
  }
}

struct Locus {
  std::vector<int> classes;
  int null = 0;
};

// A candidate of the expected-pattern test: class k is Ezone k at
// homomeric position k (code bit k-1).
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

// Every case of tests/data/bpcalc.txt: the loci, the observed codes, whether it passes.
TEST(Bpcalc, ExpectedCodesMustEqualTheObserved) {
  const auto rows = testing::dataRows(KORVELIN_TESTS_DIR "/data/bpcalc.txt");
  ASSERT_EQ(rows.size(), 10u);
  for (auto row : rows) {
    const bool passes = testing::ints(row.back()).at(0);
    const std::vector<int> observed = testing::ints(row.at(row.size() - 2));
    std::vector<Locus> loci;
    for (row.resize(row.size() - 2); auto& words : row) {
      const bool null = std::erase(words, "null") > 0;
      loci.push_back(Locus{testing::ints(words), null});
    }
    auto st = candidate(loci, observed);
    bpcalc(*st);
    EXPECT_EQ(st->ibad, passes ? 0 : 1) << loci.size() << " loci";
    EXPECT_EQ(st->nall(1), passes ? static_cast<int>(loci[0].classes.size()) : 0);
  }
}

// One homomeric class, Ezone 1, whose observed codes are `codes`; with
// `unexplained`, a dependent Ezone 2 that implies no allele band. The
// console lines of two classes are pinned by the transcripts.
TEST(SearchLoop, SingleClassLastModeAndConfigurationStops) {
  const std::tuple<std::vector<int>, bool, int, int> cases[] = {
      {{1}, false, 1, 0}, {{1}, true, 0, 0}, {{0, 1}, false, 1, 1}};
  for (const auto& [codes, unexplained, announced, lastNull] : cases) {
    Rig r(SearchPath::Plain);
    State& st = r.st;
    st.nzones = st.nclass = unexplained ? 2 : 1;
    for (int k = 1; k <= st.nzones; ++k) st.c(k, 1) = st.class_(k, 1) = k, st.ic(k) = st.zsum(k) = 1;
    st.nhom = st.chom(1) = st.class_(1, 2) = 1;
    if (unexplained) st.nnot = st.class_(2, 3) = 1, st.cnohom(1) = 2;
    st.ncodes = st.nzymos = static_cast<int>(codes.size());
    std::copy(codes.begin(), codes.end(), &st.homcod(1));
    searchLoop(r.s);
    EXPECT_NE(r.out().find(" Finished\n Last transmission mode completed\n"), std::string::npos);
    EXPECT_EQ(st.nxhypo, announced);
    EXPECT_EQ(r.out().find("** No hypothesis could be formulated **") != std::string::npos, announced == 0);
    EXPECT_EQ(st.nulal2(1), lastNull);  // no configuration tried after a pass or a hetemr failure
  }
}

}  // namespace
}  // namespace korvelin
