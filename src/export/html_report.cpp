#include "export/html_report.h"

#include <algorithm>
#include <map>

#include "export/band_origins.h"
#include "export/gel_drawing.h"
#include "export/html_style.h"
#include "export/html_text.h"
#include "results/hypothesis_fit.h"

namespace korvelin {
namespace {

// ---------------------------------------------------------------- text

std::string num(long long v) { return std::to_string(v); }

std::string join(const std::vector<std::string>& items, std::string_view sep) {
  std::string out;
  for (std::size_t i = 0; i < items.size(); ++i) {
    if (i > 0) out += sep;
    out += items[i];
  }
  return out;
}

std::string plural(long long n, std::string_view one, std::string_view many) {
  return num(n) + " " + std::string(n == 1 ? one : many);
}

// An Ezone as the report names it, with the mark of a split half.
std::string ezoneName(const Hypothesis* h, int z) {
  std::string name = num(z);
  if (h && z >= 1 && static_cast<std::size_t>(z) <= h->ezoneBands.size() && h->ezoneBands[z - 1].splitMark)
    name += "x";
  return name;
}

std::string ezoneList(const Hypothesis* h, const std::vector<int>& ezones) {
  std::vector<std::string> names;
  for (int z : ezones) names.push_back(ezoneName(h, z));
  return (ezones.size() == 1 ? "Ezone " : "Ezones ") + join(names, ", ");
}

// ---------------------------------------------------------------- bands

std::string codesAt(const Hypothesis& h, int z) {
  std::vector<std::string> codes;
  for (const BandOrigin& o : originsAt(h, z)) codes.push_back(originCode(o));
  return join(codes, " ");
}

std::string wordsAt(const Hypothesis& h, int z) {
  std::vector<std::string> words;
  for (const BandOrigin& o : originsAt(h, z)) words.push_back(originWords(o));
  return join(words, ", or ");
}

// Ezones top to bottom: in number order, with the added half of a split
// Ezone right under the Ezone it was split from.
std::vector<int> rowOrder(int ezones, const std::optional<SplitTrial>& split) {
  std::vector<int> order;
  for (int z = 1; z <= ezones; ++z) {
    if (split && z == ezones && split->ezone >= 1 && split->ezone < ezones) continue;
    order.push_back(z);
    if (split && z == split->ezone && split->ezone < ezones) order.push_back(ezones);
  }
  return order;
}

// The individuals of a lane, each with its population when the table has
// them: "A1 (North)", "B2 (South)".
std::vector<std::string> laneNames(const Sample& sample, std::size_t pattern) {
  if (pattern >= sample.individuals.size()) return {};
  std::vector<std::string> names = sample.individuals[pattern];
  if (sample.hasPopulations())
    for (std::size_t i = 0; i < names.size(); ++i) names[i] += " (" + sample.populationName(pattern, i) + ")";
  return names;
}

std::string namesOf(const Sample& sample, std::size_t pattern) { return join(laneNames(sample, pattern), ", "); }

// The populations with their sizes, and the individuals left out because a
// band was not scored.
std::string sampleNotes(const Sample& sample) {
  std::string out;
  if (sample.hasPopulations()) {
    const std::vector<int> sizes = sample.populationSizes();
    std::vector<std::string> counts;
    for (std::size_t k = 0; k < sizes.size(); ++k)
      counts.push_back(htmlEscape(sample.populations[k]) + ": " + num(sizes[k]));
    out += "<p class=\"note populations\">Individuals analysed per population (" +
           htmlEscape(sample.populationLabel) + "): " + join(counts, ", ") + ".</p>";
  }
  if (!sample.unscored.empty()) {
    std::vector<std::string> left;
    for (const UnscoredIndividual& u : sample.unscored) {
      std::vector<std::string> ezones;
      for (int z : u.ezones) ezones.push_back(num(z));
      left.push_back(htmlEscape(u.name) + " (row " + num(u.row) + (ezones.size() == 1 ? ", Ezone " : ", Ezones ") +
                     join(ezones, ", ") + ")");
    }
    out += "<p class=\"warn unscored\">Left out of the analysis, not scored in every Ezone (" +
           plural(static_cast<long long>(left.size()), "individual", "individuals") + "): " + join(left, "; ") +
           ".</p>";
  }
  return out;
}

std::string laneTitle(const Sample& sample, std::size_t pattern, int count) {
  std::string t = "Pattern " + num(static_cast<long long>(pattern + 1)) + ": " +
                  plural(count, "individual", "individuals");
  const std::string names = namesOf(sample, pattern);
  if (!names.empty()) t += " (" + htmlEscape(names) + ")";
  return t;
}

int countOf(const InputSet& in, std::size_t p) { return p < in.counts.size() ? in.counts[p] : 0; }

std::string ezoneLabel(const Sample& sample, int z, int inputEzones, bool mark) {
  std::string label = "Ezone " + num(z) + (mark ? "x" : "");
  if (z <= inputEzones && static_cast<std::size_t>(z) <= sample.ezoneLabels.size()) {
    const std::string& name = sample.ezoneLabels[static_cast<std::size_t>(z - 1)];
    if (name.size() <= 14) {
      if (!name.empty()) label = name;
    } else {
      std::size_t cut = 13;  // not inside a UTF-8 sequence
      while (cut > 0 && (static_cast<unsigned char>(name[cut]) & 0xC0) == 0x80) --cut;
      label = name.substr(0, cut) + "\u2026";
    }
  }
  return htmlEscape(label);
}

void appendHeader(std::string& out, const Results& r, const HtmlContext& ctx) {
  const InputSet& in = r.input;
  out += "<header><h1>KORVELIN report: " + htmlEscape(in.file) + "</h1><dl>";
  auto row = [&out](const std::string& term, const std::string& value) {
    out += "<dt>" + term + "</dt><dd>" + value + "</dd>";
  };
  row("Data file", htmlEscape(in.file));
  row("Pattern type", in.dna ? "DNA electropherograms" : "zymograms");
  row("Ezones", num(in.ezones));
  row("Individuals", num(in.individuals));
  row("Distinct patterns", num(static_cast<long long>(in.patterns.size())));
  row("Hypotheses", num(static_cast<long long>(r.hypotheses.size())));
  row("Program", "KORVELIN " + htmlEscape(ctx.version));
  row("Run", htmlEscape(ctx.runTime));
  out += "</dl>";
  if (!ctx.ended.empty()) out += "<p class=\"warn\">The run ended early: " + htmlEscape(ctx.ended) + "</p>";
  out += "</header>\n";
}

void appendObserved(std::string& out, const Results& r, const Sample& sample) {
  const InputSet& in = r.input;
  GelPlan g;
  g.label = "The observed gel";
  g.ezones = in.ezones;
  g.rowOrder = rowOrder(in.ezones, std::nullopt);
  for (int z = 1; z <= in.ezones; ++z) {
    int with = 0;
    for (const std::string& p : in.patterns)
      if (static_cast<std::size_t>(z) <= p.size() && p[static_cast<std::size_t>(z - 1)] == '1') ++with;
    const bool fixed = with == static_cast<int>(in.patterns.size()) && with > 0;
    const bool empty = with == 0;
    g.rowLabel.push_back(ezoneLabel(sample, z, in.ezones, false));
    g.rowTitle.push_back("Ezone " + num(z) + ": a band in " + plural(with, "pattern", "patterns") +
                         (fixed ? " (fixed: every pattern)" : empty ? " (empty: no pattern)" : ""));
    g.rightLabel.push_back(fixed ? bandKindName(BandKind::Fixed) : empty ? bandKindName(BandKind::Empty) : "");
    g.rightTitle.push_back(fixed ? "fixed Ezone: a band in every pattern" : empty ? "empty Ezone: no band" : "");
    g.rowMarked.push_back(false);
    g.rowEmpty.push_back(empty);
  }
  for (std::size_t p = 0; p < in.patterns.size(); ++p)
    g.lanes.push_back({in.patterns[p], num(static_cast<long long>(p + 1)), countOf(in, p),
                       laneTitle(sample, p, countOf(in, p)), false, {}});
  g.bandAttributes = [](int z, bool) {
    return "class=\"band\" data-ezone=\"" + num(z) + "\" fill=\"#2f2f33\" stroke=\"#111111\" stroke-width=\"0.6\"";
  };
  g.bandTitle = [](int z) { return "Ezone " + num(z) + ": band"; };

  out += "<section id=\"observed\" class=\"observed\"><h2>The observed gel</h2>";
  out += "<p class=\"note\">One lane per distinct pattern, numbered as in the text report, with its number of "
         "individuals (n). Ezone 1, the anodal end, is at the top. Hover over a lane for its individuals.</p>";
  out += "<figure class=\"gel\"><div class=\"scroll\">" + drawGel(g) + "</div></figure>";
  if (!sample.individuals.empty()) {
    out += "<p class=\"note\">The individuals of each lane (a pattern file names them by the line they stand on):</p><ol class=\"individuals\">";
    for (std::size_t p = 0; p < in.patterns.size(); ++p) {
      // A name breaks only at the commas between names.
      std::vector<std::string> names;
      for (const std::string& name : laneNames(sample, p)) names.push_back("<span>" + htmlEscape(name) + "</span>");
      out += "<li>n=" + num(countOf(in, p)) + ": " + join(names, ", ") + "</li>";
    }
    out += "</ol>";
  }
  out += sampleNotes(sample);
  out += "</section>\n";
}

std::string splitWords(const Hypothesis& h) {
  if (!h.split) return "";
  return "Ezone " + num(h.split->ezone) + " split into Ezones " + num(h.split->ezone) + "x and " + num(h.ezones) +
         "x (combination " + num(h.split->combination) + " of " + num(h.split->of) + ", code " +
         htmlEscape(h.split->code) + ")";
}

// The p-values within each population and of the heterogeneity test, under
// the p of the whole sample; empty without populations.
std::string populationCells(const HypothesisFit& fit) {
  if (fit.populations.empty()) return "";
  std::string s = "<span class=\"populations\">";
  for (const PopulationFit& pf : fit.populations)
    s += htmlEscape(pf.name) + ": " +
         (pf.result.pValue ? "p " + fitStatistic(*pf.result.pValue) : std::string("not testable")) + "<br>";
  const fit::Heterogeneity& het = fit.heterogeneity;
  s += "populations differ: " +
       (het.pValue ? "p " + fitStatistic(*het.pValue) + " (G " + fitStatistic(het.g) + ", df " + num(het.df) + ")"
                   : std::string("not testable")) +
       "</span>";
  return s;
}

std::string fitCells(const std::optional<HypothesisFit>& fit) {
  if (!fit) return "<td colspan=\"4\">not fitted</td>";
  const fit::Result& r = fit->result;
  return "<td class=\"num\">" + num(fit->rank.rank) + "</td><td class=\"num\">" + fitStatistic(fit->rank.deltaAic) +
         "</td><td class=\"num\">" + fitStatistic(fit->rank.akaikeWeight) + "</td><td class=\"num\">" +
         (r.pValue ? fitStatistic(*r.pValue) + " (G " + fitStatistic(r.g) + ", df " + num(r.df) + ")"
                   : std::string("not testable (df ") + num(r.df) + ")") +
         (r.converged ? "" : " <span title=\"the allele frequencies did not settle\">not converged</span>") +
         populationCells(*fit) + "</td>";
}

void appendSummary(std::string& out, const Results& r, const std::vector<bool>& drawn) {
  out += "<section id=\"summary\"><h2>Hypotheses</h2>";
  if (r.hypotheses.empty()) {
    out += "<p>No hypothesis explains the patterns.</p></section>\n";
    return;
  }
  const auto fits = [&r](std::size_t i) -> const std::optional<HypothesisFit>& { return fitOf(r, i); };
  out += "<p class=\"fit-note\">Within each analysis pass (the first pass, or one split trial) the hypotheses are "
         "ranked by how well they predict the number of individuals of each pattern: AIC from the likelihood of "
         "the counts, with allele frequencies estimated from them; &Delta;AIC to the best and the Akaike weight "
         "(the share of support among the hypotheses of the pass); the p-value of the G test of the counts "
         "against the hypothesis. This assumes random mating (Hardy&ndash;Weinberg proportions), independent loci "
         "and a sample of unrelated individuals.";
  if (std::any_of(r.fits.begin(), r.fits.end(), [](const auto& f) { return f && !f->populations.empty(); }))
    out += " The individuals come from several populations: each hypothesis is fitted with allele frequencies "
           "of each population's own, and the G test is the sum over the populations; under it, the p-value "
           "within each population and that of the test whether the populations differ in allele frequencies "
           "(heterogeneity).";
  if (r.input.individuals < kFewIndividuals)
    out += " <strong>With only " + num(r.input.individuals) + " individuals the ranking is weak.</strong>";
  out += "</p>";
  if (std::count(drawn.begin(), drawn.end(), true) < static_cast<long>(drawn.size()))
    out += "<p class=\"note\">Gels are drawn for the best " + num(static_cast<long long>(kDrawnPerPass)) +
           " hypotheses of each pass, and for " + num(static_cast<long long>(kDrawnInAll)) +
           " at most in all; the others (without a link) are only listed here.</p>";
  out += "<table class=\"summary\"><thead><tr><th>No.</th><th>Split trial</th><th>Loci</th><th>Null alleles</th>"
         "<th>Heteromeric bands</th><th>Modified bands</th><th>Expected / found</th><th>Closed</th>"
         "<th>Rank</th><th>&Delta;AIC</th><th>Akaike weight</th><th>G test p</th></tr></thead>"
         "<tbody>";
  // Passes in the order they ran, each sorted by rank (unfitted last).
  const std::vector<std::size_t> order = rankedOrder(r);
  for (const std::size_t i : order) {
    const Hypothesis& h = r.hypotheses[i];
    int intra = 0;
    for (const HeteromericBand& b : h.heteromericBands) intra += b.intralocus ? 1 : 0;
    const int inter = static_cast<int>(h.heteromericBands.size()) - intra;
    std::vector<std::string> nulls;
    for (const Locus& l : h.loci)
      if (l.nullAllele) nulls.push_back(locusLetter(l.locus));
    out += "<tr><td class=\"num\">" +
           (drawn[i] ? "<a href=\"#h" + num(h.number) + "\">" + num(h.number) + "</a>" : num(h.number)) + "</td><td>" +
           (h.split ? "Ezone " + num(h.split->ezone) + ", " + num(h.split->combination) + " of " + num(h.split->of) +
                          " (" + htmlEscape(h.split->code) + ")"
                    : std::string("\u2014")) +
           "</td><td class=\"num\">" + num(static_cast<long long>(h.loci.size())) + "</td><td>" +
           (nulls.empty() ? std::string("none") : "locus " + join(nulls, ", ")) + "</td><td>" +
           (h.dna ? std::string("\u2014 (DNA)") : num(static_cast<long long>(h.heteromericBands.size()))) +
           (h.heteromericBands.empty() ? "" : " (" + num(intra) + " intra, " + num(inter) + " inter)") +
           "</td><td class=\"num\">" + num(static_cast<long long>(h.modifiedBands.size())) + "</td><td class=\"num\">" +
           num(h.expected) + " / " + num(h.found) + "</td><td>" + (h.closed ? "yes" : "no") + "</td>" +
           fitCells(fits(i)) + "</tr>";
  }
  out += "</tbody></table></section>\n";
}

// The chart of observed against expected individuals under the gel `g` of
// hypothesis `h`, with a line that says how to read it.
std::string fitChart(const Hypothesis& h, const GelPlan& g, const std::optional<HypothesisFit>& fit) {
  if (!fit) return "<p class=\"note\">The hypothesis was not fitted to the counts of individuals.</p>";
  // One row for the whole sample, then, with populations, one per population
  // under its own allele frequencies.
  const auto rowOf = [&g](std::string label, const std::vector<int>* counts,
                          const std::vector<PhenotypeExpectation>& patterns,
                          const std::vector<PhenotypeExpectation>& missingList) {
    ChartRow row{std::move(label), {}, {}, {}};
    std::size_t ghost = 0;
    for (std::size_t i = 0; i < g.lanes.size(); ++i) {
      const bool missing = g.lanes[i].ghost;
      const std::size_t k = missing ? ghost++ : i;
      const auto& list = missing ? missingList : patterns;
      const double observed = missing ? 0.0
                              : counts  ? (i < counts->size() ? static_cast<double>((*counts)[i]) : 0.0)
                                        : static_cast<double>(g.lanes[i].count);
      row.observed.push_back(observed);
      row.expected.push_back(k < list.size() ? list[k].count : 0);
      row.g.push_back(k < list.size() ? list[k].g : 0);
    }
    return row;
  };
  std::vector<ChartRow> rows{rowOf(fit->populations.empty() ? "" : "All populations", nullptr, fit->patterns,
                                   fit->missing)};
  for (const PopulationFit& pf : fit->populations)
    rows.push_back(rowOf(pf.name.empty() ? "(no population)" : pf.name, &pf.counts, pf.patterns, pf.missing));
  return "<figure class=\"fit\"><figcaption>Observed (solid) and expected (outlined) individuals per lane under "
         "the fitted allele frequencies, the expected number under each lane; "
         "<span class=\"g-key\">&#9650;&#9660;</span> mark the lanes that add most to G (&#9650; more observed than "
         "expected, &#9660; fewer). A missing phenotype that differs from an observed one only in modified forms "
         "expects none: the hypothesis does not say how often a modified form shows." +
         std::string(fit->populations.empty()
                         ? ""
                         : " The first row is the whole sample (the sum of the populations' expectations), then "
                           "one row per population under its own allele frequencies.") +
         "</figcaption><div class=\"scroll\">" +
         drawFitChart(g, rows, "Observed and expected individuals under hypothesis " + num(h.number)) +
         "</div></figure>";
}

void appendHypothesis(std::string& out, const Results& r, const Sample& sample, const Hypothesis& h,
                      const std::optional<HypothesisFit>& fit) {
  const std::string prefix = "h" + num(h.number);
  const BandPaint paint(h, prefix);
  out += "<section class=\"hypothesis\" id=\"" + prefix + "\" data-hypothesis=\"" + num(h.number) + "\">";
  out += "<h2>Hypothesis " + num(h.number) + ": " + plural(static_cast<long long>(h.loci.size()), "locus", "loci") +
         (h.closed ? "<span class=\"badge closed\">closed</span>" : "<span class=\"badge open\">not closed</span>") +
         "</h2>";
  if (h.split)
    out += "<p class=\"warn\">From the search for overlapping Ezones: " + splitWords(h) +
           ". The two halves are marked x and framed in the gel.</p>";

  // The facts, in words.
  out += "<dl class=\"facts\">";
  for (const Locus& l : h.loci) {
    std::vector<std::string> alleles;
    for (const Allele& a : l.alleles) {
      std::string t = "allele " + num(a.allele) + " in " + ezoneList(&h, a.ezones);
      if (a.modifiedForms > 0) t += " (" + plural(a.modifiedForms, "modified form", "modified forms") + ")";
      alleles.push_back(t);
    }
    if (l.nullAllele) alleles.push_back("a null allele (0)");
    out += "<dt>Locus " + locusLetter(l.locus) + "</dt><dd>" + join(alleles, "; ") + "</dd>";
  }
  if (!h.heteromericBands.empty()) {
    std::vector<std::string> items;
    for (const HeteromericBand& b : h.heteromericBands)
      items.push_back(ezoneList(&h, b.ezones) + " " +
                      originCode({BandKind::Heteromeric, b.locus1, b.allele1, b.locus2, b.allele2, 0}));
    out += "<dt>Heteromeric bands</dt><dd>" + join(items, "; ") + "</dd>";
  }
  if (!h.modifiedBands.empty()) {
    std::vector<std::string> items;
    for (const ModifiedBand& m : h.modifiedBands)
      items.push_back(ezoneList(&h, m.ezones) + " " + originCode({BandKind::Modified, m.locus, m.allele, 0, 0, m.form}));
    out += "<dt>Modified bands</dt><dd>" + join(items, "; ") + "</dd>";
  }
  const long long missing = static_cast<long long>(h.missingPhenotypes.size());
  out += "<dt>Patterns</dt><dd>" + num(h.expected) + " expected, " + num(h.found) + " found" +
         (h.closed ? ": the sample is genetically closed"
                   : missing > 0 ? "; " + plural(missing, "missing phenotype is", "missing phenotypes are") +
                                       " drawn as dashed lanes"
                                 : "") +
         "</dd></dl>";

  // The gel.
  GelPlan g;
  g.label = "The gel under hypothesis " + num(h.number);
  g.ezones = h.ezones;
  g.rowOrder = rowOrder(h.ezones, h.split);
  for (int z = 1; z <= h.ezones; ++z) {
    const bool mark = static_cast<std::size_t>(z) <= h.ezoneBands.size() && h.ezoneBands[z - 1].splitMark;
    const std::vector<BandOrigin> origins = originsAt(h, z);
    const bool empty = origins.front().kind == BandKind::Empty;
    g.rowLabel.push_back(ezoneLabel(sample, z, r.input.ezones, mark));
    g.rowTitle.push_back("Ezone " + ezoneName(&h, z) + ": " + wordsAt(h, z));
    std::vector<std::string> codes;
    for (const BandOrigin& o : origins) codes.push_back(originCode(o));
    g.rightLabel.push_back(join(codes, " / "));
    g.rightTitle.push_back(wordsAt(h, z));
    g.rowMarked.push_back(mark);
    g.rowEmpty.push_back(empty);
  }
  for (const Locus& l : h.loci) g.lociLabels.push_back(locusLetter(l.locus));
  for (std::size_t p = 0; p < h.patterns.size(); ++p) {
    LanePlan lane{h.patterns[p], num(static_cast<long long>(p + 1)), countOf(r.input, p),
                  laneTitle(sample, p, countOf(r.input, p)), false, {}};
    if (p < h.genotypes.size())
      for (const LocusGenotype& lg : h.genotypes[p].loci) lane.genotypes.push_back(lg.text);
    g.lanes.push_back(std::move(lane));
  }
  std::map<std::string, const ExpectedPhenotype*> expected;
  for (const ExpectedPhenotype& e : h.expectedPhenotypes) expected.emplace(e.pattern, &e);
  const std::size_t ghosts = std::min(h.missingPhenotypes.size(), kMaxGhostLanes);
  for (std::size_t k = 0; k < ghosts; ++k) {
    const std::string& pat = h.missingPhenotypes[k];
    LanePlan lane{pat, "m" + num(static_cast<long long>(k + 1)), 0, "", true, {}};
    std::vector<std::string> texts;
    if (auto it = expected.find(pat); it != expected.end())
      for (const LocusGenotype& lg : it->second->loci) lane.genotypes.push_back(lg.text);
    for (std::size_t i = 0; i < lane.genotypes.size(); ++i)
      texts.push_back("locus " + locusLetter(h.loci[i].locus) + " " + lane.genotypes[i]);
    lane.title = "Missing phenotype m" + num(static_cast<long long>(k + 1)) + " (" + pat + ")" +
                 (texts.empty() ? std::string() : ": " + htmlEscape(join(texts, ", ")));
    g.lanes.push_back(std::move(lane));
  }
  g.defs = paint.defs();
  g.bandAttributes = [&h, &paint](int z, bool) {
    return "class=\"band\" data-ezone=\"" + num(z) + "\" data-origin=\"" + codesAt(h, z) + "\" " +
           paint.attributes(originsAt(h, z).front());
  };
  g.bandTitle = [&h](int z) { return "Ezone " + ezoneName(&h, z) + ": " + wordsAt(h, z); };

  out += "<div class=\"gel-row\"><figure class=\"gel\"><div class=\"scroll\">" + drawGel(g) + "</div></figure>" +
         paint.legend(ghosts > 0) + "</div>";
  out += "<p class=\"note\">Under each lane: its genotype at every locus (alleles as numbered above, 0 the null "
         "allele; \u201ca/a|a/0\u201d where a null allele makes the two indistinguishable).</p>";
  if (h.missingPhenotypes.size() > ghosts)
    out += "<p class=\"note\">Only the first " + num(static_cast<long long>(ghosts)) + " of the " +
           num(static_cast<long long>(h.missingPhenotypes.size())) + " missing phenotypes are drawn.</p>";
  if (!h.phenotypesComplete)
    out += "<p class=\"note\">The hypothesis allows too many phenotypes to list them all; the missing ones drawn "
           "are among the first listed.</p>";
  out += fitChart(h, g, fit);
  out += "</section>\n";
}

}  // namespace

std::string runTimeText(std::time_t when) {
  std::tm local{};
  localtime_r(&when, &local);
  char buf[64];
  if (std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M %Z", &local) == 0) return "";
  return buf;
}

std::string htmlReport(const Results& results, const Sample& sample, const HtmlContext& context) {
  std::string out = "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n"
                    "<meta name=\"viewport\" content=\"width=device-width, initial-scale=1\">\n"
                    "<meta name=\"generator\" content=\"KORVELIN " + htmlEscape(context.version) + "\">\n"
                    "<title>KORVELIN: " + htmlEscape(results.input.file) + "</title>\n";
  out += pageStyle();
  out += "</head>\n<body>\n";
  appendHeader(out, results, context);
  // A run that failed shows what it read, and no analysis it did not make.
  if (!results.input.patterns.empty())
    appendObserved(out, results, sample);
  else
    out += "<section id=\"observed\" class=\"observed\"><h2>The observed gel</h2><p>No patterns were read.</p>"
           "</section>\n";
  const std::vector<bool> drawn = drawnHypotheses(results);
  if (!results.hypotheses.empty() || context.ended.empty()) appendSummary(out, results, drawn);
  for (std::size_t i = 0; i < results.hypotheses.size(); ++i)
    if (drawn[i]) appendHypothesis(out, results, sample, results.hypotheses[i], fitOf(results, i));
  out += "<footer>Written by KORVELIN " + htmlEscape(context.version) + " on " + htmlEscape(context.runTime) +
         ". Colours: Okabe\u2013Ito palette, one hue per locus, alleles in shades of it; every band names its origin "
         "on hover and in the legend.</footer>\n</body>\n</html>\n";
  return out;
}

}  // namespace korvelin
