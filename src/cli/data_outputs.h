#pragma once
// The files beside the report that turn a run's results into data: the JSON
// document, the genotype table, the HTML page and the GenePop file. They are
// written once the run is over, from the results model and the sample only,
// line by line, each to a staged text (see WholeFiles) or to standard output
// ("-").

#include <ctime>
#include <set>
#include <string>
#include <vector>

#include "cli/whole_files.h"
#include "results/sample.h"
#include "results/results.h"
#include "base/platform.h"
#include "base/settings.h"

namespace korvelin::cli {

// What the writers need of a finished run.
struct FinishedRun {
  Results results;
  Sample sample;
  int status = 0;
  std::string reason;
  std::time_t started = 0;
};

enum class DataKind { Json, GenotypeTable, Html, GenePop };

// A data file the settings ask for ("-" for standard output).
struct DataOutput {
  std::string name;
  DataKind kind;
  std::string what;  // for messages: "JSON", "genotype table", "HTML page", "GenePop file"
};
std::vector<DataOutput> dataOutputs(const RunSettings& settings);

// Writes every data file the settings ask for; `existed` names those that
// were there before the run (only they may be replaced). Returns 0; or 1 when one
// could not be written (memory exhausted, a failed write: the message is
// on standard error); or 128 + the signal that stopped the writing.
int writeDataOutputs(const RunSettings& settings, const FinishedRun& run, const std::set<std::string>& existed,
                     WholeFiles& files, Console& console);

// The fit of each hypothesis in a line ("Fit of hypothesis 2: rank 1 of 2
// in the first pass, delta AIC 0, G test p = 0.81"), then a warning when
// the sample is too small for the ranking to mean much.
std::vector<std::string> fitLines(const Results& results);

// A plain message about a file, for standard error: "korvelin: NAME: WHAT",
// the name with control characters shown as "?".
std::string fileMessage(const std::string& name, const std::string& what);

}  // namespace korvelin::cli
