#include "report/drawing.h"

#include "base/format.h"

namespace korvelin {
namespace {

constexpr int kBlock = 16;

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

// The head of Ezone z's row, into `row`.
void label(const State& st, int z, bool withSum, std::string& row) {
  row = " Ezone";
  row += intField(z, 3);
  if (st.isplit == 0) {
    row += "  ";
  } else {
    row += st.shwspl(z);
    row += ' ';
  }
  if (withSum) {
    row += " [";
    row += intField(st.zsum(z), 3);
    row += "] ";
  } else {
    row.append(7, ' ');
  }
}

void writeBlock(Session& s, int iu, int iz0, int iz1, bool first) {
  const State& st = s.state();
  auto put = [&](const std::string& line) { s.toUnit(iu, line); };
  put("  ");
  FixedLine header;
  header.text(first ? " Pattern  [RowSum]" : " Pattern          ");
  for (int p = iz0; p <= iz1; ++p) header.num(p, 3);
  put(header.str());
  const int width = iz1 - iz0 + 1;
  put(rule(width));
  std::string row;
  for (int z : rowOrder(st)) {
    label(st, z, first, row);
    // Each pattern: two blanks and the band mark.
    const std::size_t at = row.size() + 2;
    row.append(3 * static_cast<std::size_t>(width), ' ');
    for (int p = iz0; p <= iz1; ++p) row[at + 3 * static_cast<std::size_t>(p - iz0)] = st.draw(z, p);
    put(row);
  }
  if (st.dosplt != 0) return;
  put(rule(width));
  FixedLine found;
  if (first)
    found.text(" No.found").text("   [").num(st.nsampsz, 3).text("] ");
  else
    found.text(" No.found ").text(std::string(8, ' '));
  for (int p = iz0; p <= iz1; ++p) found.num(st.nzymo(p), 3);
  put(found.str());
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
  writeBlock(s, iu, iz0, iz1, true);
  for (int block = 2; st.nzymos > iz1; ++block) {
    iz0 += kBlock;
    iz1 = std::min(iz1 + kBlock, st.nzymos);
    if (block == 2) {
      if (iu == kConsoleUnit) s.warten();
    } else {
      s.toUnit(iu, "");
      s.warten();
    }
    writeBlock(s, iu, iz0, iz1, false);
  }
}

}  // namespace

void drwzym(Session& s) {
  State& st = s.state();
  for (int z = 1; z <= st.nzones; ++z)
    for (int p = 1; p <= st.nzymos; ++p) st.draw(z, p) = st.m(p, z) == 1 ? '-' : ' ';
  drawPass(s, st.u);
  if (st.begin == 1 && st.u != kConsoleUnit) drawPass(s, kConsoleUnit);
}

}  // namespace korvelin
