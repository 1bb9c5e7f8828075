#include "search/search.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <numeric>
#include <set>

#include "harness.h"
#include "relations/newact.h"
#include "run/memory_platform.h"
#include "search/modes.h"
#include "search/permutations.h"

namespace korvelin {
namespace {

using Rows = std::vector<std::vector<int>>;

// A session on empty answers that reports to the console.
struct Rig {
  explicit Rig(SearchPath path = SearchPath::Fast) : s(con, fs, path), st(s.state()) { st.u = kConsoleUnit; }
  ScriptedConsole con{std::vector<std::string>(20, "")};
  MemoryFileSystem fs;
  Session s;
  State& st;
};

std::size_t distinct(const Rows& rows) { return std::set<std::vector<int>>(rows.begin(), rows.end()).size(); }

// Every mode newtrn offers for `nhom` classes, and what it told the console.
Rows allModes(int nhom, std::string* console = nullptr) {
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
  if (console) *console = r.con.stdoutText();
  return modes;
}

TEST(SearchOrders, ModesOncePerPartitionInOrder) {
  EXPECT_EQ(allModes(5), (Rows{{5}, {2, 3}, {1, 4}, {1, 2, 2}, {1, 1, 3}, {1, 1, 1, 2}, {1, 1, 1, 1, 1}}));
  const Rows seven = allModes(7), eight = allModes(8);
  EXPECT_EQ(Rows(seven.begin() + 4, seven.begin() + 8), (Rows{{2, 2, 3}, {1, 3, 3}, {1, 2, 4}, {1, 1, 5}}));
  EXPECT_EQ(Rows(eight.begin() + 5, eight.begin() + 10), (Rows{{2, 3, 3}, {2, 2, 4}, {1, 3, 4}, {1, 2, 5}, {1, 1, 6}}));
  const std::size_t partitions[] = {1, 2, 3, 5, 7, 11, 15, 22, 30, 42};
  for (int n = 1; n <= 10; ++n) EXPECT_EQ(distinct(allModes(n)), partitions[n - 1]) << n;
  std::string console;
  allModes(2, &console);
  EXPECT_EQ(console, " Testing for number of loci =           2\n Finished\n Last transmission mode completed\n");
}

// The orders of the generator from the identity until it reports the end.
Rows orders(int n) {
  auto st = std::make_unique<State>();
  st->nhom = n;
  st->inperm = 1;
  for (int k = 1; k <= n; ++k) st->perm(k) = k;
  for (Rows seen;; permut(*st)) {
    seen.emplace_back();
    for (int k = 1; k <= n; ++k) seen.back().push_back(st->perm(k));
    if (st->inperm == 3) return seen;
  }
}

TEST(SearchOrders, PlainChangesPermutations) {
  EXPECT_EQ(orders(3), (Rows{{1, 2, 3}, {2, 1, 3}, {2, 3, 1}, {3, 2, 1}, {3, 1, 2}, {1, 3, 2}, {1, 2, 3}}));
  const Rows four = orders(4);
  EXPECT_EQ(Rows(four.begin(), four.begin() + 9), (Rows{{1, 2, 3, 4}, {2, 1, 3, 4}, {2, 3, 1, 4}, {2, 3, 4, 1},
                                                        {3, 2, 4, 1}, {3, 2, 1, 4}, {3, 1, 2, 4}, {1, 3, 2, 4},
                                                        {1, 3, 4, 2}}));
  EXPECT_EQ(four.size(), 25u);
  EXPECT_EQ(distinct(four), 24u);
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
  while (nextDistinctAssignment(*st, filter) == NextAssignment::Accepted) {
  }
  Rows rows(st->nprmod);
  for (int r = 1; r <= st->nprmod; ++r) rows[r - 1].assign(st->lochom.row(r), st->lochom.row(r) + st->nhom);
  return rows;
}

TEST(SearchOrders, RepeatedGroupingsFilteredOut) {
  EXPECT_EQ(groupings({1, 2}), (Rows{{1, 2, 2}, {2, 1, 2}, {2, 2, 1}}));
  EXPECT_EQ(groupings({2, 2}),
            (Rows{{1, 1, 2, 2}, {2, 1, 1, 2}, {1, 2, 1, 2}, {2, 2, 1, 1}, {1, 2, 2, 1}, {2, 1, 2, 1}}));
  EXPECT_EQ(distinct(groupings({1, 1, 2})), 12u);
  EXPECT_EQ(groupings({1, 1, 1, 1, 1, 1, 1, 2}).size(), 9999u);  // of 9!/2, as many rows as allowed
}

TEST(SearchOrders, NullAlleleConfigurationsCountInBinary) {
  const std::vector<Rows> produced = {{}, {{1}}, {{0, 1}, {1, 0}, {1, 1}}};
  for (int nloc = 0; nloc <= 2; ++nloc) {
    auto st = std::make_unique<State>();
    st->nloc = nloc;
    auto nulls = [&] { return std::vector<int>(&st->nulal2(1), &st->nulal2(1) + nloc); };
    Rows seen;
    for (int nactio = 1; newact(*st, nactio), nactio == 1 && seen.size() < 4;) seen.push_back(nulls());
    EXPECT_EQ(seen, produced[nloc]);
    int nactio = 1;
    newact(*st, nactio);  // and again after the end
    EXPECT_EQ(nactio, 2);
    EXPECT_EQ(nulls(), std::vector<int>(nloc, 1));
  }
}

TEST(SearchOrders, BannerAfterAModeWithSeveralNewHypotheses) {
  const std::string stars = " " + std::string(55, '*') + "\n";
  for (int found : {1, 2}) {
    Rig r;
    r.st.nhom = 3;
    r.st.inperm = 1;
    r.st.nphypo = found;
    permut(r.st);  // the count is kept for the whole mode
    endprm(r.s);
    EXPECT_EQ(r.con.stdoutText(),
              found == 1 ? "" : stars + " * Given phenotypes allow more than one interpretation *\n" + stars);
  }
}

// One homomeric class, Ezone 1, whose observed codes are `codes`; with
// `unexplained`, a dependent Ezone 2 that implies no allele band.
TEST(SearchLoop, SingleClassLastModeAndConfigurationStops) {
  struct Case {
    std::vector<int> codes;
    bool unexplained;
    int announced, lastNull;
  };
  for (const Case& c : {Case{{1}, false, 1, 0}, Case{{1}, true, 0, 0}, Case{{0, 1}, false, 1, 1}}) {
    Rig r(SearchPath::Plain);
    State& st = r.st;
    st.nzones = st.nclass = c.unexplained ? 2 : 1;
    for (int k = 1; k <= st.nzones; ++k) st.c(k, 1) = st.class_(k, 1) = k, st.ic(k) = st.zsum(k) = 1;
    st.nhom = st.chom(1) = st.class_(1, 2) = 1;
    if (c.unexplained) st.nnot = st.class_(2, 3) = 1, st.cnohom(1) = 2;
    st.ncodes = st.nzymos = static_cast<int>(c.codes.size());
    std::copy(c.codes.begin(), c.codes.end(), &st.homcod(1));
    searchLoop(r.s);
    const std::string out = r.con.stdoutText();
    EXPECT_NE(out.find(" Finished\n Last transmission mode completed\n"), std::string::npos);
    EXPECT_EQ(st.nxhypo, c.announced);
    EXPECT_EQ(out.find("** No hypothesis could be formulated **") != std::string::npos, c.announced == 0);
    EXPECT_EQ(st.nulal2(1), c.lastNull);  // no configuration tried after a pass or a hetemr failure
  }
}

TEST(SearchLoop, WholeSearches) {
  struct Case {
    std::vector<std::string> patterns;
    int hypotheses;
    std::string present, absent;  // `absent` is looked for after hypothesis 2 when there is one
  };
  const Case cases[] = {
      {{"10", "01", "11"}, 1, " Testing for number of loci =           2\n", "Finished"},
      // Two codominant loci; the grouping that swaps them is the same hypothesis.
      {{"1010", "1001", "1011", "0110", "0101", "0111", "1110", "1101", "1111"}, 1, "* 2-locus", "Finished"},
      // Ezone 3 is a modification of Ezone 1 for one locus and for two.
      {{"000", "100", "101", "010", "110", "111"}, 2, "All of the     6            *\n", " BUT "},
      // Ezone 2 is a modification for one locus, a hybrid with a null allele for two.
      {{"000", "110", "001", "101"}, 2,
       " - contains interlocus heteromeric: Locus  1, Allele  1 x Locus  2, Allele  0\n", "facultative PTM"},
  };
  for (const Case& c : cases) {
    const auto t = testing::runSession({{"p.dat", testing::patternFile(c.patterns)}}, testing::consoleAnswers("p.dat"),
                                       SearchPath::Plain);
    EXPECT_NE(t.out.find(" Total number of hypotheses found =  " + std::to_string(c.hypotheses)), std::string::npos);
    const auto second = t.out.find(" Hypothesis   2:");
    EXPECT_NE(t.out.find(c.present, second == std::string::npos ? 0 : second), std::string::npos) << c.present;
    EXPECT_EQ(t.out.find(c.absent, second == std::string::npos ? 0 : second), std::string::npos) << c.absent;
  }
}

}  // namespace
}  // namespace korvelin
