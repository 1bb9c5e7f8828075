#pragma once
// The analysis state: every limit, table and counter that the stages of an
// analysis share. One object lives for the whole run; every operation reads
// and writes it directly. Tables are indexed as the analysis reads them
// (1-based, class rows from -2).

#include <cstdint>
#include <string>

#include "state/origin_store.h"
#include "state/tables.h"

namespace korvelin {

// Table extents. Ezone tables hold one entry more than the input may use,
// so the Ezone that a split adds always fits.
inline constexpr int kZones = 23;
inline constexpr int kPatterns = 50;
inline constexpr int kLoci = 24;
inline constexpr int kLocusPatterns = 21;
inline constexpr int kHypotheses = 20;
// The register of the incomplete-sample search, which lets far more
// hypotheses pass; its table is made that large only for that search.
inline constexpr int kHypothesesIncomplete = 1000;
// A register record: 7 descriptors per Ezone, 3 per homomeric class, + 1.
inline constexpr int kRecordColumns = 7 * kZones + 3 * kZones + 1;
inline constexpr int kGroupingRows = 10000;
// The most patterns with a band in an Ezone that is split (`mxones`).
inline constexpr int kSplitBands = 8;

struct State {
  State();
  // Sets `maxhyp` and makes the register that many empty records.
  void sizeRegister(int hypotheses);

  // Limits.
  int maxzon = 0;
  int maxpat = 0;
  int maxloc = 0;
  int maxhyp = 0;
  int mxones = 0;
  int mxone1 = 0;
  int mxzexp = 0;
  float mxperm = 0.0f;

  // Dialogue, files and run mode.
  std::string infil;
  std::string outfil;
  int ilen = 0;
  std::string fread;
  std::string sfread;
  char ans = ' ';
  char unit = ' ';
  bool exist = false;
  int u = 0;
  int dna = 0;
  // 1 for the incomplete-sample search: a candidate passes the expected-
  // pattern test when it expects every observed code (it may expect codes
  // the sample lacks), and the null-allele configurations of an assignment
  // are tried after one passes. 0 for the strict test.
  int incomp = 0;
  int begin = 0;
  int idraw = 0;

  // Patterns.
  int nzones = 0;
  int nznori = 0;
  int nzymos = 0;
  int nzyori = 0;
  long long nsampsz = 0;
  Table2<int, 1, kPatterns, 1, kZones> m;
  Table2<int, 1, kPatterns, 1, kZones> mori;
  Table<int, 1, kPatterns> nzymo;
  Table<int, 1, kZones> mline;
  Table2<char, 1, kZones, 1, kPatterns> draw;
  Table<char, 1, kZones> shwspl;

  // Ezone relations and classes.
  Table<int, 1, kZones> zsum;
  Table<int, 1, kZones> zprod;
  Table2<bool, 1, kZones, 1, kZones> imply;
  Table2<bool, 1, kZones, 1, kZones> triup;
  bool q = false;
  Table2<int, -2, kZones, 1, kZones> c;
  Table<int, -2, kZones> ic;
  int nclass = 0;
  Table2<int, -2, kZones, 1, kZones> cori;
  Table<int, -2, kZones> icori;
  int nclori = 0;
  // The relations of the input patterns (the first pass), from which a split
  // trial's relations are derived.
  Table<int, 1, kZones> zsumori;
  Table<int, 1, kZones> zprodori;
  Table2<bool, 1, kZones, 1, kZones> impori;
  Table2<bool, 1, kZones, 1, kZones> triori;
  // The seven descriptors of each Ezone ("class" is a reserved word here).
  Table2<int, 1, kZones, 1, 7> class_;
  Table<int, 1, kZones> zassgn;
  int newzon = 0;
  bool homdim = false;
  int nhom = 0;
  Table<int, 1, kZones> chom;
  int nnot = 0;
  Table<int, 1, kZones> cnohom;
  Table<int, -2, kZones> cassgn;

  // Loci, alleles and band origins.
  int nloc = 0;
  Table<int, 1, kLoci> nall;
  Table<int, 1, kLoci> nal2;
  Table2<int, 1, kLoci, 1, kZones> locall;
  Table2<int, 1, kLoci, 1, kZones> local2;
  Table<int, 1, kLoci> nulall;
  Table<int, 1, kLoci> nulal2;
  int nulnum = 0;
  Table2<int, 1, kLoci, 1, kZones> nptm;
  int iptm = 0;
  int shetin = 0;
  int shetbt = 0;
  Table<int, 1, kZones> nsum;
  Table<int, 1, kZones> nhybr;
  int newc = 0;
  int zone1 = 0;
  int zone2 = 0;
  int allel1 = 0;
  int allel2 = 0;
  int oldc = 0;
  Table2<int, 1, kPatterns, 1, kZones> homloc;
  Table2<std::int8_t, 1, kGroupingRows, 1, kZones> lochom;
  int ibad = 0;

  // Search control and pattern codes.
  int nprmod = 0;
  Table<int, 1, kZones> perm;
  Table<int, 1, kZones> np;
  Table<int, 1, kZones> nd;
  int inperm = 0;
  int lauf = 0;
  int nphypo = 0;
  Table<int, 1, kZones> asort;
  Table<int, 1, kLoci> lsort1;
  Table<int, 1, kLoci> lsort2;
  Table<int, 1, kPatterns> homcod;
  int ncodes = 0;
  Table<int, 1, kPatterns> hypcod;
  Table2<int, 1, kLocusPatterns, 1, kPatterns> locpat;
  Table<int, 1, kPatterns> npat;
  Table<int, 1, kPatterns> ipat;

  // Hypotheses.
  RowTable<int, kRecordColumns> hypo{kHypotheses};
  int nhypo = 0;
  int nxhypo = 0;
  int nxexac = 0;
  int nshypo = 0;
  long long nzexp = 0;

  // Ezone splitting.
  int dosplt = 0;
  int nsplit = 0;
  int isplit = 0;
  int csplit = 0;
  int nones = 0;
  Table<int, 1, kPatterns> iones;
  int ncomb = 0;
  int ttlcmb = 0;
  int ttlhlf = 0;
  int nrealc = 0;
  Table<int, 1, kZones> icomb;
  // The largest N of the current request: the maximal N the user gave for an
  // all-Ezones request, `mxones` otherwise.
  int nlimit = 0;

  // The band-origin store (scratch file with an in-memory mirror).
  OriginStore store;
};

}  // namespace korvelin
