#include "search/modes.h"

#include <array>

#include "base/format.h"

namespace korvelin {
namespace {

// Spreads `total` alleles over loci from..nloc as evenly as possible, the
// last loci taking the remainder.
void balance(State& st, int from, int total) {
  const int loci = st.nloc - from + 1;
  const int q = total / loci;
  for (int l = from; l <= st.nloc; ++l) st.nal2(l) = q;
  int r = total - loci * q;
  for (int l = st.nloc; r > 0; --l, --r) st.nal2(l) += 1;
}

}  // namespace

void firstAssignment(State& st) {
  int k = 0;
  for (int nl = 1; nl <= st.nloc; ++nl) {
    for (int na = 1; na <= st.nal2(nl); ++na) {
      ++k;
      st.local2(nl, na) = st.chom(k);
      st.homloc(nl, na) = k;
      st.lochom(1, k) = static_cast<std::int8_t>(nl);
      st.nsum(st.chom(k)) = 1;
    }
  }
}

void firstDivision(State& st, int loci) {
  st.nloc = loci;
  balance(st, 1, st.nhom);
}

bool nextDivision(State& st) {
  if (st.nloc == 1 || st.nal2(st.nloc) == st.nhom - st.nloc + 1) return false;
  int p = 1;
  for (int cand = st.nloc - 1; cand >= 2; --cand) {
    if (st.nal2(cand - 1) < st.nal2(cand)) {
      p = cand;
      break;
    }
  }
  st.nal2(p) -= 1;
  int used = 0;
  for (int l = 1; l <= p; ++l) used += st.nal2(l);
  balance(st, p + 1, st.nhom - used);
  return true;
}

const std::string& lociLine(int loci) {
  // Every split trial shows them: they are made once.
  static const std::array<std::string, kZones + 1> lines = [] {
    std::array<std::string, kZones + 1> made;
    for (int n = 1; n <= kZones; ++n) made[static_cast<std::size_t>(n)] = FreeLine().text("Testing for number of loci =").num(n);
    return made;
  }();
  return lines.at(static_cast<std::size_t>(loci));
}

void newtrn(Session& s, int& ntrm1) {
  State& st = s.state();
  if (ntrm1 == 0) {
    ntrm1 = 1;
    firstAssignment(st);
    return;
  }
  if (st.nloc == st.nhom) s.toConsole(FreeLine().text("Finished"));
  if (!nextDivision(st)) {
    if (st.nloc >= st.nhom) {
      s.toConsole(FreeLine().text("Last transmission mode completed"));
      ntrm1 = 2;
      return;
    }
    firstDivision(st, st.nloc + 1);
    s.toConsole(lociLine(st.nloc));
  }
  ntrm1 = 1;
  firstAssignment(st);
}

}  // namespace korvelin
