#include "cli/options.h"

#include <CLI/CLI.hpp>

#include <algorithm>
#include <charconv>

#include "state/state.h"
#include "version.h"

namespace korvelin::cli {
namespace {

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
     "replaced by \".out\"); - for the report on standard\n"
     "output only"},
    {"--json", &RunSettings::jsonFile, "the results as JSON: every hypothesis, its genotypes,\nmissing phenotypes and fit"},
    {"--genotypes", &RunSettings::genotypesFile,
     "the genotype of every individual under every hypothesis,\nas a CSV table"},
    {"--html", &RunSettings::htmlFile, "an HTML page with the gel drawn for each hypothesis"},
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

// An Ezone number, or "all" (0). -1 when it is neither.
int ezoneArgument(const std::string& text) {
  if (text == "all") return 0;
  int value = -1;
  const auto [ptr, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && ptr == text.data() + text.size() && value >= 0 ? value : -1;
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
std::string problemWith(const RunSettings& settings, const std::vector<std::string>& splits, bool maximalNGiven) {
  if (settings.dataFile.empty()) return "no DATAFILE given";
  for (std::size_t i = 0; i < splits.size(); ++i) {
    const int ezone = ezoneArgument(splits[i]);
    if (ezone < 0) return "--split: '" + splits[i] + "' is neither an Ezone number nor 'all'";
    if (ezone == 0 && i + 1 < splits.size()) return "--split all ends the run, so it must be the last --split";
  }
  const bool all = !splits.empty() && ezoneArgument(splits.back()) == 0;
  if (maximalNGiven && !all) return "--max-n is for --split all only";
  if (settings.incomplete && !splits.empty())
    return "--split cannot be combined with --incomplete (the search for overlapping Ezones uses the strict test)";
  if (maximalNGiven && (settings.maximalN < 1 || settings.maximalN > kSplitBands))
    return "--max-n: " + std::to_string(settings.maximalN) + " is not from 1 to " + std::to_string(kSplitBands);
  if (settings.genepopHypothesis != 0 && settings.genepopFile.empty()) return "--hypothesis is for --genepop";
  if (settings.genepopHypothesis < 0) return "--hypothesis: a hypothesis number from 1";
  const bool dataFiles = !settings.jsonFile.empty() || !settings.genotypesFile.empty() || !settings.htmlFile.empty() ||
                         !settings.genepopFile.empty();
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
  CLI::Option* maximalN = app.add_option("--max-n", settings.maximalN)->type_name("N");
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
    return usageError(e.what());
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
  if (const std::string problem = problemWith(settings, splits, maximalN->count() > 0); !problem.empty())
    return usageError(problem);
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
      "DATAFILE, in one run without questions or pauses, and writes the report that\n"
      "the dialogue writes for the same choices. Standard output gets one line per\n"
      "hypothesis, the totals and the report's name; messages go to standard error.\n"
      "Without arguments, korvelin asks its questions instead (the dialogue).\n"
      "\n"
      "Options:\n";
  for (const OutputOption& output : kOutputs) text += helpRow(helpNames(output.names) + " FILE", output.help);
  text += helpRow("    --append", "add the report to an existing report file");
  text += helpRow("    --overwrite",
                  "replace an existing report file and data files (without\n"
                  "--append or --overwrite, an existing report file is an\n"
                  "error; an existing data file needs --overwrite)");
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
  text += helpRow("    --hypothesis N",
                  "with --genepop: the hypothesis numbered N (default: the\n"
                  "one ranked first by fit in the first pass)");
  text += helpRow("-q, --quiet", "nothing on standard output but the report of -o -");
  text += helpRow("-h, --help", "show this help and exit");
  text += helpRow("-V, --version", "show the version and exit");
  text +=
      "\n"
      "Exit status: 0 when the run ended in order, 2 for a usage error, a DATAFILE\n"
      "that does not exist or an existing report file; otherwise as in the dialogue\n"
      "(see korvelin(1)).\n"
      "\n"
      "Examples: korvelin dimer.dat -o dimer.out\n"
      "          korvelin null.dat --json n.json --genotypes n.csv --html n.html\n";
  return text;
}

std::string versionText() { return std::string("korvelin ") + kVersion; }

}  // namespace korvelin::cli
