#include "cli/data_outputs.h"

#include <cerrno>
#include <new>

#include "export/genepop.h"
#include "export/genotype_table.h"
#include "export/html_report.h"
#include "export/json_export.h"
#include "export/line_sink.h"
#include "results/hypothesis_fit.h"
#include "base/format.h"
#include "base/report_file.h"
#include "version.h"

namespace korvelin::cli {
namespace {

// The GenePop file of the hypothesis the settings choose; a problem when
// there is none (then nothing is written). The genotypes written as missing
// because ambiguous are counted per locus in `note`.
std::string genePopContents(const RunSettings& settings, const FinishedRun& run, std::string& problem,
                            std::string& note) {
  const auto index = genePopHypothesis(run.results, settings.genepopHypothesis);
  if (!index) {
    problem = settings.genepopHypothesis == 0
                  ? "no hypothesis, so no GenePop file"
                  : "no hypothesis " + std::to_string(settings.genepopHypothesis) + ", so no GenePop file";
    return {};
  }
  const GenePopFile file = genePop(run.results, run.sample, *index, kVersion);
  for (std::size_t l = 0; l < file.ambiguous.size(); ++l)
    if (file.ambiguous[l] > 0)
      note += (note.empty() ? "" : ", ") + std::string("locus ") + std::to_string(l + 1) + ": " +
              std::to_string(file.ambiguous[l]);
  if (!note.empty()) note = "ambiguous genotypes (a/a|a/0) written as missing, " + note;
  return file.text;
}

// A text made whole first, line by line into `sink`.
bool writeText(const std::string& text, const LineSink& sink) {
  std::size_t start = 0;
  while (start < text.size()) {
    const auto end = text.find('\n', start);
    const std::size_t stop = end == std::string::npos ? text.size() : end;
    if (!sink(text.substr(start, stop - start))) return false;
    start = stop + 1;
  }
  return true;
}

// Streams one data file into `sink`; false when the sink stopped it. The
// GenePop file's text is made beforehand (`genePopText`).
bool writeData(DataKind kind, const FinishedRun& run, const std::string& genePopText, const LineSink& sink) {
  switch (kind) {
    case DataKind::Json: return writeJson(run.results, run.sample, run.status, run.reason, sink);
    case DataKind::GenotypeTable: return writeGenotypeTable(run.results, run.sample, sink);
    case DataKind::GenePop: return writeText(genePopText, sink);
    case DataKind::Html: break;
  }
  // The page is made whole first; its gels are few (see drawnHypotheses).
  return writeText(htmlReport(run.results, run.sample,
                              {kVersion, runTimeText(run.started), run.status == 0 ? std::string() : run.reason}),
                   sink);
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
  if (!settings.genepopFile.empty()) outputs.push_back({settings.genepopFile, DataKind::GenePop, "GenePop file"});
  return outputs;
}

int writeDataOutputs(const RunSettings& settings, const FinishedRun& run, const std::set<std::string>& existed,
                     WholeFiles& files, Console& console) {
  for (const auto& [name, kind, what] : dataOutputs(settings)) {
    const bool toStandardOutput = name == "-";
    int status = 0;
    std::string genePopText, note;
    if (kind == DataKind::GenePop) {
      std::string problem;
      genePopText = genePopContents(settings, run, problem, note);
      if (!problem.empty()) {
        console.err(fileMessage(name, problem));
        return 1;
      }
    }
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
      const bool whole = writeData(kind, run, genePopText, [&](const std::string& line) {
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
      if (whole && status == 0) {
        if (!note.empty()) console.err("Note: " + printable(name) + ": " + note);
        continue;
      }
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
    if (!fits(i)->populations.empty()) {
      // Within each population, and whether the populations differ.
      std::string within = "  within populations:";
      for (const PopulationFit& pf : fits(i)->populations)
        within += " " + pf.name + " " +
                  (pf.result.pValue ? "p = " + fitStatistic(*pf.result.pValue) : std::string("not testable")) + ",";
      const fit::Heterogeneity& het = fits(i)->heterogeneity;
      within += " heterogeneity " +
                (het.pValue ? "p = " + fitStatistic(*het.pValue) + " (G " + fitStatistic(het.g) + ", df " +
                                  std::to_string(het.df) + ")"
                            : std::string("not testable"));
      lines.push_back(within);
    }
  }
  if (!results.hypotheses.empty() && results.input.individuals < kFewIndividuals)
    lines.push_back("Fit: only " + std::to_string(results.input.individuals) +
                    " individuals - the ranking is weak");
  return lines;
}

}  // namespace korvelin::cli
