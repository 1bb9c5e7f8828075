#include "report/register.h"

#include <gtest/gtest.h>

#include "harness.h"
#include "run/memory_platform.h"

namespace korvelin {
namespace {

// A session on empty answers that reports to the console.
struct Rig {
  Rig() : s(con, fs), st(s.state()) { st.u = kConsoleUnit, st.begin = 0; }
  ScriptedConsole con{std::vector<std::string>(20, "")};
  MemoryFileSystem fs;
  Session s;
  State& st;
};

// The boxes that the reference transcripts do not show.
TEST(RegisterBox, AnnouncementLayout) {
  const std::string stars = " " + std::string(40, '*') + "\n";
  const std::string head = "  \n Hypothesis   1:\n" + stars, but = " *                  BUT                 *\n";
  const std::string found = " *     expected patterns were found     *\n" + stars;
  const struct {
    std::vector<int> alleles, nulls;
    int ptm, nzymos, dosplt;
    std::string box;
  } boxes[] = {
      {{1, 1}, {1, 1}, 0, 5, 0,
       head + " * 2-locus hypothesis can be formulated *\n *     with null alleles at  2 loci     *\n" + but +
           " *         5 instead of the     4       *\n" + found},
      {{4, 4, 4}, {0, 0, 0}, 0, 7, 0,  // 1000 expected
       head + " * 3-locus hypothesis can be formulated *\n" + but + " *        only    7 of the >  999      *\n" +
           found},
      {{2}, {0}, 1, 3, 1, ""},  // a share of 0.6 while an Ezone is split leaves no trace
      {{2}, {1}, 0, 3, 1,
       head + " * 1-locus hypothesis can be formulated *\n *     with null allele at  1 locus     *\n" + but +
           " *        only    3 of the     4        *\n" + found},
  };
  for (const auto& b : boxes) {
    Rig r;
    r.st.dosplt = b.dosplt;
    r.st.nzymos = b.nzymos;
    r.st.nloc = static_cast<int>(b.alleles.size());
    for (int nl = 1; nl <= r.st.nloc; ++nl) {
      r.st.nall(nl) = b.alleles[nl - 1];
      r.st.nulnum += r.st.nulall(nl) = b.nulls[nl - 1];
    }
    r.st.nptm(1, 1) = b.ptm;
    newhyp(r.s);
    EXPECT_EQ(r.con.stdoutText().substr(0, b.box.size()), b.box);
    EXPECT_EQ(r.con.stdoutText().empty(), b.box.empty());
    EXPECT_EQ(r.st.nxhypo, b.box.empty() ? 0 : 1);
    EXPECT_EQ(r.st.nxexac, 0);
  }
}

TEST(RegisterRecords, WholeRecordsComparedAndRepeatsNeverOverflow) {
  Rig r;
  State& st = r.st;
  st.dosplt = st.nzymos = 1;  // a split trial with far too few patterns: nothing shown
  st.nzones = st.nhom = st.nloc = kZones;
  for (int l = 1; l <= kZones; ++l) st.nall(l) = 1, st.locall(l, 1) = l, st.nulall(l) = l < kZones;
  EXPECT_TRUE(registerHypothesis(r.s));
  EXPECT_EQ(st.lauf, 231);
  st.nulall(kZones) = 1;  // differs in the last column only
  EXPECT_TRUE(registerHypothesis(r.s));
  EXPECT_FALSE(registerHypothesis(r.s));
  for (int h = 3; h <= kHypotheses; ++h) {
    st.class_(1, 4) = h;
    EXPECT_TRUE(registerHypothesis(r.s));
  }
  st.class_(1, 4) = 7;
  EXPECT_FALSE(registerHypothesis(r.s));
  EXPECT_EQ(st.nhypo, kHypotheses);
  EXPECT_EQ(r.con.stdoutText(), "");
  st.class_(1, 4) = 21;
  EXPECT_THROW(registerHypothesis(r.s), RunEnded);
  EXPECT_EQ(testing::lines(r.con.stdoutText()).at(0),
            " ** Maximal number  20 of hypotheses exceeded - Program terminated");
}

}  // namespace
}  // namespace korvelin
