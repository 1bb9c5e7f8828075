// The fast search skips the transmission modes that cannot pass; whatever it
// skips, a session must come out byte for byte as with the plain enumeration
// of every mode.

#include <gtest/gtest.h>

#include <algorithm>
#include <iostream>

#include "harness.h"
#include "pattern_generator.h"

namespace korvelin::testing {
namespace {

struct Case {
  std::string what;  // for the failure message
  GeneratedCase input;
  std::map<std::string, std::string> files;
  std::vector<std::string> answers;
};

// Splitting is asked for only where the trials stay cheap on the plain path:
// one Ezone with 2 to 4 bands, or all Ezones of a small file.
void requestSplit(PatternGenerator& gen, Case& c) {
  const auto& rows = c.input.patterns;
  const int zones = static_cast<int>(rows.front().size());
  std::vector<int> cheap;
  int most = 0;
  for (int z = 0; z < zones; ++z) {
    const auto n = std::count_if(rows.begin(), rows.end(),
                                 [z](const std::string& r) { return r[static_cast<std::size_t>(z)] == '1'; });
    if (n >= 2 && n <= 4) cheap.push_back(z + 1);
    most = std::max(most, static_cast<int>(n));
  }
  const bool all = most <= 4 && zones <= 8 && gen.chance(40);
  if (!all && cheap.empty()) return;
  auto answers = answersBeforeOffer(c.files, c.answers);
  if (answers.empty()) return;
  answers.push_back("y");
  const int ezone = all ? 0 : cheap[static_cast<std::size_t>(gen.pick(0, static_cast<int>(cheap.size()) - 1))];
  answers.push_back(std::to_string(ezone));
  if (all) answers.push_back(std::to_string(gen.pick(0, 9)));  // N
  answers.insert(answers.end(), 3000, "");
  answers.insert(answers.end(), {std::to_string(zones + 1), "-1"});  // the added Ezone is empty
  c.answers = answers;
  c.what += ", split Ezone " + std::to_string(ezone);
}

Case makeCase(PatternGenerator& gen, int n) {
  Case c;
  const bool dna = gen.chance(25);
  c.input = gen.next(dna, 8);
  const std::string name = "case" + std::to_string(n) + ".dat";
  c.files[name] = patternFile(c.input.patterns);
  const char type = dna ? 'd' : 'z';
  c.answers = gen.chance(40) ? fileAnswers(name, 400, type) : consoleAnswers(name, 400, type);
  c.what = "case " + std::to_string(n) + (dna ? ", DNA" : ", zymogram");
  if (c.input.nhom <= 5 && gen.chance(25)) requestSplit(gen, c);
  return c;
}

bool says(const Transcript& t, const std::string& text) {
  return t.out.find(text) != std::string::npos ||
         std::any_of(t.files.begin(), t.files.end(),
                     [&](const auto& f) { return f.second.find(text) != std::string::npos; });
}

// Whether the two paths printed the same; a failure names the first
// difference and the input.
bool agree(const Transcript& plain, const Transcript& fast, const std::string& what, const std::string& input) {
  const auto d = firstDifference(everything(plain), everything(fast));
  if (!d.empty()) ADD_FAILURE() << what << ", plain (want) and fast (got) part at " << d << "\ninput:\n" << input;
  return d.empty();
}

TEST(SearchEquivalence, FastSearchPrintsWhatThePlainEnumerationPrints) {
  PatternGenerator gen(20240611u);
  int large = 0, fiveLoci = 0, found = 0, overflow = 0, banner = 0, splits = 0, failures = 0;
  for (int n = 1; n <= 520 && failures < 3; ++n) {
    const Case c = makeCase(gen, n);
    const Transcript plain = runSession(c.files, c.answers, SearchPath::Plain);
    const Transcript fast = runSession(c.files, c.answers, SearchPath::Fast);
    failures += !agree(plain, fast, c.what, c.files.begin()->second);
    large += c.input.nhom >= 7;
    found += says(fast, "-locus hypothesis can be formulated");
    fiveLoci += says(fast, "* 5-locus hypothesis");
    overflow += says(fast, " ** Maximal number");
    banner += says(fast, "more than one interpretation");
    splits += says(fast, " Splitting Ezone ");
  }
  // The comparison means little unless the inputs reach every kind of output.
  EXPECT_GE(large, 50);
  EXPECT_GT(found, 100);
  EXPECT_GE(fiveLoci, 1);  // the most loci a hypothesis can have within 50 patterns
  EXPECT_GE(overflow, 1);
  EXPECT_GE(banner, 1);
  EXPECT_GE(splits, 24);
  std::cout << "[ info ] " << large << " with 7 or 8 homomeric classes, " << found << " with hypotheses, " << fiveLoci
            << " with five loci, " << overflow << " register overflows, " << banner << " with the banner, " << splits
            << " with split trials\n";
}

// The incomplete-sample search lets many more candidates pass, and skips
// fewer modes; the same holds for it.
TEST(SearchEquivalence, IncompleteSearchTooPrintsWhatThePlainEnumerationPrints) {
  PatternGenerator gen(20261209u);
  int found = 0, many = 0, nullsAfterPass = 0, failures = 0;
  for (int n = 1; n <= 250 && failures < 3; ++n) {
    const bool dna = gen.chance(25);
    const GeneratedCase input = gen.next(dna, 8);
    const Transcript plain = runPatterns(input.patterns, true, SearchPath::Plain, dna);
    const Transcript fast = runPatterns(input.patterns, true, SearchPath::Fast, dna);
    failures += !agree(plain, fast, "case " + std::to_string(n), patternFile(input.patterns));
    const auto& hs = fast.results.hypotheses;
    found += !hs.empty();
    many += hs.size() > 20;
    // Two hypotheses of the same loci and alleles that differ only in null
    // alleles: a configuration tried after another passed.
    const auto alleles = [](const Hypothesis& h) {
      std::vector<std::vector<std::vector<int>>> zones;
      for (const Locus& l : h.loci) {
        zones.emplace_back();
        for (const Allele& a : l.alleles) zones.back().push_back(a.ezones);
      }
      return zones;
    };
    for (std::size_t i = 1; i < hs.size(); ++i) nullsAfterPass += alleles(hs[i - 1]) == alleles(hs[i]);
  }
  EXPECT_GT(found, 100);
  EXPECT_GE(many, 5);  // more than the strict register would hold
  EXPECT_GE(nullsAfterPass, 20);
  std::cout << "[ info ] " << found << " with hypotheses, " << many << " with more than 20, " << nullsAfterPass
            << " null-allele configurations after a pass\n";
}

}  // namespace
}  // namespace korvelin::testing
