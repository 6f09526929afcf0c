#include "codec/StdioPictureFile.h"

StdioPictureFile::StdioPictureFile(std::FILE* file, bool owns_file) : file_(file), owns_file_(owns_file) {}

StdioPictureFile::~StdioPictureFile() { Close(); }

std::unique_ptr<StdioPictureFile> StdioPictureFile::Open(const std::string& path, const char* mode) {
  std::FILE* file = std::fopen(path.c_str(), mode);
  if (file == nullptr) return nullptr;
  return std::make_unique<StdioPictureFile>(file, true);
}

size_t StdioPictureFile::Read(void* buffer, size_t size) {
  return file_ ? std::fread(buffer, 1, size, file_) : 0;
}

size_t StdioPictureFile::Write(const void* data, size_t size) {
  return file_ ? std::fwrite(data, 1, size, file_) : 0;
}

bool StdioPictureFile::Seek(int64_t offset, Origin origin) {
  static constexpr int kWhence[] = {SEEK_SET, SEEK_CUR, SEEK_END};
  if (!file_ || origin < kFromStart || origin > kFromEnd) return false;
  return std::fseek(file_, static_cast<long>(offset), kWhence[origin]) == 0;
}

int64_t StdioPictureFile::Tell() const { return file_ ? std::ftell(file_) : -1; }

int64_t StdioPictureFile::Size() const {
  if (!file_) return -1;
  long here = std::ftell(file_);
  if (here < 0 || std::fseek(file_, 0, SEEK_END) != 0) return -1;
  long end = std::ftell(file_);
  std::fseek(file_, here, SEEK_SET);
  return end;
}

bool StdioPictureFile::Flush() { return file_ && std::fflush(file_) == 0; }

bool StdioPictureFile::Close() {
  if (!file_) return true;
  bool ok = true;
  if (owns_file_) {
    ok = std::fclose(file_) == 0;
  } else {
    ok = std::fflush(file_) == 0;
  }
  file_ = nullptr;
  return ok;
}
