#include "export/json_export.h"

#include <nlohmann/json.hpp>

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

ordered_json inputOf(const InputSet& in, const Sample& sample) {
  ordered_json patterns = ordered_json::array();
  for (std::size_t p = 0; p < in.patterns.size(); ++p)
    patterns.push_back({{"pattern", in.patterns[p]},
                        {"count", p < in.counts.size() ? in.counts[p] : 0},
                        {"individuals", individualsOf(sample, p)}});
  return {{"file", in.file},
          {"pattern_type", in.dna ? "dna" : "zymogram"},
          {"ezones", in.ezones},
          {"individuals", in.individuals},
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

ordered_json hypothesisOf(const Hypothesis& h, const Sample& sample) {
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
    bands.push_back({{"ezone", e.ezone},
                     {"split_mark", e.splitMark},
                     {"kind", bandKindName(e.kind)},
                     {"origins", origins}});
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
          {"missing_complete", h.phenotypesComplete}};
}

}  // namespace

const char* bandKindName(BandKind kind) {
  switch (kind) {
    case BandKind::Homomeric: return "homomeric";
    case BandKind::Heteromeric: return "heteromeric";
    case BandKind::Modified: return "modified";
    case BandKind::Fixed: return "fixed";
    case BandKind::Empty: return "empty";
    case BandKind::Unexplained: break;
  }
  return "unexplained";
}

std::string toJson(const Results& results, const Sample& sample, int status, const std::string& reason) {
  ordered_json hypotheses = ordered_json::array();
  int closed = 0;
  for (const Hypothesis& h : results.hypotheses) {
    hypotheses.push_back(hypothesisOf(h, sample));
    if (h.closed) ++closed;
  }
  const ordered_json doc = {
      {"schema_version", kJsonSchemaVersion},
      {"program", "KORVELIN"},
      {"version", kVersion},
      {"input", inputOf(results.input, sample)},
      {"hypotheses", hypotheses},
      {"totals", {{"hypotheses", results.hypotheses.size()}, {"closed", closed}}},
      {"ended", {{"status", status}, {"reason", reason}}},
  };
  // Names and file names may hold any bytes; invalid UTF-8 is replaced
  // rather than refused.
  return doc.dump(2, ' ', false, nlohmann::json::error_handler_t::replace) + "\n";
}

}  // namespace korvelin
