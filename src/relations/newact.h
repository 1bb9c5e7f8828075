#pragma once
#include "state/state.h"

namespace korvelin {

// The next null-allele configuration in `nulal2`, counting in binary with the
// last locus as the lowest digit. `nactio`: 1 produced, 2 none left.
void newact(State& st, int& nactio);

}  // namespace korvelin
