// A small walker over the album service's XML answers, on the shared XML
// reader: find the root "root", step into named children, and collect the
// name and text of every child element of one level in document order.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "common/xml/CXmlReader.h"

namespace album_protocol {

class CServiceXml {
 public:
  // One child element: its name in lower case and its decoded text.
  struct Field {
    std::string name;
    std::string text;
  };

  // Parses the answer; an unreadable one makes every step below fail.
  explicit CServiceXml(std::string_view document);

  // Finds the root element "root" and steps into it.
  bool EnterRoot();
  // Finds the next child `name` of the current level and steps into it.
  bool EnterChild(const char* name);
  // Finds the next child `name` of the current level and makes it current.
  bool NextChild(const char* name);
  // The child elements of the current level after the current one (all of
  // them right after stepping in), in document order.
  std::vector<Field> Fields();
  // The child elements of the element made current by NextChild.
  std::vector<Field> CurrentChildFields();

 private:
  CXmlReader reader_;
  bool parsed_ = false;
};

}  // namespace album_protocol
