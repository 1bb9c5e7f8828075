// Whole sessions in memory: the first analysis pass on the plain and the fast
// search, and an all-Ezones splitting request on a 22-Ezone file.

#include <benchmark/benchmark.h>

#include <algorithm>

#include "harness.h"
#include "pattern_generator.h"

namespace korvelin::testing {
namespace {

// Every Ezone its own independent class, shown alone, and the empty
// pattern: no transmission mode can pass.
std::vector<std::string> singleBands(int zones) {
  std::vector<std::string> rows{std::string(static_cast<std::size_t>(zones), '0')};
  for (int z = 0; z < zones; ++z) {
    rows.push_back(rows.front());
    rows.back()[static_cast<std::size_t>(z)] = '1';
  }
  return rows;
}

// One locus with `zones` alleles and a null allele: every pattern with at
// most two bands. Exactly this one-locus hypothesis passes.
std::vector<std::string> oneLocus(int zones) {
  std::vector<std::string> rows = singleBands(zones);
  for (int a = 0; a < zones; ++a)
    for (int b = a + 1; b < zones; ++b) {
      rows.push_back(rows.front());
      rows.back()[static_cast<std::size_t>(a)] = rows.back()[static_cast<std::size_t>(b)] = '1';
    }
  return rows;
}

// bench/split22.dat: 50 patterns over 22 Ezones; every Ezone shows a band in
// 6 to 8 of them.
const std::map<std::string, std::string>& split22() {
  static const std::map<std::string, std::string> files{
      {"bench.dat", readTextFile(KORVELIN_BENCH_DIR "/split22.dat")}};
  return files;
}

void firstPass(benchmark::State& state, const std::vector<std::string>& rows, SearchPath path, int nhom) {
  if (analysed(rows)->nhom != nhom) state.SkipWithError("the input has another number of homomeric classes");
  const std::map<std::string, std::string> files{{"bench.dat", patternFile(rows)}};
  const auto answers = consoleAnswers("bench.dat", 300);  // the empty answer at the offer is "n"
  for (auto _ : state) {
    const Transcript t = runSession(files, answers, path);
    if (t.out.find(" Total number of hypotheses found =") == std::string::npos)
      state.SkipWithError("the first pass did not come to its totals");
    benchmark::DoNotOptimize(t.out.data());
  }
}

// Arguments: nhom, family (0 single bands, 1 one locus), path (0 fast, 1 plain).
void BM_FirstPass(benchmark::State& state) {
  const int nhom = static_cast<int>(state.range(0));
  firstPass(state, state.range(1) == 0 ? singleBands(nhom) : oneLocus(nhom),
            state.range(2) == 0 ? SearchPath::Fast : SearchPath::Plain, nhom);
}
BENCHMARK(BM_FirstPass)
    ->ArgNames({"nhom", "oneLocus", "plain"})
    ->ArgsProduct({{6, 7, 8, 9}, {0, 1}, {0, 1}})
    ->Unit(benchmark::kMillisecond);

void BM_FirstPass22(benchmark::State& state) { firstPass(state, singleBands(22), SearchPath::Fast, 22); }
BENCHMARK(BM_FirstPass22)->Unit(benchmark::kMillisecond);

// "y" at the offer, "0" (all Ezones), N = 8, the report into bench.out.
void BM_SplitAllEzones22(benchmark::State& state) {
  const auto& files = split22();
  auto answers = answersBeforeOffer(files, fileAnswers("bench.dat", 300));
  if (answers.empty()) state.SkipWithError("the first pass does not reach the offer");
  answers.insert(answers.end(), {"y", "0", "8"});
  answers.insert(answers.end(), 200, "");
  for (auto _ : state) {
    const Transcript t = runSession(files, answers, static_cast<int>(state.range(0)));
    const auto out = t.files.find("bench.out");
    if (out == t.files.end() || t.out.find(" Total number of hypotheses found =") == std::string::npos)
      state.SkipWithError("the request did not come to its totals");
    else
      state.counters["output_bytes"] = static_cast<double>(out->second.size());
    std::size_t trials = 0;  // one console line each
    const std::string mark = " Splitting Ezone ";
    for (auto at = t.out.find(mark); at != std::string::npos; at = t.out.find(mark, at + 1)) ++trials;
    state.counters["trials"] = static_cast<double>(trials);
  }
}
// Argument: the threads that analyse the trials (--jobs).
BENCHMARK(BM_SplitAllEzones22)->ArgName("jobs")->Arg(1)->Arg(2)->Iterations(1)->Unit(benchmark::kSecond);

// The incomplete-sample search (first pass only: it takes no split requests).
// Arguments: the input (0 single bands over 22 Ezones, 1 the sparse 22-Ezone
// set, 2 single bands over 6 Ezones, where nearly every grouping passes).
void BM_Incomplete(benchmark::State& state) {
  const auto files = state.range(0) == 1 ? split22()
                                          : std::map<std::string, std::string>{
                                                {"bench.dat", patternFile(singleBands(state.range(0) == 0 ? 22 : 6))}};
  for (auto _ : state) {
    const Transcript t = runUnattended(files, "bench.dat", true);
    if (t.status != 0) state.SkipWithError("the run failed");
    state.counters["hypotheses"] = static_cast<double>(t.results.hypotheses.size());
  }
}
BENCHMARK(BM_Incomplete)->ArgName("input")->DenseRange(0, 2)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace korvelin::testing

BENCHMARK_MAIN();
