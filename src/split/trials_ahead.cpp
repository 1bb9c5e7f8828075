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

TrialsAhead::TrialsAhead(Session& s, int jobs)
    : maker_(std::make_unique<Session>(s, dropped_, nullptr)),
      slots_(static_cast<std::size_t>(kAheadPerWorker * jobs)) {
  // Every copy of the main state is made here, before any thread starts:
  // one for each worker thread and one for the main thread, which analyses
  // trials ahead itself rather than wait for the one it writes next.
  for (int w = 0; w < jobs; ++w) {
    workers_.push_back(std::make_unique<Worker>());
    workers_.back()->session = std::make_unique<Session>(s, workers_.back()->record, &stopping_);
  }
  for (std::size_t w = 1; w < workers_.size(); ++w) {
    try {
      threads_.push_back(startQuietThread([this, worker = workers_[w].get()] {
        while (runTrial(*worker, true)) {
        }
      }));
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

bool TrialsAhead::claim(Worker& worker, long long& index, bool mayWait) {
  const auto size = static_cast<long long>(slots_.size());
  // The maker's lock first, then the slots' lock, and never the other way:
  // the main thread writes with only the slots' lock, so making a trial
  // never holds it up.
  std::unique_lock making(makerMutex_, std::defer_lock);
  if (mayWait)
    making.lock();
  else if (!making.try_lock())
    return false;
  {
    std::unique_lock lock(mutex_);
    if (next_ - taken_ >= size) {
      if (!mayWait) return false;
      // All slots are ahead: wait until the main thread has taken half of
      // them, rather than wake for every trial it takes.
      ++resting_;
      room_.wait(lock, [&] { return stopping_ || exhausted_ || next_ - taken_ <= size / 2; });
      --resting_;
    }
    if (stopping_ || exhausted_) return false;
  }
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
    {
      std::lock_guard lock(mutex_);
      exhausted_ = true;
    }
    filled_.notify_all();
    room_.notify_all();
    return false;
  }
  takeTrial(worker.session->state(), maker_->state());
  std::lock_guard lock(mutex_);
  index = next_++;
  Slot& slot = slots_[static_cast<std::size_t>(index) % slots_.size()];
  slot.done = false;
  slot.isplit = maker_->state().isplit;
  slot.ncomb = maker_->state().ncomb;
  return true;
}

bool TrialsAhead::runTrial(Worker& worker, bool mayWait) {
  long long index = 0;
  if (!claim(worker, index, mayWait)) return false;
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
  bool wanted = false;
  {
    std::lock_guard lock(mutex_);
    Slot& slot = slots_[static_cast<std::size_t>(index) % slots_.size()];
    std::swap(slot.record, worker.record);
    slot.end = end;
    slot.deferred = deferred;
    slot.done = true;
    wanted = index == taken_ && mainWaiting_;
  }
  if (wanted) filled_.notify_all();
  return true;
}

PassEnd TrialsAhead::pass(Session& s) {
  if (threads_.empty()) return analysisPass(s);
  const State& st = s.state();
  bool recorded = false;
  bool wake = false;
  PassEnd end = PassEnd::Normal;
  {
    std::unique_lock lock(mutex_);
    const long long index = taken_;
    Slot& slot = slots_[static_cast<std::size_t>(index) % slots_.size()];
    const auto ready = [&] { return (index < next_ && slot.done) || (exhausted_ && index >= next_); };
    while (!ready()) {
      // Rather than wait for the trial it writes next, the main thread
      // analyses one ahead itself, when it can make one without waiting.
      lock.unlock();
      const bool ran = runTrial(*workers_.front(), false);
      lock.lock();
      if (ran) continue;
      mainWaiting_ = true;
      filled_.wait(lock, ready);
      mainWaiting_ = false;
    }
    if (index < next_) {
      // The workers make the same trials in the same order as the main
      // session; should they ever not, the main thread runs its own.
      assert(slot.isplit == st.isplit && slot.ncomb == st.ncomb);
      recorded = !slot.deferred && slot.isplit == st.isplit && slot.ncomb == st.ncomb;
      end = slot.end;
      std::swap(playing_, slot.record);
      taken_ = index + 1;
    }
    wake = resting_ > 0 && next_ - taken_ <= static_cast<long long>(slots_.size() / 2);
  }
  if (wake) room_.notify_all();
  if (!recorded) return analysisPass(s);
  playing_.replay(s);
  return end;
}

}  // namespace korvelin
