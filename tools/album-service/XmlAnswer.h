// Builds the small XML answers of the service: a declaration and one "root"
// element holding simple child elements in the order they are added.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace albumservice {

class XmlAnswer {
 public:
  XmlAnswer();
  // <name>escaped text</name>
  XmlAnswer& Add(std::string_view name, std::string_view text);
  XmlAnswer& Add(std::string_view name, std::int64_t value);
  // Opens and closes a nested element.
  XmlAnswer& Open(std::string_view name);
  XmlAnswer& Close(std::string_view name);
  // The document, root closed.
  std::string Finish() const;

 private:
  std::string text_;
};

// Content-Type of every XML answer; the client reads answers only when it
// begins with "text/".
inline constexpr const char* kXmlType = "text/xml; charset=utf-8";
inline constexpr const char* kTextType = "text/plain; charset=utf-8";
inline constexpr const char* kHtmlType = "text/html; charset=utf-8";

}  // namespace albumservice
