#include "common/xml/CXmlElementIndex.h"

#include <algorithm>
#include <cstring>

namespace {

// Indexes are kept below 2^31 so that they fit the document's signed offsets.
constexpr uint32_t kMaxRecords = 0x7FFFFFFFu;

}  // namespace

CXmlElementIndex::CXmlElementIndex() { Reset(8); }

void CXmlElementIndex::Reset(uint32_t capacity) {
  capacity = std::clamp<uint32_t>(capacity, 1, kMaxRecords);
  // Keep the memory of the last document when it is of about the same size:
  // parsing many similar documents then allocates nothing.
  if (capacity_ < capacity || capacity_ > uint64_t{2} * capacity + kSegmentSize) {
    segments_.clear();
    capacity_ = 0;
    count_ = 0;
    Grow(capacity);
  }
  count_ = 1;
  ClearRoot();
}

void CXmlElementIndex::ClearRoot() {
  ElementRecord& root = (*this)[0];
  std::memset(&root, 0, sizeof root);
}

uint32_t CXmlElementIndex::Append() {
  if (count_ == capacity_) {
    if (capacity_ >= kMaxRecords) return 0;
    uint64_t wanted = std::max<uint64_t>(uint64_t{count_} * 3 / 2, uint64_t{count_} + 1);
    Grow(static_cast<uint32_t>(std::min<uint64_t>(wanted, kMaxRecords)));
  }
  return count_++;
}

// Growing reallocates only the last, partly filled segment (copying the records
// it holds) and adds whole segments after it; full segments stay where they are.
void CXmlElementIndex::Grow(uint32_t new_capacity) {
  uint32_t partial = capacity_ & (kSegmentSize - 1);
  if (partial != 0) {
    uint32_t base = capacity_ - partial;
    uint32_t size = std::min(kSegmentSize, new_capacity - base);
    auto segment = std::make_unique_for_overwrite<ElementRecord[]>(size);
    uint32_t used = count_ > base ? count_ - base : 0;
    std::copy_n(segments_.back().get(), used, segment.get());
    segments_.back() = std::move(segment);
    capacity_ = base + size;
  }
  while (capacity_ < new_capacity) {
    uint32_t size = std::min(kSegmentSize, new_capacity - capacity_);
    segments_.push_back(std::make_unique_for_overwrite<ElementRecord[]>(size));
    capacity_ += size;
  }
}
