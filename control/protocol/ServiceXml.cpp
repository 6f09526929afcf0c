#include "control/protocol/ServiceXml.h"

namespace album_protocol {
namespace {

std::string LowerCase(std::string text) {
  for (char& c : text) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return text;
}

}  // namespace

CServiceXml::CServiceXml(std::string_view document) {
  // NOTE: the reader stops at the first NUL byte, so a NUL inside an answer
  // simply ends the document there.
  parsed_ = !document.empty() && reader_.Parse(document);
}

bool CServiceXml::EnterRoot() { return parsed_ && reader_.FindNext("root") && reader_.Enter(); }

bool CServiceXml::EnterChild(const char* name) {
  return parsed_ && reader_.FindNext(name) && reader_.Enter();
}

bool CServiceXml::NextChild(const char* name) { return parsed_ && reader_.FindNext(name); }

std::vector<CServiceXml::Field> CServiceXml::Fields() {
  std::vector<Field> fields;
  if (!parsed_) return fields;
  while (reader_.FindNext("")) fields.push_back(Field{LowerCase(reader_.TagName()), reader_.Text()});
  return fields;
}

std::vector<CServiceXml::Field> CServiceXml::CurrentChildFields() {
  if (!parsed_ || !reader_.Enter()) return {};
  std::vector<Field> fields = Fields();
  reader_.Leave();
  return fields;
}

}  // namespace album_protocol
