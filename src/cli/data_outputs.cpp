#include "cli/data_outputs.h"

#include <cerrno>
#include <new>

#include "export/genotype_table.h"
#include "export/html_report.h"
#include "export/json_export.h"
#include "export/line_sink.h"
#include "results/hypothesis_fit.h"
#include "run/format.h"
#include "run/report_file.h"
#include "version.h"

namespace korvelin::cli {
namespace {

// Streams one data file into `sink`; false when the sink stopped it.
bool writeData(DataKind kind, const FinishedRun& run, const LineSink& sink) {
  switch (kind) {
    case DataKind::Json: return writeJson(run.results, run.sample, run.status, run.reason, sink);
    case DataKind::GenotypeTable: return writeGenotypeTable(run.results, run.sample, sink);
    case DataKind::Html: break;
  }
  // The page is made whole first; its gels are few (see drawnHypotheses).
  const std::string page = htmlReport(run.results, run.sample,
                                      {kVersion, runTimeText(run.started), run.status == 0 ? std::string() : run.reason});
  std::size_t start = 0;
  while (start < page.size()) {
    const auto end = page.find('\n', start);
    const std::size_t stop = end == std::string::npos ? page.size() : end;
    if (!sink(page.substr(start, stop - start))) return false;
    start = stop + 1;
  }
  return true;
}

}  // namespace

std::string fileMessage(const std::string& name, const std::string& what) {
  return "korvelin: " + printable(name) + ": " + what;
}

std::vector<DataOutput> dataOutputs(const RunSettings& settings) {
  std::vector<DataOutput> outputs;
  if (!settings.jsonFile.empty()) outputs.push_back({settings.jsonFile, DataKind::Json, "JSON"});
  if (!settings.genotypesFile.empty())
    outputs.push_back({settings.genotypesFile, DataKind::GenotypeTable, "genotype table"});
  if (!settings.htmlFile.empty()) outputs.push_back({settings.htmlFile, DataKind::Html, "HTML page"});
  return outputs;
}

int writeDataOutputs(const RunSettings& settings, const FinishedRun& run, const std::set<std::string>& existed,
                     WholeFiles& files, Console& console) {
  for (const auto& [name, kind, what] : dataOutputs(settings)) {
    const bool toStandardOutput = name == "-";
    int status = 0;
    try {
      std::unique_ptr<OutputFile> out;
      if (!toStandardOutput) {
        // A file that another run has made meanwhile is not this run's to replace.
        out = files.open(name, existed.contains(name) ? WriteMode::Overwrite : WriteMode::Create, status);
        if (!out) {
          console.err(fileMessage(name, "cannot create: " + systemMessage(status)));
          return 1;
        }
      }
      const bool whole = writeData(kind, run, [&](const std::string& line) {
        if (console.stopSignal() != 0) return false;
        if (toStandardOutput) {
          console.out(line);
          status = console.outError();
          return status == 0;
        }
        return out->writeLine(line, status);
      });
      if (whole && !toStandardOutput) status = out->close();
      if (whole && toStandardOutput) status = console.flush();
      if (whole && status == 0) continue;
    } catch (const std::bad_alloc&) {
      status = ENOMEM;
    }
    if (console.stopSignal() != 0) return 128 + console.stopSignal();
    console.err(fileMessage(toStandardOutput ? "standard output" : name,
                            "cannot write the " + what + ": " + systemMessage(status)));
    return 1;
  }
  return 0;
}

std::vector<std::string> fitLines(const Results& results) {
  std::vector<std::string> lines;
  const auto fits = [&results](std::size_t i) -> const std::optional<HypothesisFit>& { return fitOf(results, i); };
  for (std::size_t i = 0; i < results.hypotheses.size(); ++i) {
    const Hypothesis& h = results.hypotheses[i];
    std::string line = "Fit of hypothesis " + std::to_string(h.number) + ": ";
    if (!fits(i)) {
      lines.push_back(line + "not fitted");
      continue;
    }
    int inPass = 0;
    for (std::size_t j = 0; j < results.hypotheses.size(); ++j)
      if (fits(j) && samePass(results.hypotheses[j], h)) ++inPass;
    const fit::Result& r = fits(i)->result;
    line += "rank " + std::to_string(fits(i)->rank.rank) + " of " + std::to_string(inPass) + " in " +
            (h.split ? "split trial Ezone " + std::to_string(h.split->ezone) + ", combination " +
                           std::to_string(h.split->combination)
                     : std::string("the first pass")) +
            ", delta AIC " + fitStatistic(fits(i)->rank.deltaAic) + ", G test " +
            (r.pValue ? "p = " + fitStatistic(*r.pValue) : std::string("not testable"));
    if (!r.converged) line += " (estimates not converged)";
    lines.push_back(line);
  }
  if (!results.hypotheses.empty() && results.input.individuals < kFewIndividuals)
    lines.push_back("Fit: only " + std::to_string(results.input.individuals) +
                    " individuals - the ranking is weak");
  return lines;
}

}  // namespace korvelin::cli
