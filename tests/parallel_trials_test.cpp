// Split trials analysed on two threads give every output of a run on one,
// byte for byte: the cases are in data/split_jobs.txt.

#include <gtest/gtest.h>

#include <csignal>
#include <fstream>
#include <iterator>
#include <sstream>

#include "harness.h"
#include "base/format.h"

namespace korvelin::testing {
namespace {

TEST(ParallelTrials, TwoThreadsWriteWhatOneWrites) {
  std::ifstream cases(std::string(KORVELIN_TESTS_DIR) + "/data/split_jobs.txt");
  ASSERT_TRUE(cases) << "data/split_jobs.txt";
  int runs = 0, stopped = 0, trials = 0, limited = 0;
  for (std::string row; std::getline(cases, row);) {
    if (row.empty() || row[0] == '#') continue;
    SCOPED_TRACE(row);
    std::istringstream words(row);
    std::string kind, name;
    words >> kind >> name;
    const std::vector<std::string> rest{std::istream_iterator<std::string>(words), {}};
    const ShippedRun run = shippedRun(KORVELIN_EXAMPLES, KORVELIN_TESTS_DIR, name);
    const auto withJobs = [&](int jobs) {
      if (kind == "dialogue")
        return runSession(run.files, run.answers, jobs, rest.empty() ? std::size_t(-1) : std::stoul(rest[0]));
      auto args = rest;
      args.insert(args.end(), {"--jobs", std::to_string(jobs)});
      return runCommandLineSession(run.files, args);
    };
    // Two jobs: the main thread and one worker; three: two workers as well.
    const Transcript one = withJobs(1), two = withJobs(2), three = withJobs(3);
    // Stopped in the middle of the trials.
    const auto interrupted = one.out.find("** Interrupted");
    stopped += interrupted != std::string::npos && one.out.find(" Splitting Ezone ") < interrupted;
    ++runs;
    for (const auto& [file, text] : one.files) {
      trials += count(text, " Splitting Ezone ");
      // The hypothesis limit reached in a trial, not in the first pass.
      const auto limit = text.find(" ** Maximal number  20 of hypotheses exceeded");
      limited += limit != std::string::npos && text.find(" Splitting Ezone ") < limit;
    }
    EXPECT_EQ(firstDifference(everything(one), everything(two)), "");
    EXPECT_EQ(firstDifference(everything(one), everything(three)), "");
  }
  // The table must reach what it is for: runs with many trials, stopped ones,
  // ones that end at the hypothesis limit in the middle of a request.
  EXPECT_GE(runs, 10);
  EXPECT_EQ(stopped, 4);
  EXPECT_EQ(limited, 5);
  EXPECT_GT(trials, 500);
}

// A stop signal that comes while a record is played back ends the run at the
// trial's next stop check, as in the trial itself.
TEST(ParallelTrials, PlaybackStopsAtTheRecordedStopCheck) {
  Rig r;
  r.con.stopAfterLines(2, SIGINT);
  TrialRecord record;
  for (const char* line : {"a", "b", "", "c", "", "d"}) *line ? record.line(kConsoleUnit, line) : record.stopCheck();
  EXPECT_THROW(record.replay(r.s), RunEnded);
  EXPECT_EQ(r.out(), "a\nb\n ** Interrupted - the run ends\n" + ruler() + "\n");
}

// A trial run ahead leaves whatever belongs to the whole run to the main
// thread: ending the run (the hypothesis limit, no candidate), announcing a
// hypothesis, waiting for an answer. Its lines and stop checks are recorded.
TEST(ParallelTrials, TrialsAheadDeferWhatBelongsToTheRun) {
  Rig r;
  TrialRecord record;
  Session ahead(r.s, record, nullptr);
  ahead.toUnit(kConsoleUnit, "a");
  ahead.checkStop();
  EXPECT_THROW(ahead.last(EndKind::LimitReached, "more than 20 hypotheses"), TrialDeferred);
  EXPECT_THROW(ahead.runWideEffect(), TrialDeferred);
  EXPECT_THROW(ahead.readAnswerLine(), TrialDeferred);
  EXPECT_EQ(r.out(), "");
  r.con.stopAfterLines(1, SIGINT);
  EXPECT_THROW(record.replay(r.s), RunEnded);  // the line, then the stop check
  EXPECT_TRUE(r.out().starts_with("a\n ** Interrupted"));
}

}  // namespace
}  // namespace korvelin::testing
