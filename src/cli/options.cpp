#include "cli/options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>
#include <cstring>
#include <regex>

#include "state/state.h"
#include "version.h"

namespace korvelin::cli {
namespace {

// The most threads --jobs may ask for.
constexpr int kMostJobs = 256;

// The files a run writes, one row each: the option, and the member of the
// settings that the code writing the file reads. A new output is a new row.
struct OutputOption {
  const char* names;
  std::string RunSettings::*file;
  const char* help;
};
const OutputOption kOutputs[] = {
    {"-o,--output", &RunSettings::reportFile,
     "the report file (default: DATAFILE with its extension\n"
     "replaced by \".out\", or \".out\" added); - for the report\n"
     "on standard output only; /dev/null for none"},
    {"--json", &RunSettings::jsonFile, "the results as JSON: every hypothesis, its genotypes,\nmissing phenotypes and fit"},
    {"--genotypes", &RunSettings::genotypesFile,
     "the genotype of every individual under every hypothesis,\nas a CSV table"},
    {"--html", &RunSettings::htmlFile,
     "an HTML page with the gels of the best hypotheses;\n"
     "for any of these, - writes to standard output"},
    {"--genepop", &RunSettings::genepopFile,
     "the genotypes under one hypothesis (see --hypothesis) as\na GenePop file, for population-genetics programs"},
};

// "-o,--output FILE" as the help shows it: "-o, --output FILE".
std::string helpNames(std::string names) {
  if (names.starts_with("--")) names = "    " + names;
  if (const auto comma = names.find(','); comma != std::string::npos) names.insert(comma + 1, " ");
  return names;
}

std::string helpRow(const std::string& names, const std::string& help) {
  std::string row;
  std::string left = "  " + names;
  std::size_t start = 0;
  for (;;) {
    const auto end = help.find('\n', start);
    row += (left.size() < 22 ? left + std::string(22 - left.size(), ' ') : left + "\n" + std::string(22, ' '));
    row += help.substr(start, end == std::string::npos ? std::string::npos : end - start) + "\n";
    if (end == std::string::npos) return row;
    left.clear();
    start = end + 1;
  }
}

// A number in plain decimal digits, or -1.
int decimalArgument(const std::string& text) {
  int value = -1;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && ptr == text.data() + text.size() && value >= 0 ? value : -1;
}

// An Ezone number, or "all" (0). -1 when it is neither.
int ezoneArgument(const std::string& text) { return text == "all" ? 0 : decimalArgument(text); }

// The parser's own texts about the options, in plain sentences.
std::string plainProblem(const std::string& problem) {
  static const std::pair<std::regex, const char*> kPlain[] = {
      {std::regex("^-*(\\S+) was given a disallowed flag override$"), "--$1 takes no value"},
      {std::regex("^(\\S+): At Most 1 required but received \\d+$"), "$1 is given more than once"},
      {std::regex("^(\\S+): \\d+ required (\\S+) missing$"), "$1: the $2 is missing"},
      {std::regex("^(\\S+) excludes (\\S+)$"), "$1 and $2 cannot be given together"},
  };
  for (const auto& [pattern, plain] : kPlain)
    if (std::regex_match(problem, pattern)) return std::regex_replace(problem, pattern, plain);
  return problem;
}

Options usageError(std::string problem) {
  Options o;
  o.action = Options::Action::UsageError;
  // A message of the parser may span lines; a usage error takes one.
  std::replace(problem.begin(), problem.end(), '\n', ' ');
  o.problem = std::move(problem);
  return o;
}

// The checks the parser cannot make: what the values mean together.
std::string problemWith(const RunSettings& settings, const std::vector<std::string>& splits,
                        const std::string& maximalN, bool maximalNGiven) {
  if (settings.dataFile.empty()) return "no DATAFILE given";
  int onStandardOutput = settings.reportTo == RunSettings::ReportTo::StandardOutput ? 1 : 0;
  for (const OutputOption& output : kOutputs) {
    const std::string& name = settings.*output.file;
    if (name == "-") ++onStandardOutput;
    // "--json -q" is a forgotten name far more often than a file "-q".
    if (name.size() > 1 && name[0] == '-')
      return std::string(std::strchr(output.names, ',') ? std::strchr(output.names, ',') + 1 : output.names) +
             ": '" + name + "' looks like an option, not a FILE (for a file of that name: ./" + name + ")";
  }
  if (onStandardOutput > 1) return "only one output can go to standard output (-)";
  for (std::size_t i = 0; i < splits.size(); ++i) {
    const int ezone = ezoneArgument(splits[i]);
    if (ezone < 0) return "--split: '" + splits[i] + "' is neither an Ezone number nor 'all'";
    if (ezone == 0 && i + 1 < splits.size()) return "--split all ends the run, so it must be the last --split";
  }
  const bool all = !splits.empty() && ezoneArgument(splits.back()) == 0;
  if (maximalNGiven && !all) return "--max-n is for --split all only";
  if (settings.incomplete && !splits.empty())
    return "--split cannot be combined with --incomplete (the search for overlapping Ezones uses the strict test)";
  if (maximalNGiven && (decimalArgument(maximalN) < 1 || decimalArgument(maximalN) > kSplitBands))
    return "--max-n: '" + maximalN + "' is not a number from 1 to " + std::to_string(kSplitBands);
  if (settings.genepopHypothesis != 0 && settings.genepopFile.empty()) return "--hypothesis is for --genepop";
  if (settings.genepopHypothesis < 0) return "--hypothesis: a hypothesis number from 1";
  bool dataFiles = false;
  for (const std::string* data : {&settings.jsonFile, &settings.genotypesFile, &settings.htmlFile, &settings.genepopFile})
    dataFiles = dataFiles || (!data->empty() && *data != "-");
  if (settings.reportTo == RunSettings::ReportTo::StandardOutput &&
      (settings.existing == RunSettings::Existing::Append ||
       (settings.existing == RunSettings::Existing::Overwrite && !dataFiles)))
    return "--append and --overwrite need a report file, not -o -";
  return "";
}

}  // namespace

Options parseOptions(const std::vector<std::string>& args) {
  Options o;
  RunSettings& settings = o.settings;
  CLI::App app("", "korvelin");
  app.set_help_flag();
  bool append = false, overwrite = false, dna = false, incomplete = false, quiet = false, help = false,
       version = false;
  std::vector<std::string> splits;
  std::vector<CLI::Option*> outputs;
  for (const OutputOption& output : kOutputs)
    outputs.push_back(app.add_option(output.names, settings.*output.file)->type_name("FILE"));
  CLI::Option* appendOption = app.add_flag("--append", append)->disable_flag_override();
  app.add_flag("--overwrite", overwrite)->disable_flag_override()->excludes(appendOption);
  app.add_flag("--dna", dna)->disable_flag_override();
  app.add_flag("--incomplete", incomplete)->disable_flag_override();
  CLI::Option* population = app.add_option("--population", settings.populationColumn)->type_name("COLUMN");
  app.add_option("--ignore", settings.ignoredColumns)->type_name("COLUMN")->allow_extra_args(false);
  app.add_option("--split", splits)->type_name("EZONE")->allow_extra_args(false);
  std::string maximalNText;
  CLI::Option* maximalN = app.add_option("--max-n", maximalNText)->type_name("N");
  int jobs = 0;
  CLI::Option* jobsOption = app.add_option("-j,--jobs", jobs)->type_name("N");
  CLI::Option* hypothesis = app.add_option("--hypothesis", settings.genepopHypothesis)->type_name("N");
  app.add_flag("-q,--quiet", quiet)->disable_flag_override();
  app.add_flag("-h,--help", help)->disable_flag_override();
  app.add_flag("-V,--version", version)->disable_flag_override();
  app.add_option("DATAFILE", settings.dataFile);
  // Arguments left over are named one at a time, in their order.
  app.allow_extras();

  std::vector<std::string> reversed(args.rbegin(), args.rend());  // as the parser takes them
  try {
    app.parse(reversed);
  } catch (const CLI::ParseError& e) {
    return usageError(plainProblem(e.what()));
  }
  bool afterDashes = false;  // "--" ends the options
  for (const std::string& extra : app.remaining()) {
    if (extra == "--" && !afterDashes) {
      afterDashes = true;
      continue;
    }
    if (!afterDashes && extra.size() > 1 && extra[0] == '-') return usageError("unknown option " + extra);
    return usageError("a second DATAFILE: " + extra);
  }
  if (help) {
    o.action = Options::Action::Help;
    return o;
  }
  if (version) {
    o.action = Options::Action::Version;
    return o;
  }
  settings.unattended = true;
  settings.dna = dna;
  settings.incomplete = incomplete;
  settings.quiet = quiet;
  settings.existing = append      ? RunSettings::Existing::Append
                      : overwrite ? RunSettings::Existing::Overwrite
                                  : RunSettings::Existing::Refuse;
  for (std::size_t i = 0; i < outputs.size(); ++i)
    if (outputs[i]->count() > 0 && (settings.*kOutputs[i].file).empty())
      return usageError(outputs[i]->get_name() + ": an empty file name");
  if ((population->count() > 0 && settings.populationColumn.empty()) ||
      std::find(settings.ignoredColumns.begin(), settings.ignoredColumns.end(), "") != settings.ignoredColumns.end())
    return usageError("--population and --ignore need a column's label or number");
  if (hypothesis->count() > 0 && settings.genepopHypothesis == 0) settings.genepopHypothesis = -1;  // not a number from 1
  if (settings.reportFile == "-") {
    settings.reportTo = RunSettings::ReportTo::StandardOutput;
    settings.reportFile.clear();
  }
  if (jobsOption->count() > 0) {
    if (jobs < 1 || jobs > kMostJobs)
      return usageError("--jobs: " + std::to_string(jobs) + " is not from 1 to " + std::to_string(kMostJobs));
    settings.jobs = jobs;
  }
  if (const std::string problem = problemWith(settings, splits, maximalNText, maximalN->count() > 0);
      !problem.empty())
    return usageError(problem);
  if (maximalN->count() > 0) settings.maximalN = decimalArgument(maximalNText);
  for (const auto& split : splits) settings.splits.push_back(ezoneArgument(split));
  o.action = Options::Action::Run;
  return o;
}

std::string helpText() {
  std::string text =
      "Usage: korvelin [OPTIONS] DATAFILE\n"
      "       korvelin\n"
      "\n"
      "Searches for the genetic hypotheses that explain the banding patterns in\n"
      "DATAFILE (a pattern file, or a .csv or .tsv table with a sample name and a\n"
      "0/1 score per band on each row), in one run without questions or pauses, and\n"
      "writes the report that the dialogue writes for the same choices. Standard\n"
      "output gets one line per hypothesis, the totals and the report's name;\n"
      "messages go to standard error. The files are put in place only when the run\n"
      "ends with status 0 or 3; a run that fails writes and changes no file.\n"
      "Without arguments, korvelin asks its questions instead (the dialogue).\n"
      "\n"
      "Options:\n";
  for (const OutputOption& output : kOutputs) text += helpRow(helpNames(output.names) + " FILE", output.help);
  text += helpRow("    --append", "add the report to an existing report file");
  text += helpRow("    --overwrite",
                  "replace an existing report file and output files\n"
                  "(without --append or --overwrite, an existing report\n"
                  "file is an error; an existing output file needs\n"
                  "--overwrite)");
  text += helpRow("    --dna", "DNA electropherograms (default: zymograms)");
  text += helpRow("    --incomplete",
                  "search hypotheses under which some phenotypes are absent\n"
                  "from the sample (a sample of realistic size), ranked by\n"
                  "fit; cannot be combined with --split");
  text += helpRow("    --population COLUMN",
                  "a table's column of populations, by its label or number\n"
                  "(default: the column headed population, pop or site)");
  text += helpRow("    --ignore COLUMN", "leave a table's column out (a notes column, say);\nrepeat for more columns");
  text += helpRow("    --split EZONE",
                  "then search for overlapping Ezones by splitting EZONE, as\n"
                  "the Ezone menu does; repeat for more requests, in order;\n"
                  "'all' (or 0) splits every Ezone and ends the run");
  text += helpRow("    --max-n N",
                  "with --split all: split only the Ezones with a band in\n"
                  "at most N patterns (1 to " + std::to_string(kSplitBands) + ", default " +
                      std::to_string(kSplitBands) + ")");
  text += helpRow("-j, --jobs N",
                  "analyse split trials on N threads (1 to " + std::to_string(kMostJobs) +
                      ", default: the\ncores available); the output is the same for any N");
  text += helpRow("    --hypothesis N",
                  "with --genepop: the hypothesis numbered N (default: the\n"
                  "one ranked first by fit in the first pass)");
  text += helpRow("-q, --quiet", "nothing on standard output but the report of -o -");
  text += helpRow("-h, --help", "show this help and exit");
  text += helpRow("-V, --version", "show the version and exit");
  text +=
      "\n"
      "Exit status: 0 when the run ended in order; 1 when a file or standard output\n"
      "cannot be written; 2 for a usage error, a DATAFILE that does not exist, an\n"
      "existing file or one file named twice; 128+N after signal N; otherwise as in\n"
      "the dialogue (see korvelin(1)).\n"
      "\n"
      "Examples: korvelin dimer.dat -o dimer.out\n"
      "          korvelin null.dat --json n.json --genotypes n.csv --html n.html\n";
  return text;
}

std::string versionText() { return std::string("korvelin ") + kVersion; }

}  // namespace korvelin::cli
