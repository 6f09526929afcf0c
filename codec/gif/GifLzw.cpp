#include "codec/gif/GifLzw.h"

#include <algorithm>

namespace {
constexpr int kMaxCodes = 4096;
}

GifLzwDecoder::GifLzwDecoder(int min_code_size, const uint8_t* data, size_t size)
    : data_(data),
      size_(size),
      min_code_size_(min_code_size < 2 ? 2 : min_code_size),
      code_size_(min_code_size_ + 1) {}

int GifLzwDecoder::ReadCode() {
  if (bit_position_ + code_size_ > size_ * 8) return -1;
  int code = 0;
  for (int i = 0; i < code_size_; ++i, ++bit_position_)
    code |= ((data_[bit_position_ >> 3] >> (bit_position_ & 7)) & 1) << i;
  return code;
}

size_t GifLzwDecoder::Decode(uint8_t* out, size_t count) {
  // Each table entry is a previous entry plus one byte; strings are unwound
  // through the prefix chain onto a stack.
  static thread_local uint16_t prefix[kMaxCodes];
  static thread_local uint8_t suffix[kMaxCodes];
  static thread_local uint8_t stack[kMaxCodes + 1];
  const int clear = 1 << min_code_size_, end = clear + 1;
  for (int i = 0; i < clear; ++i) suffix[i] = static_cast<uint8_t>(i);
  int next = clear + 2, previous = -1;
  uint8_t first = 0;
  size_t produced = 0;
  while (produced < count) {
    int code = ReadCode();
    if (code < 0 || code == end) break;
    if (code == clear) {
      code_size_ = min_code_size_ + 1;
      next = clear + 2;
      previous = -1;
      continue;
    }
    if (previous < 0) {
      if (code > clear) break;  // a stream must start with a literal
      out[produced++] = suffix[code];
      previous = code;
      first = suffix[code];
      continue;
    }
    if (code > next || (code == next && next >= kMaxCodes)) break;
    int depth = 0, walk = code;
    if (code == next) {  // the string being defined: previous + its own first byte
      stack[depth++] = first;
      walk = previous;
    }
    while (walk >= clear) {
      stack[depth++] = suffix[walk];
      walk = prefix[walk];
    }
    stack[depth++] = suffix[walk];
    first = suffix[walk];
    while (depth > 0 && produced < count) out[produced++] = stack[--depth];
    if (next < kMaxCodes) {
      prefix[next] = static_cast<uint16_t>(previous);
      suffix[next] = first;
      ++next;
      if (next == (1 << code_size_) && code_size_ < 12) ++code_size_;
    }
    previous = code;
  }
  return produced;
}

GifLzwEncoder::GifLzwEncoder(int min_code_size)
    : min_code_size_(min_code_size), clear_code_(1 << min_code_size), keys_(kTableSize), codes_(kTableSize) {
  ResetTable();
  WriteCode(clear_code_);
}

void GifLzwEncoder::ResetTable() {
  std::fill(keys_.begin(), keys_.end(), -1);
  next_code_ = clear_code_ + 2;
  mirror_next_ = clear_code_ + 2;
  code_size_ = min_code_size_ + 1;
  first_code_ = true;
}

int GifLzwEncoder::Find(int prefix, int byte) const {
  int32_t key = (prefix << 8) | byte;
  uint32_t slot = (static_cast<uint32_t>(key) * 2654435761u) >> 19;  // 13 bits
  while (keys_[slot] != -1) {
    if (keys_[slot] == key) return codes_[slot];
    slot = (slot + 1) & (kTableSize - 1);
  }
  return -1;
}

void GifLzwEncoder::WriteCode(int code) {
  bit_buffer_ |= static_cast<uint32_t>(code) << bit_count_;
  bit_count_ += code_size_;
  while (bit_count_ >= 8) {
    out_.push_back(static_cast<uint8_t>(bit_buffer_));
    bit_buffer_ >>= 8;
    bit_count_ -= 8;
  }
  // Follow the decoder: it adds an entry for every code but the first after a
  // clear, and widens its codes when its table reaches the next power of two.
  if (code == clear_code_) return;
  if (!first_code_ && mirror_next_ < kMaxCodes) {
    ++mirror_next_;
    if (mirror_next_ == (1 << code_size_) && code_size_ < 12) ++code_size_;
  }
  first_code_ = false;
}

void GifLzwEncoder::Add(const uint8_t* indices, size_t count) {
  for (size_t i = 0; i < count; ++i) {
    int byte = indices[i];
    if (prefix_ < 0) {
      prefix_ = byte;
      continue;
    }
    int found = Find(prefix_, byte);
    if (found >= 0) {
      prefix_ = found;
      continue;
    }
    WriteCode(prefix_);
    int32_t key = (prefix_ << 8) | byte;
    uint32_t slot = (static_cast<uint32_t>(key) * 2654435761u) >> 19;
    while (keys_[slot] != -1) slot = (slot + 1) & (kTableSize - 1);
    keys_[slot] = key;
    codes_[slot] = static_cast<int16_t>(next_code_++);
    prefix_ = byte;
    if (next_code_ >= kMaxCodes) {
      WriteCode(clear_code_);
      ResetTable();
    }
  }
}

std::vector<uint8_t> GifLzwEncoder::Finish() {
  if (prefix_ >= 0) WriteCode(prefix_);
  WriteCode(clear_code_ + 1);
  if (bit_count_ > 0) out_.push_back(static_cast<uint8_t>(bit_buffer_));
  bit_buffer_ = 0;
  bit_count_ = 0;
  return std::move(out_);
}
