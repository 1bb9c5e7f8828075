// The genotype table quotes what needs quoting and runs hypothesis by
// hypothesis, pattern by pattern, individual by individual, locus by locus.

#include "export/genotype_table.h"

#include <gtest/gtest.h>

namespace korvelin {
namespace {

TEST(GenotypeTable, RowsAndQuoting) {
  Results r;
  Hypothesis h;
  h.number = 2;
  h.loci = {{1, false, {}}, {2, true, {}}};
  h.genotypes = {{"101", {{1, 1, false, "1/1"}, {0, 0, false, "0/0"}}},
                 {"011", {{1, 2, false, "1/2"}, {1, 1, true, "1/1|1/0"}}}};
  r.hypotheses = {h};
  const Sample sample{{{"a,1"}, {"say \"b\"", "c"}}, {}};
  EXPECT_EQ(genotypeTable(r, sample),
            "hypothesis,individual,pattern,locus,genotype\r\n"
            "2,\"a,1\",101,1,1/1\r\n"
            "2,\"a,1\",101,2,0/0\r\n"
            "2,\"say \"\"b\"\"\",011,1,1/2\r\n"
            "2,\"say \"\"b\"\"\",011,2,1/1|1/0\r\n"
            "2,c,011,1,1/2\r\n"
            "2,c,011,2,1/1|1/0\r\n");
}

}  // namespace
}  // namespace korvelin
