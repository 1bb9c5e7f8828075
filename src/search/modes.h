#pragma once
// Transmission modes: the divisions of the homomeric classes into loci, from
// one locus carrying all of them to one locus per class.

#include <string>

#include "base/session.h"

namespace korvelin {

// Steps to the next mode and builds its first assignment. `ntrm1`: 0 before
// the first mode, 1 while a mode is in hand, 2 when none is left.
void newtrn(Session& s, int& ntrm1);

// The divisions of `nhom` into `loci` loci, in the order newtrn meets them:
// firstDivision sets `nloc` = loci and the most balanced division in `nal2`;
// nextDivision steps to the next one, false (and `nal2` unchanged) after the
// last.
void firstDivision(State& st, int loci);
bool nextDivision(State& st);

// The console line newtrn shows when it moves on to `loci` loci (1 to
// kZones: there are never more classes than Ezones).
const std::string& lociLine(int loci);

// The first assignment of the current mode: classes of `chom` in order,
// locus by locus.
void firstAssignment(State& st);

}  // namespace korvelin
