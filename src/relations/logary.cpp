#include "relations/logary.h"

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

}  // namespace korvelin
