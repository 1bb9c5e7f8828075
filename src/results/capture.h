#pragma once
// Takes the results out of the analysis state into the results model: the
// input patterns once they are read, and each hypothesis as the register
// announces it.

#include "results/results.h"
#include "state/state.h"

namespace korvelin {

// The input patterns, as read (file name, pattern type, distinct patterns).
void captureInput(const State& st, Results& results);

// The hypothesis just announced, numbered as in its box. The register calls
// it for every hypothesis it announces: every new one of the first pass, and
// in split trials those whose announcement it writes (the ones with enough
// of their expected patterns found); hypotheses a split trial keeps silent
// are left out, as the report leaves them out.
void captureHypothesis(const State& st, Results& results);

// The hypothesis in the state as a value (what captureHypothesis appends).
Hypothesis hypothesisOf(const State& st);

}  // namespace korvelin
