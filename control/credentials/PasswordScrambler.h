// The scrambling of a remembered password: single DES in electronic-codebook
// mode with the fixed key, over the password's GBK bytes and one zero byte,
// padded to whole blocks (PKCS #5), written as lower-case hexadecimal text.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace credentials {

// The stored text of a password (UTF-8 in memory, GBK bytes on disk).
std::string ScramblePassword(std::string_view password);

// The password back from its stored text, or nullopt when the text is empty,
// not pairs of hexadecimal digits, or not whole cipher blocks. The plain text
// ends at its first zero byte; padding bytes are not checked.
std::optional<std::string> UnscramblePassword(std::string_view stored);

}  // namespace credentials
