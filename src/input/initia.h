#pragma once
#include "state/state.h"

namespace korvelin {

// Resets every table that an analysis pass computes anew; patterns, the
// register, the splitting members and the band-origin store stay as they are.
void initia(State& st);

}  // namespace korvelin
