#include "common/xml/CXmlReader.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <system_error>

#include "common/xml/XmlCharClass.h"
#include "common/xml/XmlTextDecoder.h"

namespace {

// Offsets are 32-bit signed, so a document (with its NUL) must stay below 2 GB.
constexpr size_t kMaxDocumentLength = 0x7FFFFFFEu;
// The open-element stack starts with room for this many entries.
constexpr size_t kInitialStackRoom = 6;
// The CDATA section's "<![CDATA[" and "]]>".
constexpr int32_t kCDataOpenLength = 9;
constexpr int32_t kCDataCloseLength = 3;

std::string Format(const char* format, const std::string& a, int32_t b) {
  std::string out(a.size() + 96, '\0');
  int n = std::snprintf(out.data(), out.size(), format, a.c_str(), static_cast<int>(b));
  out.resize(n > 0 ? static_cast<size_t>(n) : 0);
  return out;
}

}  // namespace

CXmlReader::CXmlReader() { Parse(std::string_view()); }

bool CXmlReader::Parse(const char* text) { return Parse(text ? std::string_view(text) : std::string_view()); }

bool CXmlReader::Parse(std::string_view text) {
  error_.clear();
  try {
    return ParseDocument(text);
  } catch (const std::bad_alloc&) {
    doc_.clear();
    doc_.shrink_to_fit();
    index_ = CXmlElementIndex();
    ResetCursor();
    return Fail("Not enough memory for the document");
  }
}

bool CXmlReader::ParseDocument(std::string_view text) {
  const void* nul = text.empty() ? nullptr : std::memchr(text.data(), '\0', text.size());
  if (nul) text = text.substr(0, static_cast<size_t>(static_cast<const char*>(nul) - text.data()));
  ResetCursor();
  if (text.size() > kMaxDocumentLength) {
    doc_.clear();
    index_.Reset(8);
    return Fail("Document too large");
  }
  doc_.assign(text.data(), text.size());
  index_.Reset(static_cast<uint32_t>(doc_.size() / 64 + 8));
  if (doc_.empty()) return Fail("Empty document");
  return BuildIndex();
}

bool CXmlReader::LoadFile(const std::string& path) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) {
    error_ = std::error_code(errno, std::generic_category()).message();
    return false;
  }
  std::string bytes;
  char buffer[65536];
  bool too_large = false;
  size_t n;
  while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0) {
    if (bytes.size() + n > kMaxDocumentLength) {
      too_large = true;
      break;
    }
    bytes.append(buffer, n);
  }
  int read_error = std::ferror(file) ? errno : 0;
  std::fclose(file);
  if (read_error != 0) {
    error_ = std::error_code(read_error, std::generic_category()).message();
    return false;
  }
  if (too_large) {
    error_ = "Document too large";
    return false;
  }
  // NOTE: the bytes stay UTF-8. A byte-order mark forms a text node in front of
  // the root element and is ignored like any other text outside it.
  bool ok = Parse(std::string_view(bytes));
  std::string message = std::to_string(bytes.size()) + " bytes";
  if (!ok) message += ", " + error_;
  error_ = std::move(message);
  return ok;
}

bool CXmlReader::Fail(std::string message) {
  error_ = std::move(message);
  index_.Reset(8);
  ResetCursor();
  return false;
}

void CXmlReader::ResetCursor() {
  parent_ = current_ = child_ = 0;
  kind_ = NodeKind::kNone;
}

bool CXmlReader::BuildIndex() {
  CXmlScanner scanner(doc_.c_str(), static_cast<int32_t>(doc_.size()));
  open_.clear();
  open_.reserve(kInitialStackRoom);
  uint32_t parent = 0, depth = 0, root = 0;
  XmlNode node;
  int32_t pos = 0;
  for (;;) {
    switch (scanner.Scan(pos, &node)) {
      case XmlNodeKind::kStartTag:
        if (!OpenStartTag(node, &parent, &depth, &root)) return false;
        break;
      case XmlNodeKind::kEndTag:
        if (!CloseEndTag(node, &parent, &depth)) return false;
        break;
      case XmlNodeKind::kError:
        return Fail(scanner.Error());
      case XmlNodeKind::kEndOfDocument: {
        if (!open_.empty()) {
          const OpenElement& e = open_.back();
          return Fail(Format("Element '%s' at offset %d not ended", Name(e.name_start, e.name_length),
                             index_[e.index].start));
        }
        if (root == 0) return Fail("Root element not found");
        index_[0].first_child_index = root;
        index_[0].length = static_cast<int32_t>(doc_.size());
        return true;
      }
      default:
        break;  // text, whitespace, CDATA, comments, PIs and declarations make no records
    }
    pos = node.start + node.length;
  }
}

