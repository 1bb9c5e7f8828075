#include "search/codes.h"

namespace korvelin {

void bpcode(State& st) {
  int zone[kZones + 1];  // the first Ezone of the k-th homomeric class
  for (int k = 1; k <= st.nhom; ++k) zone[k] = st.c(st.chom(k), 1);
  for (int i = 1; i <= st.nzymos; ++i) {
    int code = 0;
    for (int k = 1; k <= st.nhom; ++k) code += (1 << (k - 1)) * st.m(i, zone[k]);
    st.homcod(i) = code;
  }
  bsort1(st.homcod, st.nzymos);
  st.ncodes = st.nzymos;
  compact(st.homcod, st.ncodes);
}

}  // namespace korvelin
