#pragma once
// Homomeric candidates: the classes whose band can appear without any other
// class's band being bound to appear with it.

#include "state/state.h"

namespace korvelin {

// Zymograms: independent classes become candidates, the others dependent.
void homhet(State& st);
// DNA electropherograms: every class is an allele zone; classes bound to
// another class are marked dependent as well.
void dnavar(State& st);

}  // namespace korvelin
