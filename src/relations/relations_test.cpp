#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <memory>

#include "input/initia.h"
#include "relations/candidates.h"
#include "relations/classes.h"
#include "relations/logary.h"
#include "run/memory_platform.h"

namespace korvelin {
namespace {

using Zones = std::vector<int>;

// The pass up to the candidates, over one 0/1 string per pattern.
void analyse(State& st, const std::vector<std::string>& patterns, int dna = 0) {
  st.nzymos = static_cast<int>(patterns.size());
  st.nzones = static_cast<int>(patterns[0].size());
  for (int p = 1; p <= st.nzymos; ++p)
    for (int z = 1; z <= st.nzones; ++z) st.m(p, z) = patterns[p - 1][z - 1] - '0';
  initia(st);
  logary(st);
  equcls(st);
  dna == 1 ? dnavar(st) : homhet(st);
}

Zones row(const State& st, int k) { return Zones(st.c.row(k), st.c.row(k) + st.ic(k)); }
Zones head(const Table<int, 1, kZones>& t, int n) { return Zones(&t(1), &t(1) + n); }

// Whether two analyses left the same relations, classes and candidates.
bool same(const State& a, const State& b) {
  auto eq = [](const auto& x, const auto& y) { return std::memcmp(&x, &y, sizeof x) == 0; };
  return eq(a.zsum, b.zsum) && eq(a.zprod, b.zprod) && eq(a.imply, b.imply) && eq(a.triup, b.triup) &&
         eq(a.c, b.c) && eq(a.ic, b.ic) && eq(a.class_, b.class_) && eq(a.zassgn, b.zassgn) && eq(a.chom, b.chom) &&
         eq(a.cnohom, b.cnohom);
}

TEST(Relations, SingleEzoneAndSinglePattern) {
  auto st = std::make_unique<State>();
  analyse(*st, {"1", "0"});
  EXPECT_EQ(st->zsum(1), 1);
  EXPECT_EQ(st->zprod(1), 0);
  EXPECT_EQ(head(st->chom, st->nhom), Zones{1});

  analyse(*st, {"0110"});
  EXPECT_TRUE(st->imply(1, 2));  // an Ezone without a band implies every other
  EXPECT_TRUE(st->imply(2, 3) && st->imply(3, 2) && !st->imply(2, 1));
  EXPECT_TRUE(st->triup(2, 3) && st->triup(3, 2) && !st->triup(1, 2));
  EXPECT_EQ(row(*st, -1), (Zones{2, 3}));
  EXPECT_EQ(row(*st, -2), (Zones{1, 4}));
  EXPECT_EQ((Zones{st->class_(1, 1), st->class_(2, 1), st->zassgn(1), st->zassgn(2)}), (Zones{-2, -1, -1, -1}));
  EXPECT_EQ((Zones{st->nclass, st->nhom, st->class_(2, 2), st->class_(2, 3)}), (Zones{0, 0, 0, 0}));
}

// Ezone 1 fixed, 12 empty, 3 and 11 alike; only the pair columns 6..10 lie
// in no other class.
const std::vector<std::string> kTwelve = {"110001110000", "101001001110", "100100101000", "100010010100"};

TEST(Relations, ClassesFollowTheirLowestEzoneWhateverThePatternOrder) {
  auto st = std::make_unique<State>();
  analyse(*st, kTwelve);
  EXPECT_EQ(st->nclass, 9);
  EXPECT_EQ(row(*st, 2), (Zones{3, 11}));
  EXPECT_EQ(st->class_(11, 1), 2);
  EXPECT_EQ(head(st->chom, st->nhom), (Zones{5, 6, 7, 8, 9}));
  EXPECT_EQ(head(st->cnohom, st->nnot), (Zones{1, 2, 3, 4}));

  auto reversed = std::make_unique<State>();
  analyse(*reversed, {kTwelve.rbegin(), kTwelve.rend()});
  EXPECT_TRUE(same(*reversed, *st));
  // A DNA pass over more classes before must leave nothing behind: Ezones
  // 1..6 alone or each with its dependent partner 7..12.
  std::vector<std::string> other;
  for (int i = 0; i < 6; ++i) {
    std::string p(12, '0');
    other.push_back(p.replace(i, 1, "1"));
    other.push_back(p.replace(i + 6, 1, "1"));
  }
  auto again = std::make_unique<State>();
  analyse(*again, other, 1);
  ASSERT_EQ((Zones{again->nhom, again->nnot}), (Zones{12, 6}));
  analyse(*again, kTwelve);
  EXPECT_TRUE(same(*again, *st));
  for (int z = 1; z <= 12; ++z) EXPECT_TRUE(again->imply(z, z) && !again->triup(z, z)) << z;
}

TEST(Relations, CandidatesAndDependentClasses) {
  struct Case {
    std::vector<std::string> patterns;
    int dna;
    Zones chom, cnohom;
  } const cases[] = {
      {{"1000", "0100", "1111"}, 0, {1, 2}, {3}},  // C (Ezones 3, 4) only beside both A and B
      {{"1000", "0100", "1111"}, 1, {1, 2, 3}, {3}},
      {{"001", "011", "111", "000"}, 0, {3}, {1, 2}},  // a chain: A implies B implies C
      {{"001", "011", "111", "000"}, 1, {1, 2, 3}, {1, 2}},
  };
  for (const auto& tc : cases) {
    auto st = std::make_unique<State>();
    analyse(*st, tc.patterns, tc.dna);
    EXPECT_EQ(head(st->chom, st->nhom), tc.chom) << tc.patterns[0] << tc.dna;
    EXPECT_EQ(head(st->cnohom, st->nnot), tc.cnohom) << tc.patterns[0] << tc.dna;
    for (int z = 1; z <= st->nzones; ++z) {
      EXPECT_EQ(st->class_(z, 2), std::ranges::count(tc.chom, st->class_(z, 1))) << z;
      EXPECT_EQ(st->class_(z, 3), std::ranges::count(tc.cnohom, st->class_(z, 1))) << z;
    }
  }
}

TEST(Relations, ListingContinuesAfterTwentyItems) {
  std::vector<std::string> single(21, std::string(22, '0'));  // Ezone 22 stays empty
  std::string want =
      "  \n Two Ezones belong to the same EQUIVALENCE CLASS, \n if for every pattern it holds that bands appear\n"
      " either in both Ezones or in neither Ezone:\n  \n Equivalence classes of Ezones:\n";
  std::string numbers;
  for (int k = 1; k <= 21; ++k) {
    single[k - 1][k - 1] = '1';
    const std::string n = (k < 10 ? " " : "") + std::to_string(k);
    want += " Class  " + n + ": Ezone " + n + " \n";
    numbers += n + (k == 20 ? ",\n" : k < 21 ? "," : "\n");
  }
  ScriptedConsole console({""});
  MemoryFileSystem fs;
  Session s(console, fs);
  s.state().u = kConsoleUnit;
  analyse(s.state(), single);
  equout(s);
  EXPECT_EQ(console.stdoutText(),
            want + " Empty Ezone: 22 \n  \n Independent equivalence classes: " + numbers + " <Press Return to continue>\n");
}

}  // namespace
}  // namespace korvelin
