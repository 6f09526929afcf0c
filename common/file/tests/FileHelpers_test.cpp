// Listing and measuring a real temporary folder tree; host address; starting
// a program.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "common/file/FileList.h"
#include "common/file/FolderSize.h"
#include "common/file/LocalAddress.h"
#include "common/file/RunProgram.h"
#include "platform/system/Network.h"
#include "tools/testsupport/TempDir.h"

namespace {

namespace fs = std::filesystem;
using Paths = std::vector<std::string>;

// root/a.JPG(3) b.txt(5) empty/ loop -> root  sub/c.jpg(7) sub/deeper/d.Jpg(11) sub/deeper/e.png(13)
class FolderTreeTest : public testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "sub/deeper");
    fs::create_directories(dir_ / "empty");
    dir_.WriteFile("a.JPG", "aaa");
    dir_.WriteFile("b.txt", "bbbbb");
    dir_.WriteFile("sub/c.jpg", std::string(7, 'c'));
    dir_.WriteFile("sub/deeper/d.Jpg", std::string(11, 'd'));
    dir_.WriteFile("sub/deeper/e.png", std::string(13, 'e'));
    fs::create_directory_symlink(dir_.path(), dir_ / "loop");
  }
  std::string Root() const { return dir_.path().string(); }
  testsupport::TempDir dir_;
};

TEST_F(FolderTreeTest, ListsWithFilterAndRecursion) {
  const std::string r = Root();
  struct {
    bool recurse;
    const char* ending;
    Paths expected;
  } cases[] = {
      {false, "", {r + "/a.JPG", r + "/b.txt"}},
      {true,
       "",
       {r + "/a.JPG", r + "/b.txt", r + "/sub/c.jpg", r + "/sub/deeper/d.Jpg", r + "/sub/deeper/e.png"}},
      {true, ".jpg", {r + "/a.JPG", r + "/sub/c.jpg", r + "/sub/deeper/d.Jpg"}},
      {true, "PNG", {r + "/sub/deeper/e.png"}},
      {true, ".gif", {}},
      {true, "a-name-longer-than-any-file.jpg", {}},
  };
  for (const auto& c : cases) {
    Paths paths = {"earlier"};
    int count = common::ListFiles(r, &paths, c.recurse, c.ending);
    Paths expected = {"earlier"};
    expected.insert(expected.end(), c.expected.begin(), c.expected.end());
    EXPECT_EQ(paths, expected) << "recurse " << c.recurse << " ending " << c.ending;
    EXPECT_EQ(count, static_cast<int>(c.expected.size()));
  }
}

TEST_F(FolderTreeTest, MissingFolderListsNothing) {
  Paths paths;
  EXPECT_EQ(common::ListFiles((dir_ / "missing").string(), &paths, true, ""), 0);
  EXPECT_TRUE(paths.empty());
}

TEST_F(FolderTreeTest, LongPathsAreNotCut) {
  fs::path deep = dir_.path();
  for (int i = 0; i < 4; ++i) deep /= std::string(90, static_cast<char>('p' + i));
  fs::create_directories(deep);
  std::string relative = fs::relative(deep / "long.jpg", dir_.path()).string();
  dir_.WriteFile(relative, "x");
  Paths paths;
  EXPECT_EQ(common::ListFiles(Root(), &paths, true, "long.jpg"), 1);
  ASSERT_EQ(paths.size(), 1u);
  EXPECT_EQ(paths[0], (deep / "long.jpg").string());
  EXPECT_GT(paths[0].size(), 360u);
}

TEST_F(FolderTreeTest, FolderSizeAddsToTotals) {
  fs::path before = fs::current_path();
  uint64_t total = 100, count = 1;
  ASSERT_TRUE(common::FolderSize(Root(), &total, &count));
  // Five files of 39 bytes, and the link to a folder as one file of size 0.
  EXPECT_EQ(total, 100u + 39u);
  EXPECT_EQ(count, 1u + 6u);
  EXPECT_EQ(fs::current_path(), before) << "the current folder is left alone";

  total = count = 0;
  ASSERT_TRUE(common::FolderSize((dir_ / "sub").string(), &total, &count));
  EXPECT_EQ(total, 31u);
  EXPECT_EQ(count, 3u);

  total = count = 0;
  ASSERT_TRUE(common::FolderSize((dir_ / "b.txt").string(), &total, &count));
  EXPECT_EQ(total, 5u);
  EXPECT_EQ(count, 1u);

  total = count = 0;
  ASSERT_TRUE(common::FolderSize((dir_ / "empty").string(), &total, &count));
  EXPECT_EQ(count, 0u);
}

TEST_F(FolderTreeTest, FolderSizeOfMissingPathFails) {
  uint64_t total = 7, count = 7;
  EXPECT_FALSE(common::FolderSize((dir_ / "missing").string(), &total, &count));
  EXPECT_EQ(total, 7u);
  EXPECT_EQ(count, 7u);
}

// Whether /etc/hosts names this host, so resolving it sends nothing to the network.
bool HostNameIsInHostsFile() {
  std::string name;
  if (!platform::LocalHostName(&name)) return false;
  std::istringstream hosts(testsupport::ReadFileBytes("/etc/hosts"));
  for (std::string line; std::getline(hosts, line);) {
    std::istringstream words(line.substr(0, line.find('#')));
    std::string word;
    words >> word;  // the address
    while (words >> word)
      if (word == name) return true;
  }
  return false;
}

TEST(LocalAddressTest, ReportsNameAndDottedAddress) {
  if (!HostNameIsInHostsFile()) GTEST_SKIP() << "the host name would be looked up on the network";
  std::string name, address;
  ASSERT_TRUE(common::LocalAddress(&name, &address));
  EXPECT_FALSE(name.empty());
  int parts[4];
  char tail;
  EXPECT_EQ(std::sscanf(address.c_str(), "%d.%d.%d.%d%c", &parts[0], &parts[1], &parts[2], &parts[3], &tail),
            4)
      << address;
}

TEST(RunProgramTest, StartsProgramWithParametersAndHandsOverHandle) {
  testsupport::TempDir dir;
  fs::path script = dir.WriteFile("record.sh", "#!/bin/sh\nprintf '%s|' \"$@\" > \"$1\"\nexit 3\n");
  fs::permissions(script, fs::perms::owner_all);
  fs::path out = dir / "args.txt";
  platform::ProcessHandle handle;
  ASSERT_TRUE(
      common::RunProgram(script.string(), "\"" + out.string() + "\" \"two words\" x", &handle, false));
  ASSERT_TRUE(handle.Wait(10000));
  EXPECT_EQ(handle.ExitCode(), 3);
  EXPECT_EQ(testsupport::ReadFileBytes(out), out.string() + "|two words|x|");
}

TEST(RunProgramTest, WithoutHandleAndMissingProgram) {
  testsupport::TempDir dir;
  EXPECT_TRUE(common::RunProgram("/bin/true", "", nullptr, true));
  EXPECT_FALSE(common::RunProgram((dir / "no-such-program").string(), "", nullptr, true));
}

}  // namespace
