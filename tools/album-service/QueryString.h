// The query of a request target, read from the raw bytes rather than from the
// HTTP library's parameter map: the client sends some values unencoded (an
// album password may hold "&"), and login names arrive percent-encoded in GBK.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace albumservice {

// Key/value pairs of one query, in order, values kept raw (still encoded).
class QueryString {
 public:
  // Parses the part of a request target after its first "?" (empty without one).
  static QueryString FromTarget(std::string_view target);
  // Parses a bare query text ("a=1&b=2"), e.g. a form body.
  static QueryString FromText(std::string_view query);

  // True when the key occurs, even with an empty value.
  bool Has(std::string_view key) const;
  // The first value of the key, percent-decoded into bytes; nullopt when absent.
  std::optional<std::string> Bytes(std::string_view key) const;
  // The first value, percent-decoded, or "" when absent.
  std::string Value(std::string_view key) const;
  // A value that the client sends in GBK, as UTF-8.
  std::string GbkValue(std::string_view key) const;
  // Everything after "key=" up to the end of the query, raw: for the last key
  // of a request whose value the client does not encode.
  std::optional<std::string> RawTail(std::string_view key) const;
  // The value as a non-negative integer; nullopt when absent or not a number.
  std::optional<long long> Number(std::string_view key) const;
  // Every pair in order, values raw.
  const std::vector<std::pair<std::string, std::string>>& pairs() const { return pairs_; }

 private:
  std::string text_;
  std::vector<std::pair<std::string, std::string>> pairs_;
};

}  // namespace albumservice
