#pragma once
#include "state/state.h"

namespace korvelin {

// Explains each dependent class of the current hypothesis as a heteromeric
// band of two visible alleles, a heteromeric with a null allele, or a
// facultative post-translational modification. Every class explained twice
// as a heteromeric or not at all raises `ibad`.
void hetemr(State& st);

}  // namespace korvelin
