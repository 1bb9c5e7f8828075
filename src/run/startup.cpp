#include "run/startup.h"

#include "input/indata.h"
#include "base/format.h"
#include "base/report_file.h"
#include "version.h"

namespace korvelin {
namespace {

constexpr int kNameField = 60;

std::string framed(std::string_view inner) { return " |" + padded(inner, 59) + "|"; }

std::string centred(std::string_view text) {
  const int left = (59 - static_cast<int>(text.size())) / 2;
  return std::string(static_cast<std::size_t>(left), ' ') + std::string(text);
}

// Position of the last non-blank character (1-based), 0 for a blank line.
int lastNonBlank(const std::string& s) {
  const auto at = s.find_last_not_of(' ');
  return at == std::string::npos ? 0 : static_cast<int>(at) + 1;
}

// "Release 1.0.0 of December 2026", from the version and the release date.
std::string releaseLine() {
  static constexpr const char* kMonths[] = {"January", "February", "March",     "April",
                                            "May",     "June",     "July",      "August",
                                            "September", "October", "November", "December"};
  const std::string date = kReleaseDate;
  const int month = std::stoi(date.substr(5, 2));
  return std::string("Release ") + kVersion + " of " + kMonths[month - 1] + " " + date.substr(0, 4);
}

std::string readName(Session& s, Session::ReadContext context) {
  std::string line = s.readAnswerLine(context);
  if (line.size() > kNameField) line.resize(kNameField);
  return line;
}

// The default output name: the input name with its last three characters
// replaced by "out" (a name too short for that becomes "out" whole).
std::string defaultOutputName(const std::string& input, int length) {
  std::string name = input.substr(0, static_cast<std::size_t>(length));
  if (length < 3) return "out";
  name.replace(static_cast<std::size_t>(length - 3), 3, "out");
  return name;
}

// The dialogue's question for the data file, until one that exists is named.
void askDataFile(Session& s) {
  int tries = 0;
  for (;;) {
    s.toConsole(FreeLine().text(">> Name of input data file [default extension = .dat]").text(" : >> "));
    std::string answer = readName(s, Session::ReadContext::Question);
    const int length = lastNonBlank(answer);
    if (length == 0) {
      s.refused(tries);
      continue;
    }
    answer.resize(static_cast<std::size_t>(length));
    if (answer.find('.') == std::string::npos) answer += ".dat";
    if (s.files().exists(answer)) {
      s.settings().dataFile = answer;
      return;
    }
    s.toConsole(FreeLine().text(">> ** File does not exist : ").name(answer));
    s.refused(tries);
  }
}

void openInputFile(Session& s) {
  State& st = s.state();
  if (!s.settings().unattended) askDataFile(s);
  st.infil = s.settings().dataFile;
  st.ilen = static_cast<int>(st.infil.size());
  st.exist = true;
  int status = 0;
  auto in = s.files().openRead(st.infil, status);
  if (!in) {
    s.toConsole(FreeLine().text("** Error status ").num(status).text(" in OPENing of ").name(st.infil));
    s.last(EndKind::SystemFailed, "the data file cannot be opened");
  }
  s.setInput(std::move(in));
}

// Asks for the output name until it is not the input file: writing the
// report over the patterns would destroy them before they are read.
void chooseOutputName(Session& s, int inputLength, int& tries) {
  State& st = s.state();
  const RunSettings& settings = s.settings();
  const std::string fallback = defaultOutputName(st.infil, inputLength);
  for (;;) {
    std::string answer = settings.reportFile;
    if (!settings.unattended) {
      s.toConsole(FreeLine().text(">> Name of output file [default = ").text(printable(fallback)).text("] ? : "));
      answer = readName(s, Session::ReadContext::FileName);
    }
    if (lastNonBlank(answer) > 0) {
      st.outfil = answer.substr(0, static_cast<std::size_t>(lastNonBlank(answer)));
      const auto blank = answer.find(' ');
      st.ilen = blank == std::string::npos ? static_cast<int>(answer.size()) : static_cast<int>(blank);
    } else {
      st.outfil = fallback;
      // The default is as long as the input name, except "out" for a name
      // too short to take it.
      st.ilen = static_cast<int>(fallback.size());
    }
    if (!s.files().sameFile(st.outfil, st.infil)) return;
    s.toConsole(FreeLine().text("** The output file must not be the input data file : ").name(st.outfil));
    if (settings.unattended) s.last(EndKind::InputUnusable, "the report file would be the data file");
    s.refused(tries);
  }
}

[[noreturn]] void outputOpenFailed(Session& s, int status) {
  s.fileFailed("OPENing", s.state().outfil, status);
  s.last(EndKind::SystemFailed, "the report file cannot be opened");
}

// The report file's lines on standard output (the command line's "-o -").
class StandardOutputReport : public OutputFile {
 public:
  explicit StandardOutputReport(Console& streams) : streams_(streams) {}
  bool writeLine(const std::string& line, int& status) override {
    streams_.out(line);
    status = streams_.outError();
    return status == 0;
  }
  int flush() override { return streams_.flush(); }
  int close() override { return streams_.flush(); }
  void discard() override {}

