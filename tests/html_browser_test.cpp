// The HTML pages of every worked example in a real browser (headless
// Chromium): each loads without console errors and prints to PDF, and a
// screenshot and the PDF are kept under the build folder
// (screenshots/<name>.png and .pdf, beside the page). The page's lanes and
// bands are checked without a browser (results_data_test). Built only where
// Chromium is installed.

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <future>

#include "export/html_report.h"
#include "harness.h"
#include "version.h"

namespace korvelin::testing {
namespace {

namespace fs = std::filesystem;

struct Loaded {
  int status = -1;
  int printStatus = -1;  // of the print to PDF
  std::vector<std::string> consoleLines;  // what the page wrote to the console
};

// Loads `page` once: the console messages, and a
// screenshot `png` of a window 1280 pixels wide; then prints it to `pdf`
// (A4, as the page's print style asks) when `pdf` is given.
Loaded load(const fs::path& page, const fs::path& png, int height, const fs::path& pdf = {}) {
  char tmpl[] = "/tmp/korvelin-chromium-XXXXXX";
  const char* dir = mkdtemp(tmpl);
  Loaded result;
  if (dir == nullptr) return result;
  const fs::path work(dir);
  const std::string command = std::string("'") + KORVELIN_CHROMIUM +
                              "' --headless --disable-gpu --no-sandbox --no-first-run --hide-scrollbars"
                              " --enable-logging=stderr --v=0 --user-data-dir='" + (work / "profile").string() +
                              "' --window-size=1280," + std::to_string(height) + " --screenshot='" + png.string() +
                              "' --dump-dom 'file://" + fs::absolute(page).string() + "' > '" +
                              (work / "dom").string() + "' 2> '" + (work / "log").string() + "'";
  result.status = std::system(command.c_str());
  for (const std::string& line : lines(readTextFile((work / "log").string())))
    if (line.find(":CONSOLE") != std::string::npos) result.consoleLines.push_back(line);
  if (!pdf.empty()) {
    const std::string print = std::string("'") + KORVELIN_CHROMIUM +
                              "' --headless --disable-gpu --no-sandbox --no-first-run --user-data-dir='" +
                              (work / "profile").string() + "' --no-pdf-header-footer --print-to-pdf='" +
                              pdf.string() + "' 'file://" + fs::absolute(page).string() + "' > /dev/null 2>&1";
    result.printStatus = std::system(print.c_str());
  }
  fs::remove_all(work);
  return result;
}

// Writes each page, loads them two at a time (a load mostly waits for the
// browser to start), and checks every one.
void checkInBrowser(const std::vector<std::pair<std::string, std::string>>& pages) {
  const fs::path dir = KORVELIN_SCREENSHOTS;
  fs::create_directories(dir);
  for (const auto& [name, html] : pages) std::ofstream(dir / (name + ".html"), std::ios::binary) << html;
  constexpr std::size_t kAtOnce = 2;
  for (std::size_t first = 0; first < pages.size(); first += kAtOnce) {
    std::vector<std::future<Loaded>> loads;
    for (std::size_t k = first; k < std::min(first + kAtOnce, pages.size()); ++k) {
      const std::string& name = pages[k].first;
      const int height = std::min(9000, 1500 + 850 * count(pages[k].second, "data-hypothesis="));
      loads.push_back(std::async(std::launch::async, load, dir / (name + ".html"), dir / (name + ".png"), height,
                                 dir / (name + ".pdf")));
    }
    for (std::size_t k = first; k < first + loads.size(); ++k) {
      const Loaded page = loads[k - first].get();
      const std::string& name = pages[k].first;
      SCOPED_TRACE(name);
      EXPECT_EQ(page.status, 0);
      EXPECT_EQ(page.consoleLines, std::vector<std::string>{});
      EXPECT_GT(fs::file_size(dir / (name + ".png")), 10000u) << "the screenshot is missing or blank";
      EXPECT_EQ(page.printStatus, 0);
      EXPECT_EQ(readTextFile((dir / (name + ".pdf")).string()).substr(0, 5), "%PDF-") << "no PDF printed";
    }
  }
}

// The check of console errors must be able to fail: a page with a script
// error shows in the console lines.
TEST(HtmlReportInBrowser, AScriptErrorReachesTheConsoleLines) {
  const fs::path dir = KORVELIN_SCREENSHOTS;
  fs::create_directories(dir);
  std::ofstream(dir / "console-check.html") << "<!DOCTYPE html><html lang=\"en\"><head><meta charset=\"utf-8\">"
                                               "<title>x</title></head><body><script>noSuchFunction();</script></body></html>\n";
  const Loaded page = load(dir / "console-check.html", dir / "console-check.png", 200);
  ASSERT_EQ(page.status, 0);
  ASSERT_EQ(page.consoleLines.size(), 1u);
  EXPECT_NE(page.consoleLines[0].find("noSuchFunction"), std::string::npos);
  fs::remove(dir / "console-check.html");
  fs::remove(dir / "console-check.png");
}

// Every example, and a sample that lacks a phenotype (a ghost lane).
TEST(HtmlReportInBrowser, EveryExampleLoadsCleanlyAndPrints) {
  std::vector<ShippedRun> runs = shippedRuns(KORVELIN_EXAMPLES);
  EXPECT_GE(runs.size(), 7u);
  runs.push_back(shippedRun(KORVELIN_EXAMPLES, KORVELIN_TESTS_DIR, "golden/missing-phenotype"));
  std::vector<std::pair<std::string, std::string>> pages;
  for (const ShippedRun& run : runs) {
    const Transcript t = runSession(run.files, run.answers);
    ASSERT_EQ(t.status, 0) << run.name;
    pages.emplace_back(run.name.substr(run.name.find('/') + 1),
                       htmlReport(t.results, t.sample, {kVersion, "2026-12-07 12:00 UTC", ""}));
  }
  checkInBrowser(pages);
}

}  // namespace
}  // namespace korvelin::testing
