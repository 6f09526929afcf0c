// The Photoshop reader the upload preparation uses for PSD pictures: it opens
// a file, decodes its composite image into a 24-bit bitmap (with an alpha
// plane when the file has transparency) and hands the bitmap over.
#pragma once

#include <memory>
#include <string>

#include "codec/Picture.h"
#include "codec/StdioPictureFile.h"

class PsdReader {
 public:
  PsdReader() = default;
  PsdReader(const PsdReader&) = delete;
  PsdReader& operator=(const PsdReader&) = delete;

  // Opens a file for reading; false when it cannot be opened.
  // NOTE: the file is not locked against writers; the platform has no share modes.
  bool Open(const std::string& path);
  // Decodes the open file's composite image; false with an error text.
  bool Decode();
  // Hands the decoded bitmap to the caller, who owns it from then on (null when none).
  std::unique_ptr<Picture> DetachBitmap() { return std::move(bitmap_); }
  // The text left by the last failure.
  const std::string& LastError() const { return error_; }

  // Opens, decodes and detaches in one step; null with the error text in error.
  static std::unique_ptr<Picture> ReadFile(const std::string& path, std::string* error = nullptr);

 private:
  std::unique_ptr<StdioPictureFile> file_;
  std::unique_ptr<Picture> bitmap_;
  std::string error_;
};
