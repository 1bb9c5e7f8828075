#include "search/permutations.h"

#include "base/format.h"

namespace korvelin {
namespace {

std::string rowKey(const State& st, int r) {
  return std::string(reinterpret_cast<const char*>(st.lochom.row(r)), static_cast<std::size_t>(st.nhom));
}

void buildCandidate(State& st) {
  int s = 0;
  const int row = st.nprmod + 1;
  for (int nl = 1; nl <= st.nloc; ++nl) {
    for (int na = 1; na <= st.nal2(nl); ++na) {
      ++s;
      const int k = st.perm(s);
      st.nsum(st.chom(k)) = 1;
      st.local2(nl, na) = st.chom(k);
      st.homloc(nl, na) = k;
      st.lochom(row, k) = static_cast<std::int8_t>(nl);
    }
  }
}

}  // namespace

void permut(State& st) {
  if (st.inperm != 2) {
    for (int j = 2; j <= st.nhom; ++j) {
      st.np(j) = 0;
      st.nd(j) = 1;
    }
    st.inperm = 2;
  }
  int j = st.nhom;
  int t = 0;
  int q = 0;
  for (;;) {
    st.np(j) += st.nd(j);
    q = st.np(j);
    if (q == j) {
      st.nd(j) = -1;
    } else if (q == 0) {
      st.nd(j) = 1;
      ++t;
    } else {
      break;
    }
    if (j <= 2) {
      q = 1;
      st.inperm = 3;
      break;
    }
    --j;
  }
  std::swap(st.perm(q + t), st.perm(q + t + 1));
}

void GroupingFilter::restart(const State& st) {
  seen_.clear();
  seen_.insert(rowKey(st, 1));
}

bool GroupingFilter::admit(const State& st, int r) { return seen_.insert(rowKey(st, r)).second; }

NextAssignment nextDistinctAssignment(State& st, GroupingFilter& filter) {
  for (;;) {
    permut(st);
    if (st.inperm == 3 || static_cast<float>(st.nprmod + 1) > st.mxperm) return NextAssignment::ModeFinished;
    buildCandidate(st);
    if (filter.admit(st, st.nprmod + 1)) {
      st.nprmod += 1;
      return NextAssignment::Accepted;
    }
  }
}

void endprm(Session& s) {
  const State& st = s.state();
  if (st.nphypo <= 1) return;
  const std::string stars = " " + std::string(55, '*');
  s.reportAndConsole(stars);
  s.reportAndConsole(" * Given phenotypes allow more than one interpretation *");
  s.reportAndConsole(stars);
}

}  // namespace korvelin
