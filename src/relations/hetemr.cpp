#include "relations/hetemr.h"

namespace korvelin {
namespace {

int representative(const State& st, int k) { return st.c(k, 1); }

// The class holding the homomeric band of allele a of locus l.
int homomericClass(const State& st, int l, int a) { return st.store.read(l, l, a, a); }

void assignOrigin(State& st, int k, int l1, int l2, int a1, int a2) {
  st.store.write(l1, l2, a1, a2, k);
  st.cassgn(k) = 1;
  for (int n = 1; n <= st.ic(k); ++n) {
    const int iz = st.c(k, n);
    st.class_(iz, 4) = l1;
    st.class_(iz, 5) = l2;
    st.class_(iz, 6) = a1;
    st.class_(iz, 7) = a2;
    st.zassgn(iz) = 1;
  }
}

// Every individual that carries both parent bands must show the hybrid.
bool hybridAlwaysShows(const State& st, int z1, int z2, int rk) {
  for (int i = 1; i <= st.nzymos; ++i)
    if (st.m(i, z1) == 1 && st.m(i, z2) == 1 && st.m(i, rk) == 0) return false;
  return true;
}

void tryVisiblePairs(State& st, int k) {
  const int rk = representative(st, k);
  for (int s = 1; s <= st.nhom; ++s) {
    for (int t = s + 1; t <= st.nhom; ++t) {
      st.zone1 = representative(st, st.chom(s));
      st.zone2 = representative(st, st.chom(t));
      if (!st.imply(rk, st.zone1) || !st.imply(rk, st.zone2)) continue;
      if (!hybridAlwaysShows(st, st.zone1, st.zone2, rk)) continue;
      int l1 = st.class_(st.zone1, 4);
      int a1 = st.class_(st.zone1, 6);
      int l2 = st.class_(st.zone2, 4);
      int a2 = st.class_(st.zone2, 6);
      if (l1 == l2)
        st.shetin = 1;
      else
        st.shetbt = 1;
      if (l1 > l2) {
        std::swap(l1, l2);
        std::swap(a1, a2);
      }
      assignOrigin(st, k, l1, l2, a1, a2);
      st.nhybr(k) += 1;
    }
  }
}

void tryNullPartners(State& st, int k) {
  const int rk = representative(st, k);
  for (int l2 = 1; l2 <= st.nloc; ++l2) {
    if (st.nulall(l2) == 0) continue;
    // A hybrid with the null allele of l2 shows only where l2 shows no band.
    bool meetsLocus = false;
    for (int a = 1; a <= st.nall(l2) && !meetsLocus; ++a) {
      const int h = homomericClass(st, l2, a);
      meetsLocus = h > 0 && st.triup(rk, representative(st, h));
    }
    if (meetsLocus) continue;
    for (int l1 = 1; l1 <= st.nloc; ++l1) {
      if (l1 == l2) continue;
      for (int a = 1; a <= st.nall(l1); ++a) {
        st.allel1 = homomericClass(st, l1, a);
        if (st.allel1 <= 0) continue;
        st.zone1 = representative(st, st.allel1);
        if (!st.imply(rk, st.zone1)) continue;
        st.shetbt = 1;
        if (l1 < l2)
          assignOrigin(st, k, l1, l2, a, 0);
        else
          assignOrigin(st, k, l2, l1, 0, a);
        st.nhybr(k) += 1;
      }
    }
  }
}

void tryModification(State& st, int k) {
  const int rk = representative(st, k);
  for (int l = 1; l <= st.nloc; ++l) {
    for (int a = 1; a <= st.nall(l); ++a) {
      st.allel2 = homomericClass(st, l, a);
      if (st.allel2 <= 0) continue;
      const int z = representative(st, st.allel2);
      if (!st.imply(rk, z)) continue;
      st.cassgn(k) = 1;
      st.nptm(l, a) += 1;
      st.iptm = 1;
      st.store.write(l, 0, a, st.nptm(l, a), k);
      for (int n = 1; n <= st.ic(k); ++n) {
        const int iz = st.c(k, n);
        st.class_(iz, 2) = 0;
        st.class_(iz, 3) = 0;
        st.class_(iz, 4) = l;
        st.class_(iz, 5) = 0;
        st.class_(iz, 6) = a;
        st.class_(iz, 7) = st.nptm(l, a);
        st.zassgn(iz) = 1;
      }
    }
  }
}

}  // namespace

void hetemr(State& st) {
  // A band explained as a modification by an earlier hypothesis is a
  // dependent band again for this one: restore the flags the candidate
  // search gave it.
  for (int j = 1; j <= st.nnot; ++j) {
    const int k = st.cnohom(j);
    for (int n = 1; n <= st.ic(k); ++n) {
      st.class_(st.c(k, n), 2) = st.dna == 1 ? 1 : 0;
      st.class_(st.c(k, n), 3) = 1;
    }
  }
  for (int j = 1; j <= st.nnot; ++j) {
    const int k = st.cnohom(j);
    st.cassgn(k) = 0;
    for (int n = 1; n <= st.ic(k); ++n) st.zassgn(st.c(k, n)) = 0;
  }
  for (int j = 1; j <= st.nnot; ++j) {
    const int k = st.cnohom(j);
    st.newc = k;
    st.nhybr(k) = 0;
    tryVisiblePairs(st, k);
    if (st.nhybr(k) == 0) tryNullPartners(st, k);
    if (st.nhybr(k) == 0) tryModification(st, k);
    if (st.nhybr(k) > 1) {
      st.ibad += 1;
      if (st.dosplt == 1) return;
    }
    if (st.cassgn(k) == 0) {
      st.ibad += 1;
      if (st.dosplt == 1) return;
    }
  }
}

}  // namespace korvelin
