#include "report/drawing.h"

#include <cstring>

#include "base/format.h"

namespace korvelin {
namespace {

constexpr int kBlock = 16;
// The head of an Ezone's row: " Ezone", the number, the split mark, the sum.
constexpr int kHead = 18;

// Ezones in drawing order: after a split the added Ezone stands right after
// the one it was split from.
std::vector<int> rowOrder(const State& st) {
  std::vector<int> order;
  if (st.isplit == 0) {
    for (int z = 1; z <= st.nzones; ++z) order.push_back(z);
    return order;
  }
  for (int z = 1; z <= st.nzones - 1; ++z) {
    order.push_back(z);
    if (z == st.isplit) order.push_back(st.nzones);
  }
  return order;
}

std::string rule(int patterns) { return " " + std::string(static_cast<std::size_t>(17 + 3 * patterns), '_'); }

// Ezone z's row of patterns iz0 to iz1, its line end included, at `row`
// (blank, and as long as the row).
void putRow(const State& st, int z, bool withSum, int iz0, int iz1, char* row) {
  // The head: the Ezone, its split mark, its row sum.
  std::memcpy(row, " Ezone", 6);
  putField(row + 6, z, 3);
  if (st.isplit != 0) row[9] = st.shwspl(z);
  if (withSum) {
    std::memcpy(row + 11, " [", 2);
    putField(row + 13, st.zsum(z), 3);
    row[16] = ']';
  }
  // Each pattern: two blanks and the band mark.
  for (int p = iz0; p <= iz1; ++p) row[kHead + 2 + 3 * (p - iz0)] = st.draw(z, p);
  row[kHead + 3 * (iz1 - iz0 + 1)] = '\n';
}

// One block of the drawing goes out as one text, built in `text`: a split
// request draws every trial, and its report is mostly these rows.
void writeBlock(Session& s, int iu, int iz0, int iz1, bool first, std::string& text) {
  const State& st = s.state();
  const int width = iz1 - iz0 + 1;
  const std::vector<int> order = rowOrder(st);
  text.clear();
  auto put = [&](const std::string& line) {
    text += line;
    text += '\n';
  };
  put("  ");
  FixedLine header;
  header.text(first ? " Pattern  [RowSum]" : " Pattern          ");
  for (int p = iz0; p <= iz1; ++p) header.num(p, 3);
  put(header.str());
  put(rule(width));
  const std::size_t rowSize = kHead + 3 * static_cast<std::size_t>(width) + 1;
  std::size_t at = text.size();
  text.resize(at + order.size() * rowSize, ' ');
  for (int z : order) {
    putRow(st, z, first, iz0, iz1, text.data() + at);
    at += rowSize;
  }
  if (st.dosplt == 0) {
    put(rule(width));
    FixedLine found;
    if (first)
      found.text(" No.found").text("   [").num(st.nsampsz, 3).text("] ");
    else
      found.text(" No.found ").text(std::string(8, ' '));
    for (int p = iz0; p <= iz1; ++p) found.num(st.nzymo(p), 3);
    put(found.str());
  }
  s.toUnitLines(iu, text);
}

void drawPass(Session& s, int iu) {
  const State& st = s.state();
  if (st.begin == 1) {
    s.toUnit(iu, "  ");
    s.toUnit(iu, " Schematic representation of banding patterns - ");
    s.toUnit(iu, " Elementary zones (Ezones) numbered consecutively :");
  }
  int iz0 = 1;
  int iz1 = std::min(kBlock, st.nzymos);
  std::string text;
  writeBlock(s, iu, iz0, iz1, true, text);
  for (int block = 2; st.nzymos > iz1; ++block) {
    iz0 += kBlock;
    iz1 = std::min(iz1 + kBlock, st.nzymos);
    if (block == 2) {
      if (iu == kConsoleUnit) s.warten();
    } else {
      s.toUnit(iu, "");
      s.warten();
    }
    writeBlock(s, iu, iz0, iz1, false, text);
  }
}

}  // namespace

void drwzym(Session& s) {
  State& st = s.state();
  // Pattern by pattern: the patterns are the rows of `m`.
  for (int p = 1; p <= st.nzymos; ++p) {
    const int* const bands = st.m.row(p) - 1;  // bands[z] is m(p, z)
    for (int z = 1; z <= st.nzones; ++z) st.draw(z, p) = bands[z] == 1 ? '-' : ' ';
  }
  drawPass(s, st.u);
  if (st.begin == 1 && st.u != kConsoleUnit) drawPass(s, kConsoleUnit);
}

}  // namespace korvelin
