// The main() of every test program. Tests must never touch the real home, so
// before any test runs HOME, the XDG folders and the machine settings hive are
// pointed at a fresh temporary folder, which is removed afterwards.
#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <stdlib.h>

#include <filesystem>
#include <memory>

#include "tools/testsupport/TempDir.h"

namespace testsupport {
namespace {

std::unique_ptr<TempDir> g_home;

void IsolateHome() {
  g_home = std::make_unique<TempDir>("tessel-home");
  const std::filesystem::path& home = g_home->path();
  for (const char* sub : {".config", ".local/share", ".cache", "machine", "runtime", "Pictures"})
    std::filesystem::create_directories(home / sub);
  std::filesystem::permissions(home / "runtime", std::filesystem::perms::owner_all);
  setenv("HOME", home.c_str(), 1);
  setenv("XDG_CONFIG_HOME", (home / ".config").c_str(), 1);
  setenv("XDG_DATA_HOME", (home / ".local/share").c_str(), 1);
  setenv("XDG_CACHE_HOME", (home / ".cache").c_str(), 1);
  setenv("XDG_RUNTIME_DIR", (home / "runtime").c_str(), 1);
  setenv("XDG_PICTURES_DIR", (home / "Pictures").c_str(), 1);
  setenv("TESSEL_MACHINE_SETTINGS_DIR", (home / "machine").c_str(), 1);
  unsetenv("XDG_CONFIG_DIRS");
  unsetenv("XDG_DATA_DIRS");
}

}  // namespace

const std::filesystem::path& IsolatedHome() { return g_home->path(); }

}  // namespace testsupport

int main(int argc, char** argv) {
  testsupport::IsolateHome();
  testing::InitGoogleMock(&argc, argv);
  int result = RUN_ALL_TESTS();
  testsupport::g_home.reset();
  return result;
}
