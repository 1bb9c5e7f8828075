#include "input/indata.h"

#include <algorithm>
#include <deque>

#include "input/record_format.h"
#include "input/table_file.h"
#include "results/capture.h"
#include "base/format.h"

namespace korvelin {
namespace {

// Status shown for a line that cannot be read as the format says.
constexpr int kReadErrorStatus = 5010;

// The data file's lines as the reader sees them: a byte-order mark at the
// start and a carriage return at each line end (files from other systems)
// are dropped. Lines looked at ahead (to tell what the file holds) are
// handed out again.
class DataLines : public LineSource {
 public:
  explicit DataLines(InputFile* file) : file_(file) {}
  bool next(std::string& line) override {
    if (!nextAsRead(line)) return false;
    ++read_;
    if (first_ && line.rfind("\xEF\xBB\xBF", 0) == 0) line.erase(0, 3);
    first_ = false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
  }
  // The next line as it stands in the file.
  bool nextAsRead(std::string& line) {
    if (!ahead_.empty()) {
      line = std::move(ahead_.front());
      ahead_.pop_front();
      return true;
    }
    return fromFile(line);
  }
  // The first line that holds more than blanks, as it stands in the file
  // (empty when there is none); the lines up to it are handed out again.
  std::string firstFilledLine() {
    std::string line;
    while (fromFile(line)) {
      ahead_.push_back(line);
      std::string_view text = line;
      if (ahead_.size() == 1 && text.starts_with("\xEF\xBB\xBF")) text.remove_prefix(3);
      if (text.find_first_not_of(" \t\r") != std::string_view::npos) return line;
    }
    return {};
  }
  // Lines handed out so far.
  long long read() const { return read_; }
  // Why the last `next` gave false when that was no end of the file.
  int failure() const { return file_ == nullptr ? 0 : file_->readError(); }

 private:
  // The file is not read again once it gave no line.
  bool fromFile(std::string& line) {
    ended_ = ended_ || file_ == nullptr || !file_->readLine(line);
    return !ended_;
  }

  InputFile* file_;
  bool ended_ = false;
  std::deque<std::string> ahead_;
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

TableColumns tableColumns(const RunSettings& settings) {
  return {settings.populationColumn, settings.ignoredColumns};
}

// The whole text of a table, as it stands in the file.
std::string tableText(Session& s, DataLines& lines) {
  std::string text, line;
  long long lineCount = 0;
  for (bool first = true; lines.nextAsRead(line); first = false) {
    if (!first) text += '\n';
    text += line;
    ++lineCount;
  }
  // A read that failed is no end of the table.
  if (lines.failure() != 0) readError(s, lineCount + 1, lines.failure(), EndKind::SystemFailed);
  return text;
}

// "Note: 2 individuals left out, not scored in every Ezone: A (row 3), B
// (row 7)", the first few named.
std::string unscoredNote(const std::string& file, const Sample& sample) {
  constexpr std::size_t kNamed = 5;
  const std::size_t n = sample.unscored.size();
  std::string note = "Note: " + std::to_string(n) + (n == 1 ? " individual" : " individuals") + " of " + file +
                     " left out, not scored in every Ezone: ";
  for (std::size_t i = 0; i < n && i < kNamed; ++i)
    note += (i > 0 ? ", " : "") + sample.unscored[i].name + " (row " + std::to_string(sample.unscored[i].row) + ")";
  if (n > kNamed) note += ", ...";
  return note;
}

// The index of the row's population in the sample's list, which takes the
// populations in the order they first appear; -1 without a population
// column.
int populationIndex(Sample& sample, const ScoreRow& row, bool populations) {
  if (!populations) return -1;
  const auto at = std::find(sample.populations.begin(), sample.populations.end(), row.population);
  if (at != sample.populations.end()) return static_cast<int>(at - sample.populations.begin());
  sample.populations.push_back(row.population);
  return static_cast<int>(sample.populations.size()) - 1;
}

// A table file (spreadsheet export) is read and checked whole before any of
// it is used: a single bad cell must not be analysed as "no band". Its rows
// scored in every Ezone then go in as the lines of a pattern file of the
// format (nI1) would, and the sample names, populations and the rows left
// out go to the session's sample.
void readTableFile(Session& s, DataLines& lines) {
  State& st = s.state();
  const ScoreTable table = readTable(st.infil, tableText(s, lines), tableColumns(s.settings()));
  for (const std::string& note : table.notes) s.standardStreams().err(printable(note));
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
  sample = Sample{};
  sample.ezoneLabels = table.labels;
  sample.populationLabel = table.populationLabel;
  const bool populations = !table.populationLabel.empty();
  int scored = 0;
  for (const ScoreRow& row : table.rows) {
    const int population = populationIndex(sample, row, populations);
    if (!row.scoredWhole()) {
      UnscoredIndividual left{row.name, row.row, population, {}};
      for (std::size_t z = 0; z < row.scores.size(); ++z)
        if (row.scores[z] == kUnscored) left.ezones.push_back(static_cast<int>(z) + 1);
      sample.unscored.push_back(std::move(left));
      continue;
    }
    ++scored;
    for (int z = 1; z <= st.nzones; ++z) st.mline(z) = row.scores[static_cast<std::size_t>(z - 1)];
    const auto p = static_cast<std::size_t>(acceptPattern(s, echo.get(), *format));
    if (p > sample.individuals.size()) {
      sample.individuals.resize(p);
      sample.populationOf.resize(p);
    }
    sample.individuals[p - 1].push_back(row.name);
    if (populations) sample.populationOf[p - 1].push_back(population);
  }
  if (!sample.unscored.empty()) s.standardStreams().err(printable(unscoredNote(st.infil, sample)));
  endOfPatterns(s, scored);
}

// The first line that is not blank tells what the data file holds; a
// workbook cannot be read, and the table options need a table.
DataFileKind dataKind(Session& s, DataLines& lines) {
  const State& st = s.state();
  const DataFileKind kind = dataFileKind(st.infil, lines.firstFilledLine());
  const RunSettings& settings = s.settings();
  if (kind == DataFileKind::Workbook) {
    s.toConsole(FreeLine().text("** ").text(printable(st.infil)).text(
        " is a spreadsheet workbook: save it as CSV and run that"));
    s.last(EndKind::InputUnusable, "input unusable: a spreadsheet workbook, not a table saved as CSV");
  }
  if (kind == DataFileKind::TableByHeader)
    s.standardStreams().err(
        printable("Note: " + st.infil + " is read as a table: its first line is a header of labels"));
  if (kind == DataFileKind::Patterns && (!settings.populationColumn.empty() || !settings.ignoredColumns.empty())) {
    s.toConsole(FreeLine().text("** ").text(printable(st.infil)).text(
        " is a pattern file: --population and --ignore are for tables"));
    s.last(EndKind::InputUnusable, "input unusable: --population and --ignore are for tables");
  }
  return kind;
}

}  // namespace

bool readEzoneCount(const std::string& name, InputFile& file, const TableColumns& columns, int& nzones) {
  DataLines lines(&file);
  std::string line;
  const DataFileKind kind = dataFileKind(name, lines.firstFilledLine());
  if (kind == DataFileKind::Workbook) return false;
  if (kind != DataFileKind::Patterns) {
    std::string text;
    while (lines.nextAsRead(line)) text += line + '\n';
    const ScoreTable table = readTable(name, text, columns);
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
  DataLines lines(s.input());
  if (dataKind(s, lines) != DataFileKind::Patterns) {
    readTableFile(s, lines);
    return;
  }
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
