#include "search/codes.h"

#include <algorithm>
#include <array>

namespace korvelin {

void bpcode(State& st) {
  int zone[kZones + 1];  // the first Ezone of the k-th homomeric class
  for (int k = 1; k <= st.nhom; ++k) zone[k] = st.c(st.chom(k), 1);
  // (Every split trial comes here: sorted and cleared of repeats at once.)
  std::array<int, kPatterns> codes{};
  for (int i = 1; i <= st.nzymos; ++i) {
    const int* const row = st.m.row(i) - 1;  // row[z] is m(i, z)
    int code = 0;
    for (int k = 1; k <= st.nhom; ++k) code += (1 << (k - 1)) * row[zone[k]];
    codes[static_cast<std::size_t>(i - 1)] = code;
  }
  const auto first = codes.begin(), end = first + st.nzymos;
  std::sort(first, end);
  st.ncodes = static_cast<int>(std::unique(first, end) - first);
  for (int i = 1; i <= st.ncodes; ++i) st.homcod(i) = codes[static_cast<std::size_t>(i - 1)];
}

}  // namespace korvelin
