#include "http/MimeSniffer.h"

#include <cstdint>
#include <cstring>

namespace Corvo {
namespace {

uint16_t Le16(const unsigned char* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
uint32_t Le32(const unsigned char* p) { return Le16(p) | (static_cast<uint32_t>(Le16(p + 2)) << 16); }

bool StartsWith(const unsigned char* data, size_t size, const char* magic, size_t length) {
  return size >= length && std::memcmp(data, magic, length) == 0;
}

bool IsBmp(const unsigned char* d, size_t n) {
  if (n < 18 || d[0] != 'B' || d[1] != 'M') return false;
  uint32_t infoSize = Le32(d + 14);
  return infoSize == 12 || infoSize == 40 || infoSize == 52 || infoSize == 56 || infoSize == 64 ||
         infoSize == 108 || infoSize == 124;
}

bool IsWmf(const unsigned char* d, size_t n) {
  if (StartsWith(d, n, "\xD7\xCD\xC6\x9A", 4)) return true;  // placeable metafile
  if (n < 6) return false;
  uint16_t type = Le16(d), headerWords = Le16(d + 2), version = Le16(d + 4);
  return (type == 1 || type == 2) && headerWords == 9 && (version == 0x0100 || version == 0x0300);
}

bool IsPcx(const unsigned char* d, size_t n) {
  if (n < 128 || d[0] != 0x0A) return false;
  bool version = d[1] == 0 || (d[1] >= 2 && d[1] <= 5);
  bool encoding = d[2] == 0 || d[2] == 1;
  bool bits = d[3] == 1 || d[3] == 2 || d[3] == 4 || d[3] == 8;
  return version && encoding && bits && Le16(d + 8) >= Le16(d + 4) && Le16(d + 10) >= Le16(d + 6);
}

bool IsPsd(const unsigned char* d, size_t n) {
  return n >= 26 && StartsWith(d, n, "8BPS", 4) && d[4] == 0 && (d[5] == 1 || d[5] == 2);
}

// TGA has no magic number: the header fields must all be plausible.
bool IsTga(const unsigned char* d, size_t n) {
  if (n < 18) return false;
  uint8_t colorMapType = d[1], imageType = d[2], depth = d[16];
  bool typeOk = imageType == 1 || imageType == 2 || imageType == 3 || imageType == 9 || imageType == 10 ||
                imageType == 11;
  bool mapOk = colorMapType == 0 ? (Le16(d + 5) == 0 && d[7] == 0)
                                 : colorMapType == 1 && (imageType == 1 || imageType == 9) && Le16(d + 5) > 0;
  bool depthOk = depth == 8 || depth == 15 || depth == 16 || depth == 24 || depth == 32;
  return typeOk && mapOk && depthOk && Le16(d + 12) > 0 && Le16(d + 14) > 0 && (d[17] & 0xC0) == 0;
}

}  // namespace

std::string SniffMimeType(const unsigned char* data, size_t size) {
  if (data == nullptr) return std::string();
  if (size > 256) size = 256;
  if (StartsWith(data, size, "\xFF\xD8\xFF", 3)) return "image/jpeg";
  if (StartsWith(data, size, "\x89PNG\r\n\x1A\n", 8)) return "image/png";
  if (StartsWith(data, size, "GIF87a", 6) || StartsWith(data, size, "GIF89a", 6)) return "image/gif";
  if (IsBmp(data, size)) return "image/bmp";
  if (IsPsd(data, size)) return "image/vnd.adobe.photoshop";
  if (IsWmf(data, size)) return "image/x-wmf";
  if (IsPcx(data, size)) return "image/x-pcx";
  if (IsTga(data, size)) return "image/x-tga";
  return std::string();
}

}  // namespace Corvo
