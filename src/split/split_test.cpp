#include "split/split.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "input/initia.h"
#include "relations/logary.h"
#include "run/memory_platform.h"

namespace korvelin {
namespace {

struct Trial {
  int ncomb;
  bool redundant;  // one new Ezone implies the other: the pass would stop at once
};

// A one-Ezone request on Ezone 1, which has a band in the first n of n + 1 patterns
// (Ezone 2 only in the last one). Every pause reads an empty line.
struct Request {
  ScriptedConsole console{std::vector<std::string>(4000, "")};
  MemoryFileSystem fs;
  Session s{console, fs};
  State& st = s.state();
  SplitStep last = SplitStep::TrialReady;

  explicit Request(int n) {
    st.u = kConsoleUnit;
    st.begin = 0;
    st.nzyori = st.nzymos = n + 1;
    for (int k = 1; k <= n; ++k) st.mori(k, 1) = 1;
    st.mori(n + 1, 2) = 1;
    st.nznori = 2;
    st.nzones = 3;
    st.nsplit = 1;
    st.isplit = 1;
    st.class_(1, 1) = 1;
    st.csplit = -2;
    st.ttlcmb = -100;
    st.ncomb = 0;
    st.dosplt = 1;
    st.nlimit = 8;
  }

  std::vector<Trial> trials() {
    std::vector<Trial> seen;
    while ((last = split(s)) == SplitStep::TrialReady) {
      initia(st);
      logary(st);
      seen.push_back({st.ncomb, st.imply(1, 3) || st.imply(3, 1)});
    }
    return seen;
  }
};

TEST(Split, CombinationsAreTriedInAscendingOrderWithoutTrivialOrMirroredOnes) {
  struct Case {
    int n;
    std::size_t count;
    std::vector<int> trials;    // listed for small n
    std::vector<int> analysed;  // those holding both digits 1 and 2
  };
  const Case cases[] = {
      {1, 0, {}, {}},
      {2, 3, {1, 3, 5}, {5}},
      {3, 12, {1, 3, 4, 5, 9, 10, 11, 12, 14, 15, 16, 17}, {5, 11, 14, 15, 16, 17}},
      {8, 3279, {}, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.n);
    Request r(c.n);
    std::vector<int> trials, analysed;
    for (const Trial& t : r.trials()) {
      trials.push_back(t.ncomb);
      if (!t.redundant) analysed.push_back(t.ncomb);
    }
    EXPECT_EQ(trials.size(), c.count);
    if (c.n <= 3) {
      EXPECT_EQ(trials, c.trials);
      EXPECT_EQ(analysed, c.analysed);
    }
    EXPECT_EQ(r.last, SplitStep::Exhausted);
    EXPECT_EQ(r.st.dosplt, 2);
  }
}

}  // namespace
}  // namespace korvelin
