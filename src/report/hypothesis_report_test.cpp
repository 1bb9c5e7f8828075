// The announcement and the full report of one hypothesis as only a state set
// up by hand reaches them: the worked layouts, the lists that run over
// several lines and unassigned Ezones. What real runs reach is pinned by the
// transcripts: the drawing (numbers too wide, one full block), a null allele
// beside fixed Ezones with its intralocus bands, an Ezone of a class between
// fixed bands, lists over several lines (tests/cases/report/), where the
// report goes and the usual boxes.

#include "report/hypothesis_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <tuple>

#include "harness.h"
#include "report/register.h"
#include "base/format.h"

namespace korvelin {
namespace {

using testing::hasLines;

const std::string kPause = " <Press Return to continue>";

TEST(RegisterBox, AnnouncementLayout) {
  const std::string stars = " " + std::string(40, '*') + "\n", head = "  \n Hypothesis   1:\n" + stars;
  const std::string but = " *                  BUT                 *\n";
  const std::string found = " *     expected patterns were found     *\n" + stars;
  // Alleles per locus, null alleles at every locus, modified forms of the
  // first allele, patterns seen, split trial; the box.
  const std::tuple<std::vector<int>, int, int, int, int, std::string> boxes[] = {
      {{1, 1}, 1, 0, 5, 0,
       head + " * 2-locus hypothesis can be formulated *\n *     with null alleles at  2 loci     *\n" + but +
           " *         5 instead of the     4       *\n" + found},
      {{4, 4, 4}, 0, 0, 7, 0,  // 1000 expected
       head + " * 3-locus hypothesis can be formulated *\n" + but + " *        only    7 of the >  999      *\n" +
           found},
      {{2}, 0, 1, 3, 1, ""},  // a share of 0.6 while an Ezone is split leaves no trace
  };
  for (const auto& [alleles, nulls, ptm, nzymos, dosplt, box] : boxes) {
    testing::Rig r;
    r.st.begin = 0, r.st.dosplt = dosplt, r.st.nzymos = nzymos;
    r.st.nloc = static_cast<int>(alleles.size());
    for (int nl = 1; nl <= r.st.nloc; ++nl) r.st.nall(nl) = alleles[nl - 1], r.st.nulnum += r.st.nulall(nl) = nulls;
    r.st.nptm(1, 1) = ptm;
    newhyp(r.s);
    EXPECT_EQ(r.out().substr(0, box.size()), box);
    EXPECT_EQ(r.out().empty(), box.empty());
  }
}

TEST(RegisterRecords, WholeRecordsComparedAndRepeatsNeverOverflow) {
  // The strict search holds 20 records, the incomplete-sample search 1000.
  for (const int limit : {kHypotheses, kHypothesesIncomplete}) {
    testing::Rig r;
    State& st = r.st;
    st.maxhyp = limit;
    st.hypo.resize(limit);
    st.begin = 0;
    st.dosplt = st.nzymos = 1;  // a split trial with far too few patterns: nothing shown
    st.nzones = st.nhom = st.nloc = kZones;
    for (int l = 1; l <= kZones; ++l) st.nall(l) = 1, st.locall(l, 1) = l, st.nulall(l) = l < kZones;
    EXPECT_TRUE(registerHypothesis(r.s));
    st.nulall(kZones) = 1;  // differs in the last column only
    EXPECT_TRUE(registerHypothesis(r.s));
    EXPECT_FALSE(registerHypothesis(r.s));
    st.locall(kZones, 1) = 1;  // differs in the Ezone of the last locus's allele only
    EXPECT_TRUE(registerHypothesis(r.s));
    for (int h = 4; h <= limit; ++h) {
      st.class_(1, 4) = h;
      EXPECT_TRUE(registerHypothesis(r.s));
    }
    st.class_(1, 4) = 7;
    EXPECT_FALSE(registerHypothesis(r.s));  // a repeat when the register is full
    EXPECT_EQ(st.nhypo, limit);
    st.class_(1, 4) = limit + 1;  // only a new one ends the run
    EXPECT_THROW(registerHypothesis(r.s), RunEnded);
    EXPECT_NE(r.out().find(FixedLine().text(" ** Maximal number").num(limit, 4).str() + " of hypotheses exceeded"),
              std::string::npos);
    EXPECT_EQ(r.s.endStatus(), 3);
  }
}

// A hypothesis set up by hand, as the search leaves it for the report.
struct Hypothesis : testing::Rig {
  explicit Hypothesis(int zones) {
    st.nzones = zones;
    for (int iz = 1; iz <= zones; ++iz) st.shwspl(iz) = ' ';
  }
  // Ezones of class k (-1 fixed, -2 empty). A band of origin o (first locus
  // above 0) is explained; flag 2 marks a homomeric, 3 a dependent class.
  void group(int k, const std::vector<int>& zones, int flag = 0, std::array<int, 4> o = {}) {
    if (o[0] > 0) st.store.write(o[0], o[1], o[2], o[3], k);
    st.cassgn(k) = o[0] > 0;
    for (int z : zones) {
      st.c(k, ++st.ic(k)) = z;
      const int row[] = {k, flag == 2, flag == 3, o[0], o[1], o[2], o[3]};
      for (int col = 1; col <= 7; ++col) st.class_(z, col) = row[col - 1];
      st.zassgn(z) = k < 0 ? -1 : o[0] > 0;
    }
  }
  void allele(int k, int l, int a, const std::vector<int>& zones, bool null = false) {
    group(k, zones, 2, {l, l, a, a});
    st.nsum(k) = 1;
    ++st.nhom;
    st.nloc = std::max(st.nloc, l);
    st.nall(l) = std::max(st.nall(l), a);
    st.nulall(l) |= null;
  }
  void dependent(int k, const std::vector<int>& zones, int hybrids, std::array<int, 4> o = {}) {
    group(k, zones, 3, o);
    st.cnohom(++st.nnot) = k;
    st.nhybr(k) = hybrids;
    if (o[0] > 0) (o[0] == o[1] ? st.shetin : st.shetbt) = 1;
  }
  std::string report() {
    output(s);
    return out();
  }
};

// Lists that run over several lines are met in real runs (tests/cases/report/).
TEST(HypothesisReport, OneLocusHasNoInterlocusPairs) {
  Hypothesis h(1);
  h.allele(1, 1, 1, {1});
  h.st.shetbt = 1;  // left set by an earlier hypothesis of the run
  EXPECT_TRUE(hasLines(h.report(), {"   Allele  1 [  0] Ezone  1 ", kPause, "", " Interlocus-Heteromerics:",
                                    " ----------------------- ", kPause}));
}

// Class 3 is a dependent band that nothing explains, class 5 one that two
// pairs of alleles explain.
TEST(HypothesisReport, UnassignedEzoneMakesTheHypothesisInvalid) {
  Hypothesis whole(5), trial(5);
  for (Hypothesis* h : {&whole, &trial}) {
    h->allele(1, 1, 1, {1});
    h->allele(2, 1, 2, {2});
    h->dependent(3, {3}, 0);
    h->allele(4, 2, 1, {4});
    h->dependent(5, {5}, 2, {1, 2, 1, 1});
  }
  const std::string out = whole.report();
  const std::string stars = " " + std::string(39, '*');
  const std::string warning = " ** Warning ** Class           ";
  EXPECT_TRUE(hasLines(out, {"  ", warning + "5  contains heteromeric to more than one pair of alleles!", "  ",
                             warning + "3  contains neither homomeric nor heteromeric!",
                             " Ezone  3 could not be interpreted", kPause}));
  EXPECT_TRUE(hasLines(out, {" Ezone  3 ", " - could not be assigned", " Ezone  4 "}));
  EXPECT_TRUE(hasLines(out, {" Ezone  5 ", " - contains heteromeric to more than one pair of alleles!", stars,
                             " * Above hypothesis is invalid.        *", " * Reasons could be overlapping Ezones *",
                             " * (epistasis) or missing phenotypes.  *", stars, " \f", kPause}));
  EXPECT_EQ(whole.st.ibad, 1);

  // During a split trial the report ends at the Ezone: no repeat on the
  // console, no pause, `begin` kept.
  int status = 0;
  trial.s.setOutput(trial.fs.openWrite(trial.fs.hold("res.lst", status), WriteMode::Create, status));
  trial.st.u = kFileUnit;
  trial.st.begin = trial.st.dosplt = 1;
  EXPECT_EQ(trial.report(), "");
  EXPECT_TRUE(trial.fs.contents("res.lst").ends_with("\n Ezone  3 \n - could not be assigned\n"));
  EXPECT_EQ((std::array{trial.st.begin, trial.st.ibad}), (std::array{1, 1}));
}

}  // namespace
}  // namespace korvelin
