#pragma once
// The files beside the report that turn a run's results into data: the JSON
// document, the genotype table, the HTML page and the GenePop file. They are written once the
// run is over, from the results model and the sample only, each whole or
// not at all: a file is replaced only after all of it was written.

#include <ctime>
#include <string>
#include <vector>

#include "input/sample.h"
#include "results/results.h"
#include "run/platform.h"
#include "run/settings.h"

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

// A data file the settings ask for.
struct DataOutput {
  std::string name;
  DataKind kind;
  std::string what;  // for messages: "JSON", "genotype table", "HTML page", "GenePop file"
};
std::vector<DataOutput> dataOutputs(const RunSettings& settings);

// Why a data file cannot be written where the settings say, before the run
// starts (the same name twice, the data file or the report file, a name that
// is no plain file, an existing file without --overwrite); empty when it can.
std::string dataOutputProblem(const RunSettings& settings, FileSystem& files);

// Writes every data file the settings ask for. A file that cannot be
// written gets a "** " line on the console; returns false when any failed.
bool writeDataOutputs(const RunSettings& settings, const FinishedRun& run, FileSystem& files, Console& console);

// The fit of each hypothesis in a line ("Fit of hypothesis 2: rank 1 of 2
// in the first pass, delta AIC 0, G test p = 0.81"), then a warning when
// the sample is too small for the ranking to mean much.
std::vector<std::string> fitLines(const Results& results);

}  // namespace korvelin::cli
