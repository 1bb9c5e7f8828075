#include "search/bpcalc.h"

#include "search/codes.h"

namespace korvelin {
namespace {

// Lists the genotype codes of every locus; false when a locus would list
// more genotypes than any sample can show.
bool listGenotypes(State& st) {
  for (int nl = 1; nl <= st.nloc; ++nl) {
    const int alleles = st.nal2(nl);
    if (genotypeCount(alleles, st.nulal2(nl)) > st.maxpat) return false;
    for (int na = 1; na <= alleles; ++na) st.locpat(nl, na) = 1 << (st.homloc(nl, na) - 1);
    int g = alleles;
    for (int na1 = 1; na1 <= alleles; ++na1) {
      for (int na2 = na1 + 1; na2 <= alleles; ++na2) {
        ++g;
        st.locpat(nl, g) = st.locpat(nl, na1) + st.locpat(nl, na2);
      }
    }
    if (st.nulal2(nl) == 1) {
      ++g;
      st.locpat(nl, g) = 0;
    }
    st.npat(nl) = g;
  }
  return true;
}

// Codes of all genotype combinations in `hypcod`; false beyond 50.
bool combine(State& st, int& n) {
  for (int nl = 1; nl <= st.nloc; ++nl) st.ipat(nl) = st.npat(nl);
  n = 0;
  for (;;) {
    ++n;
    if (n > st.maxpat) return false;
    int code = 0;
    for (int nl = 1; nl <= st.nloc; ++nl) code += st.locpat(nl, st.ipat(nl));
    st.hypcod(n) = code;
    int digit = st.nloc;
    while (digit >= 1 && st.ipat(digit) <= 1) --digit;
    if (digit < 1) return true;
    st.ipat(digit) -= 1;
    for (int l = digit + 1; l <= st.nloc; ++l) st.ipat(l) = st.npat(l);
  }
}

// The strict test: the expected codes are exactly the observed ones. The
// incomplete-sample search: every observed code is among the expected ones.
bool matchesObserved(State& st, int n) {
  bsort1(st.hypcod, n);
  int nhcode = n;
  compact(st.hypcod, nhcode);
  if (st.incomp == 1) {
    // Both lists ascend: one walk through the expected codes.
    int e = 1;
    for (int i = 1; i <= st.ncodes; ++i) {
      while (e <= nhcode && st.hypcod(e) < st.homcod(i)) ++e;
      if (e > nhcode || st.hypcod(e) != st.homcod(i)) return false;
    }
    return true;
  }
  if (nhcode != st.ncodes) return false;
  for (int i = 1; i <= st.ncodes; ++i)
    if (st.hypcod(i) != st.homcod(i)) return false;
  return true;
}

void canonicalForm(State& st) {
  for (int nl = 1; nl <= st.nloc; ++nl) {
    for (int na = 1; na <= st.nal2(nl); ++na) st.asort(na) = st.local2(nl, na);
    bsort1(st.asort, st.nal2(nl));
    for (int na = 1; na <= st.nal2(nl); ++na) st.local2(nl, na) = st.asort(na);
  }
  for (int nl = 1; nl <= st.nloc; ++nl) {
    st.lsort1(nl) = st.local2(nl, 1);
    st.lsort2(nl) = nl;
  }
  bsort2(st.lsort1, st.lsort2, st.nloc);
  for (int i = 1; i <= st.nloc; ++i) {
    const int nl = st.lsort2(i);
    st.nall(i) = st.nal2(nl);
    st.nulall(i) = st.nulal2(nl);
    for (int na = 1; na <= st.nal2(nl); ++na) st.locall(i, na) = st.local2(nl, na);
  }
}

void recordHomomerics(State& st) {
  // Records of earlier hypotheses must not show through in this one's report.
  st.store.forgetWritten();
  for (int i = 1; i <= st.nloc; ++i) {
    for (int na = 1; na <= st.nall(i); ++na) {
      const int k = st.locall(i, na);
      st.oldc = k;
      st.store.write(i, i, na, na, k);
      st.cassgn(k) = 1;
      for (int n = 1; n <= st.ic(k); ++n) {
        st.newzon = st.c(k, n);
        st.class_(st.newzon, 4) = i;
        st.class_(st.newzon, 5) = i;
        st.class_(st.newzon, 6) = na;
        st.class_(st.newzon, 7) = na;
        st.zassgn(st.newzon) = 1;
      }
    }
  }
  st.nulnum = 0;
  for (int i = 1; i <= st.nloc; ++i) {
    if (st.nulall(i) == 1) {
      st.nulnum += 1;
      st.store.write(i, i, 0, 0, 0);
    }
  }
}

}  // namespace

void bpcalc(State& st) {
  int n = 0;
  if (st.nloc > st.maxloc || !listGenotypes(st) || !combine(st, n) || !matchesObserved(st, n)) {
    st.ibad = 1;
    return;
  }
  canonicalForm(st);
  recordHomomerics(st);
}

}  // namespace korvelin
