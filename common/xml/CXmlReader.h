// CXmlReader: the one XML parser of the system. A single pass over the
// document records where every element's start tag, content and end tag lie;
// a cursor then moves over that index, and names, attribute values and
// character data are cut out of the text and decoded only when asked for.
// The document is read, never changed. Texts are UTF-8.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "common/xml/CXmlElementIndex.h"
#include "common/xml/CXmlScanner.h"

class CXmlReader {
 public:
  // An empty document: the error text reads "Empty document".
  CXmlReader();

  // Copies the text (up to its first NUL byte), rebuilds the index and resets
  // the cursor. True when a root element was indexed; otherwise the error text
  // says why and every find fails. A null text is taken as empty.
  bool Parse(const char* text);
  bool Parse(std::string_view text);
  // Reads a whole file and parses it. The error text then starts with the
  // byte count ("1024 bytes"), followed by ", " and the parse error on failure.
  // A file that cannot be read leaves the previous document, index and cursor
  // as they were, with the system's message as the error text.
  bool LoadFile(const std::string& path);

  // Moves to the next sibling element with that name (any name when empty).
  bool FindNext(std::string_view name = {});
  // Moves the child position to the next child of the current element with
  // that name (any name when empty).
  bool FindNextChild(std::string_view name = {});
  // Descends: the current element becomes the parent, the child found last
  // becomes current.
  bool Enter();
  // Goes back up: the parent becomes current again.
  bool Leave();

  // The current element's tag name; empty without a current element.
  std::string TagName() const;
  // The current element's decoded character data; empty for an element with
  // child elements or without an end tag.
  std::string Text() const;
  // The decoded value of an attribute; empty when it is absent or unquoted.
  std::string Attribute(std::string_view name) const;
  // Why the last Parse or LoadFile failed; empty after a successful Parse.
  const std::string& LastError() const { return error_; }

 private:
  enum class NodeKind { kNone, kElement };
  struct OpenElement {
    uint32_t index;
    int32_t name_start;
    int32_t name_length;
  };

  bool ParseDocument(std::string_view text);
  bool BuildIndex();
  bool OpenStartTag(const XmlNode& node, uint32_t* parent, uint32_t* depth, uint32_t* root);
  bool CloseEndTag(const XmlNode& node, uint32_t* parent, uint32_t* depth);
  bool Fail(std::string message);
  void ResetCursor();
  bool NameMatches(int32_t start, int32_t length, std::string_view requested) const;
  bool ElementNameMatches(uint32_t element, std::string_view requested) const;
  std::string Name(int32_t start, int32_t length) const { return doc_.substr(start, length); }

  std::string doc_;
  CXmlElementIndex index_;
  std::vector<OpenElement> open_;
  std::string error_;
  uint32_t parent_ = 0;
  uint32_t current_ = 0;
  uint32_t child_ = 0;
  NodeKind kind_ = NodeKind::kNone;
};
