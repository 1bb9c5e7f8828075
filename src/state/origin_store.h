#pragma once
// The band-origin store: a keyed table from a band's origin (first locus,
// second locus, first allele, second allele) to the class that holds the
// band. It lives in a direct-access scratch file of 4-byte records; an
// in-memory mirror keeps reads cheap, and the keys written since the last
// clear are remembered so that forgetting an earlier hypothesis touches only
// those records.

#include <cstdint>
#include <memory>
#include <vector>

namespace korvelin {

// A file of fixed 4-byte records, numbered from 1.
class RecordFile {
 public:
  virtual ~RecordFile() = default;
  virtual void write(int record, std::int32_t value) = 0;
};

class OriginStore {
 public:
  // Loci run over 0..21 and alleles (or form ordinals) over 0..23.
  static constexpr int lociSpan = 23;
  static constexpr int alleleSpan = 24;
  static constexpr int records = lociSpan * lociSpan * alleleSpan * alleleSpan;

  static int key(int l1, int l2, int a1, int a2) {
    return ((l1 * lociSpan + l2) * alleleSpan + a1) * alleleSpan + a2 + 1;
  }

  OriginStore() = default;
  // A copy holds the same records in memory only, without the scratch file
  // (for analyses run beside the main one).
  OriginStore(const OriginStore& other) : mirror_(other.mirror_), written_(other.written_) {}
  OriginStore& operator=(const OriginStore&) = delete;

  void attach(std::unique_ptr<RecordFile> file);
  std::unique_ptr<RecordFile> detach();
  bool attached() const { return file_ != nullptr; }

  int read(int l1, int l2, int a1, int a2) const;
  void write(int l1, int l2, int a1, int a2, int value);
  // Every record written since the last call reads 0 again.
  void forgetWritten();

 private:
  static bool inRange(int l1, int l2, int a1, int a2);

  std::unique_ptr<RecordFile> file_;
  std::vector<std::int32_t> mirror_ = std::vector<std::int32_t>(records + 1, 0);
  std::vector<int> written_;
};

}  // namespace korvelin
