// Shared libraries loaded at run time and looked up by symbol name, the way
// the host program binds the control library's exports.
#pragma once

#include <string>

namespace platform {

// One loaded shared library; unloaded when closed or destroyed.
class Library {
 public:
  Library() = default;
  ~Library();
  Library(Library&& other) noexcept;
  Library& operator=(Library&& other) noexcept;
  Library(const Library&) = delete;
  Library& operator=(const Library&) = delete;

  // Loads the library at `path` (all its symbols resolved now). False on
  // failure, with the reason in Error(). Closes any library held before.
  bool Open(const std::string& path);
  // Whether a library is loaded.
  bool IsOpen() const { return handle_ != nullptr; }
  // The address of a symbol (a mangled name for C++ functions), or null with
  // the reason in Error().
  void* Symbol(const std::string& name);
  // Unloads the library.
  void Close();
  // The reason of the last failure of this object, empty if none.
  const std::string& Error() const { return error_; }

  // Full path of the loaded file that holds `address` (a function or object of
  // that file), or empty. Lets a library find its own file.
  static std::string PathOfAddress(const void* address);

 private:
  void* handle_ = nullptr;
  std::string error_;
};

}  // namespace platform
