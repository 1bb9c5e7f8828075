#pragma once
// The names of the kinds and origins of bands, one set for every output:
// the JSON document's kind words, and the HTML page's codes (in the gel and
// its data-origin attributes) and words (in hover titles and the legend).

#include <string>
#include <vector>

#include "results/results.h"

namespace korvelin {

// The word for a kind of band: "homomeric", "heteromeric", "modified",
// "fixed", "empty" or "unexplained".
const char* bandKindName(BandKind kind);

// The letter of a locus (1 = A, ..., 26 = Z, then L27, L28, ...).
std::string locusLetter(int locus);

// The short code of a band's origin: loci as letters (locus 1 = A), alleles
// by number with 0 for the null allele. "A1" homomeric band of locus 1,
// allele 1; "A1xA2" intralocus and "A1xB2" interlocus heteromeric band;
// "A1*m1" the first modified form of allele 1 of locus 1; the kind's word
// ("fixed", "empty", "unexplained") for the Ezones no allele explains.
std::string originCode(const BandOrigin& origin);
// The same origin in words, for hover titles and the legend.
std::string originWords(const BandOrigin& origin);

// The explanations of the band in Ezone z of hypothesis h: its origins, or
// one origin of its kind alone for a fixed, empty or unexplained Ezone (and
// for an Ezone the hypothesis does not have).
std::vector<BandOrigin> originsAt(const Hypothesis& h, int z);

}  // namespace korvelin
