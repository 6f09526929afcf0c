// One JSON object on one line, built key by key; texts are escaped, and bytes
// that are not UTF-8 (file names may hold any) become U+FFFD.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace tessel_upload {

class CJsonLine {
 public:
  CJsonLine& Add(std::string_view key, std::string_view text);
  CJsonLine& Add(std::string_view key, const char* text) { return Add(key, std::string_view(text)); }
  CJsonLine& Add(std::string_view key, int64_t number);
  CJsonLine& Add(std::string_view key, uint64_t number);
  CJsonLine& Add(std::string_view key, int number) { return Add(key, static_cast<int64_t>(number)); }
  CJsonLine& Add(std::string_view key, bool flag);
  // Adds a value written already as JSON (an array or object).
  CJsonLine& AddRaw(std::string_view key, std::string_view json);
  // The object's text, without a line end.
  std::string Text() const { return body_ + "}"; }

  // A JSON string literal of a text.
  static std::string Quote(std::string_view text);

 private:
  void Key(std::string_view key);
  std::string body_ = "{";
};

}  // namespace tessel_upload
