// A name that is no UTF-8 still gives valid JSON. What the exporter writes for
// real runs (a split trial, a DNA input, fixed Ezones, split marks, how the
// run ended) is pinned by the case folders (tests/cases/exports/, tables/).

#include "export/json_export.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace korvelin {
namespace {

TEST(JsonExport, StrayByteInTheFileNameIsReplaced) {
  Results r;
  r.input.file = "dir/p\xff.dat";
  const auto doc = nlohmann::json::parse(toJson(r, Sample{}, 0, "done"));
  EXPECT_EQ(doc["input"]["file"], "dir/p\xEF\xBF\xBD.dat");
}

}  // namespace
}  // namespace korvelin
