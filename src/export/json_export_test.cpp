// What the shipped runs do not show: a hypothesis of a split trial, a DNA
// input, how the run ended, and names that are no plain text.

#include "export/json_export.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace korvelin {
namespace {

TEST(JsonExport, SplitTrialDnaInputAndTheEnd) {
  Results r;
  r.input = {"dir/p\xff.dat", true, 2, 3, {"10", "01"}, {2, 1}};
  Hypothesis h;
  h.number = 4;
  h.pass = PassKind::SplitTrial;
  h.split = SplitTrial{2, 5, 12, "0121"};
  h.ezones = 3;
  h.loci = {{1, true, {{1, {1, 3}, 0}}}};
  h.ezoneBands = {{1, true, 1, BandKind::Homomeric, {{BandKind::Homomeric, 1, 1, 0, 0, 0}}},
                  {2, false, -1, BandKind::Fixed, {}},
                  {3, true, 1, BandKind::Homomeric, {{BandKind::Homomeric, 1, 1, 0, 0, 0}}}};
  h.expected = 2;
  h.found = 2;
  h.closed = true;
  h.genotypes = {{"110", {{1, 1, true, "1/1|1/0"}}}, {"010", {{0, 0, false, "0/0"}}}};
  r.hypotheses = {h};
  const Sample sample{{{"3", "5"}, {"4"}}, {}};

  const auto doc = nlohmann::json::parse(toJson(r, sample, 2, "register full"));
  EXPECT_EQ(doc["input"]["file"], "dir/p\xEF\xBF\xBD.dat");  // the stray byte replaced
  EXPECT_EQ(doc["input"]["pattern_type"], "dna");
  const auto& j = doc["hypotheses"][0];
  EXPECT_EQ(j["pass"], "split_trial");
  EXPECT_EQ(j["split"], nlohmann::json({{"ezone", 2}, {"combination", 5}, {"of", 12}, {"code", "0121"}}));
  EXPECT_EQ(j["loci"][0]["alleles"][0]["ezones"], nlohmann::json({1, 3}));
  EXPECT_EQ(j["ezone_bands"][1]["kind"], "fixed");
  EXPECT_EQ(j["ezone_bands"][2]["split_mark"], true);
  EXPECT_EQ(j["genotypes"][1]["individuals"], nlohmann::json({"4"}));
  EXPECT_EQ(doc["ended"], nlohmann::json({{"status", 2}, {"reason", "register full"}}));
}

}  // namespace
}  // namespace korvelin