 private:
  Console& streams_;
};

// Asks for the output name until it can be held for this run's report.
void openOutputFile(Session& s) {
  State& st = s.state();
  RunSettings& settings = s.settings();
  if (settings.reportTo == RunSettings::ReportTo::StandardOutput) {
    st.outfil = "-";
    s.setOutput(std::make_unique<StandardOutputReport>(s.standardStreams()));
    return;
  }
  std::unique_ptr<HeldFile> held;
  int status = 0;
  const int inputLength = st.ilen;
  int tries = 0;
  for (;;) {
    chooseOutputName(s, inputLength, tries);
    bool existed = false;
    const std::string refusal = holdReportFile(s.files(), st.outfil, held, existed, status);
    if (held) {
      st.exist = existed;
      break;
    }
    if (refusal.empty()) outputOpenFailed(s, status);
    s.toConsole(refusal);
    // A name given in advance cannot be asked again.
    if (settings.unattended) s.last(EndKind::InputUnusable, "the report file cannot be used");
    s.refused(tries);
  }
  WriteMode mode = WriteMode::Create;
  if (st.exist) {
    if (settings.existing == RunSettings::Existing::Ask) {
      s.toConsole(FreeLine().text("** Already exists : "));
      s.toConsole(FreeLine().text("   ").name(st.outfil));
      s.toConsole(FreeLine().text(">> Append=\"a\", Overwrite=\"o\" [default = \"a\"]").text(" ? : >> "));
      st.unit = s.readLetter(Session::ReadContext::Answer);
      settings.existing =
          (st.unit == 'o' || st.unit == 'O') ? RunSettings::Existing::Overwrite : RunSettings::Existing::Append;
    }
    // The command line refuses an existing report before the run; one that
    // has appeared since is left alone.
    if (settings.existing == RunSettings::Existing::Refuse) {
      s.toConsole(FreeLine().text("** Already exists : ").name(st.outfil));
      s.last(EndKind::InputUnusable, "the report file exists");
    }
    mode = settings.existing == RunSettings::Existing::Overwrite ? WriteMode::Overwrite : WriteMode::Append;
  }
  auto out = s.files().openWrite(std::move(held), mode, status);
  if (!out) outputOpenFailed(s, status);
  s.setOutput(std::move(out));
}

void openOriginStore(Session& s) {
  State& st = s.state();
  std::string name;
  int status = 0;
  auto file = s.files().createScratch(name, status);
  if (!file) {
    s.toConsole(FreeLine().text("** Error opening direct access file 20, cause =").num(status));
    s.abandon(EndKind::SystemFailed, "the scratch file cannot be made");
  }
  st.store.attach(std::move(file));
  s.setScratchName(name);
}

}  // namespace

void progid(Session& s, int unit) {
  const State& st = s.state();
  const std::string bottom = " |" + std::string(59, '_') + "|";
  const std::string rule = " |" + std::string(19, ' ') + std::string(17, '-') + std::string(23, ' ') + "|";
  const std::string lines[] = {
      " ." + std::string(59, '-') + ".",
      rule,
      " |" + std::string(20, ' ') + "K O R V E L I N" + std::string(24, ' ') + "|",
      rule,
      " |    Qualitative inheritance analysis of zymograms and      |",
      " |      DNA electropherograms in diploid individuals         |",
      framed(""),
      framed(centred("Developed by the KORVELIN project")),
      framed(centred("C++ edition")),
      framed(centred("for text terminals and report files")),
      framed(""),
      framed(centred(releaseLine())),
      bottom,
      FixedLine().text(" |   Compiled for at most maxzon = ").num(st.maxzon, 3).text(" elementary (E) zones  |"),
      FixedLine().text(" |                        maxpat = ").num(st.maxpat, 3).text(" different patterns    |"),
      bottom,
  };
  for (const auto& line : lines) s.toUnit(unit, line);
}

void inout(Session& s) {
  State& st = s.state();
  RunSettings& settings = s.settings();
  openInputFile(s);
  if (!settings.unattended) {
    s.toConsole(FreeLine().text(">> Output device? Screen only=\"s\" or ").text(
        "File+Screen=\"f\" [default=\"f\"] : >> "));
    st.unit = s.readLetter(Session::ReadContext::Answer);
    settings.reportTo =
        (st.unit == 's' || st.unit == 'S') ? RunSettings::ReportTo::Screen : RunSettings::ReportTo::File;
  }
  if (settings.reportTo == RunSettings::ReportTo::Screen) {
    // An unattended run has no screen for the report (-o /dev/null): its
    // lines go nowhere, while the lines the console also gets stay messages.
    st.u = settings.unattended ? kFileUnit : kConsoleUnit;
    return;
  }
  st.u = kFileUnit;
  openOutputFile(s);
}

void askPatternType(Session& s) {
  State& st = s.state();
  if (!s.settings().unattended) {
    s.toConsole(FreeLine().text(">> Type of pattern?:"));
    s.toConsole(FreeLine().text("   Zymogram = \"z\", ").text("DNA electropherogram = \"d\" [default = \"z\"] : >> "));
    st.ans = s.readLetter();
    s.settings().dna = st.ans == 'd' || st.ans == 'D';
  }
  st.dna = s.settings().dna ? 1 : 0;
  st.incomp = s.settings().incomplete ? 1 : 0;
  st.sizeRegister(st.incomp == 1 ? kHypothesesIncomplete : kHypotheses);
}

std::string defaultReportName(const std::string& dataFile) {
  // The extension is what follows the last dot of the file's own name (a
  // dot that starts the name, as in ".gel", starts no extension).
  const auto base = dataFile.find_last_of('/') == std::string::npos ? 0 : dataFile.find_last_of('/') + 1;
  const auto dot = dataFile.find_last_of('.');
  if (dot == std::string::npos || dot <= base) return dataFile + ".out";
  return dataFile.substr(0, dot) + ".out";
}

void startUp(Session& s) {
  State& st = s.state();
  progid(s, kConsoleUnit);
  inout(s);
  askPatternType(s);
  if (st.u == kFileUnit) progid(s, kFileUnit);
  indata(s);
  s.warten();
  st.idraw = 1;
  for (int z = 1; z <= st.nzones + 1; ++z) st.shwspl(z) = ' ';
  st.nhypo = 0;
  st.nxhypo = 0;
  st.nxexac = 0;
  openOriginStore(s);
}

}  // namespace korvelin
