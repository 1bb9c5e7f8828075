#pragma once
// The hypothesis search: every transmission mode, every distinct grouping of
// the homomeric classes into its loci, every null-allele configuration.

#include "run/session.h"

namespace korvelin {

// Runs the search of one analysis pass, on the path the session names.
void searchLoop(Session& s);

// Whether any grouping of the current mode (`nloc`, `nal2`) can pass the
// expected-pattern test. A candidate's distinct codes number the product
// over its loci of A(A+1)/2 + N, whatever the grouping, and a locus with one
// visible allele and no null allele never matches (its class would have to
// be in every pattern, and such a class is fixed, never homomeric). So a
// mode can pass only when some null-allele configuration without such a
// locus gives exactly `ncodes` codes; with every locus giving at least two,
// that needs at most five loci. The incomplete-sample test needs at least
// `ncodes` codes, and no more than the 50 combinations a candidate may have.
bool modeCanPass(const State& st);

}  // namespace korvelin
