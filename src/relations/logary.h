#pragma once
#include "state/state.h"

namespace korvelin {

// Band counts per Ezone, implication (a band in a always comes with one in
// b) and co-occurrence of Ezone pairs, from the current patterns.
void logary(State& st);

}  // namespace korvelin
