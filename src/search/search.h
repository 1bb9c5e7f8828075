#pragma once
// The hypothesis search: every transmission mode, every distinct grouping of
// the homomeric classes into its loci, every null-allele configuration.

#include "base/session.h"

namespace korvelin {

// Runs the search of one analysis pass, on the path the session names.
void searchLoop(Session& s);

// Which transmission modes can pass the expected-pattern test, told from the
// mode alone (`nloc`, `nal2`) and the observed codes (`ncodes`); the fast
// search walks and builds no other mode, and prints the same console lines
// as if it had.
//
// The most genotype combinations a passing candidate can have: its codes
// must be exactly the `ncodes` observed ones, and the codes of a candidate's
// combinations are all different (loci use disjoint bits). Under the
// incomplete-sample test the codes need only include the observed ones:
// up to the 50 combinations a candidate may have.
int mostCombinations(const State& st);
// The most homomeric classes a mode can hold when the fewest genotypes of
// its loci (a one-allele locus needs a null allele to vary) multiply to at
// most `combinations`: with more classes no mode can pass.
int mostAllelesWithin(int combinations);
// Whether some grouping of the current mode can pass. A candidate's distinct
// codes number the product over its loci of A(A+1)/2 + N, whatever the
// grouping, and a locus with one visible allele and no null allele never
// matches (its class would have to be in every pattern, and such a class is
// fixed, never homomeric). So a mode can pass only when some null-allele
// configuration without such a locus gives exactly `ncodes` codes; with
// every locus giving at least two, that needs at most five loci. The
// incomplete-sample test needs at least `ncodes` codes, and no more than the
// 50 combinations a candidate may have.
bool modeCanPass(const State& st);

}  // namespace korvelin
