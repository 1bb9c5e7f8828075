#include "state/origin_store.h"

namespace korvelin {

bool OriginStore::inRange(int l1, int l2, int a1, int a2) {
  return l1 >= 0 && l1 < lociSpan && l2 >= 0 && l2 < lociSpan && a1 >= 0 && a1 < alleleSpan &&
         a2 >= 0 && a2 < alleleSpan;
}

void OriginStore::attach(std::unique_ptr<RecordFile> file) { file_ = std::move(file); }

std::unique_ptr<RecordFile> OriginStore::detach() { return std::move(file_); }

int OriginStore::read(int l1, int l2, int a1, int a2) const {
  if (!inRange(l1, l2, a1, a2)) return 0;
  return mirror_[static_cast<std::size_t>(key(l1, l2, a1, a2))];
}

void OriginStore::write(int l1, int l2, int a1, int a2, int value) {
  // Origins outside the key space cannot be told apart from others; a
  // hypothesis that needs one is rejected long before, so they are ignored.
  if (!inRange(l1, l2, a1, a2)) return;
  const int k = key(l1, l2, a1, a2);
  auto& slot = mirror_[static_cast<std::size_t>(k)];
  written_.push_back(k);
  slot = value;
  if (file_) file_->write(k, value);
}

void OriginStore::forgetWritten() {
  for (int k : written_) {
    auto& slot = mirror_[static_cast<std::size_t>(k)];
    if (slot != 0) {
      slot = 0;
      if (file_) file_->write(k, 0);
    }
  }
  written_.clear();
}

}  // namespace korvelin
