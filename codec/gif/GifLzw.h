// The variable-length LZW coding of GIF image data (codes of 3 to 12 bits,
// least significant bit first, with clear and end codes).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Decodes one image's LZW data (the sub-blocks already joined).
class GifLzwDecoder {
 public:
  // min_code_size: the byte that precedes the data, 2 to 8 (1 is read as 2).
  GifLzwDecoder(int min_code_size, const uint8_t* data, size_t size);

  // Decodes up to count pixels into out; returns how many were produced.
  // Stops early at the end code, at the end of the data or at a code that
  // cannot occur in a valid stream.
  size_t Decode(uint8_t* out, size_t count);

 private:
  int ReadCode();

  const uint8_t* data_;
  size_t size_;
  size_t bit_position_ = 0;
  int min_code_size_;
  int code_size_;
};

// Encodes palette indices into LZW data, without the sub-block framing.
class GifLzwEncoder {
 public:
  explicit GifLzwEncoder(int min_code_size);

  // Appends indices (each below 1 << min_code_size).
  void Add(const uint8_t* indices, size_t count);
  // Finishes the stream with the end code and returns the bytes.
  std::vector<uint8_t> Finish();

 private:
  void WriteCode(int code);
  void ResetTable();
  int Find(int prefix, int byte) const;

  static constexpr int kTableSize = 8192;
  int min_code_size_;
  int clear_code_;
  int next_code_ = 0;    // next free entry of the encoder's table
  int mirror_next_ = 0;  // the decoder's next entry, one step behind ours
  int code_size_ = 0;    // width of the next code written, as the decoder expects it
  bool first_code_ = true;
  int prefix_ = -1;
  std::vector<int32_t> keys_;
  std::vector<int16_t> codes_;
  std::vector<uint8_t> out_;
  uint32_t bit_buffer_ = 0;
  int bit_count_ = 0;
};
