#include "relations/candidates.h"

namespace korvelin {
namespace {

bool impliesAnotherClass(State& st, int k) {
  const int r = st.c(k, 1);
  st.homdim = false;
  for (int j = 1; j <= st.nclass; ++j)
    if (j != k) st.homdim = st.homdim || st.imply(r, st.c(j, 1));
  return st.homdim;
}

void flagClass(State& st, int k, int column) {
  for (int n = 1; n <= st.ic(k); ++n) st.class_(st.c(k, n), column) = 1;
}

void addCandidate(State& st, int k) {
  st.nhom += 1;
  st.chom(st.nhom) = k;
  flagClass(st, k, 2);
}

void addDependent(State& st, int k) {
  st.nnot += 1;
  st.cnohom(st.nnot) = k;
  flagClass(st, k, 3);
}

}  // namespace

void homhet(State& st) {
  for (int k = 1; k <= st.nclass; ++k) {
    if (!impliesAnotherClass(st, k))
      addCandidate(st, k);
    else
      addDependent(st, k);
  }
}

void dnavar(State& st) {
  for (int k = 1; k <= st.nclass; ++k) {
    addCandidate(st, k);
    if (impliesAnotherClass(st, k)) addDependent(st, k);
  }
}

}  // namespace korvelin
