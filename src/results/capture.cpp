#include "results/capture.h"

#include "results/genotype.h"
#include "results/phenotypes.h"

namespace korvelin {
namespace {

std::string patternRow(const Table2<int, 1, kPatterns, 1, kZones>& m, int p, int zones) {
  std::string row;
  for (int z = 1; z <= zones; ++z) row += m(p, z) == 1 ? '1' : '0';
  return row;
}

// The Ezones of class k, ascending; none for class 0 (no band).
std::vector<int> ezonesOf(const State& st, int k) {
  std::vector<int> ezones;
  if (k < 1 || k > kZones) return ezones;
  for (int n = 1; n <= st.ic(k); ++n) ezones.push_back(st.c(k, n));
  return ezones;
}

void readLoci(const State& st, Hypothesis& h) {
  for (int nl = 1; nl <= st.nloc; ++nl) {
    Locus locus;
    locus.locus = nl;
    locus.nullAllele = st.nulall(nl) == 1;
    for (int na = 1; na <= st.nall(nl); ++na)
      locus.alleles.push_back({na, ezonesOf(st, st.store.read(nl, nl, na, na)), st.nptm(nl, na)});
    h.loci.push_back(std::move(locus));
  }
}

void addHeteromeric(const State& st, Hypothesis& h, int l1, int a1, int l2, int a2) {
  const int k = st.store.read(l1, l2, a1, a2);
  if (k >= 1) h.heteromericBands.push_back({ezonesOf(st, k), l1 == l2, l1, a1, l2, a2});
}

// The heteromeric bands, in the order the report lists them. A DNA run has
// none: there a dependent class is itself an allele's band.
void readHeteromerics(const State& st, Hypothesis& h) {
  if (st.dna != 0) return;
  for (int nl = 1; nl <= st.nloc; ++nl)
    for (int a1 = st.nulall(nl) == 1 ? 0 : 1; a1 <= st.nall(nl) - 1; ++a1)
      for (int a2 = a1 + 1; a2 <= st.nall(nl); ++a2) addHeteromeric(st, h, nl, a1, nl, a2);
  for (int l1 = 1; l1 <= st.nloc - 1; ++l1)
    for (int l2 = l1 + 1; l2 <= st.nloc; ++l2)
      for (int a1 = st.nulall(l1) == 1 ? 0 : 1; a1 <= st.nall(l1); ++a1)
        for (int a2 = (st.nulall(l2) == 1 && a1 != 0) ? 0 : 1; a2 <= st.nall(l2); ++a2)
          addHeteromeric(st, h, l1, a1, l2, a2);
}

void readModified(const State& st, Hypothesis& h) {
  for (int nl = 1; nl <= st.nloc; ++nl)
    for (int na = 1; na <= st.nall(nl); ++na)
      for (int p = 1; p <= st.nptm(nl, na); ++p) {
        const int k = st.store.read(nl, 0, na, p);
        if (k >= 1) h.modifiedBands.push_back({ezonesOf(st, k), nl, na, p});
      }
}

bool holds(const std::vector<int>& ezones, int z) {
  for (int e : ezones)
    if (e == z) return true;
  return false;
}

// Each Ezone's explanations, gathered from the alleles and bands above.
void readEzoneBands(const State& st, Hypothesis& h) {
  for (int iz = 1; iz <= st.nzones; ++iz) {
    EzoneBand e;
    e.ezone = iz;
    e.splitMark = st.shwspl(iz) == 'x';
    e.equivalenceClass = st.class_(iz, 1);
    for (const Locus& l : h.loci)
      for (const Allele& a : l.alleles)
        if (holds(a.ezones, iz)) e.origins.push_back({BandKind::Homomeric, l.locus, a.allele, 0, 0, 0});
    for (const HeteromericBand& b : h.heteromericBands)
      if (holds(b.ezones, iz))
        e.origins.push_back({BandKind::Heteromeric, b.locus1, b.allele1, b.locus2, b.allele2, 0});
    for (const ModifiedBand& m : h.modifiedBands)
      if (holds(m.ezones, iz)) e.origins.push_back({BandKind::Modified, m.locus, m.allele, 0, 0, m.form});
    if (e.equivalenceClass == -1)
      e.kind = BandKind::Fixed;
    else if (e.equivalenceClass == -2)
      e.kind = BandKind::Empty;
    else
      e.kind = e.origins.empty() ? BandKind::Unexplained : e.origins.front().kind;
    h.ezoneBands.push_back(std::move(e));
  }
}

}  // namespace

void captureInput(const State& st, Results& results) {
  InputSet& in = results.input;
  in = InputSet{};
  in.file = st.infil;
  in.dna = st.dna == 1;
  results.incomplete = st.incomp == 1;
  in.ezones = st.nznori;
  in.individuals = st.nsampsz;
  for (int p = 1; p <= st.nzyori; ++p) {
    in.patterns.push_back(patternRow(st.mori, p, st.nznori));
    in.counts.push_back(st.nzymo(p));
  }
}

Hypothesis hypothesisOf(const State& st) {
  Hypothesis h;
  h.number = st.nxhypo;
  if (st.dosplt == 1) {
    h.pass = PassKind::SplitTrial;
    std::string code;
    for (int l = 1; l <= st.nones; ++l) code += static_cast<char>('0' + st.icomb(l));
    h.split = SplitTrial{st.isplit, st.nrealc, st.ttlhlf - 1, code};
  }
  h.dna = st.dna == 1;
  h.ezones = st.nzones;
  for (int p = 1; p <= st.nzymos; ++p) h.patterns.push_back(patternRow(st.m, p, st.nzones));
  readLoci(st, h);
  readHeteromerics(st, h);
  readModified(st, h);
  readEzoneBands(st, h);
  h.expected = st.nzexp;
  h.found = st.nzymos;
  h.closed = st.nzymos == st.nzexp;
  for (const std::string& p : h.patterns) h.genotypes.push_back({p, genotypeOf(h.loci, p)});
  enumeratePhenotypes(h);
  return h;
}

void captureHypothesis(const State& st, Results& results) { results.hypotheses.push_back(hypothesisOf(st)); }

}  // namespace korvelin