bool CXmlReader::OpenStartTag(const XmlNode& node, uint32_t* parent, uint32_t* depth, uint32_t* root) {
  uint32_t n = index_.Append();
  if (n == 0) return Fail("Too many elements");
  if (*root != 0 && *depth == 0)
    return Fail(Format("Element '%s' at offset %d is sibling to root",
                       Name(node.name_start, node.name_length), node.start));
  if (*root == 0) *root = n;
  ElementRecord& r = index_[n];
  ElementRecord& p = index_[*parent];
  r.start = node.start;
  r.start_tag_length = node.length;
  r.level = *depth;
  r.parent = *parent;
  r.first_child_index = 0;
  r.next_sibling = 0;
  if (p.first_child_index == 0) {
    p.first_child_index = n;
    r.first_child = 1;
    r.previous_sibling = n;
  } else {
    ElementRecord& first = index_[p.first_child_index];
    r.first_child = 0;
    r.previous_sibling = first.previous_sibling;
    index_[first.previous_sibling].next_sibling = n;
    first.previous_sibling = n;
  }
  if (node.empty_element) {
    r.length = node.length;
    r.end_tag_length = 0;
    return true;
  }
  if (open_.size() == open_.capacity()) open_.reserve(2 * open_.size() + kInitialStackRoom);
  open_.push_back({n, node.name_start, node.name_length});
  *parent = n;
  ++*depth;
  return true;
}

bool CXmlReader::CloseEndTag(const XmlNode& node, uint32_t* parent, uint32_t* depth) {
  if (open_.empty())
    return Fail(Format("No start tag for end tag '%s' at offset %d", Name(node.name_start, node.name_length),
                       node.start));
  OpenElement open = open_.back();
  open_.pop_back();
  ElementRecord& r = index_[open.index];
  r.length = node.start + node.length - r.start;
  r.end_tag_length = node.length;
  bool same = node.name_length == open.name_length;
  for (int32_t i = 0; same && i < node.name_length; ++i)
    same = xmlchar::FoldCase(doc_[node.name_start + i]) == xmlchar::FoldCase(doc_[open.name_start + i]);
  if (!same) {
    std::string message =
        Format("End tag '%s' at offset %d", Name(node.name_start, node.name_length), node.start + 1);
    message += Format(" does not match start tag '%s' at offset %d", Name(open.name_start, open.name_length),
                      r.start);
    return Fail(std::move(message));
  }
  *parent = r.parent;
  --*depth;
  return true;
}

// A document name matches when it equals the requested name without regard to
// case, and the requested name ends there or goes on with ' ', '=', '/' or '['.
bool CXmlReader::NameMatches(int32_t start, int32_t length, std::string_view requested) const {
  if (requested.size() < static_cast<size_t>(length)) return false;
  for (int32_t i = 0; i < length; ++i)
    if (xmlchar::FoldCase(doc_[start + i]) != xmlchar::FoldCase(requested[i])) return false;
  if (requested.size() == static_cast<size_t>(length)) return true;
  char next = requested[length];
  return next == ' ' || next == '=' || next == '/' || next == '[';
}

bool CXmlReader::ElementNameMatches(uint32_t element, std::string_view requested) const {
  if (requested.empty()) return true;
  CXmlScanner scanner(doc_.c_str(), static_cast<int32_t>(doc_.size()));
  XmlToken name = scanner.NextToken(index_[element].start + 1);
  return NameMatches(name.start, name.length, requested);
}

