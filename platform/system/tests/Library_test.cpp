#include "platform/system/Library.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/system/Process.h"

namespace platform {
namespace {

constexpr char kPlatformLibrary[] = TESSEL_BINARY_DIR "/platform/libjqplatform.so";

TEST(LibraryTest, BindsAFunctionByName) {
  Library library;
  ASSERT_TRUE(library.Open(kPlatformLibrary)) << library.Error();
  // The mangled name of platform::CurrentProcessId(), as a host binds C++ exports.
  auto* current_pid = reinterpret_cast<int (*)()>(library.Symbol("_ZN8platform16CurrentProcessIdEv"));
  ASSERT_NE(current_pid, nullptr) << library.Error();
  EXPECT_EQ(current_pid(), CurrentProcessId());
  EXPECT_EQ(library.Symbol("no_such_symbol"), nullptr);
  EXPECT_FALSE(library.Error().empty());

  Library moved = std::move(library);
  EXPECT_FALSE(library.IsOpen());
  EXPECT_TRUE(moved.IsOpen());
  moved.Close();
  EXPECT_EQ(moved.Symbol("_ZN8platform16CurrentProcessIdEv"), nullptr);
}

TEST(LibraryTest, FailuresExplainThemselves) {
  Library library;
  EXPECT_FALSE(library.Open("/nonexistent/libnothing.so"));
  EXPECT_NE(library.Error().find("libnothing"), std::string::npos) << library.Error();
  EXPECT_FALSE(library.Open(""));
  EXPECT_FALSE(library.Error().empty());
}

TEST(LibraryTest, FindsTheFileThatHoldsAnAddress) {
  EXPECT_EQ(Library::PathOfAddress(reinterpret_cast<const void*>(&CurrentProcessId)),
            std::filesystem::canonical(kPlatformLibrary).string());
  EXPECT_EQ(Library::PathOfAddress(nullptr), "");
}

}  // namespace
}  // namespace platform
