#include "split/trials_ahead.h"

#include <algorithm>
#include <cassert>

#include "split/split.h"

namespace korvelin {
namespace {

// Trials a worker may have recorded and not yet played back.
constexpr std::size_t kSlots = 64;

}  // namespace

int trialJobs(Session& s) {
  const State& st = s.state();
  const bool silent = s.settings().unattended || (st.begin == 0 && st.u == kFileUnit);
  if (!silent) return 1;
  return s.settings().jobs > 0 ? s.settings().jobs : coresAvailable();
}

TrialsAhead::TrialsAhead(Session& s, int jobs) : jobs_(jobs) {
  // Every copy of the main state is made here, before any thread starts.
  for (int w = 1; w < jobs; ++w) {
    auto worker = std::make_unique<Worker>();
    worker->number = w;
    worker->maker = std::make_unique<Session>(s, worker->dropped, &stopping_);
    worker->session = std::make_unique<Session>(s, worker->record, &stopping_);
    worker->slots.resize(kSlots);
    workers_.push_back(std::move(worker));
  }
  for (auto& worker : workers_) {
    try {
      threads_.push_back(startQuietThread([this, w = worker.get()] { work(*w); }));
    } catch (const std::system_error&) {
      // Fewer threads: the main thread analyses the trials of those that
      // did not start.
      std::lock_guard lock(mutex_);
      for (auto& idle : workers_)
        if (idle->number >= worker->number) idle->endsAt = 0;
      break;
    }
  }
}

TrialsAhead::~TrialsAhead() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  room_.notify_all();
  for (auto& thread : threads_) thread.join();
}

void TrialsAhead::work(Worker& worker) {
  const auto end = [&](long long trial) {
    {
      std::lock_guard lock(mutex_);
      worker.endsAt = trial;
    }
    filled_.notify_all();
  };
  for (long long trial = 0;; ++trial) {
    // Every trial is made, as the main session makes it; this worker's own
    // are analysed.
    worker.dropped.clear();
    SplitStep step = SplitStep::Exhausted;
    try {
      do step = split(*worker.maker);
      while (step == SplitStep::Infeasible);
    } catch (const TrialDeferred&) {
      // Making the trial needs the user (it cannot, where trials run
      // ahead), or the run is stopping: the main thread goes on alone.
    }
    if (step != SplitStep::TrialReady) return end(trial);
    if (owner(trial) != worker.number) continue;
    const long long own = ownTrial(trial);
    Slot& slot = slotAt(worker, own);
    {
      std::unique_lock lock(mutex_);
      if (slot.trial >= taken_) {
        // The slots are full: wait until the main thread has taken half of
        // them, rather than wake for every trial it takes.
        const long long until = std::max(slot.trial, slotAt(worker, own + kSlots / 2 - 1).trial);
        while (!stopping_ && taken_ <= until) {
          wakeAt_ = std::min(wakeAt_, until);
          room_.wait(lock);
        }
      }
      if (stopping_) {
        lock.unlock();
        return end(trial);
      }
    }
    takeTrial(worker.session->state(), worker.maker->state());
    worker.record.clear();
    PassEnd passEnd = PassEnd::Normal;
    bool deferred = false;
    try {
      passEnd = analysisPass(*worker.session);
    } catch (...) {
      // A trial that needs the main thread, or a failure (memory exhausted,
      // say) that the main thread meets again and handles as in any run.
      deferred = true;
    }
    bool wanted = false;
    {
      std::lock_guard lock(mutex_);
      std::swap(slot.record, worker.record);
      slot.end = passEnd;
      slot.deferred = deferred;
      slot.isplit = worker.maker->state().isplit;
      slot.ncomb = worker.maker->state().ncomb;
      slot.trial = trial;
      wanted = waitingFor_ == trial;
    }
    if (wanted) filled_.notify_all();
  }
}

PassEnd TrialsAhead::pass(Session& s) {
  const State& st = s.state();
  const long long trial = taken_;  // only the main thread changes it
  bool recorded = false, wake = false;
  PassEnd end = PassEnd::Normal;
  {
    std::unique_lock lock(mutex_);
    if (const int w = owner(trial); w != 0) {
      Worker& worker = *workers_[static_cast<std::size_t>(w - 1)];
      Slot& slot = slotAt(worker, ownTrial(trial));
      waitingFor_ = trial;
      filled_.wait(lock, [&] { return slot.trial == trial || trial >= worker.endsAt; });
      waitingFor_ = -1;
      if (slot.trial == trial) {
        // The workers make the same trials in the same order as the main
        // session; should they ever not, the main thread runs its own.
        assert(slot.isplit == st.isplit && slot.ncomb == st.ncomb);
        recorded = !slot.deferred && slot.isplit == st.isplit && slot.ncomb == st.ncomb;
        end = slot.end;
        std::swap(playing_, slot.record);
      }
    }
    // The slot is free for its worker's next trial once it is taken.
    taken_ = trial + 1;
    if (taken_ > wakeAt_) {
      wakeAt_ = kNever;
      wake = true;
    }
  }
  if (wake) room_.notify_all();
  if (!recorded) return analysisPass(s);
  playing_.replay(s);
  return end;
}

}  // namespace korvelin
