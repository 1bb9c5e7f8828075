#pragma once
// Fixed-size tables indexed the way the analysis reads them: 1-based Ezone
// and pattern tables, class tables that start at -2. Bounds are checked in
// debug and sanitizer builds, so a stray index fails loudly in tests.

#include <array>
#include <cassert>
#include <cstddef>
#include <vector>

namespace korvelin {

template <typename T, int Lo, int Hi>
class Table {
 public:
  static constexpr int lo = Lo;
  static constexpr int hi = Hi;

  T& operator()(int i) {
    assert(i >= Lo && i <= Hi);
    return data_[static_cast<std::size_t>(i - Lo)];
  }
  const T& operator()(int i) const {
    assert(i >= Lo && i <= Hi);
    return data_[static_cast<std::size_t>(i - Lo)];
  }
  void fill(const T& v) { data_.fill(v); }
  bool operator==(const Table&) const = default;

 private:
  std::array<T, static_cast<std::size_t>(Hi - Lo + 1)> data_{};
};

template <typename T, int Lo1, int Hi1, int Lo2, int Hi2>
class Table2 {
 public:
  static constexpr int cols = Hi2 - Lo2 + 1;

  T& operator()(int i, int j) {
    assert(i >= Lo1 && i <= Hi1 && j >= Lo2 && j <= Hi2);
    return data_[static_cast<std::size_t>((i - Lo1) * cols + (j - Lo2))];
  }
  const T& operator()(int i, int j) const {
    assert(i >= Lo1 && i <= Hi1 && j >= Lo2 && j <= Hi2);
    return data_[static_cast<std::size_t>((i - Lo1) * cols + (j - Lo2))];
  }
  // Row i as a contiguous run of columns Lo2..Hi2.
  const T* row(int i) const {
    assert(i >= Lo1 && i <= Hi1);
    return &data_[static_cast<std::size_t>((i - Lo1) * cols)];
  }
  void fill(const T& v) { data_.fill(v); }
  bool operator==(const Table2&) const = default;

 private:
  std::array<T, static_cast<std::size_t>((Hi1 - Lo1 + 1) * (Hi2 - Lo2 + 1))> data_{};
};

// A table of rows 1..rows() by columns 1..Cols whose number of rows is set
// at run time: the register, which a search may want far larger than usual.
template <typename T, int Cols>
class RowTable {
 public:
  explicit RowTable(int rows) { resize(rows); }
  // Sets the number of rows; the contents become zeros.
  void resize(int rows) { data_.assign(static_cast<std::size_t>(rows) * Cols, T{}); }
  int rows() const { return static_cast<int>(data_.size() / Cols); }

  T& operator()(int i, int j) {
    assert(i >= 1 && i <= rows() && j >= 1 && j <= Cols);
    return data_[static_cast<std::size_t>((i - 1) * Cols + (j - 1))];
  }
  const T& operator()(int i, int j) const {
    assert(i >= 1 && i <= rows() && j >= 1 && j <= Cols);
    return data_[static_cast<std::size_t>((i - 1) * Cols + (j - 1))];
  }

 private:
  std::vector<T> data_;
};

}  // namespace korvelin
