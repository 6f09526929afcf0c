// CHttpClientMapT: the header and parameter maps of the HTTP client. A multimap
// from name to (value, flags) ordered by name without regard to ASCII case,
// equal names in insertion order; every traversal follows this order.
#pragma once

#include <cstdint>
#include <exception>
#include <map>
#include <new>
#include <optional>
#include <string>

#include "http/HttpClientException.h"

namespace Corvo {

// Flags of parameter entries.
inline constexpr uint32_t ParamFile = 1;          // the value is the path of a file to upload
inline constexpr uint32_t ParamEncodedName = 2;   // the name is already encoded
inline constexpr uint32_t ParamEncodedValue = 4;  // the value is already encoded

template <typename HttpTool>
class CHttpClientMapT {
 public:
  struct Entry {
    std::optional<std::string> value;
    uint32_t flags = 0;
  };
  struct NameLess {
    bool operator()(const std::string& a, const std::string& b) const {
      return HttpTool::CompareNoCase(a, b) < 0;
    }
  };
  using Map = std::multimap<std::string, Entry, NameLess>;
  using const_iterator = typename Map::const_iterator;

  // Adds an entry (copies of name and value; value may be none).
  void Add(const char* name, const char* value, uint32_t flags = 0) {
    if (name == nullptr) ThrowArgumentError("CHttpClientMapT::Add: szName can not be NULL.");
    Guard([&] { map_.emplace(std::string(name), MakeEntry(value, flags)); });
  }

  // Adds an entry taking over already built strings.
  void AddPointerDirectly(std::optional<std::string>&& name, std::optional<std::string>&& value,
                          uint32_t flags) {
    if (!name) ThrowArgumentError("CHttpClientMapT::AddPointerDirectly: szName can not be NULL.");
    Guard([&] { map_.emplace(std::move(*name), Entry{std::move(value), flags}); });
  }

  // The index-th value of name (none when there is no such entry or it has no value).
  const char* Get(const char* name, uint32_t index = 0, uint32_t* flags = nullptr) const {
    if (name == nullptr) ThrowArgumentError("CHttpClientMapT::Get: szName can not be NULL.");
    const Entry* entry = Find(name, index);
    if (entry == nullptr) return nullptr;
    if (flags != nullptr) *flags = entry->flags;
    return entry->value ? entry->value->c_str() : nullptr;
  }

  // Replaces the index-th entry of name, or adds one when there is none.
  void Set(const char* name, const char* value, uint32_t flags = 0, uint32_t index = 0) {
    if (name == nullptr) ThrowArgumentError("CHttpClientMapT::Set: szName can not be NULL.");
    Guard([&] {
      Entry* entry = const_cast<Entry*>(Find(name, index));
      if (entry != nullptr)
        *entry = MakeEntry(value, flags);
      else
        map_.emplace(std::string(name), MakeEntry(value, flags));
    });
  }

  // Entries of name, or all entries when name is none.
  uint32_t Count(const char* name = nullptr) const {
    if (name == nullptr) return static_cast<uint32_t>(map_.size());
    return static_cast<uint32_t>(map_.count(std::string(name)));
  }

  // Removes every entry of name.
  void RemoveAll(const char* name) {
    if (name == nullptr) ThrowArgumentError("CHttpClientMapT::RemoveAll: szName can not be NULL.");
    map_.erase(std::string(name));
  }

  void Clear() noexcept { map_.clear(); }
  bool Empty() const noexcept { return map_.empty(); }
  const_iterator begin() const { return map_.begin(); }
  const_iterator end() const { return map_.end(); }

 private:
  static Entry MakeEntry(const char* value, uint32_t flags) {
    Entry entry;
    if (value != nullptr) entry.value = std::string(value);
    entry.flags = flags;
    return entry;
  }

  const Entry* Find(const char* name, uint32_t index) const {
    auto range = map_.equal_range(std::string(name));
    for (auto it = range.first; it != range.second; ++it)
      if (index-- == 0) return &it->second;
    return nullptr;
  }

  // Library failures pass; out of memory is code 102, a standard exception
  // code 108 with its own text, anything else code 100.
  template <typename Action>
  static void Guard(Action action) {
    try {
      action();
    } catch (const httpclientexceptionA&) {
      throw;
    } catch (const std::bad_alloc&) {
      ThrowHttpError(HttpError::kOutOfMemory);
    } catch (const std::exception& e) {
      throw httpclientexceptionA(e.what(), HttpError::kStdException);
    } catch (...) {
      ThrowHttpError(HttpError::kUnexpected);
    }
  }

  Map map_;
};

}  // namespace Corvo
