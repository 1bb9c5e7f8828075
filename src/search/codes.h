#pragma once
// Band-pattern codes: a pattern reduced to the bit set of the homomeric
// classes it shows (bit k-1 for the k-th class of `chom`).

#include "state/state.h"

namespace korvelin {

// Codes of the observed patterns, sorted and without repeats, in
// `homcod`(1..`ncodes`).
void bpcode(State& st);

// Straight insertion sort of a(1..n), stable.
template <typename Tab>
void bsort1(Tab& a, int n) {
  if (n < 2) return;
  for (int p = 2; p <= n; ++p) {
    if (a(p - 1) > a(p)) {
      const auto saved = a(p);
      a(p) = a(p - 1);
      int q = p - 2;
      while (q > 0 && a(q) > saved) {
        a(q + 1) = a(q);
        --q;
      }
      a(q + 1) = saved;
    }
  }
}

// The same sort on keys a1, carrying the companions a2 along.
template <typename Tab1, typename Tab2>
void bsort2(Tab1& a1, Tab2& a2, int n) {
  if (n < 2) return;
  for (int p = 2; p <= n; ++p) {
    if (a1(p - 1) > a1(p)) {
      const auto key = a1(p);
      const auto companion = a2(p);
      a1(p) = a1(p - 1);
      a2(p) = a2(p - 1);
      int q = p - 2;
      while (q > 0 && a1(q) > key) {
        a1(q + 1) = a1(q);
        a2(q + 1) = a2(q);
        --q;
      }
      a1(q + 1) = key;
      a2(q + 1) = companion;
    }
  }
}

// Removes repeated values from the sorted list a(1..n); n is updated.
template <typename Tab>
void compact(Tab& a, int& n) {
  int p = 2;
  for (;;) {
    if (p <= n && a(p) == a(p - 1)) {
      for (int q = p + 1; q <= n; ++q) a(q - 1) = a(q);
      --n;
      --p;
    }
    if (p >= n) return;
    ++p;
  }
}

}  // namespace korvelin
