#include "report/hypothesis_report.h"

#include "base/format.h"

namespace korvelin {
namespace {

// Writes the lines of one pass of the report to one unit.
class ReportPass {
 public:
  ReportPass(Session& s, int iu) : s_(s), st_(s.state()), iu_(iu) {}

  // False when the pass ended early at an unassigned Ezone of a split trial.
  bool run();

 private:
  void put(const std::string& line) { s_.toUnit(iu_, line); }
  void putAll(const std::vector<std::string>& lines) {
    for (const auto& line : lines) put(line);
  }
  void list(std::string_view prefix, int k, int perLine) { putAll(zoneListLines(st_, prefix, k, perLine)); }
  int origin(int l1, int l2, int a1, int a2) const { return st_.store.read(l1, l2, a1, a2); }
  bool zymogram() const { return st_.dna == 0; }

  void alleles();
  void locusAlleles(int nl);
  void nullAllele(int nl);
  void heteromericHeading(std::string_view title);
  void heteromericPair(std::string_view kind, int l1, int a1, int l2, int a2, std::string_view secondNull);
  void intralocus();
  void interlocus();
  void parent(int l, int a, int h, std::string_view nullText);
  void classWarnings();
  void dependentZones();
  void fixedAndEmpty();
  bool singleZones();
  bool describeZone(int iz);
  void describeAssigned(int iz, int k);
  void invalidBox();

