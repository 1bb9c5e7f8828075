#pragma once
// Split trials analysed ahead on worker threads. The main thread still makes
// every trial with `split` and ends, pauses and counts as before. The trials
// are dealt out in runs of a few: the main thread analyses its own as in a
// run on one thread, and for each of the others plays back what its worker
// recorded, in trial order, so the report, the console and the stop checks
// come out byte for byte as in a run on one thread. A trial that would
// announce a hypothesis or end the run is not finished by a worker: the main
// thread runs it itself, in its turn.

#include <atomic>
#include <condition_variable>
#include <limits>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "run/pass.h"
#include "base/session.h"

namespace korvelin {

// How many threads analyse the trials of a request: the jobs of the settings
// (0: the cores available), or 1 when a trial could wait for the user (its
// pauses are silent only in an unattended run or with the report in a file).
int trialJobs(Session& s);

class TrialsAhead {
 public:
  // Starts `jobs` - 1 worker threads at the position of the main session
  // `s`, right before the first `split` call of a request; the main thread
  // is the last of the `jobs`.
  TrialsAhead(Session& s, int jobs);
  // Stops the workers (a trial in hand is given up at its next stop check)
  // and waits for them.
  ~TrialsAhead();
  TrialsAhead(const TrialsAhead&) = delete;
  TrialsAhead& operator=(const TrialsAhead&) = delete;

  // The analysis pass of the trial that `split` has just made ready in `s`.
  PassEnd pass(Session& s);

 private:
  static constexpr long long kNever = std::numeric_limits<long long>::max();
  struct Slot {
    long long trial = -1;  // the trial whose record this is, once done
    bool deferred = false;
    PassEnd end = PassEnd::Normal;
    int isplit = 0;  // which trial it is, to check against the main session
    int ncomb = 0;
    TrialRecord record;
  };
  struct Worker {
    int number = 0;  // 1 to jobs - 1; the main thread is 0
    // Makes every trial of the request with `split`, as the main session
    // does; what it writes is dropped.
    TrialRecord dropped;
    std::unique_ptr<Session> maker;
    // Analyses this worker's trials.
    TrialRecord record;
    std::unique_ptr<Session> session;
    std::vector<Slot> slots;  // its own trials in turn (see slotAt)
    long long endsAt = kNever;  // the first trial it will not record
  };

  // Which of the jobs analyses trial `t`, and the how-manieth of its
  // trials that is.
  int owner(long long t) const { return static_cast<int>((t / kBatch) % jobs_); }
  long long ownTrial(long long t) const { return (t / kBatch / jobs_) * kBatch + t % kBatch; }
  static Slot& slotAt(Worker& w, long long ownTrial) {
    return w.slots[static_cast<std::size_t>(ownTrial) % w.slots.size()];
  }
  void work(Worker& worker);

  static constexpr long long kBatch = 8;  // trials dealt out at a time
  const long long jobs_;
  std::mutex mutex_;
  std::condition_variable filled_;  // a slot was filled, or a worker ended
  std::condition_variable room_;    // the main thread took trials, or stop
  std::atomic<bool> stopping_{false};
  long long taken_ = 0;        // the trial the main thread takes next
  long long waitingFor_ = -1;  // the trial the main thread waits for
  long long wakeAt_ = kNever;  // a resting worker goes on once this is taken
  TrialRecord playing_;
  std::vector<std::unique_ptr<Worker>> workers_;
  std::vector<std::thread> threads_;
};

}  // namespace korvelin
