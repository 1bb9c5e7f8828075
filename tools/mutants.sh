#!/usr/bin/env bash
# Mutation sample: applies each mutant of tools/mutants.txt to src/ in turn,
# builds the tests, runs them, and counts the mutants the suite kills (a test
# fails, the run crashes, or it hangs past the timeout). A mutant that does not
# build is counted apart, as is one whose text is no longer in its file. The
# tree is restored after each mutant and when the script is interrupted.
#   tools/mutants.sh [BUILD_DIR]      (default: build-mutants)
# KORVELIN_MUTANT_TIMEOUT sets the seconds a test run may take (default 300).
# Tests that fail without any mutant (on this machine) are left out of every run.
set -euo pipefail
cd "$(dirname "$0")/.."
build=$(realpath -m "${1:-build-mutants}")
limit=${KORVELIN_MUTANT_TIMEOUT:-300}
list=tools/mutants.txt
command -v ccache >/dev/null 2>&1 && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache) || launcher=()

# File by file, so a mutant recompiles one source.
cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=Release -DKORVELIN_TESTS=ON -DKORVELIN_BENCH=OFF \
  -DKORVELIN_UNITY=OFF "${launcher[@]}" >/dev/null
build_tests() { cmake --build "$build" -j2 --target korvelin_tests >"$build/mutant-build.log" 2>&1; }

# The suite in two shards, one a core; stops at the first failure.
filter="*"
run_tests() {
  local shard status=0
  for shard in 0 1; do
    (cd "$build" && GTEST_TOTAL_SHARDS=2 GTEST_SHARD_INDEX=$shard timeout "$limit" \
       ./korvelin_tests --gtest_brief=1 --gtest_fail_fast --gtest_filter="$filter" \
       >"$build/mutant-tests-$shard.log" 2>&1) &
  done
  for shard in 0 1; do wait -n || status=1; done
  return $status
}
first_failure() {
  local line
  line=$(grep -h -m1 '^\[  FAILED  \]' "$build"/mutant-tests-*.log 2>/dev/null | head -n 1)
  [ -n "$line" ] && echo "${line#\[  FAILED  \] }" && return
  grep -qh 'Terminated\|timeout' "$build"/mutant-tests-*.log 2>/dev/null && echo "a hang" && return
  echo "a crash or a hang"
}

build_tests || { echo "the unmutated tree does not build: see $build/mutant-build.log"; exit 1; }
if ! run_tests; then
  failing=$(grep -h '^\[  FAILED  \] [A-Za-z0-9_/.]*\.' "$build"/mutant-tests-*.log | awk '{print $4}' | sort -u | paste -sd: -)
  [ -n "$failing" ] || { echo "the unmutated suite fails without a failing test: see $build/mutant-tests-*.log"; exit 1; }
  filter="-$failing"
  echo "failing without a mutant, left out: $failing"
  # --gtest_fail_fast skipped the rest: run again without those.
  run_tests || { echo "the unmutated suite still fails: see $build/mutant-tests-*.log"; exit 1; }
fi

backup=""
target=""
restore() {
  # A plain copy: the restored file must be newer than the mutant's object.
  if [ -n "$backup" ]; then cp "$backup" "$target"; rm -f "$backup"; backup=""; fi
}
trap 'restore' EXIT
trap 'restore; exit 130' INT TERM

killed=0 survived=0 unbuilt=0 missing=0 total=0
while IFS=$'\t' read -r file line old new; do
  case "$file" in ''|'#'*) continue ;; esac
  total=$((total + 1))
  label="$file:$line"
  target=$file
  backup=$(mktemp)
  cp "$file" "$backup"
  if ! python3 - "$file" "$line" "$old" "$new" <<'PY'
import sys
path, hint, old, new = sys.argv[1], int(sys.argv[2]), sys.argv[3], sys.argv[4]
lines = open(path).read().split("\n")
found = [i for i, l in enumerate(lines) if l.strip() == old]
if not found:
    sys.exit(3)
i = min(found, key=lambda k: abs(k + 1 - hint))
lines[i] = lines[i][: len(lines[i]) - len(lines[i].lstrip())] + new
open(path, "w").write("\n".join(lines))
PY
  then
    missing=$((missing + 1)); echo "gone      $label  (text not found)"; restore; continue
  fi
  if ! build_tests; then
    unbuilt=$((unbuilt + 1)); echo "unbuilt   $label"
  elif run_tests; then
    survived=$((survived + 1)); echo "SURVIVED  $label  $old  ->  $new"
  else
    killed=$((killed + 1)); echo "killed    $label  by $(first_failure)"
  fi
  restore
done < "$list"

# Back to the unmutated objects, so the build folder matches the tree.
build_tests || true
echo "mutants: $total, killed: $killed, survived: $survived, did not build: $unbuilt, text not found: $missing"
