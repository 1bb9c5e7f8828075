// libFuzzer target: whole sessions from arbitrary bytes (see fuzz_session.h
// for the layout of an input). Any broken rule aborts, so the fuzzer keeps
// the input as a finding.

#include <cstdio>
#include <cstdlib>

#include "fuzz_session.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string broken = korvelin::testing::runFuzzInput(data, size);
  if (!broken.empty()) {
    std::fprintf(stderr, "korvelin_fuzz: %s\n", broken.c_str());
    std::abort();
  }
  return 0;
}
