#pragma once
// The results of a run as one JSON document (schema version 1): the program,
// the input with the individuals behind each distinct pattern, every
// announced hypothesis with its bands, genotypes and missing phenotypes, the
// totals, and how the run ended. Field names are described in the guide
// ("Results as data"). Reads only the results model and the sample.

#include <string>

#include "export/line_sink.h"
#include "results/sample.h"
#include "results/results.h"

namespace korvelin {

inline constexpr int kJsonSchemaVersion = 1;

// The document, indented, with a final newline. `status` and `reason` tell
// how the run ended (its exit status and why).
std::string toJson(const Results& results, const Sample& sample, int status, const std::string& reason);
// The same document line by line, one hypothesis at a time; false when the
// sink stopped it.
bool writeJson(const Results& results, const Sample& sample, int status, const std::string& reason,
               const LineSink& sink);

}  // namespace korvelin
