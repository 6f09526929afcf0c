#include "tools/album-service/XmlAnswer.h"

#include "tools/album-service/TextCodec.h"

namespace albumservice {

XmlAnswer::XmlAnswer() : text_("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<root>") {}

XmlAnswer& XmlAnswer::Add(std::string_view name, std::string_view text) {
  text_ += "<" + std::string(name) + ">" + EscapeMarkup(text) + "</" + std::string(name) + ">";
  return *this;
}

XmlAnswer& XmlAnswer::Add(std::string_view name, std::int64_t value) {
  return Add(name, std::to_string(value));
}

XmlAnswer& XmlAnswer::Open(std::string_view name) {
  text_ += "<" + std::string(name) + ">";
  return *this;
}

XmlAnswer& XmlAnswer::Close(std::string_view name) {
  text_ += "</" + std::string(name) + ">";
  return *this;
}

std::string XmlAnswer::Finish() const { return text_ + "</root>"; }

}  // namespace albumservice
