// The full report of one hypothesis: the layout of each section, the lists
// that run over several lines, unassigned Ezones, and where the report goes.

#include "report/hypothesis_report.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>

#include "harness.h"
#include "run/memory_platform.h"

namespace korvelin {
namespace {

// A hypothesis set up by hand, as the search leaves it for the report; the
// console answers every pause.
struct Hypothesis {
  ScriptedConsole console{std::vector<std::string>(10, "")};
  MemoryFileSystem fs;
  Session s{console, fs};
  State& st = s.state();

  explicit Hypothesis(int zones) {
    st.u = kConsoleUnit;
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
  void toFile(int begin) {
    int status = 0;
    s.setOutput(fs.openWrite("res.lst", WriteMode::Create, status));
    st.u = kFileUnit;
    st.outfil = "res.lst      ";
    st.ilen = 7;
    st.begin = begin;
  }
  std::string report() { output(s); return console.stdoutText(); }
};

const std::string kPause = " <Press Return to continue>";

// Whether `rows` stand in `text` as consecutive whole lines.
bool has(const std::string& text, std::initializer_list<std::string> rows) {
  std::string wanted = "\n";
  for (const auto& r : rows) wanted += r + "\n";
  return ("\n" + text).find(wanted) != std::string::npos;
}

TEST(HypothesisReport, NullAlleleLocusWithFixedEzoneAndIntralocusBand) {
  Hypothesis h(6);
  h.group(-1, {1});
  h.group(-2, {3});
  h.allele(1, 1, 1, {2});
  h.dependent(2, {4}, 1, {1, 1, 1, 2});
  h.allele(3, 1, 2, {5, 6}, true);
  h.st.zsum(2) = 4;
  h.st.zsum(5) = 3;
  const std::string out = h.report();
  EXPECT_TRUE(has(out, {" ", " Homomerics:", " -----------", " Alleles at Locus  1:", "   Allele  1 [  4] Ezone  2 ",
                        "   Allele  2 [  3] Ezone  5 ~ 6 ",
                        "   - may contain heteromeric between this allele and a fixed Ezone",
                        "   Allele  0 [   ] Null allele", " OR", "   Fixed zone  1",
                        "   - Facultative post-translational modifications:", "     Ezone  2 ", "     Ezone  5 ~ 6 ",
                        kPause, "", " Intralocus-Heteromerics:", " ----------------------- ", " No Ezone",
                        "   contains intralocus heteromeric of", "   Locus  1, Allele 0", "   and",
                        "   Locus  1, Allele  1: Ezone  2 ", " No Ezone", "   contains intralocus heteromeric of",
                        "   Locus  1, Allele 0", "   and", "   Locus  1, Allele  2: Ezone  5 ~ 6 ", " Ezone  4 ",
                        "   contains intralocus heteromeric of", "   Locus  1, Allele  1: Ezone  2 ", "   and",
                        "   Locus  1, Allele  2: Ezone  5 ~ 6 ", "  ", " Fixed Ezones uninterpretable :  1 ", "  ",
                        " Ezones empty in all patterns :  3 ", kPause}))
      << out;
  EXPECT_EQ(out.find(" \n Homomerics:"), 0u) << out;
}

TEST(HypothesisReport, SingleEzoneOfAClassWithFixedBandsAround) {
  Hypothesis h(8);
  h.group(-1, {1});
  h.allele(1, 1, 1, {2}, true);
  h.allele(2, 1, 2, {3, 8});
  h.group(-2, {4, 5, 6, 7});
  const std::string out = h.report();
  EXPECT_TRUE(has(out, {" Ezone  3 ", " - equivalent to Ezone  3 ~ 8 ", " - contains homomeric: Locus  1, Allele  2",
                        " - or heteromeric of this allele with a fixed band",
                        " - or heteromeric of Locus  1, Allele 0, and fixed band",
                        " - or facultative post-translational modification of fixed bands", " Ezone  4 "}))
      << out;
}

// Two loci with null alleles, fixed Ezones 1 and 9, empty Ezones 7 and 8.
TEST(HypothesisReport, InterlocusPairsNeverJoinTwoNullAlleles) {
  Hypothesis h(9);
  h.group(-1, {1, 9});
  h.group(-2, {7, 8});
  h.allele(1, 1, 1, {2}, true);
  h.dependent(2, {3}, 1, {1, 2, 1, 1});
  h.allele(3, 2, 1, {4, 5, 6}, true);
  const std::string out = h.report();
  EXPECT_TRUE(has(out, {"   Allele  0 [   ] Null allele", " OR", "   One or more of the fixed zones  1~ 9"})) << out;
  EXPECT_TRUE(has(out, {kPause, "", " Interlocus-Heteromerics:", " ----------------------- ", " No Ezone",
                        "   contains heteromeric of", "   Locus  1, Allele 0", "   and",
                        "   Locus  2, Allele  1: Ezone  4 ~ 5 ~ 6 ", " No Ezone", "   contains heteromeric of",
                        "   Locus  1, Allele  1: Ezone  2 ", "   and", "   Locus  2, Allele  0", " Ezone  3 ",
                        "   contains heteromeric of", "   Locus  1, Allele  1: Ezone  2 ", "   and",
                        "   Locus  2, Allele  1: Ezone  4 ~ 5 ~ 6 ", "  ", " Fixed Ezones uninterpretable :  1 ~ 9 ",
                        "  ", " Ezones empty in all patterns :  7 , 8 ", kPause}))
      << out;
}

TEST(HypothesisReport, LongListsContinueAndOneLocusHasNoInterlocusPairs) {
  Hypothesis twenty(21);
  std::vector<int> all(21);
  for (int iz = 1; iz <= 21; ++iz) all[iz - 1] = iz;
  twenty.allele(1, 1, 1, all);
  twenty.st.shetbt = 1;  // left set by an earlier hypothesis of the run
  const std::string a = twenty.report();
  const std::string row = " 1 ~ 2 ~ 3 ~ 4 ~ 5 ~ 6 ~ 7 ~ 8 ~ 9 ~10 ~11 ~12 ~13 ~14 ~15 ~16 ~17 ~18 ~19 ~20 ~";
  EXPECT_TRUE(has(a, {"   Allele  1 [  0] Ezone " + row, "21 ", kPause, "", " Interlocus-Heteromerics:",
                      " ----------------------- ", kPause}))
      << a;
  EXPECT_TRUE(has(a, {" Ezone 21 ", " - equivalent to Ezone " + row, "21 ", " - contains homomeric: Locus  1, Allele  1"}));

  Hypothesis eleven(11);
  eleven.group(-1, std::vector<int>(all.begin(), all.begin() + 11));
  const std::string b = eleven.report();
  EXPECT_TRUE(has(b, {" Fixed Ezones uninterpretable :  1 ~ 2 ~ 3 ~ 4 ~ 5 ~ 6 ~ 7 ~ 8 ~ 9 ~10 ~", "11 ", kPause})) << b;
}

// Class 3 is a dependent band that nothing explains, class 5 one that two
// pairs of alleles explain.
void withUnassignedEzone(Hypothesis& h) {
  h.allele(1, 1, 1, {1});
  h.allele(2, 1, 2, {2});
  h.dependent(3, {3}, 0);
  h.allele(4, 2, 1, {4});
  h.dependent(5, {5}, 2, {1, 2, 1, 1});
}

TEST(HypothesisReport, UnassignedEzoneMakesTheHypothesisInvalid) {
  Hypothesis h(5);
  withUnassignedEzone(h);
  const std::string out = h.report();
  const std::string stars = " " + std::string(39, '*');
  EXPECT_TRUE(has(out, {"  ", " ** Warning ** Class           5  contains heteromeric to more than one pair of alleles!",
                        "  ", " ** Warning ** Class           3  contains neither homomeric nor heteromeric!",
                        " Ezone  3 could not be interpreted", kPause}))
      << out;
  EXPECT_TRUE(has(out, {" Ezone  3 ", " - could not be assigned", " Ezone  4 "}));
  EXPECT_TRUE(has(out, {" Ezone  5 ", " - contains heteromeric to more than one pair of alleles!", stars,
                        " * Above hypothesis is invalid.        *", " * Reasons could be overlapping Ezones *",
                        " * (epistasis) or missing phenotypes.  *", stars, " \f", kPause}));
  EXPECT_EQ(h.st.ibad, 1);
}

TEST(HypothesisReport, UnassignedEzoneEndsTheReportDuringASplitTrial) {
  Hypothesis h(5);
  withUnassignedEzone(h);
  h.toFile(1);
  h.st.dosplt = 1;
  EXPECT_EQ(h.report(), "");  // no repeat on the console, no pause
  EXPECT_TRUE(h.fs.contents("res.lst").ends_with("\n Ezone  3 \n - could not be assigned\n"));
  EXPECT_EQ(h.st.begin, 1);
  EXPECT_EQ(h.st.ibad, 1);
}

TEST(HypothesisReport, FirstReportGoesToFileAndConsoleLaterOnesToFileOnly) {
  Hypothesis first(2), later(2), screenOnly(2);
  for (Hypothesis* h : {&first, &later, &screenOnly}) {
    h->allele(1, 1, 1, {1});
    h->allele(2, 1, 2, {2});
  }
  first.toFile(1);
  std::string screen = first.report();
  EXPECT_EQ(first.console.answersRead(), 2u);  // before the single Ezones and at the end
  for (auto at = screen.find(kPause + "\n"); at != std::string::npos; at = screen.find(kPause + "\n"))
    screen.erase(at, kPause.size() + 1);
  EXPECT_EQ(screen, first.fs.contents("res.lst"));
  EXPECT_EQ(first.st.begin, 0);

  later.toFile(0);
  EXPECT_EQ(later.report(), " For results see output file <res.lst>\n");
  EXPECT_EQ(later.fs.contents("res.lst"), first.fs.contents("res.lst"));
  EXPECT_EQ(later.console.answersRead(), 0u);

  screenOnly.st.begin = 0;  // one pass and no pointer line on the console alone
  const std::string alone = screenOnly.report();
  EXPECT_EQ(alone.find(" \n Homomerics:\n"), 0u) << alone;
  EXPECT_TRUE(alone.ends_with(" - contains homomeric: Locus  1, Allele  2\n" + kPause + "\n")) << alone;
}

// Hypothesis 1 puts Ezone 2 between the alleles of Ezones 1 and 3 at two loci;
// hypothesis 3 joins Ezones 1 and 3 into one locus, so the same interlocus
// pair (locus 1 allele 1, locus 2 allele 1) has no band there.
TEST(HypothesisReport, LaterHypothesisShowsNoBandWhereAnEarlierOneHadOne) {
  const auto t = testing::runSession(
      {{"sub.dat", testing::patternFile({"0000", "1000", "0010", "0001", "1110", "1001", "0011", "1111"})}},
      testing::consoleAnswers("sub"));
  const auto third = t.out.find(" Hypothesis   3:");
  const auto fourth = t.out.find(" Hypothesis   4:");
  ASSERT_NE(fourth, std::string::npos) << t.out;
  const std::string first = t.out.substr(0, third), later = t.out.substr(third, fourth - third);
  EXPECT_TRUE(has(first, {" Ezone  2 ", "   contains heteromeric of", "   Locus  1, Allele  1: Ezone  1 ", "   and",
                          "   Locus  2, Allele  1: Ezone  3 "}));
  EXPECT_TRUE(has(later, {" No Ezone", "   contains heteromeric of", "   Locus  1, Allele  1: Ezone  1 ", "   and",
                          "   Locus  2, Allele  1: Ezone  4 "}))
      << later;
  EXPECT_TRUE(has(later, {" - contains intralocus heteromeric: Locus  1, Alleles  1 x  2"}));
}

}  // namespace
}  // namespace korvelin
