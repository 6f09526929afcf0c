// The byte stream a codec reads from or writes to. Codecs never touch files
// directly: decoding from disk, from a resource in memory and encoding into a
// growable memory block all go through this one interface.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

class PictureFile {
 public:
  // Origins for Seek, with the meaning of the C library's SEEK_SET/CUR/END.
  enum Origin { kFromStart = 0, kFromCurrent = 1, kFromEnd = 2 };

  virtual ~PictureFile() = default;

  // Reads up to size bytes; returns how many were read (0 at the end or on error).
  virtual size_t Read(void* buffer, size_t size) = 0;
  // Writes size bytes; returns how many were written (less means failure).
  virtual size_t Write(const void* data, size_t size) = 0;
  // Moves the position; false when the target lies before the start or the stream cannot seek.
  virtual bool Seek(int64_t offset, Origin origin) = 0;
  // The current position from the start, or -1 when unknown.
  virtual int64_t Tell() const = 0;
  // The whole length of the stream in bytes, or -1 when unknown.
  virtual int64_t Size() const = 0;
  // Pushes buffered output to its destination; false on failure.
  virtual bool Flush() { return true; }

  // Reads exactly size bytes; false on a short read.
  bool ReadExact(void* buffer, size_t size) { return Read(buffer, size) == size; }
  // Writes all size bytes; false on a short write.
  bool WriteAll(const void* data, size_t size) { return Write(data, size) == size; }
  // One byte, or -1 at the end of the stream.
  int GetByte() {
    uint8_t b;
    return Read(&b, 1) == 1 ? b : -1;
  }
  // The bytes left from the current position to the end (0 when unknown).
  int64_t Remaining() const {
    int64_t size = Size(), pos = Tell();
    return (size < 0 || pos < 0 || pos > size) ? 0 : size - pos;
  }
};

// Reads up to limit bytes from the stream's position on, growing the buffer in
// steps so that a header announcing a huge size costs nothing until the bytes
// are really there.
std::vector<uint8_t> ReadUpTo(PictureFile& file, size_t limit);
