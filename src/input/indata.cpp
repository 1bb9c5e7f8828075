#include "input/indata.h"

#include "input/record_format.h"
#include "input/table_file.h"
#include "results/capture.h"
#include "run/format.h"

namespace korvelin {
namespace {

// Status shown for a line that cannot be read as the format says.
constexpr int kReadErrorStatus = 5010;

// The data file's lines as the reader sees them: a byte-order mark at the
// start and a carriage return at each line end (files from other systems)
// are dropped.
class DataLines : public LineSource {
 public:
  explicit DataLines(InputFile* file) : file_(file) {}
  bool next(std::string& line) override {
    if (file_ == nullptr || !file_->readLine(line)) return false;
    ++read_;
    if (first_ && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    first_ = false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
  }
  // Lines handed out so far.
  long long read() const { return read_; }
  // Why the last `next` gave false when that was no end of the file.
  int failure() const { return file_ == nullptr ? 0 : file_->readError(); }

 private:
  InputFile* file_;
  bool first_ = true;
  long long read_ = 0;
};

[[noreturn]] void readError(Session& s, long long lineCounter, int status, EndKind kind) {
  s.toConsole(FreeLine()
                  .text("** Error  status ")
                  .num(status)
                  .text(" in READing line ")
                  .num(lineCounter)
                  .text(" of ")
                  .name(s.state().infil));
  s.last(kind, kind == EndKind::InputUnusable
                   ? "input unusable: line " + std::to_string(lineCounter) + " cannot be read with its format"
                   : "the data file cannot be read at line " + std::to_string(lineCounter));
}

// A line that does not fit its format.
[[noreturn]] void formatError(Session& s, long long lineCounter) {
  readError(s, lineCounter, kReadErrorStatus, EndKind::InputUnusable);
}

// No more lines: the end of the file, or a read that failed.
[[noreturn]] void endOfFile(Session& s, const DataLines& lines, long long lineCounter) {
  if (lines.failure() != 0) readError(s, lineCounter, lines.failure(), EndKind::SystemFailed);
  s.toConsole(FreeLine().text("** End-of-file found in line ").num(lineCounter).text(" of ").name(s.state().infil));
  s.last(EndKind::InputUnusable, "input unusable: end of file in line " + std::to_string(lineCounter));
}

void checkEzoneCount(Session& s, int zones) {
  const State& st = s.state();
  if (zones >= 1 && zones <= st.maxzon) return;
  s.toConsole(FixedLine()
                  .text(" ** Line 1 of ")
                  .text(printable(st.infil))
                  .text(" gives ")
                  .text(std::to_string(zones))
                  .text(" Ezones; KORVELIN handles 1 to ")
                  .text(std::to_string(st.maxzon))
                  .text(" Ezones"));
  s.last(EndKind::InputUnusable, "input unusable: " + std::to_string(zones) + " Ezones");
}

void readHeader(Session& s, DataLines& lines) {
  State& st = s.state();
  std::string line;
  // The Ezone count is the first integer of line 1; the rest is ignored.
  // Blank lines before it are passed over, as a free-form read does (files
  // written by hand often begin with one).
  FreeInteger count = FreeInteger::Blank;
  while (count == FreeInteger::Blank) {
    if (!lines.next(line)) endOfFile(s, lines, 1);
    count = readFreeInteger(line, st.nzones);
  }
  if (count != FreeInteger::Read) formatError(s, 1);
  checkEzoneCount(s, st.nzones);
  if (!lines.next(line)) endOfFile(s, lines, 2);
  st.fread = line.substr(0, 70);
  st.sfread = "(1h ," + padded(st.fread, 70) + ")";
}

bool sameAsStored(const State& st, int p) {
  for (int z = 1; z <= st.nzones; ++z)
    if (st.m(p, z) != st.mline(z)) return false;
  return true;
}

// The echo of a pattern: one blank, then the values in the layout of the
// input format. Should the echo format itself not parse (text after the
// format on line 2), the input format is used behind the blank.
std::vector<std::string> echoLines(const RecordFormat* echo, const RecordFormat& format,
                                   const std::vector<int>& values) {
  if (echo != nullptr) return echo->write(values);
  auto lines = format.write(values);
  if (!lines.empty()) {
    std::string first(1, ' ');
    first += lines.front();
    lines.front() = std::move(first);
  }
  return lines;
}

void storePattern(Session& s, const RecordFormat* echo, const RecordFormat& format) {
  State& st = s.state();
  if (st.nzymos == st.maxpat) {
    s.toConsole(FixedLine()
                    .text(" ** ")
                    .text(printable(st.infil))
                    .text(" holds more than ")
                    .text(std::to_string(st.maxpat))
                    .text(" different patterns; KORVELIN handles at most ")
                    .text(std::to_string(st.maxpat)));
    s.last(EndKind::InputUnusable, "input unusable: more than " + std::to_string(st.maxpat) + " different patterns");
  }
  st.nzymos += 1;
  st.nzymo(st.nzymos) = 1;
  std::vector<int> values;
  for (int z = 1; z <= st.nzones; ++z) {
    st.m(st.nzymos, z) = st.mline(z);
    st.mori(st.nzymos, z) = st.mline(z);
    values.push_back(st.mline(z));
  }
  for (const auto& line : echoLines(echo, format, values)) s.reportAndConsole(printable(line));
}

// Counts the pattern in `mline` and stores and echoes it when it is new.
// Returns its number among the different patterns.
int acceptPattern(Session& s, const RecordFormat* echo, const RecordFormat& format) {
  State& st = s.state();
  st.nsampsz += 1;
  for (int p = 1; p <= st.nzymos; ++p) {
    if (sameAsStored(st, p)) {
      st.nzymo(p) += 1;
      return p;
    }
  }
  storePattern(s, echo, format);
  return st.nzymos;
}

// After the last of `patternLines` patterns: the note on repeated patterns.
void endOfPatterns(Session& s, long long patternLines) {
  State& st = s.state();
  st.nzyori = st.nzymos;
  captureInput(st, s.results());
  if (patternLines > st.nzymos) {
    s.reportAndConsole(FixedLine()
                           .text(" Note: Original data contained ")
                           .num(patternLines - st.nzymos, 3)
                           .text(" patterns more than once (redundant)"));
  }
}

// A table file (spreadsheet export) is read and checked whole before any of
// it is used: a single bad cell must not be analysed as "no band". Its rows
// then go in as the lines of a pattern file of the format (nI1) would, and
// the sample names go to the session's sample.
void readTableFile(Session& s) {
  State& st = s.state();
  std::string text, line;
  long long lineCount = 0;
  for (bool first = true; s.input() != nullptr && s.input()->readLine(line); first = false) {
    if (!first) text += '\n';
    text += line;
    ++lineCount;
  }
  // A read that failed is no end of the table.
  if (s.input() != nullptr && s.input()->readError() != 0)
    readError(s, lineCount + 1, s.input()->readError(), EndKind::SystemFailed);
  const ScoreTable table = readTable(st.infil, text);
  const int zones = static_cast<int>(table.labels.size());
  if (table.hasHeader) checkEzoneCount(s, zones);
  if (!table.error.empty()) {
    s.toConsole(FreeLine().text(printable(table.error)));
    std::string reason = table.error;
    if (reason.starts_with("** ")) reason.erase(0, 3);
    s.last(EndKind::InputUnusable, "input unusable: " + printable(reason));
  }
  st.nzones = zones;
  st.fread = "(" + std::to_string(zones) + "I1)";
  st.sfread = "(1h ," + padded(st.fread, 70) + ")";
  st.nzymos = 0;
  st.nznori = st.nzones;
  s.reportAndConsole(FreeLine().text("Banding patterns as input (each line ").text("represents a pattern):"));

  const auto format = RecordFormat::parse(st.fread);
  const auto echo = RecordFormat::parse(st.sfread);
  Sample& sample = s.sample();
  sample.ezoneLabels = table.labels;
  sample.individuals.clear();
  for (const ScoreRow& row : table.rows) {
    for (int z = 1; z <= st.nzones; ++z) st.mline(z) = row.scores[static_cast<std::size_t>(z - 1)];
    const auto p = static_cast<std::size_t>(acceptPattern(s, echo.get(), *format));
    if (p > sample.individuals.size()) sample.individuals.resize(p);
    sample.individuals[p - 1].push_back(row.name);
  }
  endOfPatterns(s, static_cast<int>(table.rows.size()));
}

}  // namespace

bool readEzoneCount(const std::string& name, InputFile& file, int& nzones) {
  DataLines lines(&file);
  std::string line;
  if (isTableFileName(name)) {
    std::string text;
    while (lines.next(line)) text += line + '\n';
    const ScoreTable table = readTable(name, text);
    nzones = static_cast<int>(table.labels.size());
    return table.hasHeader;
  }
  FreeInteger count = FreeInteger::Blank;
  while (count == FreeInteger::Blank && lines.next(line)) count = readFreeInteger(line, nzones);
  return count == FreeInteger::Read;
}

void indata(Session& s) {
  State& st = s.state();
  s.report(FreeLine().text("Input data file: ").name(st.infil));
  s.report(FreeLine().text(" "));
  for (int p = 1; p <= st.maxpat; ++p) {
    st.nzymo(p) = 0;
    for (int z = 1; z <= st.maxzon; ++z) {
      st.m(p, z) = 0;
      st.mori(p, z) = 0;
    }
  }
  st.nsampsz = 0;
  if (isTableFileName(st.infil)) {
    readTableFile(s);
    return;
  }

  DataLines lines(s.input());
  readHeader(s, lines);
  st.nzymos = 0;
  st.nznori = st.nzones;
  s.reportAndConsole(FreeLine().text("Banding patterns as input (each line ").text("represents a pattern):"));

  const auto format = RecordFormat::parse(st.fread);
  const auto echo = RecordFormat::parse(st.sfread);
  long long lineCounter = 2;
  std::vector<int> values;
  for (;;) {
    lineCounter += 1;
    if (!format) formatError(s, lineCounter);
    // An individual is named by the data line its pattern starts on.
    const std::string individual = std::to_string(lines.read() + 1);
    const ReadStatus status = format->read(lines, st.nzones, values);
    if (status == ReadStatus::EndOfFile) {
      if (lines.failure() != 0) endOfFile(s, lines, lineCounter);
      break;
    }
    if (status == ReadStatus::Error) formatError(s, lineCounter);
    for (int z = 1; z <= st.nzones; ++z) st.mline(z) = values[static_cast<std::size_t>(z - 1)];
    if (st.mline(1) == 9) break;
    bool valid = true;
    for (int z = 1; z <= st.nzones && valid; ++z) valid = st.mline(z) == 0 || st.mline(z) == 1;
    if (!valid) break;
    const auto p = static_cast<std::size_t>(acceptPattern(s, echo.get(), *format));
    if (p > s.sample().individuals.size()) s.sample().individuals.resize(p);
    s.sample().individuals[p - 1].push_back(individual);
  }
  endOfPatterns(s, lineCounter - 3);
}

}  // namespace korvelin
