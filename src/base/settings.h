#pragma once
// The choices a run is made with. The dialogue fills them as the user
// answers; the command line fills them all before the run starts. The
// start-up, the offer to search for overlapping Ezones and the Ezone menu
// act on them.

#include <string>
#include <vector>

namespace korvelin {

struct RunSettings {
  // A run from the command line: nothing is asked, nothing waits, and the
  // console carries only messages (see Session).
  bool unattended = false;

  std::string dataFile;

  enum class ReportTo {
    File,            // the report file, and the console
    Screen,          // the console only (the dialogue's "screen only")
    StandardOutput,  // the report file's lines on standard output only
  };
  ReportTo reportTo = ReportTo::File;
  // Empty: the default name for the data file.
  std::string reportFile;

  // What to do when the report file exists: the dialogue asks; the command
  // line says so in advance or refuses to touch it.
  enum class Existing { Ask, Append, Overwrite, Refuse };
  Existing existing = Existing::Ask;

  bool dna = false;

  // The incomplete-sample search (command line only): hypotheses under
  // which some phenotypes may be absent from the sample.
  bool incomplete = false;
  // The label columns of a table: the population column (empty: the one
  // headed population, pop or site) and the columns left out; each a header
  // label or a column number (command line only).
  std::string populationColumn;
  std::vector<std::string> ignoredColumns;

  // The Ezone menu's answers still to come: Ezone numbers, and 0 (all
  // Ezones) only last. None at all declines the offer to search; when they
  // run out the menu ends the run.
  std::vector<int> splits;
  // The maximal N of an all-Ezones request; 0 for the largest.
  int maximalN = 0;

  // Threads that analyse split trials: 0 for the cores available, 1 for none
  // beside the main thread. The output is the same for every number.
  int jobs = 0;

  // Nothing on standard output but the report (command line only).
  bool quiet = false;

  // The results as data, written when the run is over (command line only;
  // empty: not written).
  std::string jsonFile;
  std::string genotypesFile;
  std::string htmlFile;
  std::string genepopFile;
  // The hypothesis of the GenePop file, by its number; 0: the one ranked
  // first in the first pass.
  int genepopHypothesis = 0;
};

}  // namespace korvelin
