#pragma once
// The register of valid hypotheses: every hypothesis that passes both tests
// becomes a record; a record equal to an earlier one is dropped, a new one is
// announced in a box and reported.

#include "base/session.h"

namespace korvelin {

// Registers the current hypothesis. Ends the run (through `last`) when a new
// record finds the register full. Returns true when the record was new.
bool registerHypothesis(Session& s);

// The announcement of the record just registered, then the class listing
// and the full report.
void newhyp(Session& s);

// Patterns the hypothesis allows, counting facultative modified forms.
long long expectedPatterns(const State& st);

}  // namespace korvelin
