#include "relations/logary.h"

#include <bit>
#include <cstdint>

namespace korvelin {

void logary(State& st) {
  for (int i = 1; i <= st.nzymos; ++i) {
    for (int j = 1; j <= st.nzones; ++j) {
      st.zsum(j) += st.m(i, j);
      st.zprod(j) = st.zprod(j) * st.m(i, j);
    }
    for (int a = 1; a <= st.nzones - 1; ++a) {
      for (int b = a + 1; b <= st.nzones; ++b) {
        st.q = st.m(i, a) * st.m(i, b) == 1;
        st.triup(a, b) = st.triup(a, b) || st.q;
        st.triup(b, a) = st.triup(a, b);
        if (st.m(i, a) == 1) st.imply(a, b) = st.imply(a, b) && st.q;
        if (st.m(i, b) == 1) st.imply(b, a) = st.imply(b, a) && st.q;
      }
    }
  }
}

void keepInputRelations(State& st) {
  st.zsumori = st.zsum;
  st.zprodori = st.zprod;
  st.impori = st.imply;
  st.triori = st.triup;
}

void splitRelations(State& st) {
  static_assert(kPatterns <= 64, "one bit per pattern");
  st.zsum = st.zsumori;
  st.zprod = st.zprodori;
  st.imply = st.impori;
  st.triup = st.triori;
  // For each Ezone the patterns with a band in it, one bit each (at most
  // 50 patterns), read pattern by pattern.
  std::uint64_t bands[kZones + 1] = {};
  for (int i = 1; i <= st.nzymos; ++i) {
    const int* const row = st.m.row(i) - 1;  // row[z] is m(i, z)
    for (int z = 1; z <= st.nzones; ++z)  // (without a branch: bands fall as they will)
      bands[z] |= std::uint64_t{row[z] == 1} << (i - 1);
  }
  const std::uint64_t all = st.nzymos == 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << st.nzymos) - 1;
  for (const int e : {st.isplit, st.nzones}) {
    st.zsum(e) = std::popcount(bands[e]);
    st.zprod(e) = bands[e] == all ? 1 : 0;
    st.imply(e, e) = true;
    st.triup(e, e) = false;
    for (int z = 1; z <= st.nzones; ++z) {
      if (z == e) continue;
      st.imply(e, z) = (bands[e] & ~bands[z]) == 0;
      st.imply(z, e) = (bands[z] & ~bands[e]) == 0;
      st.triup(e, z) = st.triup(z, e) = (bands[e] & bands[z]) != 0;
    }
  }
}

}  // namespace korvelin
