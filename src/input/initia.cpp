#include "input/initia.h"

namespace korvelin {

void initia(State& st) {
  st.nshypo = 0;
  for (int i = 1; i <= st.nzones; ++i) {
    st.zassgn(i) = 0;
    st.zprod(i) = 1;
    st.zsum(i) = 0;
    st.nsum(i) = 0;
    st.nhybr(i) = 0;
    st.chom(i) = 0;
    st.cnohom(i) = 0;
    st.perm(i) = 0;
    for (int j = 1; j <= st.nzones; ++j) {
      st.imply(i, j) = true;
      st.triup(i, j) = false;
    }
    for (int d = 1; d <= 7; ++d) st.class_(i, d) = 0;
  }
  for (int k = -2; k <= st.nzones; ++k) {
    st.ic(k) = 0;
    st.cassgn(k) = 0;
    for (int j = 1; j <= st.nzones; ++j) st.c(k, j) = 0;
  }
  for (int l = 1; l <= st.maxloc; ++l) {
    st.nall(l) = 0;
    st.nal2(l) = 0;
    st.nulall(l) = 0;
    st.nulal2(l) = 0;
    for (int j = 1; j <= st.nzones; ++j) {
      st.locall(l, j) = 0;
      st.local2(l, j) = 0;
      st.nptm(l, j) = 0;
    }
  }
  st.nhom = 0;
  st.nnot = 0;
  st.nclass = 0;
  st.shetin = 0;
  st.shetbt = 0;
  st.iptm = 0;
  st.ibad = 0;
  st.nloc = 0;
  st.nulnum = 0;
}

}  // namespace korvelin
