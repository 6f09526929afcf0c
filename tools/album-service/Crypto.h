// Digests and random identifiers (OpenSSL's libcrypto).
#pragma once

#include <string>
#include <string_view>

namespace albumservice {

// MD5 of the bytes as 32 lower-case hex digits.
std::string Md5Hex(std::string_view bytes);

// SHA-256 of the bytes as 64 lower-case hex digits.
std::string Sha256Hex(std::string_view bytes);

// byte_count random bytes from the system's generator, as lower-case hex.
std::string RandomHex(size_t byte_count);

}  // namespace albumservice
