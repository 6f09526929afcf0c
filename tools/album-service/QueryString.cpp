#include "tools/album-service/QueryString.h"

#include "tools/album-service/TextCodec.h"

namespace albumservice {

QueryString QueryString::FromTarget(std::string_view target) {
  size_t mark = target.find('?');
  if (mark == std::string_view::npos) return FromText("");
  std::string_view query = target.substr(mark + 1);
  size_t fragment = query.find('#');
  if (fragment != std::string_view::npos) query = query.substr(0, fragment);
  return FromText(query);
}

QueryString QueryString::FromText(std::string_view query) {
  QueryString result;
  result.text_ = std::string(query);
  size_t pos = 0;
  while (pos <= query.size() && !query.empty()) {
    size_t end = query.find('&', pos);
    if (end == std::string_view::npos) end = query.size();
    std::string_view item = query.substr(pos, end - pos);
    if (!item.empty()) {
      size_t eq = item.find('=');
      std::string key = PercentDecode(item.substr(0, eq));
      std::string value = eq == std::string_view::npos ? std::string() : std::string(item.substr(eq + 1));
      result.pairs_.emplace_back(std::move(key), std::move(value));
    }
    pos = end + 1;
  }
  return result;
}

bool QueryString::Has(std::string_view key) const {
  for (const auto& pair : pairs_) {
    if (pair.first == key) return true;
  }
  return false;
}

std::optional<std::string> QueryString::Bytes(std::string_view key) const {
  for (const auto& pair : pairs_) {
    if (pair.first == key) return PercentDecode(pair.second);
  }
  return std::nullopt;
}

std::string QueryString::Value(std::string_view key) const { return Bytes(key).value_or(std::string()); }

std::string QueryString::GbkValue(std::string_view key) const { return GbkToUtf8(Value(key)); }

std::optional<std::string> QueryString::RawTail(std::string_view key) const {
  std::string needle = std::string(key) + "=";
  if (text_.compare(0, needle.size(), needle) == 0) return text_.substr(needle.size());
  size_t at = text_.find("&" + needle);
  if (at == std::string::npos) return std::nullopt;
  return text_.substr(at + 1 + needle.size());
}

std::optional<long long> QueryString::Number(std::string_view key) const {
  std::optional<std::string> text = Bytes(key);
  if (!text || text->empty() || text->size() > 15) return std::nullopt;
  long long value = 0;
  for (char c : *text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  return value;
}

}  // namespace albumservice
