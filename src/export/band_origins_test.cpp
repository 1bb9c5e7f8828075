#include "export/band_origins.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

#include "harness.h"

namespace korvelin {
namespace {

// Every case of tests/data/band_origins.txt.
TEST(BandOrigins, CodesAndWords) {
  const std::map<std::string, BandKind> kinds{{"homomeric", BandKind::Homomeric}, {"heteromeric", BandKind::Heteromeric},
                                              {"modified", BandKind::Modified}, {"fixed", BandKind::Fixed},
                                              {"empty", BandKind::Empty}, {"unexplained", BandKind::Unexplained}};
  int cases = 0;
  for (const std::string& line : testing::lines(testing::readTextFile(KORVELIN_TESTS_DIR "/data/band_origins.txt"))) {
    if (line.starts_with('#')) continue;
    const std::size_t code = line.find(" | "), words = line.find(" | ", code + 3);
    std::istringstream fields(line.substr(0, code));
    std::string kind;
    BandOrigin o;
    fields >> kind >> o.locus >> o.allele >> o.locus2 >> o.allele2 >> o.form;
    o.kind = kinds.at(kind);
    EXPECT_EQ(originCode(o), line.substr(code + 3, words - code - 3)) << line;
    EXPECT_EQ(originWords(o), line.substr(words + 3)) << line;
    EXPECT_EQ(bandKindName(o.kind), kind);
    ++cases;
  }
  EXPECT_GE(cases, 13);
}

}  // namespace
}  // namespace korvelin
