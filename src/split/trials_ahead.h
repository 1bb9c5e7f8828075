#pragma once
// Split trials analysed ahead on worker threads. The main thread still makes
// every trial with `split` and ends, pauses and counts as before; for each
// trial's analysis pass it plays back what a worker recorded, in trial
// order, so the report, the console and the stop checks come out byte for
// byte as in a run on one thread. A trial that would announce a hypothesis
// or end the run is not finished by the worker: the main thread runs it
// itself, in its turn.

#include <atomic>
#include <condition_variable>
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
  // Starts `jobs` - 1 threads at the position of the main session `s`, right
  // before the first `split` call of a request; the main thread is the last
  // of the `jobs`.
  TrialsAhead(Session& s, int jobs);
  // Stops the workers (a trial in hand is given up at its next stop check)
  // and waits for them.
  ~TrialsAhead();
  TrialsAhead(const TrialsAhead&) = delete;
  TrialsAhead& operator=(const TrialsAhead&) = delete;

  // The analysis pass of the trial that `split` has just made ready in `s`.
  PassEnd pass(Session& s);

 private:
  struct Slot {
    bool done = false;
    bool deferred = false;
    PassEnd end = PassEnd::Normal;
    int isplit = 0;  // which trial it is, to check against the main session
    int ncomb = 0;
    TrialRecord record;
  };
  struct Worker {
    TrialRecord record;
    std::unique_ptr<Session> session;
  };

  // The next trial into `worker`'s state once there is room for it; false
  // when there is none or the workers are stopping, or, unless `mayWait`,
  // when it cannot be had at once.
  bool claim(Worker& worker, long long& index, bool mayWait);
  // Claims a trial, analyses it in `worker`'s session and leaves what it
  // wrote in its slot; false when no trial was claimed.
  bool runTrial(Worker& worker, bool mayWait);

  std::mutex makerMutex_;  // the maker and what it drops
  std::mutex mutex_;       // the rest
  std::condition_variable filled_;  // a slot was filled, or no trial is left
  std::condition_variable room_;    // the main thread took a trial, or stop
  std::atomic<bool> stopping_{false};
  // Makes the trials with `split`, ahead of the main session; what it writes
  // is dropped (the main session writes it in its turn).
  TrialRecord dropped_;
  std::unique_ptr<Session> maker_;
  bool exhausted_ = false;
  long long next_ = 0;   // the trial the next claim gets
  long long taken_ = 0;  // the trial the main thread takes next
  bool mainWaiting_ = false;  // for the trial `taken_`
  int resting_ = 0;           // workers waiting for room
  std::vector<Slot> slots_;  // trial i in slot i % size: at most size ahead
  TrialRecord playing_;
  std::vector<std::unique_ptr<Worker>> workers_;  // the first: the main thread's
  std::vector<std::thread> threads_;
};

}  // namespace korvelin
