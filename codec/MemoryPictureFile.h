// A PictureFile over a memory block: either a read-only view of bytes owned by
// someone else (a resource, a fuzzer input) or a growable sink that collects
// what an encoder writes.
#pragma once

#include <cstdint>
#include <vector>

#include "codec/PictureFile.h"

class MemoryPictureFile : public PictureFile {
 public:
  // An empty growable sink for writing (and reading back).
  MemoryPictureFile();
  // A read-only view of size bytes at data; the bytes must outlive this object.
  MemoryPictureFile(const void* data, size_t size);

  size_t Read(void* buffer, size_t size) override;
  size_t Write(const void* data, size_t size) override;
  bool Seek(int64_t offset, Origin origin) override;
  int64_t Tell() const override;
  int64_t Size() const override;

  // The bytes of a sink (empty for a read-only view).
  const std::vector<uint8_t>& Buffer() const { return sink_; }
  // Hands the bytes of a sink over to the caller and leaves the sink empty.
  std::vector<uint8_t> TakeBuffer();

 private:
  const uint8_t* view_ = nullptr;  // read-only bytes, or null for a sink
  size_t view_size_ = 0;
  std::vector<uint8_t> sink_;
  size_t position_ = 0;
};
