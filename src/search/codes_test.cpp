#include "search/codes.h"

#include <gtest/gtest.h>

#include <memory>

namespace korvelin {
namespace {

using List = Table<int, 1, kZones>;
using Values = std::vector<int>;

List fill(const Values& v) {
  List t;
  for (std::size_t i = 0; i < v.size(); ++i) t(static_cast<int>(i) + 1) = v[i];
  return t;
}
template <typename T>
Values head(const T& t, int n) { return Values(&t(1), &t(1) + n); }

TEST(Codes, SortsAndCompaction) {
  List keys = fill({5, 3, 5, 1}), companions = fill({1, 2, 3, 4});
  bsort2(keys, companions, 4);
  EXPECT_EQ(head(keys, 4), (Values{1, 3, 5, 5}));
  EXPECT_EQ(head(companions, 4), (Values{4, 2, 1, 3}));  // tied keys keep their order

  keys = fill({3, 5, 3, 1, 0}), companions = fill({1, 2, 3, 4, 5});
  bsort2(keys, companions, 4);  // the fifth entry lies outside the list
  EXPECT_EQ(head(keys, 5), (Values{1, 3, 3, 5, 0}));
  EXPECT_EQ(head(companions, 5), (Values{4, 1, 3, 2, 5}));

  for (const auto& [in, want] : std::vector<std::pair<Values, Values>>{
           {{4}, {4}}, {{1, 1, 1}, {1}}, {{0, 0, 2, 3, 3}, {0, 2, 3}}, {{2, 5, 5, 5, 8}, {2, 5, 8}}}) {
    List t = fill(in);
    int n = static_cast<int>(in.size());
    compact(t, n);
    EXPECT_EQ(head(t, n), want);
  }
}

TEST(Codes, ObservedCodesFollowTheOrderOfChom) {
  auto st = std::make_unique<State>();
  st->nhom = 3;
  st->chom(1) = 4, st->chom(2) = 2, st->chom(3) = 7;
  st->c(4, 1) = 5, st->c(2, 1) = 3, st->c(7, 1) = 9;  // the classes' first Ezones
  // Classes 2 and 7; no class (Ezone 1 lies outside them); the first again
  // with a band outside; class 4 alone.
  const std::vector<Values> bands = {{3, 9}, {1}, {1, 3, 9}, {5}};
  st->nzymos = 4;
  for (int p = 1; p <= 4; ++p)
    for (int z : bands[p - 1]) st->m(p, z) = 1;
  bpcode(*st);
  EXPECT_EQ(head(st->homcod, st->ncodes), (Values{0, 1, 6}));
}

}  // namespace
}  // namespace korvelin
