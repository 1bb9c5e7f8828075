#pragma once
// The results of a run as plain values: the input patterns and every
// hypothesis that the report announces, with the origin of every band, the
// genotype of every distinct pattern and the expected phenotypes the sample
// still lacks. Filled while the analysis runs (nothing here refers back into
// the analysis state); read by the outputs that turn results into data
// (JSON, genotype tables, HTML gels, fit statistics). The text report does
// not read it. The fit of every hypothesis is computed once, when the run is
// over (fitResults, results/hypothesis_fit.h), and every output reads it here.
//
// Containers are 0-based. Numbers the report prints keep their printed
// value: Ezones 1..ezones, loci 1..n, alleles 1..n with 0 for the null
// allele, hypotheses numbered as in their announcement box.
//
// Patterns are 0/1 strings, one character per Ezone of the pattern set they
// belong to ('1' = band). The distinct patterns of a hypothesis's analysed
// set stand in the order of the input echo: pattern i of any hypothesis is
// the (split) form of input pattern i, shown by the individuals of
// Sample::individuals[i].

#include <optional>
#include <string>
#include <vector>

#include "results/fit.h"

namespace korvelin {

// The patterns as read.
struct InputSet {
  std::string file;                   // the data file's name as given
  bool dna = false;                   // DNA electropherograms, else zymograms
  int ezones = 0;                     // Ezones of the input file
  int individuals = 0;                // pattern lines read, repeats included
  std::vector<std::string> patterns;  // distinct patterns, in echo order
  std::vector<int> counts;            // individuals per distinct pattern
};

// The split trial that a hypothesis came from: the Ezone split (its two
// halves are this Ezone and the last Ezone of the analysed set), the
// combination as the report numbers it ("Combination n of m") and its code
// (one ternary digit per input pattern with a band in the split Ezone:
// 0 both halves, 1 the first only, 2 the added one only).
struct SplitTrial {
  int ezone = 0;
  int combination = 0;
  int of = 0;
  std::string code;
};

enum class PassKind { First, SplitTrial };

struct Allele {
  int allele = 0;            // 1..n as in the report
  std::vector<int> ezones;   // Ezones of its homomeric band, ascending
  int modifiedForms = 0;     // facultative modified forms of this allele
};

struct Locus {
  int locus = 0;             // 1..n as in the report
  bool nullAllele = false;
  std::vector<Allele> alleles;
};

// A band formed by the products of two alleles (locus1 <= locus2). In an
// interlocus band one of the two alleles may be 0: the band of an allele
// with the null allele of the other locus.
struct HeteromericBand {
  std::vector<int> ezones;
  bool intralocus = false;   // locus1 == locus2
  int locus1 = 0;
  int allele1 = 0;
  int locus2 = 0;
  int allele2 = 0;
};

// The form-th facultative modification of an allele's homomeric band.
struct ModifiedBand {
  std::vector<int> ezones;
  int locus = 0;
  int allele = 0;
  int form = 0;
};

enum class BandKind {
  Homomeric,    // the band of an allele: locus, allele
  Heteromeric,  // locus, allele, locus2, allele2 (alleles may be 0 = null)
  Modified,     // locus, allele, form
  Fixed,        // a band in every pattern, not interpreted
  Empty,        // a band in no pattern
  Unexplained,  // an Ezone the hypothesis does not explain
};

struct BandOrigin {
  BandKind kind = BandKind::Unexplained;
  int locus = 0;
  int allele = 0;
  int locus2 = 0;
  int allele2 = 0;
  int form = 0;
};

// What the band of one Ezone is under a hypothesis.
struct EzoneBand {
  int ezone = 0;
  bool splitMark = false;     // one of the two halves of the split Ezone
  int equivalenceClass = 0;   // -1 fixed, -2 empty, else 1..n
  BandKind kind = BandKind::Unexplained;  // the kind of origins[0], or Fixed/Empty/Unexplained
  // Every explanation of the band (a band modified from several alleles, or
  // an allele band of a DNA run that also pairs with another, has more than
  // one); empty for fixed, empty and unexplained Ezones.
  std::vector<BandOrigin> origins;
};

// A genotype at one locus. allele1 <= allele2 except for the null
// homozygote (0, 0). `ambiguous`: only one visible allele a at a locus with
// a null allele, so "a/a" and "a/0" cannot be told apart (allele1 = allele2 = a).
struct LocusGenotype {
  int allele1 = 0;
  int allele2 = 0;
  bool ambiguous = false;
  std::string text;           // "a/b", "a/a", "a/a|a/0" or "0/0"
};

struct PatternGenotype {
  std::string pattern;                // over the analysed set's Ezones
  std::vector<LocusGenotype> loci;    // in locus order
};

// A phenotype the hypothesis allows, with the genotype behind it.
struct ExpectedPhenotype {
  std::string pattern;
  std::vector<LocusGenotype> loci;
  bool observed = false;
};

struct Hypothesis {
  int number = 0;                     // as in "Hypothesis n:"
  PassKind pass = PassKind::First;
  std::optional<SplitTrial> split;    // set for PassKind::SplitTrial
  bool dna = false;
  int ezones = 0;                     // Ezones of the analysed set
  std::vector<std::string> patterns;  // the analysed distinct patterns
  std::vector<Locus> loci;
  std::vector<HeteromericBand> heteromericBands;
  std::vector<ModifiedBand> modifiedBands;
  std::vector<EzoneBand> ezoneBands;  // index = Ezone - 1
  long long expected = 0;             // as the announcement counts them
  int found = 0;                      // distinct patterns of the analysed set
  bool closed = false;                // found == expected
  std::vector<PatternGenotype> genotypes;  // index = pattern index
  // Every phenotype the hypothesis allows, enumerated locus by locus; fewer
  // than `expected` only when the enumeration was cut short (complete false).
  std::vector<ExpectedPhenotype> expectedPhenotypes;
  bool phenotypesComplete = true;
  // The patterns of expectedPhenotypes that the sample lacks, in their order.
  std::vector<std::string> missingPhenotypes;
};

// What the fit of a hypothesis expects of one phenotype.
struct PhenotypeExpectation {
  double count = 0;  // individuals expected under the estimated frequencies
  // The phenotype's part of G: 2 (n ln(n/E) - (n - E)) of its class for n
  // observed and E expected individuals (2E for a class not observed),
  // never negative; the parts of all phenotypes add up to G when every
  // phenotype is listed.
  double g = 0;
};

// The fit of a hypothesis within one population: its own allele
// frequencies, estimated from its individuals alone.
struct PopulationFit {
  std::string name;         // as in Sample::populations
  std::vector<int> counts;  // its individuals per pattern (index = pattern index)
  fit::Result result;
  std::vector<PhenotypeExpectation> patterns;  // as in HypothesisFit
  std::vector<PhenotypeExpectation> missing;
};

// How well a hypothesis fits the counts of individuals per pattern.
//
// When the individuals carry populations, the hypothesis is fitted within
// each population (its own allele frequencies) and `result` is the sum of
// those fits (fit::combine), its frequencies the pooled estimates; AIC and
// the ranking use that sum. `pooled` is then the fit of all individuals
// together, and `heterogeneity` tests whether the populations differ in
// allele frequencies. Without populations `result` is the pooled fit and
// `populations` is empty.
struct HypothesisFit {
  fit::Result result;
  std::vector<PopulationFit> populations;  // populations with individuals, in the sample's order
  std::optional<fit::Result> pooled;       // set with populations
  fit::Heterogeneity heterogeneity;        // with populations
  fit::Rank rank;       // within the hypothesis's analysis pass
  bool weak = false;    // fewer than kFewIndividuals individuals
  // index = pattern index; patterns pooled into one class (see results/fit.h)
  // share its expectation in their observed proportions.
  std::vector<PhenotypeExpectation> patterns;
  // With populations, the sums of the populations' expectations.
  // index = index in Hypothesis::missingPhenotypes. A missing phenotype
  // that differs from an observed class only in modified forms expects
  // none (its class's individuals are all with the observed patterns); the
  // phenotypes of a class never observed share its expectation evenly.
  std::vector<PhenotypeExpectation> missing;
};

struct Results {
  InputSet input;
  // Found by the incomplete-sample search (a hypothesis may expect
  // phenotypes the sample lacks), else by the strict test.
  bool incomplete = false;
  std::vector<Hypothesis> hypotheses;  // in the order announced
  // index = index in hypotheses; none for a hypothesis the fit cannot use.
  // Filled once the run is over; empty before.
  std::vector<std::optional<HypothesisFit>> fits;
};

}  // namespace korvelin