bool CXmlReader::FindNext(std::string_view name) {
  uint32_t e = current_ ? index_[current_].next_sibling : index_[parent_].first_child_index;
  for (; e != 0; e = index_[e].next_sibling) {
    if (ElementNameMatches(e, name)) {
      current_ = e;
      child_ = 0;
      kind_ = NodeKind::kElement;
      return true;
    }
  }
  return false;
}

bool CXmlReader::FindNextChild(std::string_view name) {
  if (current_ == 0 && !FindNext()) return false;
  uint32_t e = child_ ? index_[child_].next_sibling : index_[current_].first_child_index;
  for (; e != 0; e = index_[e].next_sibling) {
    if (ElementNameMatches(e, name)) {
      child_ = e;
      return true;
    }
  }
  return false;
}

bool CXmlReader::Enter() {
  if (current_ == 0 || kind_ != NodeKind::kElement) return false;
  parent_ = current_;
  current_ = child_;
  child_ = 0;
  return true;
}

bool CXmlReader::Leave() {
  if (parent_ == 0) return false;
  child_ = current_;
  current_ = parent_;
  parent_ = index_[parent_].parent;
  kind_ = NodeKind::kElement;
  return true;
}

std::string CXmlReader::TagName() const {
  if (current_ == 0) return std::string();
  CXmlScanner scanner(doc_.c_str(), static_cast<int32_t>(doc_.size()));
  XmlToken name = scanner.NextToken(index_[current_].start + 1);
  return Name(name.start, name.length);
}

std::string CXmlReader::Attribute(std::string_view name) const {
  if (current_ == 0) return std::string();
  CXmlScanner scanner(doc_.c_str(), static_cast<int32_t>(doc_.size()));
  XmlToken token = scanner.NextToken(index_[current_].start + 1);  // the tag name
  enum { kSearching, kWantEquals, kWantValue } state = kSearching;
  for (;;) {
    token = scanner.NextToken(token.next);
    if (token.at_end) return std::string();
    char first = doc_[token.start];
    bool delimiter = !token.quoted && token.length == 1;
    if (delimiter && (first == '/' || first == '>' || first == '?')) return std::string();
    bool equals = delimiter && first == '=';
    if (state == kWantEquals) {
      if (!equals) return std::string();
      state = kWantValue;
    } else if (state == kWantValue) {
      if (!token.quoted) return std::string();
      std::string value;
      AppendDecodedXmlText(doc_.data() + token.start, doc_.data() + token.start + token.length, &value);
      return value;
    } else if (!token.quoted && !equals && NameMatches(token.start, token.length, name)) {
      state = kWantEquals;
    }
  }
}

std::string CXmlReader::Text() const {
  if (current_ == 0) return std::string();
  const ElementRecord& r = index_[current_];
  if (r.first_child_index != 0 || r.end_tag_length == 0) return std::string();
  int32_t begin = r.start + r.start_tag_length;
  int32_t end = r.start + r.length - r.end_tag_length;
  const char* doc = doc_.data();
  std::string text;
  if (!std::memchr(doc + begin, '<', static_cast<size_t>(end - begin))) {
    AppendDecodedXmlText(doc + begin, doc + end, &text);
    return text;
  }
  CXmlScanner scanner(doc_.c_str(), static_cast<int32_t>(doc_.size()));
  XmlNode node;
  for (int32_t pos = begin; pos < end; pos = node.start + node.length) {
    XmlNodeKind kind = scanner.Scan(pos, &node);
    if (kind == XmlNodeKind::kText) {
      AppendDecodedXmlText(doc + node.start, doc + node.start + node.length, &text);
    } else if (kind == XmlNodeKind::kCData) {
      // A section as short as "<![C]]>" has no content rather than a negative one.
      int32_t from = node.start + kCDataOpenLength;
      int32_t to = node.start + node.length - kCDataCloseLength;
      if (to > from) text.append(doc + from, doc + to);
    } else if (kind == XmlNodeKind::kError || kind == XmlNodeKind::kEndOfDocument) {
      break;
    }
  }
  return text;
}
