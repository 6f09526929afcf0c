#include "common/crypto/Sha1.h"

#include <algorithm>
#include <cstring>

#include "common/text/Hex.h"

namespace common {
namespace {

uint32_t RotateLeft(uint32_t x, uint32_t n) { return (x << n) | (x >> (32 - n)); }

}  // namespace

CSha1::CSha1() : state_{0x67452301, 0xEFCDAB89, 0x98BADCFE, 0x10325476, 0xC3D2E1F0} {}

void CSha1::Transform(const uint8_t* block) {
  uint32_t w[80];
  for (int i = 0; i < 16; ++i)
    w[i] = uint32_t{block[4 * i]} << 24 | uint32_t{block[4 * i + 1]} << 16 | uint32_t{block[4 * i + 2]} << 8 |
           uint32_t{block[4 * i + 3]};
  for (int i = 16; i < 80; ++i) w[i] = RotateLeft(w[i - 3] ^ w[i - 8] ^ w[i - 14] ^ w[i - 16], 1);
  uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3], e = state_[4];
  for (int i = 0; i < 80; ++i) {
    uint32_t f, k;
    if (i < 20) {
      f = (b & c) | (~b & d);
      k = 0x5A827999;
    } else if (i < 40) {
      f = b ^ c ^ d;
      k = 0x6ED9EBA1;
    } else if (i < 60) {
      f = (b & c) | (b & d) | (c & d);
      k = 0x8F1BBCDC;
    } else {
      f = b ^ c ^ d;
      k = 0xCA62C1D6;
    }
    uint32_t next = RotateLeft(a, 5) + f + e + k + w[i];
    e = d;
    d = c;
    c = RotateLeft(b, 30);
    b = a;
    a = next;
  }
  state_[0] += a;
  state_[1] += b;
  state_[2] += c;
  state_[3] += d;
  state_[4] += e;
}

void CSha1::Update(const void* data, size_t length) {
  const auto* p = static_cast<const uint8_t*>(data);
  size_t used = static_cast<size_t>(length_ % 64);
  length_ += length;
  if (used != 0) {
    size_t take = std::min(length, 64 - used);
    std::memcpy(buffer_ + used, p, take);
    p += take;
    length -= take;
    if (used + take < 64) return;
    Transform(buffer_);
  }
  for (; length >= 64; p += 64, length -= 64) Transform(p);
  if (length > 0) std::memcpy(buffer_, p, length);
}

std::array<uint8_t, 20> CSha1::Finish() {
  uint64_t bits = length_ * 8;
  static constexpr uint8_t kPadding[64] = {0x80};
  size_t used = static_cast<size_t>(length_ % 64);
  Update(kPadding, used < 56 ? 56 - used : 120 - used);
  uint8_t tail[8];
  for (int i = 0; i < 8; ++i) tail[i] = static_cast<uint8_t>(bits >> (56 - 8 * i));
  Update(tail, 8);
  std::array<uint8_t, 20> digest;
  for (int i = 0; i < 20; ++i) digest[i] = static_cast<uint8_t>(state_[i / 4] >> (24 - 8 * (i % 4)));
  *this = CSha1();
  return digest;
}

std::array<uint8_t, 20> Sha1Digest(std::string_view bytes) {
  CSha1 sha1;
  sha1.Update(bytes);
  return sha1.Finish();
}

std::string Sha1Hex(std::string_view bytes) { return BytesToHex(Sha1Digest(bytes)); }

}  // namespace common
