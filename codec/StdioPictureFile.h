// A PictureFile over an open C library file (std::FILE*).
#pragma once

#include <cstdio>
#include <memory>
#include <string>

#include "codec/PictureFile.h"

class StdioPictureFile : public PictureFile {
 public:
  // Wraps an open file; closes it on destruction only when owns_file is true.
  StdioPictureFile(std::FILE* file, bool owns_file);
  ~StdioPictureFile() override;
  StdioPictureFile(const StdioPictureFile&) = delete;
  StdioPictureFile& operator=(const StdioPictureFile&) = delete;

  // Opens path with a C library mode ("rb", "wb"); null when it cannot be opened.
  static std::unique_ptr<StdioPictureFile> Open(const std::string& path, const char* mode);

  size_t Read(void* buffer, size_t size) override;
  size_t Write(const void* data, size_t size) override;
  bool Seek(int64_t offset, Origin origin) override;
  int64_t Tell() const override;
  int64_t Size() const override;
  bool Flush() override;

  // Flushes and closes an owned file; false when buffered data could not be written.
  bool Close();

 private:
  std::FILE* file_;
  bool owns_file_;
};
