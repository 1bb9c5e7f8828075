#include "cli/data_outputs.h"

#include <cstdio>
#include <map>

#include "export/genepop.h"
#include "export/genotype_table.h"
#include "export/html_report.h"
#include "export/json_export.h"
#include "results/hypothesis_fit.h"
#include "run/format.h"
#include "run/report_file.h"
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

std::string contentsOf(DataKind kind, const RunSettings& settings, const FinishedRun& run, std::string& problem,
                       std::string& note) {
  switch (kind) {
    case DataKind::Json: return toJson(run.results, run.sample, run.status, run.reason);
    case DataKind::GenotypeTable: return genotypeTable(run.results, run.sample);
    case DataKind::GenePop: return genePopContents(settings, run, problem, note);
    case DataKind::Html: break;
  }
  return htmlReport(run.results, run.sample,
                    {kVersion, runTimeText(run.started), run.status == 0 ? std::string() : run.reason});
}

// Writes `text` to `name` through a held file: a new file is made empty and
// exclusively first, and the text replaces it (or the old file) only when
// all of it was written. Returns 0 or the code of the failure.
int writeWhole(FileSystem& files, const std::string& name, const std::string& text, std::string& refusal) {
  std::unique_ptr<HeldFile> held;
  bool existed = false;
  int status = 0;
  refusal = holdReportFile(files, name, held, existed, status);
  if (!held) return refusal.empty() ? status : -1;
  auto out = files.openWrite(std::move(held), WriteMode::Overwrite, status);
  if (!out) {
    if (!existed) files.remove(name);
    return status;
  }
  // Line by line as the file layer takes them; the text ends in a line end.
  std::size_t start = 0;
  while (start < text.size()) {
    const auto end = text.find('\n', start);
    const std::size_t stop = end == std::string::npos ? text.size() : end;
    if (!out->writeLine(text.substr(start, stop - start), status)) break;
    start = stop + 1;
  }
  if (status == 0) status = out->close();
  if (status != 0) {
    out->discard();
    out.reset();
    if (!existed) files.remove(name);
  }
  return status;
}

}  // namespace

std::vector<DataOutput> dataOutputs(const RunSettings& settings) {
  std::vector<DataOutput> outputs;
  if (!settings.jsonFile.empty()) outputs.push_back({settings.jsonFile, DataKind::Json, "JSON"});
  if (!settings.genotypesFile.empty())
    outputs.push_back({settings.genotypesFile, DataKind::GenotypeTable, "genotype table"});
  if (!settings.htmlFile.empty()) outputs.push_back({settings.htmlFile, DataKind::Html, "HTML page"});
  if (!settings.genepopFile.empty()) outputs.push_back({settings.genepopFile, DataKind::GenePop, "GenePop file"});
  return outputs;
}

std::string dataOutputProblem(const RunSettings& settings, FileSystem& files) {
  std::map<std::string, std::string> taken;
  for (const auto& [name, kind, what] : dataOutputs(settings)) {
    if (name == settings.dataFile || files.sameFile(name, settings.dataFile))
      return name + ": the " + what + " would be DATAFILE";
    if (settings.reportTo == RunSettings::ReportTo::File &&
        (name == settings.reportFile || files.sameFile(name, settings.reportFile)))
      return name + ": the " + what + " would be the report file";
    if (const auto other = taken.find(name); other != taken.end())
      return name + ": named for the " + other->second + " and the " + what;
    taken[name] = what;
    if (const std::string refusal = kindRefusal(files, name); !refusal.empty()) return name + ": not a plain file";
    if (settings.existing != RunSettings::Existing::Overwrite && files.exists(name))
      return name + ": the " + what + " exists (--overwrite to replace it)";
  }
  return {};
}

bool writeDataOutputs(const RunSettings& settings, const FinishedRun& run, FileSystem& files, Console& console) {
  bool written = true;
  for (const auto& [name, kind, what] : dataOutputs(settings)) {
    std::string refusal, problem, note;
    const std::string text = contentsOf(kind, settings, run, problem, note);
    if (!problem.empty()) {
      written = false;
      console.err("korvelin: " + name + ": " + problem);
      continue;
    }
    const int status = writeWhole(files, name, text, refusal);
    if (status == 0) {
      if (!note.empty()) console.err("korvelin: " + name + ": " + note);
      continue;
    }
    written = false;
    console.err(refusal.empty() ? std::string(FreeLine().text("** Error status ").num(status).text(" in WRITing of ").name(name))
                                : refusal);
  }
  return written;
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
