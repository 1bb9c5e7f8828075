#include "export/band_origins.h"

#include <gtest/gtest.h>

namespace korvelin {
namespace {

TEST(BandOrigins, CodesAndWords) {
  struct Case {
    BandOrigin origin;
    const char* code;
    const char* words;
  };
  const Case cases[] = {
      {{BandKind::Homomeric, 1, 1, 0, 0, 0}, "A1", "homomeric band of locus A, allele 1"},
      {{BandKind::Homomeric, 3, 12, 0, 0, 0}, "C12", "homomeric band of locus C, allele 12"},
      {{BandKind::Heteromeric, 1, 1, 1, 2, 0}, "A1xA2", "intralocus heteromeric band of locus A, allele 1 \u00d7 allele 2"},
      {{BandKind::Heteromeric, 1, 0, 1, 2, 0}, "A0xA2", "intralocus heteromeric band of locus A, null allele \u00d7 allele 2"},
      {{BandKind::Heteromeric, 1, 1, 2, 2, 0}, "A1xB2",
       "interlocus heteromeric band of locus A, allele 1 \u00d7 locus B, allele 2"},
      {{BandKind::Heteromeric, 2, 3, 4, 0, 0}, "B3xD0",
       "interlocus heteromeric band of locus B, allele 3 \u00d7 locus D, null allele"},
      {{BandKind::Modified, 1, 1, 0, 0, 1}, "A1*m1", "modified form 1 of locus A, allele 1 (facultative)"},
      {{BandKind::Modified, 2, 3, 0, 0, 2}, "B3*m2", "modified form 2 of locus B, allele 3 (facultative)"},
      {{BandKind::Fixed, 0, 0, 0, 0, 0}, "fixed", "fixed band (in every pattern)"},
      {{BandKind::Empty, 0, 0, 0, 0, 0}, "empty", "empty Ezone (in no pattern)"},
      {{BandKind::Unexplained, 0, 0, 0, 0, 0}, "unexplained", "band this hypothesis does not explain"},
      {{BandKind::Homomeric, 26, 1, 0, 0, 0}, "Z1", "homomeric band of locus Z, allele 1"},
      {{BandKind::Homomeric, 27, 1, 0, 0, 0}, "L271", "homomeric band of locus L27, allele 1"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(originCode(c.origin), c.code);
    EXPECT_EQ(originWords(c.origin), c.words) << c.code;
  }
}

}  // namespace
}  // namespace korvelin
