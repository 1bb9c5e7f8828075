#include "split/trials_ahead.h"

#include <cassert>

#include "split/split.h"

namespace korvelin {
namespace {

// Trials recorded ahead of the one the main thread writes, per worker.
constexpr int kAheadPerWorker = 32;

}  // namespace

int trialJobs(Session& s) {
  const State& st = s.state();
  const bool silent = s.settings().unattended || (st.begin == 0 && st.u == kFileUnit);
  if (!silent) return 1;
  return s.settings().jobs > 0 ? s.settings().jobs : coresAvailable();
}

TrialsAhead::TrialsAhead(Session& s, int workers)
    : maker_(std::make_unique<Session>(s, dropped_, nullptr)),
      slots_(static_cast<std::size_t>(kAheadPerWorker * workers)) {
  // Every copy of the main state is made here, before any thread starts.
  for (int w = 0; w < workers; ++w) {
    workers_.push_back(std::make_unique<Worker>());
    workers_.back()->session = std::make_unique<Session>(s, workers_.back()->record, &stopping_);
  }
  for (auto& worker : workers_) {
    try {
      threads_.push_back(startQuietThread([this, w = worker.get()] { work(*w); }));
    } catch (const std::system_error&) {
      break;  // fewer threads; with none, the main thread runs every trial
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

bool TrialsAhead::claim(Worker& worker, long long& index) {
  dropped_.clear();
  SplitStep step = SplitStep::Exhausted;
  try {
    do step = split(*maker_);
    while (step == SplitStep::Infeasible);
  } catch (const TrialDeferred&) {
    // Making the trial needs the user (it cannot, where trials run ahead):
    // the main thread makes and runs the rest itself.
  }
  if (step != SplitStep::TrialReady) {
    exhausted_ = true;
    return false;
  }
  index = next_++;
  takeTrial(worker.session->state(), maker_->state());
  Slot& slot = slots_[static_cast<std::size_t>(index) % slots_.size()];
  slot.done = false;
  slot.isplit = maker_->state().isplit;
  slot.ncomb = maker_->state().ncomb;
  return true;
}

void TrialsAhead::work(Worker& worker) {
  for (;;) {
    long long index = 0;
    {
      std::unique_lock lock(mutex_);
      room_.wait(lock, [this] {
        return stopping_ || exhausted_ || next_ - taken_ < static_cast<long long>(slots_.size());
      });
      if (stopping_ || exhausted_) return;
      const bool claimed = claim(worker, index);
      if (!claimed) {
        lock.unlock();
        filled_.notify_all();
        room_.notify_all();
        return;
      }
    }
    worker.record.clear();
    PassEnd end = PassEnd::Normal;
    bool deferred = false;
    try {
      end = analysisPass(*worker.session);
    } catch (...) {
      // A trial that needs the main thread, or a failure (memory exhausted,
      // say) that the main thread meets again and handles as in any run.
      deferred = true;
    }
    {
      std::lock_guard lock(mutex_);
      Slot& slot = slots_[static_cast<std::size_t>(index) % slots_.size()];
      std::swap(slot.record, worker.record);
      slot.end = end;
      slot.deferred = deferred;
      slot.done = true;
    }
    filled_.notify_all();
  }
}

PassEnd TrialsAhead::pass(Session& s) {
  if (threads_.empty()) return analysisPass(s);
  const State& st = s.state();
  bool recorded = false;
  PassEnd end = PassEnd::Normal;
  {
    std::unique_lock lock(mutex_);
    const long long index = taken_;
    Slot& slot = slots_[static_cast<std::size_t>(index) % slots_.size()];
    filled_.wait(lock, [&] { return (index < next_ && slot.done) || (exhausted_ && index >= next_); });
    if (index < next_) {
      // The workers make the same trials in the same order as the main
      // session; should they ever not, the main thread runs its own.
      assert(slot.isplit == st.isplit && slot.ncomb == st.ncomb);
      recorded = !slot.deferred && slot.isplit == st.isplit && slot.ncomb == st.ncomb;
      end = slot.end;
      std::swap(playing_, slot.record);
      taken_ = index + 1;
    }
  }
  room_.notify_all();
  if (!recorded) return analysisPass(s);
  playing_.replay(s);
  return end;
}

}  // namespace korvelin
