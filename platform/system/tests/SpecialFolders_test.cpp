#include "platform/system/SpecialFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <optional>

#include "platform/system/Environment.h"
#include "tools/testsupport/TempDir.h"

namespace platform {
namespace {

// Saves the variables a test changes and puts them back afterwards.
class SpecialFoldersTest : public testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : {"HOME", "XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_PICTURES_DIR", "TMPDIR"})
      saved_[name] = FindEnv(name);
    home_ = dir_.path() / "home";
    std::filesystem::create_directories(home_);
    SetEnv("HOME", home_.string());
    for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_PICTURES_DIR", "TMPDIR"})
      UnsetEnv(name);
  }
  void TearDown() override {
    for (const auto& [name, value] : saved_) value ? SetEnv(name, *value) : UnsetEnv(name);
  }

  testsupport::TempDir dir_;
  std::filesystem::path home_;
  std::map<std::string, std::optional<std::string>> saved_;
};

TEST_F(SpecialFoldersTest, DataAndConfigFollowXdgVariables) {
  EXPECT_EQ(HomeFolder(), home_.string());
  EXPECT_EQ(AppDataFolder(), (home_ / ".local/share").string());
  EXPECT_EQ(ConfigFolder(), (home_ / ".config").string());
  EXPECT_EQ(ProductUserFolder(), (home_ / ".local/share/JQMarlin").string());

  SetEnv("XDG_DATA_HOME", "/srv/data/");
  SetEnv("XDG_CONFIG_HOME", "/srv/config");
  EXPECT_EQ(AppDataFolder(), "/srv/data");
  EXPECT_EQ(ProductUserFolder(), "/srv/data/JQMarlin");
  EXPECT_EQ(ConfigFolder(), "/srv/config");

  // Relative values are not to be used.
  SetEnv("XDG_DATA_HOME", "relative/data");
  EXPECT_EQ(AppDataFolder(), (home_ / ".local/share").string());
}

TEST_F(SpecialFoldersTest, PicturesFallBackStepByStep) {
  // Nothing configured and no Pictures folder: the home folder.
  EXPECT_EQ(PicturesFolder(), home_.string());

  std::filesystem::create_directories(home_ / "Pictures");
  EXPECT_EQ(PicturesFolder(), (home_ / "Pictures").string());

  dir_.WriteFile(
      "home/.config/user-dirs.dirs",
      "# written by the desktop\nXDG_DESKTOP_DIR=\"$HOME/Desktop\"\nXDG_PICTURES_DIR=\"$HOME/Bilder\"\n");
  EXPECT_EQ(PicturesFolder(), (home_ / "Bilder").string());

  SetEnv("XDG_PICTURES_DIR", "/media/photos");
  EXPECT_EQ(PicturesFolder(), "/media/photos");
}

TEST_F(SpecialFoldersTest, TempFolderEndsInASlash) {
  EXPECT_EQ(TempFolder(), "/tmp/");
  SetEnv("TMPDIR", dir_.path().string());
  EXPECT_EQ(TempFolder(), dir_.path().string() + "/");
  SetEnv("TMPDIR", (dir_ / "missing").string());
  EXPECT_EQ(TempFolder(), "/tmp/");
}

TEST_F(SpecialFoldersTest, ExecutableIsThisTestProgram) {
  std::filesystem::path self = std::filesystem::canonical("/proc/self/exe");
  EXPECT_EQ(ExecutablePath(), self.string());
  EXPECT_EQ(ExecutableFolder(), self.parent_path().string());
}

}  // namespace
}  // namespace platform
