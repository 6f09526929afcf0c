#include "platform/system/CodePage.h"

#include <errno.h>
#include <iconv.h>

namespace platform {
namespace {

// Runs iconv over the whole input; an input sequence it cannot convert (invalid
// or without a form in the target) is replaced by '?' and skipped: for UTF-8
// input the whole character, for GBK input one byte (or the pair when the lead
// byte is a GBK lead byte).
std::string Convert(const char* to, const char* from, std::string_view input, bool from_utf8) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::string();
  std::string out;
  out.reserve(input.size() * 3 / 2 + 4);
  char* in_ptr = const_cast<char*>(input.data());
  size_t in_left = input.size();
  char buffer[1024];
  while (in_left > 0) {
    char* out_ptr = buffer;
    size_t out_left = sizeof buffer;
    size_t rc = iconv(cd, &in_ptr, &in_left, &out_ptr, &out_left);
    out.append(buffer, static_cast<size_t>(out_ptr - buffer));
    if (rc != static_cast<size_t>(-1)) continue;
    if (errno == E2BIG) continue;
    // EILSEQ or EINVAL: replace the offending character.
    size_t skip = 1;
    unsigned char lead = static_cast<unsigned char>(*in_ptr);
    if (from_utf8) {
      if (lead >= 0xF0) skip = 4;
      else if (lead >= 0xE0) skip = 3;
      else if (lead >= 0xC0) skip = 2;
      // Never skip past bytes that are not continuation bytes.
      size_t n = 1;
      while (n < skip && n < in_left && (static_cast<unsigned char>(in_ptr[n]) & 0xC0) == 0x80) ++n;
      skip = n;
    } else if (lead >= 0x81 && lead <= 0xFE && in_left >= 2) {
      skip = 2;
    }
    if (skip > in_left) skip = in_left;
    out.push_back('?');
    in_ptr += skip;
    in_left -= skip;
  }
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  iconv_close(cd);
  return out;
}

}  // namespace

std::string Utf8ToGbk(std::string_view utf8) { return Convert("GBK", "UTF-8", utf8, true); }

std::string GbkToUtf8(std::string_view gbk) { return Convert("UTF-8", "GBK", gbk, false); }

size_t GbkLength(std::string_view utf8) { return Utf8ToGbk(utf8).size(); }

}  // namespace platform
