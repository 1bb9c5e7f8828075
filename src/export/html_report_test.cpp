#include "export/html_report.h"

#include <gtest/gtest.h>

#include "results/hypothesis_fit.h"
#include "harness.h"

namespace korvelin {
namespace {

using testing::count;

// A one-locus dimer: alleles in Ezones 1 and 3, their hybrid in Ezone 2, a
// fixed band in Ezone 4; the heterozygote 1/2 is missing.
Results dimerResults(const std::string& file) {
  Results r;
  r.input = {file, false, 4, 7, {"1001", "0011"}, {4, 3}};
  Hypothesis h;
  h.number = 1;
  h.ezones = 4;
  h.patterns = r.input.patterns;
  h.loci = {{1, false, {{1, {1}, 0}, {2, {3}, 0}}}};
  h.heteromericBands = {{{2}, true, 1, 1, 1, 2}};
  h.ezoneBands = {{1, false, 1, BandKind::Homomeric, {{BandKind::Homomeric, 1, 1, 0, 0, 0}}},
                  {2, false, 2, BandKind::Heteromeric, {{BandKind::Heteromeric, 1, 1, 1, 2, 0}}},
                  {3, false, 3, BandKind::Homomeric, {{BandKind::Homomeric, 1, 2, 0, 0, 0}}},
                  {4, false, -1, BandKind::Fixed, {}}};
  h.expected = 3;
  h.found = 2;
  h.genotypes = {{"1001", {{1, 1, false, "1/1"}}}, {"0011", {{2, 2, false, "2/2"}}}};
  h.expectedPhenotypes = {{"1001", {{1, 1, false, "1/1"}}, true},
                          {"1111", {{1, 2, false, "1/2"}}, false},
                          {"0011", {{2, 2, false, "2/2"}}, true}};
  h.missingPhenotypes = {"1111"};
  r.hypotheses.push_back(h);
  return r;
}

TEST(HtmlReport, LanesAndBandsFollowTheModel) {
  Results r = dimerResults("gpi.dat");
  fitResults(r);
  const Sample sample{{{"line 3", "line 4", "line 7", "line 9"}, {"line 5", "line 6", "line 8"}}, {}};
  const std::string html = htmlReport(r, sample, {"1.0.0", "2026-12-07 10:00 UTC", ""});
  // The page's order: observed gel, summary, hypothesis 1.
  EXPECT_LT(html.find("<section id=\"observed\""), html.find("<section id=\"summary\""));
  EXPECT_LT(html.find("<section id=\"summary\""), html.find("data-hypothesis=\"1\""));
  // Under the gel, observed and expected individuals: p1 = 8/14, so the
  // missing 1/2 expects 7 x 2 x 4/7 x 3/7 = 24/7.
  EXPECT_EQ(count(html, "<rect class=\"bar "), 6);
  EXPECT_EQ(count(html, "<rect class=\"bar expected\" data-count=\"3.42857\""), 1);
  // The genotype of every lane stands under it, the missing one's too.
  EXPECT_EQ(count(html, ">1/1</text>") + count(html, ">2/2</text>") + count(html, ">1/2</text>"), 3);
  // The stripes of the hybrid band exist once and are used by its bands.
  EXPECT_EQ(count(html, "<pattern id=\"h1-A1xA2\""), 1);
  EXPECT_EQ(count(html, "fill=\"url(#h1-A1xA2)\""), 1 + 1);  // the ghost lane and the legend
  // The legend goes by locus and allele, hybrids and fixed bands after.
  const auto legend = [&html](const char* code) { return html.find(std::string("<code>") + code + "</code>"); };
  ASSERT_NE(legend("fixed"), std::string::npos);
  EXPECT_LT(legend("A1"), legend("A2"));
  EXPECT_LT(legend("A2"), legend("A1xA2"));
  EXPECT_LT(legend("A1xA2"), legend("fixed"));
  EXPECT_NE(html.find("n=4: <span>line 3</span>, <span>line 4</span>, <span>line 7</span>, <span>line 9</span>"),
            std::string::npos);
  EXPECT_NE(html.find("KORVELIN 1.0.0"), std::string::npos);
  EXPECT_NE(html.find("2026-12-07 10:00 UTC"), std::string::npos);
}

// A band that may be a modified form of either allele names both.
TEST(HtmlReport, ABandOfTwoOriginsCarriesBothCodes) {
  Results r = dimerResults("two.dat");
  r.input.ezones = 5;
  r.input.patterns = {"10011", "00111"};
  Hypothesis& h = r.hypotheses[0];
  h.ezones = 5;
  h.patterns = r.input.patterns;
  h.genotypes[0].pattern = "10011";
  h.genotypes[1].pattern = "00111";
  h.loci[0].alleles[0].modifiedForms = h.loci[0].alleles[1].modifiedForms = 1;
  h.modifiedBands = {{{5}, 1, 1, 1}, {{5}, 1, 2, 1}};
  h.ezoneBands.push_back({5, false, 4, BandKind::Modified,
                          {{BandKind::Modified, 1, 1, 0, 0, 1}, {BandKind::Modified, 1, 2, 0, 0, 1}}});
  h.missingPhenotypes.clear();
  const std::string html = htmlReport(r, {}, {});
  EXPECT_EQ(count(html, "data-origin=\"A1*m1 A2*m1\""), 2);  // in both lanes
  EXPECT_NE(html.find("Ezone 5: modified form 1 of locus A, allele 1 (facultative), or modified form 1 of locus A, "
                      "allele 2 (facultative)"),
            std::string::npos);
}

TEST(HtmlReport, NamesFromFilesAreEscaped) {
  const Results r = dimerResults("<b>&\"x\".dat");
  const Sample sample{{{"<i>Ann</i>\x01Gr\u00fcn"}, {"O'Neil & \"Co\""}}, {"<E1>", "", "", ""}};
  const std::string html = htmlReport(r, sample, {"1.0.0", "<now>", "<cut>"});
  for (const char* raw : {"<b>", "<i>", "<E1>", "<now>", "<cut>", "O'Neil", "\"Co\""})
    EXPECT_EQ(html.find(raw), std::string::npos) << raw;
  EXPECT_NE(html.find("&lt;b&gt;&amp;&quot;x&quot;.dat"), std::string::npos);
  EXPECT_NE(html.find("O&#39;Neil &amp; &quot;Co&quot;"), std::string::npos);
  EXPECT_NE(html.find("&lt;i&gt;Ann&lt;/i&gt;\uFFFDGr\u00fcn"), std::string::npos);  // no control character
}

TEST(HtmlReport, GhostLanesStopAtTheirLimit) {
  Results r = dimerResults("many.dat");
  Hypothesis& h = r.hypotheses[0];
  h.missingPhenotypes.assign(kMaxGhostLanes + 5, "1111");
  const std::string html = htmlReport(r, {}, {});
  EXPECT_EQ(count(html, "<g class=\"lane missing\""), static_cast<int>(kMaxGhostLanes));
  EXPECT_NE(html.find("Only the first 60 of the 65 missing phenotypes are drawn."), std::string::npos);
}

// The added half gets one row, right under the Ezone it was split from, the
// first Ezone as well as any other.
TEST(HtmlReport, TheAddedHalfOfASplitEzoneIsDrawnUnderItsOrigin) {
  for (const int ezone : {1, 2}) {
    Results r = dimerResults("split.dat");
    Hypothesis& h = r.hypotheses[0];
    h.pass = PassKind::SplitTrial;
    h.split = SplitTrial{ezone, 3, 7, "01"};
    h.ezones = 5;
    h.ezoneBands[static_cast<std::size_t>(ezone - 1)].splitMark = true;
    h.ezoneBands.push_back({5, true, -2, BandKind::Empty, {}});
    const std::string html = htmlReport(r, {}, {});
    const std::string section = html.substr(html.find("data-hypothesis=\"1\""));
    const auto at = [&section](const std::string& label) { return section.find(">" + label + "</text>"); };
    const std::string origin = "Ezone " + std::to_string(ezone);
    ASSERT_NE(at(origin + "x"), std::string::npos);
    EXPECT_LT(ezone == 1 ? 0 : at("Ezone 1"), at(origin + "x"));
    EXPECT_LT(at(origin + "x"), at("Ezone 5x"));
    EXPECT_LT(at("Ezone 5x"), at("Ezone 3"));
    EXPECT_EQ(testing::count(section, ">Ezone 5x</text>"), 1);
    EXPECT_NE(html.find(origin + " split into Ezones " + std::to_string(ezone) + "x and 5x (combination 3 of 7, code 01)"),
              std::string::npos);
  }
}

TEST(HtmlReport, AFailedRunShowsTheErrorAndWhatWasReadButNoAnalysis) {
  Results r;
  r.input.file = "gone.dat";
  const std::string html = htmlReport(r, {}, {"1.0.0", "now", "the data file cannot be read"});
  EXPECT_NE(html.find("The run ended early: the data file cannot be read"), std::string::npos);
  EXPECT_NE(html.find("No patterns were read."), std::string::npos);
  EXPECT_EQ(html.find("No hypothesis explains"), std::string::npos);
  EXPECT_EQ(html.find("<svg"), std::string::npos);
}

}  // namespace
}  // namespace korvelin
