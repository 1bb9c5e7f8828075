#pragma once
// What a run from the command line shows on the way: a line for each
// hypothesis announced, the totals and a progress line during long splitting.
// The dialogue has no observer; it shows all of it on the console.

#include "results/results.h"
#include "state/state.h"

namespace korvelin {

class RunObserver {
 public:
  virtual ~RunObserver() = default;
  // The announcement box of this hypothesis was just written.
  virtual void hypothesisAnnounced(const Hypothesis& h) = 0;
  // The totals were just written to the report.
  virtual void totalsReported(const State& st) = 0;
  // A split trial (`isplit`, combination `nrealc`) is about to be analysed.
  virtual void trialStarted(const State& st) = 0;
  // The run is over; `reportOpened` tells whether the report file was opened.
  virtual void runEnded(const State& st, bool reportOpened) = 0;
};

}  // namespace korvelin
