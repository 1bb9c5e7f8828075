#pragma once
// The ways to split one Ezone in two: every pattern with a band in the Ezone
// keeps a band in at least one of the two new Ezones.

#include "base/session.h"

namespace korvelin {

enum class SplitStep {
  TrialReady,  // `m` holds the next trial's patterns
  Infeasible,  // an Ezone with too many bands was reported (all-Ezones request)
  Exhausted,   // the request has no trial left (`dosplt` = 2)
};

SplitStep split(Session& s);

// The trial that `split` has made ready in `from`, into `to`: its patterns
// and the splitting position, everything `split` writes.
void takeTrial(State& to, const State& from);

}  // namespace korvelin
