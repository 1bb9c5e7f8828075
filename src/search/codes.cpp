#include "search/codes.h"

namespace korvelin {

void bpcode(State& st) {
  for (int i = 1; i <= st.nzymos; ++i) {
    int code = 0;
    for (int k = 1; k <= st.nhom; ++k) code += (1 << (k - 1)) * st.m(i, st.c(st.chom(k), 1));
    st.homcod(i) = code;
  }
  bsort1(st.homcod, st.nzymos);
  st.ncodes = st.nzymos;
  compact(st.homcod, st.ncodes);
}

}  // namespace korvelin
