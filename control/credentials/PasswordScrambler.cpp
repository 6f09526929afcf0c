#include "control/credentials/PasswordScrambler.h"

#include "common/crypto/Des.h"
#include "common/text/Hex.h"
#include "platform/system/CodePage.h"

namespace credentials {
namespace {

// Only the first 8 bytes of the key text are used, without parity adjustment.
constexpr std::string_view kKeyText = "k7!Qw%P2z&m9X";
constexpr size_t kBlockSize = 8;

int HexDigitValue(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Pairs of hexadecimal digits to bytes; nullopt for an odd length or a byte
// that is not a digit (a damaged settings file must not yield a password).
std::optional<std::string> DecodeHex(std::string_view text) {
  if (text.size() % 2 != 0) return std::nullopt;
  std::string bytes;
  bytes.reserve(text.size() / 2);
  for (size_t i = 0; i < text.size(); i += 2) {
    int high = HexDigitValue(text[i]);
    int low = HexDigitValue(text[i + 1]);
    if (high < 0 || low < 0) return std::nullopt;
    bytes.push_back(static_cast<char>(high * 16 + low));
  }
  return bytes;
}

}  // namespace

std::string ScramblePassword(std::string_view password) {
  std::string plain = platform::Utf8ToGbk(password);
  plain.push_back('\0');
  return common::BytesToHex(common::DesEncrypt(plain, kKeyText.substr(0, kBlockSize)));
}

std::optional<std::string> UnscramblePassword(std::string_view stored) {
  std::optional<std::string> cipher = DecodeHex(stored);
  if (!cipher || cipher->empty() || cipher->size() % kBlockSize != 0) return std::nullopt;
  std::string plain = common::DesDecrypt(*cipher, kKeyText.substr(0, kBlockSize));
  size_t end = plain.find('\0');
  if (end != std::string::npos) plain.resize(end);
  return platform::GbkToUtf8(plain);
}

}  // namespace credentials
