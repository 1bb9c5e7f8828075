#pragma once
// The full report of one hypothesis: alleles of each locus, heteromeric
// bands, class summaries and the description of every single Ezone.

#include <string>
#include <string_view>
#include <vector>

#include "base/session.h"

namespace korvelin {

void output(Session& s);

// Lines listing the Ezones of class k behind `prefix`, `perLine` Ezones to a
// line, separated by `separator`.
std::vector<std::string> zoneListLines(const State& st, std::string_view prefix, int k, int perLine,
                                       std::string_view separator = "~");

}  // namespace korvelin
