#pragma once
// The search for overlapping Ezones: the offer after the first analysis
// pass, the Ezone menu and the loop of split trials.

#include "base/session.h"

namespace korvelin {

// From the offer to the end of the run (always through `last`).
[[noreturn]] void splittingControl(Session& s);

// The explanation of N and the question for the largest N.
void mxsplt(Session& s);

}  // namespace korvelin
