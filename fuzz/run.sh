#!/usr/bin/env bash
# Builds the fuzz target with clang, AddressSanitizer and
# UndefinedBehaviorSanitizer, and fuzzes whole sessions for SECONDS seconds
# (default 60), starting from the seed corpus in fuzz/corpus.
#   fuzz/run.sh SECONDS [extra libFuzzer flags]
# New inputs go to build-fuzz/corpus; a finding is written to
# build-fuzz/findings/ and makes the script fail.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}
shift || true

# A fresh machine may lack clang and its fuzzer runtime.
if ! command -v clang++ >/dev/null 2>&1 || ! ls /usr/lib/llvm-*/lib/clang/*/lib/linux/libclang_rt.fuzzer-x86_64.a >/dev/null 2>&1; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq clang libclang-rt-dev >/dev/null 2>&1 || apt-get install -y -qq clang libclang-rt-14-dev
fi

# Debug keeps the table bounds checks; -O2 makes many more runs a second.
cmake -S . -B build-fuzz -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O2" \
  -DKORVELIN_FUZZ=ON -DKORVELIN_TESTS=OFF -DKORVELIN_BENCH=OFF -DKORVELIN_WERROR="${KORVELIN_WERROR:-OFF}" >/dev/null
cmake --build build-fuzz -j2 --target korvelin_fuzz

mkdir -p build-fuzz/corpus build-fuzz/findings
# A single input may legitimately search for a while (all Ezones split);
# only one that runs past the timeout counts as a hang.
build-fuzz/korvelin_fuzz build-fuzz/corpus fuzz/corpus \
  -max_total_time="$seconds" -timeout=120 -max_len=2048 -rss_limit_mb=4096 \
  -artifact_prefix=build-fuzz/findings/ -print_final_stats=1 "$@"
