#include "relations/classes.h"

#include "base/format.h"

namespace korvelin {
namespace {

void append(State& st, int k, int iz) {
  st.ic(k) += 1;
  st.c(k, st.ic(k)) = iz;
  st.class_(iz, 1) = k;
}

std::vector<std::string> classItems(const State& st, int k) {
  std::vector<std::string> items;
  for (int n = 1; n <= st.ic(k); ++n) items.push_back(zoneItem(st.c(k, n), st.shwspl(st.c(k, n))));
  return items;
}

void writeListing(Session& s, int unit) {
  const State& st = s.state();
  auto put = [&](const std::string& line) { s.toUnit(unit, line); };
  auto putAll = [&](const std::vector<std::string>& lines) {
    for (const auto& line : lines) put(line);
  };
  if (st.dna != 1 && st.begin == 1 && st.dosplt != 1) {
    put("  ");
    put(" Two Ezones belong to the same EQUIVALENCE CLASS, ");
    put(" if for every pattern it holds that bands appear");
    put(" either in both Ezones or in neither Ezone:");
    put("  ");
  }
  put(" Equivalence classes of Ezones:");
  for (int k = 1; k <= st.nclass; ++k)
    putAll(itemLines(FixedLine().text(" Class ").num(k, 3).text(": Ezone ").str(), classItems(st, k), 20, "~"));
  if (st.ic(-1) > 0) putAll(itemLines(" Fixed Ezone: ", classItems(st, -1), 20, "~"));
  if (st.ic(-2) > 0) putAll(itemLines(" Empty Ezone: ", classItems(st, -2), 20, "~"));
  if (st.dna != 1) {
    put("  ");
    std::vector<std::string> numbers;
    for (int k = 1; k <= st.nhom; ++k) numbers.push_back(intField(st.chom(k), 2));
    putAll(itemLines(" Independent equivalence classes: ", numbers, 20, ","));
  }
}

}  // namespace

void equcls(State& st) {
  for (int iz = 1; iz <= st.nzones; ++iz) {
    if (st.zsum(iz) == 0) {
      append(st, -2, iz);
      st.zassgn(iz) = -1;
    } else if (st.zprod(iz) == 1) {
      append(st, -1, iz);
      st.zassgn(iz) = -1;
    } else {
      bool placed = false;
      for (int k = 1; k <= st.nclass && !placed; ++k) {
        const int r = st.c(k, 1);
        if (st.imply(iz, r) && st.imply(r, iz)) {
          append(st, k, iz);
          placed = true;
        }
      }
      if (!placed) {
        st.nclass += 1;
        append(st, st.nclass, iz);
      }
    }
  }
}

void equout(Session& s) {
  const State& st = s.state();
  writeListing(s, st.u);
  if (st.begin == 1 && st.u != kConsoleUnit) writeListing(s, kConsoleUnit);
  s.warten();
}

}  // namespace korvelin
