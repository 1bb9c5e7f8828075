// Every input the fuzzer ever broke a rule with (fuzz/regressions) and the
// seed corpus (fuzz/corpus), run as whole sessions under the fuzz target's
// rules: exit status 0, no scratch file left, the data file untouched, an
// appended-to report kept whole.

#include <gtest/gtest.h>

#include <filesystem>

#include "fuzz_session.h"
#include "harness.h"

namespace korvelin::testing {
namespace {

void runEvery(const std::filesystem::path& dir, std::size_t atLeast) {
  std::size_t runs = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    const std::string bytes = readTextFile(entry.path().string());
    const std::string broken = runFuzzInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    EXPECT_EQ(broken, "") << entry.path();
    ++runs;
  }
  EXPECT_GE(runs, atLeast) << dir;
}

TEST(FuzzInputs, FindingsAndSeedsEndInOrder) {
  runEvery(KORVELIN_FUZZ_DIR "/regressions", 1);
  runEvery(KORVELIN_FUZZ_DIR "/corpus", 20);
}

}  // namespace
}  // namespace korvelin::testing
