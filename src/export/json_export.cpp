#include "export/json_export.h"

#include <nlohmann/json.hpp>

#include "export/band_origins.h"
#include "results/hypothesis_fit.h"
#include "version.h"

namespace korvelin {
namespace {

using nlohmann::ordered_json;

ordered_json individualsOf(const Sample& sample, std::size_t pattern) {
  ordered_json names = ordered_json::array();
  if (pattern < sample.individuals.size())
    for (const std::string& name : sample.individuals[pattern]) names.push_back(name);
  return names;
}

// Observed against expected individuals, phenotype by phenotype: the
// patterns of the hypothesis, then its missing phenotypes.
ordered_json phenotypesOf(const Hypothesis& h, const std::vector<int>& counts, const HypothesisFit& fit) {
  ordered_json list = ordered_json::array();
  auto add = [&list](const std::string& pattern, bool observed, long count, const PhenotypeExpectation& e) {
    list.push_back({{"pattern", pattern},
                    {"observed", observed},
                    {"count", count},
                    {"expected_count", e.count},
                    {"g_contribution", e.g}});
  };
  for (std::size_t p = 0; p < h.patterns.size() && p < fit.patterns.size(); ++p)
    add(h.patterns[p], true, p < counts.size() ? counts[p] : 0, fit.patterns[p]);
  for (std::size_t k = 0; k < h.missingPhenotypes.size() && k < fit.missing.size(); ++k)
    add(h.missingPhenotypes[k], false, 0, fit.missing[k]);
  return list;
}

ordered_json pValueOf(const std::optional<double>& p) { return p ? ordered_json(*p) : ordered_json(nullptr); }

// The fit within each population, and the pooled fit.
ordered_json populationFits(const Hypothesis& h, const HypothesisFit& fit) {
  ordered_json list = ordered_json::array();
  for (const PopulationFit& pf : fit.populations) {
    const fit::Result& r = pf.result;
    HypothesisFit part;
    part.patterns = pf.patterns;
    part.missing = pf.missing;
    list.push_back({{"population", pf.name},
                    {"individuals", r.individuals},
                    {"allele_frequencies", r.frequencies},
                    {"log_likelihood", r.logLikelihood},
                    {"g", r.g},
                    {"df", r.df},
                    {"testable", r.pValue.has_value()},
                    {"p_value", pValueOf(r.pValue)},
                    {"converged", r.converged},
                    {"phenotypes", phenotypesOf(h, pf.counts, part)}});
  }
  return list;
}

// The fit of a hypothesis to the counts of individuals; null when it has
// none (no loci, or no individuals).
ordered_json fitJson(const Hypothesis& h, const std::vector<int>& counts, const std::optional<HypothesisFit>& fit) {
  if (!fit) return nullptr;
  const fit::Result& r = fit->result;
  ordered_json p = pValueOf(r.pValue);
  ordered_json populations = ordered_json::array(), pooled = nullptr, heterogeneity = nullptr;
  if (!fit->populations.empty()) {
    populations = populationFits(h, *fit);
    if (fit->pooled)
      pooled = {{"log_likelihood", fit->pooled->logLikelihood},
                {"g", fit->pooled->g},
                {"df", fit->pooled->df},
                {"p_value", pValueOf(fit->pooled->pValue)},
                {"aic", fit->pooled->aic}};
    heterogeneity = {{"g", fit->heterogeneity.g},
                     {"df", fit->heterogeneity.df},
                     {"p_value", pValueOf(fit->heterogeneity.pValue)}};
  }
  return {{"allele_frequencies", r.frequencies},
          {"log_likelihood", r.logLikelihood},
          {"g", r.g},
          {"df", r.df},
          {"testable", r.pValue.has_value()},
          {"p_value", p},
          {"aic", r.aic},
          {"free_parameters", r.freeParameters + r.shareParameters},
          {"rank", fit->rank.rank},
          {"delta_aic", fit->rank.deltaAic},
          {"akaike_weight", fit->rank.akaikeWeight},
          {"converged", r.converged},
          {"iterations", r.iterations},
          {"individuals", r.individuals},
          {"weak", fit->weak},
          {"phenotypes", phenotypesOf(h, counts, *fit)},
          {"populations", populations},
          {"pooled", pooled},
          {"heterogeneity", heterogeneity}};
}

// The population of each individual of a pattern, beside their names.
ordered_json populationsOf(const Sample& sample, std::size_t pattern) {
  ordered_json names = ordered_json::array();
  if (pattern < sample.individuals.size())
    for (std::size_t i = 0; i < sample.individuals[pattern].size(); ++i)
      names.push_back(sample.populationName(pattern, i));
  return names;
}

// The populations with their analysed and left-out individuals.
ordered_json populationList(const Sample& sample) {
  ordered_json list = ordered_json::array();
  const std::vector<int> sizes = sample.populationSizes();
  for (std::size_t k = 0; k < sample.populations.size(); ++k) {
    int left = 0;
    for (const UnscoredIndividual& u : sample.unscored) left += u.population == static_cast<int>(k) ? 1 : 0;
    list.push_back({{"population", sample.populations[k]}, {"individuals", sizes[k]}, {"unscored", left}});
  }
  return list;
}

// The individuals left out, with the Ezones they were not scored in.
ordered_json unscoredList(const Sample& sample) {
  ordered_json list = ordered_json::array();
  for (const UnscoredIndividual& u : sample.unscored) {
    ordered_json labels = ordered_json::array();
    for (int z : u.ezones)
      labels.push_back(static_cast<std::size_t>(z) <= sample.ezoneLabels.size()
                           ? sample.ezoneLabels[static_cast<std::size_t>(z - 1)]
                           : std::string());
    ordered_json entry = {{"name", u.name}, {"row", u.row}};
    if (sample.hasPopulations())
      entry["population"] = u.population >= 0 ? sample.populations[static_cast<std::size_t>(u.population)] : "";
    entry.update(ordered_json{{"ezones", u.ezones}, {"labels", labels}});
    list.push_back(entry);
  }
  return list;
}

ordered_json inputOf(const InputSet& in, const Sample& sample) {
  ordered_json patterns = ordered_json::array();
  for (std::size_t p = 0; p < in.patterns.size(); ++p) {
    ordered_json pattern = {{"pattern", in.patterns[p]},
                            {"count", p < in.counts.size() ? in.counts[p] : 0},
                            {"individuals", individualsOf(sample, p)}};
    if (sample.hasPopulations()) pattern["populations"] = populationsOf(sample, p);
    patterns.push_back(pattern);
  }
  // A spreadsheet table names its Ezones in its header row.
  ordered_json labels = ordered_json::array();
  for (std::size_t z = 0; z < sample.ezoneLabels.size(); ++z)
    labels.push_back({{"ezone", z + 1}, {"label", sample.ezoneLabels[z]}});
  return {{"file", in.file},
          {"pattern_type", in.dna ? "dna" : "zymogram"},
          {"ezones", in.ezones},
          {"ezone_labels", labels},
          {"individuals", in.individuals},
          {"populations", populationList(sample)},
          {"unscored", unscoredList(sample)},
          {"patterns", patterns}};
}

ordered_json lociOf(const Hypothesis& h) {
  ordered_json loci = ordered_json::array();
  for (const Locus& l : h.loci) {
    ordered_json alleles = ordered_json::array();
    for (const Allele& a : l.alleles)
      alleles.push_back({{"allele", a.allele}, {"ezones", a.ezones}, {"modified_forms", a.modifiedForms}});
    loci.push_back({{"locus", l.locus}, {"null_allele", l.nullAllele}, {"alleles", alleles}});
  }
  return loci;
}

ordered_json originOf(const BandOrigin& o) {
  ordered_json j = {{"kind", bandKindName(o.kind)}, {"locus", o.locus}, {"allele", o.allele}};
  if (o.kind == BandKind::Heteromeric) {
    j["locus2"] = o.locus2;
    j["allele2"] = o.allele2;
  }
  if (o.kind == BandKind::Modified) j["form"] = o.form;
  return j;
}

ordered_json hypothesisOf(const Hypothesis& h, const Sample& sample, const std::vector<int>& counts,
                          const std::optional<HypothesisFit>& fit) {
  ordered_json split = nullptr;
  if (h.split)
    split = {{"ezone", h.split->ezone},
             {"combination", h.split->combination},
             {"of", h.split->of},
             {"code", h.split->code}};
  ordered_json heteromerics = ordered_json::array();
  for (const HeteromericBand& b : h.heteromericBands)
    heteromerics.push_back({{"ezones", b.ezones},
                            {"kind", b.intralocus ? "intralocus" : "interlocus"},
                            {"locus1", b.locus1},
                            {"allele1", b.allele1},
                            {"locus2", b.locus2},
                            {"allele2", b.allele2}});
  ordered_json modified = ordered_json::array();
  for (const ModifiedBand& m : h.modifiedBands)
    modified.push_back({{"ezones", m.ezones}, {"locus", m.locus}, {"allele", m.allele}, {"form", m.form}});
  ordered_json bands = ordered_json::array();
  for (const EzoneBand& e : h.ezoneBands) {
    ordered_json origins = ordered_json::array();
    for (const BandOrigin& o : e.origins) origins.push_back(originOf(o));
    ordered_json band = {{"ezone", e.ezone}};
    // The label of an input Ezone (a split's added Ezone has none).
    const bool added = h.split && e.ezone == h.ezones;
    if (!added && e.ezone >= 1 && static_cast<std::size_t>(e.ezone) <= sample.ezoneLabels.size())
      band["label"] = sample.ezoneLabels[static_cast<std::size_t>(e.ezone - 1)];
    band.update(ordered_json{{"split_mark", e.splitMark},
                             {"kind", bandKindName(e.kind)},
                             {"origins", origins}});
    bands.push_back(band);
  }
  ordered_json genotypes = ordered_json::array();
  for (std::size_t p = 0; p < h.genotypes.size(); ++p) {
    ordered_json loci = ordered_json::array();
    for (const LocusGenotype& g : h.genotypes[p].loci) loci.push_back(g.text);
    genotypes.push_back(
        {{"pattern", h.genotypes[p].pattern}, {"individuals", individualsOf(sample, p)}, {"loci", loci}});
  }
  return {{"number", h.number},
          {"pass", h.pass == PassKind::First ? "first" : "split_trial"},
          {"split", split},
          {"ezones", h.ezones},
          {"loci", lociOf(h)},
          {"heteromeric_bands", heteromerics},
          {"modified_bands", modified},
          {"ezone_bands", bands},
          {"expected", h.expected},
          {"found", h.found},
          {"closed", h.closed},
          {"genotypes", genotypes},
          {"missing_phenotypes", h.missingPhenotypes},
          {"missing_complete", h.phenotypesComplete},
          {"fit", fitJson(h, counts, fit)}};
}

}  // namespace

std::string toJson(const Results& results, const Sample& sample, int status, const std::string& reason) {
  std::string text;
  writeJson(results, sample, status, reason, textSink(text));
  return text;
}

bool writeJson(const Results& results, const Sample& sample, int status, const std::string& reason,
               const LineSink& sink) {
  int closed = 0;
  for (const Hypothesis& h : results.hypotheses) closed += h.closed ? 1 : 0;
  // The frame of the document, its hypotheses left out: they are put in
  // one at a time, each as the whole document would indent it.
  const ordered_json frame = {
      {"schema_version", kJsonSchemaVersion},
      {"program", "KORVELIN"},
      {"version", kVersion},
      {"search", results.incomplete ? "incomplete" : "strict"},
      {"input", inputOf(results.input, sample)},
      {"hypotheses", ordered_json::array()},
      {"totals", {{"hypotheses", results.hypotheses.size()}, {"closed", closed}}},
      {"ended", {{"status", status}, {"reason", reason}}},
  };
  // Names and file names may hold any bytes; invalid UTF-8 is replaced
  // rather than refused.
  const auto dump = [](const ordered_json& j) {
    return j.dump(2, ' ', false, nlohmann::json::error_handler_t::replace);
  };
  const std::string text = dump(frame);
  const std::string empty = "\n  \"hypotheses\": [],\n";
  const auto at = text.find(empty);
  // Each piece of text in its lines.
  const auto put = [&sink](const std::string& piece, const std::string& indent) {
    std::size_t start = 0;
    for (;;) {
      const auto end = piece.find('\n', start);
      if (!sink(indent + piece.substr(start, end == std::string::npos ? std::string::npos : end - start))) return false;
      if (end == std::string::npos) return true;
      start = end + 1;
    }
  };
  if (results.hypotheses.empty()) return put(text, "");
  if (!put(text.substr(0, at), "") || !sink("  \"hypotheses\": [")) return false;
  for (std::size_t i = 0; i < results.hypotheses.size(); ++i) {
    const std::string one =
        dump(hypothesisOf(results.hypotheses[i], sample, results.input.counts, fitOf(results, i)));
    if (!put(i + 1 < results.hypotheses.size() ? one + "," : one, "    ")) return false;
  }
  return sink("  ],") && put(text.substr(at + empty.size()), "");
}

}  // namespace korvelin
