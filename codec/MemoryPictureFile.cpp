#include "codec/MemoryPictureFile.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

MemoryPictureFile::MemoryPictureFile() = default;

MemoryPictureFile::MemoryPictureFile(const void* data, size_t size)
    : view_(static_cast<const uint8_t*>(data)), view_size_(data ? size : 0) {}

size_t MemoryPictureFile::Read(void* buffer, size_t size) {
  if (size == 0) return 0;  // buffer may then be null, which memcpy must not see
  const uint8_t* bytes = view_ ? view_ : sink_.data();
  size_t length = view_ ? view_size_ : sink_.size();
  if (position_ >= length) return 0;
  size_t count = std::min(size, length - position_);
  std::memcpy(buffer, bytes + position_, count);
  position_ += count;
  return count;
}

size_t MemoryPictureFile::Write(const void* data, size_t size) {
  if (view_ || size == 0) return 0;  // a view is read-only
  if (size > sink_.max_size() - position_) return 0;
  size_t end = position_ + size;
  if (end > sink_.size()) sink_.resize(end);
  if (size) std::memcpy(sink_.data() + position_, data, size);
  position_ = end;
  return size;
}

bool MemoryPictureFile::Seek(int64_t offset, Origin origin) {
  int64_t base = 0;
  if (origin == kFromCurrent) base = static_cast<int64_t>(position_);
  if (origin == kFromEnd) base = Size();
  if (offset < 0 ? offset < -base : offset > INT64_MAX - base) return false;
  // Seeking past the end is allowed, as with a file: reads there give nothing,
  // writes to a sink fill the gap with zeros.
  position_ = static_cast<size_t>(base + offset);
  return true;
}

int64_t MemoryPictureFile::Tell() const { return static_cast<int64_t>(position_); }

int64_t MemoryPictureFile::Size() const { return static_cast<int64_t>(view_ ? view_size_ : sink_.size()); }

std::vector<uint8_t> MemoryPictureFile::TakeBuffer() {
  std::vector<uint8_t> out;
  out.swap(sink_);
  position_ = 0;
  return out;
}
