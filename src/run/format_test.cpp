#include "run/format.h"

#include <gtest/gtest.h>

namespace korvelin {
namespace {

std::string blanks(int n) { return std::string(static_cast<std::size_t>(n), ' '); }

TEST(FreeLine, IntegersTakeABlankAndElevenColumnsAndTextAfterThemOneBlank) {
  EXPECT_EQ(FreeLine().text("a").text("b").str(), " ab");
  EXPECT_EQ(FreeLine().text("n =").num(42).str(), " n =" + blanks(10) + "42");
  EXPECT_EQ(FreeLine().num(-7).num(3).text("x").text("y").str(), blanks(11) + "-7" + blanks(11) + "3 xy");
  EXPECT_EQ(FreeLine().num(12345678901LL).num(123456789012LL).str(), "  12345678901 " + std::string(11, '*'));
  EXPECT_EQ(FreeLine().text("f: ").name("pat.dat").text("|").str(), " f: pat.dat" + blanks(53) + "|");
}

TEST(FixedLine, FieldsTooNarrowPrintAsterisks) {
  struct Case { long long value; int width; std::string want; };
  for (const Case& c : {Case{5, 3, "  5"}, Case{999, 3, "999"}, Case{1000, 3, "***"}, Case{-9, 2, "-9"},
                        Case{-10, 2, "**"}, Case{0, 1, "0"}})
    EXPECT_EQ(FixedLine().text("<").num(c.value, c.width).text(">").str(), "<" + c.want + ">") << c.value;
  EXPECT_EQ(FixedLine().repeat('=', 3).text(" x").str(), "=== x");
  EXPECT_EQ(ruler(), std::string(66, '='));
}

TEST(ItemLines, ContinuedLinesEndWithTheSeparatorAndStartBare) {
  const std::vector<std::string> items{"a", "b", "c", "d", "e", "f", "g"};
  EXPECT_EQ(itemLines(" Z: ", items, 3, "~"), (std::vector<std::string>{" Z: a~b~c~", "d~e~f~", "g"}));
  EXPECT_EQ(itemLines(" Z: ", {"a", "b", "c"}, 3, "~"), (std::vector<std::string>{" Z: a~b~c"}));
  EXPECT_EQ(itemLines(" Z: ", {}, 3, "~"), (std::vector<std::string>{" Z: "}));
  EXPECT_EQ(zoneItem(7, 'x') + zoneItem(12, ' '), " 7x12 ");
}

}  // namespace
}  // namespace korvelin
