#include "export/band_origins.h"

namespace korvelin {
namespace {

std::string alleleName(int allele) {
  return allele == 0 ? std::string("null allele") : "allele " + std::to_string(allele);
}

std::string alleleWords(int locus, int allele) { return "locus " + locusLetter(locus) + ", " + alleleName(allele); }

BandOrigin kindOnly(BandKind kind) {
  BandOrigin o;
  o.kind = kind;
  return o;
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

std::string locusLetter(int locus) {
  if (locus >= 1 && locus <= 26) return std::string(1, static_cast<char>('A' + locus - 1));
  return "L" + std::to_string(locus);
}

std::string originCode(const BandOrigin& o) {
  const auto allele = [](int locus, int a) { return locusLetter(locus) + std::to_string(a); };
  switch (o.kind) {
    case BandKind::Homomeric: return allele(o.locus, o.allele);
    case BandKind::Heteromeric: return allele(o.locus, o.allele) + "x" + allele(o.locus2, o.allele2);
    case BandKind::Modified: return allele(o.locus, o.allele) + "*m" + std::to_string(o.form);
    case BandKind::Fixed:
    case BandKind::Empty:
    case BandKind::Unexplained: break;
  }
  return bandKindName(o.kind);
}

std::string originWords(const BandOrigin& o) {
  switch (o.kind) {
    case BandKind::Homomeric: return "homomeric band of " + alleleWords(o.locus, o.allele);
    case BandKind::Heteromeric:
      if (o.locus == o.locus2)
        return "intralocus heteromeric band of locus " + locusLetter(o.locus) + ", " + alleleName(o.allele) +
               " \u00d7 " + alleleName(o.allele2);
      return "interlocus heteromeric band of " + alleleWords(o.locus, o.allele) + " \u00d7 " +
             alleleWords(o.locus2, o.allele2);
    case BandKind::Modified:
      return "modified form " + std::to_string(o.form) + " of " + alleleWords(o.locus, o.allele) + " (facultative)";
    case BandKind::Fixed: return "fixed band (in every pattern)";
    case BandKind::Empty: return "empty Ezone (in no pattern)";
    case BandKind::Unexplained: break;
  }
  return "band this hypothesis does not explain";
}

std::vector<BandOrigin> originsAt(const Hypothesis& h, int z) {
  if (z < 1 || static_cast<std::size_t>(z) > h.ezoneBands.size()) return {kindOnly(BandKind::Unexplained)};
  const EzoneBand& e = h.ezoneBands[z - 1];
  if (e.kind == BandKind::Fixed || e.kind == BandKind::Empty || e.origins.empty()) return {kindOnly(e.kind)};
  return e.origins;
}

}  // namespace korvelin
