#include "search/search.h"

#include <algorithm>

#include "relations/hetemr.h"
#include "relations/newact.h"
#include "report/register.h"
#include "base/format.h"
#include "search/bpcalc.h"
#include "search/modes.h"
#include "search/permutations.h"

namespace korvelin {
namespace {

constexpr int kMostPassingLoci = 5;  // 2^6 genotype combinations exceed 50

// Modified forms are counted per hypothesis: every allele assignment starts
// from none.
void freshCounts(State& st) {
  for (int l = 1; l <= st.maxloc; ++l)
    for (int j = 1; j <= st.nzones; ++j) st.nptm(l, j) = 0;
}

bool someLocusWithoutVariation(const State& st) {
  for (int nl = 1; nl <= st.nloc; ++nl)
    if (st.nal2(nl) + st.nulal2(nl) <= 1) return true;
  return false;
}

// The next null-allele configuration worth a test; false when none is left.
bool nextConfiguration(State& st, int& nactio) {
  do {
    newact(st, nactio);
    if (nactio == 2) return false;
  } while (someLocusWithoutVariation(st));
  return true;
}

// Tests the configurations of the current assignment.
void testAssignment(Session& s) {
  State& st = s.state();
  for (int nl = 1; nl <= st.nloc; ++nl) st.nulal2(nl) = 0;
  int nactio = 0;
  for (;;) {
    st.ibad = 0;
    bpcalc(st);
    if (st.ibad == 1) {
      if (!nextConfiguration(st, nactio)) return;
      continue;
    }
    hetemr(st);
    if (st.ibad > 0) return;
    if (registerHypothesis(s)) st.nphypo += 1;
    // The strict test lets at most one configuration of an assignment pass,
    // the one without null alleles first. Under the incomplete-sample test
    // a null homozygote may simply be absent, so the configurations with
    // null alleles are tried after that one as well.
    if (nactio != 1 && st.incomp == 0) return;
    if (!nextConfiguration(st, nactio)) return;
  }
}

void startMode(State& st) {
  for (int k = 1; k <= st.nhom; ++k) st.perm(k) = k;
  st.inperm = 1;
  st.nprmod = 1;
  st.nphypo = 0;
}

enum class ModeEnd { NextMode, SearchComplete };

// Every assignment of the current mode, starting with its first one.
ModeEnd runMode(Session& s, GroupingFilter& filter) {
  State& st = s.state();
  filter.restart(st);
  freshCounts(st);
  testAssignment(s);
  for (;;) {
    if (st.nloc == 1) return ModeEnd::NextMode;
    if (st.nloc == st.nhom) return ModeEnd::SearchComplete;
    if (nextDistinctAssignment(st, filter) == NextAssignment::ModeFinished) {
      endprm(s);
      return ModeEnd::NextMode;
    }
    s.checkStop();  // between candidates
    freshCounts(st);
    testAssignment(s);
  }
}

void noHypothesis(Session& s) {
  if (s.state().nshypo == 0) s.report(FreeLine().text("** No hypothesis could be formulated **"));
}

// Every mode in turn, as newtrn offers them.
void plainSearch(Session& s) {
  State& st = s.state();
  st.nprmod = 1;
  st.nloc = 1;
  st.nal2(1) = st.nhom;
  int ntrm1 = 0;
  GroupingFilter filter;
  for (;;) {
    newtrn(s, ntrm1);
    if (ntrm1 == 2) {
      noHypothesis(s);
      return;
    }
    startMode(st);
    if (runMode(s, filter) == ModeEnd::SearchComplete) return;
  }
}

// The same modes, in the same order and with the same console lines, but a
// mode that cannot pass is neither walked nor built; with more classes than
// any passing mode can hold, no division is looked at.
void fastSearch(Session& s) {
  State& st = s.state();
  const bool some = st.nhom <= mostAllelesWithin(mostCombinations(st));
  GroupingFilter filter;
  for (int loci = 1; loci <= st.nhom; ++loci) {
    if (loci > 1) s.toConsole(lociLine(loci));
    if (!some || loci > kMostPassingLoci) continue;
    firstDivision(st, loci);
    do {
      if (!modeCanPass(st)) continue;
      firstAssignment(st);
      startMode(st);
      if (runMode(s, filter) == ModeEnd::SearchComplete) return;
    } while (nextDivision(st));
  }
  // With one class the search ends through newtrn, which finds no mode left
  // after the single one (with more, it ends at the all-singleton mode).
  if (st.nhom == 1) {
    firstDivision(st, 1);
    int ntrm1 = 1;
    newtrn(s, ntrm1);
    noHypothesis(s);
  }
}

// Fewest genotypes a locus with `alleles` visible alleles shows in a tested
// candidate: a single allele varies only beside a null allele.
int fewestGenotypes(int alleles) { return genotypeCount(alleles, alleles == 1 ? 1 : 0); }

}  // namespace

int mostCombinations(const State& st) { return st.incomp == 1 ? st.maxpat : st.ncodes; }

int mostAllelesWithin(int combinations) {
  int most = 0;
  for (int a = 1; fewestGenotypes(a) <= combinations; ++a)
    most = std::max(most, a + mostAllelesWithin(combinations / fewestGenotypes(a)));
  return most;
}

bool modeCanPass(const State& st) {
  if (st.nloc > kMostPassingLoci) return false;
  for (unsigned nulls = 0; nulls < (1u << st.nloc); ++nulls) {
    long long product = 1;
    bool varies = true;
    for (int nl = 1; nl <= st.nloc && varies; ++nl) {
      const int n = static_cast<int>((nulls >> (st.nloc - nl)) & 1u);
      varies = st.nal2(nl) + n >= 2;
      product *= genotypeCount(st.nal2(nl), n);
    }
    if (!varies) continue;
    if (st.incomp == 1 ? product >= st.ncodes && product <= st.maxpat : product == st.ncodes) return true;
  }
  return false;
}

void searchLoop(Session& s) {
  if (s.searchPath() == SearchPath::Fast)
    fastSearch(s);
  else
    plainSearch(s);
}

}  // namespace korvelin
