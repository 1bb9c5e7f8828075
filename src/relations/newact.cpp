#include "relations/newact.h"

namespace korvelin {

void newact(State& st, int& nactio) {
  nactio = 1;
  for (int l = st.nloc; l >= 1; --l) {
    if (st.nulal2(l) != 1) {
      st.nulal2(l) = 1;
      for (int later = l + 1; later <= st.nloc; ++later) st.nulal2(later) = 0;
      return;
    }
  }
  nactio = 2;
}

}  // namespace korvelin
