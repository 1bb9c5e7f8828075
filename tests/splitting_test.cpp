// The trials of one Ezone in the search for overlapping Ezones. The offer,
// the Ezone menu, the requests and their totals, as the user meets them, are
// case folders under tests/cases/splitting/; the all-Ezones order from the
// fixed Ezones on and the maximal N are pinned by a golden transcript.

#include <gtest/gtest.h>

#include <tuple>

#include "harness.h"
#include "input/initia.h"
#include "relations/logary.h"
#include "split/split.h"

namespace korvelin::testing {
namespace {

// A one-Ezone request on Ezone 1, which has a band in the first n of n + 1
// patterns (Ezone 2 only in the last one): the number of every trial, and
// those in which neither new Ezone implies the other (the only ones a pass
// analyses; the others it stops at once as redundant).
struct Request : testing::Rig {
  explicit Request(int n) {
    st.begin = 0;
    st.nzyori = st.nzymos = n + 1;
    for (int k = 1; k <= n; ++k) st.mori(k, 1) = 1;
    st.mori(n + 1, 2) = 1;
    st.nznori = 2, st.nzones = 3;
    st.nsplit = st.isplit = st.class_(1, 1) = st.dosplt = 1;
    st.csplit = -2, st.ttlcmb = -100, st.nlimit = 8;
    while ((last = split(s)) == SplitStep::TrialReady) {
      initia(st);
      logary(st);
      trials.push_back(st.ncomb);
      if (!st.imply(1, 3) && !st.imply(3, 1)) analysed.push_back(st.ncomb);
    }
  }
  std::vector<int> trials, analysed;
  SplitStep last;
};

TEST(Split, CombinationsAreTriedInAscendingOrderWithoutTrivialOrMirroredOnes) {
  const std::tuple<int, std::vector<int>, std::vector<int>> cases[] = {
      {1, {}, {}},
      {2, {1, 3, 5}, {5}},
      {3, {1, 3, 4, 5, 9, 10, 11, 12, 14, 15, 16, 17}, {5, 11, 14, 15, 16, 17}},
      {8, {}, {}},  // listed for small n only
  };
  for (const auto& [n, trials, analysed] : cases) {
    const Request r(n);
    // Each of the n bands goes to one new Ezone, the other or both: 3^n
    // codes, less the three that split nothing (all to one, to the other, to
    // both), and one of each mirrored pair.
    int codes = 1;
    for (int k = 0; k < n; ++k) codes *= 3;
    EXPECT_EQ(r.trials.size(), static_cast<std::size_t>((codes - 3) / 2)) << n;
    if (n <= 3) {
      EXPECT_EQ(r.trials, trials);
      EXPECT_EQ(r.analysed, analysed);
    }
    EXPECT_TRUE(r.last == SplitStep::Exhausted && r.st.dosplt == 2);
  }
}

}  // namespace
}  // namespace korvelin::testing