  Session& s_;
  State& st_;
  int iu_;
};

bool ReportPass::run() {
  put(" ");
  alleles();
  if (st_.nhom > 10 && st_.u == kConsoleUnit) s_.warten();
  if (zymogram()) {
    if (st_.shetin == 1) intralocus();
    if (st_.shetbt == 1) interlocus();
    classWarnings();
  } else {
    dependentZones();
  }
  fixedAndEmpty();
  return singleZones();
}

void ReportPass::alleles() {
  if (zymogram()) {
    put(" Homomerics:");
    put(" -----------");
  }
  for (int nl = 1; nl <= st_.nloc; ++nl) {
    put(FixedLine().text(" Alleles at Locus ").num(nl, 2).text(":"));
    locusAlleles(nl);
    if (st_.nulall(nl) == 1) nullAllele(nl);
  }
}

void ReportPass::locusAlleles(int nl) {
  for (int na = 1; na <= st_.nall(nl); ++na) {
    const int k = origin(nl, nl, na, na);
    const int shown = k != 0 ? st_.zsum(st_.c(k, 1)) : 0;
    list(FixedLine().text("   Allele ").num(na, 2).text(" [").num(shown, 3).text("] Ezone ").str(), k, 20);
    if (zymogram() && st_.ic(k) > 1 && st_.ic(-1) > 0)
      put("   - may contain heteromeric between this allele and a fixed Ezone");
    if (zymogram() && st_.nptm(nl, na) > 0) {
      put("   with facultative post-translational modifications:");
      for (int p = 1; p <= st_.nptm(nl, na); ++p) list(std::string(19, ' ') + "Ezone ", origin(nl, 0, na, p), 20);
    }
  }
}

void ReportPass::nullAllele(int nl) {
  put("   Allele  0 [   ] Null allele");
  if (st_.ic(-1) == 0) return;
  put(" OR");
  if (st_.ic(-1) == 1) {
    put(FixedLine().text("   Fixed zone ").num(st_.c(-1, 1), 2));
  } else {
    std::vector<std::string> numbers;
    for (int n = 1; n <= st_.ic(-1); ++n) numbers.push_back(intField(st_.c(-1, n), 2));
    putAll(itemLines("   One or more of the fixed zones ", numbers, 20, "~"));
  }
  if (zymogram()) {
    put("   - Facultative post-translational modifications:");
    for (int na = 1; na <= st_.nall(nl); ++na) list("     Ezone ", origin(nl, nl, na, na), 20);
  }
}

// One parent line of a heteromeric: the allele's Ezones, or the null allele.
void ReportPass::parent(int l, int a, int h, std::string_view nullText) {
  if (a != 0)
    list(FixedLine().text("   Locus ").num(l, 2).text(", Allele ").num(a, 2).text(": Ezone ").str(), h, 10);
  else
    put(FixedLine().text("   Locus ").num(l, 2).text(nullText).str());
}

void ReportPass::heteromericHeading(std::string_view title) {
  if (iu_ == kConsoleUnit) s_.warten();
  put("");
  put(std::string(title));
  put(" ----------------------- ");
}

// The band of one pair of alleles (or " No Ezone") and its two parents.
void ReportPass::heteromericPair(std::string_view kind, int l1, int a1, int l2, int a2,
                                 std::string_view secondNull) {
  const int x = origin(l1, l2, a1, a2);
  if (x != 0)
    list(" Ezone ", x, 10);
  else
    put(" No Ezone");
  put(std::string(kind));
  parent(l1, a1, origin(l1, l1, a1, a1), ", Allele 0");
  put("   and");
  parent(l2, a2, origin(l2, l2, a2, a2), secondNull);
}

void ReportPass::intralocus() {
  heteromericHeading(" Intralocus-Heteromerics:");
  for (int nl = 1; nl <= st_.nloc; ++nl)
    for (int a1 = st_.nulall(nl) == 1 ? 0 : 1; a1 <= st_.nall(nl) - 1; ++a1)
      for (int a2 = a1 + 1; a2 <= st_.nall(nl); ++a2)
        heteromericPair("   contains intralocus heteromeric of", nl, a1, nl, a2, ", Allele 0");
}

void ReportPass::interlocus() {
  heteromericHeading(" Interlocus-Heteromerics:");
  for (int l1 = 1; l1 <= st_.nloc - 1; ++l1) {
    for (int l2 = l1 + 1; l2 <= st_.nloc; ++l2) {
      for (int a1 = st_.nulall(l1) == 1 ? 0 : 1; a1 <= st_.nall(l1); ++a1) {
        // Two null alleles never make a band together.
        const int firstA2 = (st_.nulall(l2) == 1 && a1 != 0) ? 0 : 1;
        for (int a2 = firstA2; a2 <= st_.nall(l2); ++a2)
          heteromericPair("   contains heteromeric of", l1, a1, l2, a2, ", Allele  0");
      }
    }
  }
}

void ReportPass::classWarnings() {
  auto warn = [&](int k, std::string_view what) {
    put("  ");
    put(FixedLine().text(" ** Warning ** Class ").num(k, 11).text(" ").text(what));
  };
  for (int j = 1; j <= st_.nnot; ++j)
    if (st_.nhybr(st_.cnohom(j)) > 1) warn(st_.cnohom(j), " contains heteromeric to more than one pair of alleles!");
  for (int j = 1; j <= st_.nnot; ++j)
    if (st_.cassgn(st_.cnohom(j)) == 0) warn(st_.cnohom(j), " contains neither homomeric nor heteromeric!");
  for (int iz = 1; iz <= st_.nzones; ++iz) {
    const int k = st_.class_(iz, 1);
    if (k == 0 || (k >= 1 && st_.cassgn(k) == 0))
      put(FixedLine().text(" Ezone ").num(iz, 2).text(" could not be interpreted"));
  }
}

void ReportPass::dependentZones() {
  if (st_.nnot == 0) return;
  put("");
  put(" Dependent Ezones:");
  put(" -----------------");
  for (int j = 1; j <= st_.nnot; ++j) {
    const int k = st_.cnohom(j);
    list(FixedLine().text(" Class ").num(k, 2).text(": ").text(" Ezone ").str(), k, 10);
  }
}

void ReportPass::fixedAndEmpty() {
  if (st_.ic(-1) > 0) {
    put("  ");
    list(" Fixed Ezones uninterpretable : ", -1, 10);
  }
  if (st_.ic(-2) > 0) {
    put("  ");
    putAll(zoneListLines(st_, " Ezones empty in all patterns : ", -2, 10, ","));
  }
}

bool ReportPass::singleZones() {
  if (iu_ == kConsoleUnit) s_.warten();
  put("  ");
  put(" Description of single Ezones in consecutive order:");
  put(" " + std::string(50, '-'));
  for (int iz = 1; iz <= st_.nzones; ++iz)
    if (!describeZone(iz)) return false;
  if (st_.ibad > 0) invalidBox();
  return true;
}

bool ReportPass::describeZone(int iz) {
  const int k = st_.class_(iz, 1);
  put(FixedLine().text(" Ezone ").num(iz, 2).text(std::string(1, st_.shwspl(iz))));
  if (k > 0 && st_.ic(k) > 1) list(" - equivalent to Ezone ", k, 20);
  if (st_.zassgn(iz) == 0) {
    st_.ibad += 1;
    put(" - could not be assigned");
    if (st_.dosplt == 1) return false;
  }
  if (st_.zassgn(iz) == 1) describeAssigned(iz, k);
  if (st_.zassgn(iz) == -1) {
    if (k == -1) put(" - appears in all patterns - fixed bands uninterpretable");
    if (k == -2) put(" - appears in no patterns");
  }
  return true;
}

void ReportPass::describeAssigned(int iz, int k) {
  const int l1 = st_.class_(iz, 4);
  const int l2 = st_.class_(iz, 5);
  const int a1 = st_.class_(iz, 6);
  const int a2 = st_.class_(iz, 7);
  if (st_.class_(iz, 2) == 1 && k >= 1 && st_.nsum(k) == 1) {
    if (!zymogram()) {
      put(FixedLine().text(" - Allele ").num(a1, 2).text(", Locus ").num(l1, 2));
    } else {
      put(FixedLine().text(" - contains homomeric: Locus ").num(l1, 2).text(", Allele ").num(a1, 2));
      if (st_.ic(-1) > 0) {
        if (st_.ic(k) > 1) put(" - or heteromeric of this allele with a fixed band");
        if (l1 >= 1 && l1 <= kLoci && st_.nulall(l1) == 1)
          put(FixedLine().text(" - or heteromeric of Locus ").num(l1, 2).text(", Allele 0, and fixed band"));
        put(" - or facultative post-translational modification of fixed bands");
      }
    }
  }
  if (zymogram() && st_.class_(iz, 3) == 1 && k >= 1) {
    if (st_.nhybr(k) == 1 && l1 != l2)
      put(FixedLine()
              .text(" - contains interlocus heteromeric: Locus ")
              .num(l1, 2)
              .text(", Allele ")
              .num(a1, 2)
              .text(" x Locus ")
              .num(l2, 2)
              .text(", Allele ")
              .num(a2, 2));
    if (st_.nhybr(k) == 1 && l1 == l2)
      put(FixedLine().text(" - contains intralocus heteromeric: Locus ").num(l1, 2).text(", Alleles ").num(a1, 2).text(" x ").num(a2, 2));
    if (st_.nhybr(k) > 1) put(" - contains heteromeric to more than one pair of alleles!");
    if (st_.nhybr(k) == 0) put(" - band not heteromeric to any pair of alleles!");
  }
  if (st_.class_(iz, 2) == 0 && st_.class_(iz, 3) == 0) {
    if (!zymogram())
      put(" - band present only in presence of band in another equivalence class");
    else
      put(FixedLine().text(" - could be facultative PTM of Locus ").num(l1, 2).text(", Allele ").num(a1, 2));
  }
}

void ReportPass::invalidBox() {
  const std::string stars = " " + std::string(39, '*');
  put(stars);
  put(" * Above hypothesis is invalid.        *");
  put(" * Reasons could be overlapping Ezones *");
  put(" * (epistasis) or missing phenotypes.  *");
  put(stars);
  put(" \f");
}

}  // namespace

std::vector<std::string> zoneListLines(const State& st, std::string_view prefix, int k, int perLine,
                                       std::string_view separator) {
  std::vector<std::string> items;
  if (k >= -2 && k <= kZones)
    for (int n = 1; n <= st.ic(k); ++n) items.push_back(zoneItem(st.c(k, n), st.shwspl(st.c(k, n))));
  return itemLines(prefix, items, perLine, separator);
}

void output(Session& s) {
  State& st = s.state();
  if (st.begin == 0 && st.u != kConsoleUnit)
    s.toConsole(" For results see output file <" + printable(st.outfil.substr(0, static_cast<std::size_t>(st.ilen))) + ">");
  if (!ReportPass(s, st.u).run()) return;
  if (st.begin == 1 && st.u != kConsoleUnit && !ReportPass(s, kConsoleUnit).run()) return;
  s.warten();
  st.begin = 0;
}

}  // namespace korvelin
