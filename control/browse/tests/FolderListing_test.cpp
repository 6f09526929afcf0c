#include "control/browse/FolderListing.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "tools/testsupport/TempDir.h"

namespace folder_browse {
namespace {

namespace fs = std::filesystem;

// A file of `bytes` bytes; large ones are sparse, so they cost no disk.
void MakeFile(const fs::path& path, uintmax_t bytes) {
  std::ofstream(path, std::ios::binary) << "x";
  fs::resize_file(path, bytes);
}

class FolderListingTest : public ::testing::Test {
 protected:
  std::string Path(const char* name) const { return (dir_.path() / name).string(); }
  testsupport::TempDir dir_;
};

TEST_F(FolderListingTest, ListsAcceptedExtensionsOnly) {
  for (const char* name : {"a.JPG", "b.jpeg", "c.wmf", "d.txt", "e.Png", "noext"}) MakeFile(Path(name), 10);
  fs::create_directory(Path("sub.jpg"));
  MakeFile(Path("sub.jpg") + "/inner.jpg", 10);
  EXPECT_EQ(ListFolderPictures(dir_.path().string(), false),
            (std::vector<std::string>{Path("a.JPG"), Path("b.jpeg"), Path("e.Png")}));
  // Keep-original takes only what goes up unchanged.
  EXPECT_EQ(ListFolderPictures(dir_.path().string(), true),
            (std::vector<std::string>{Path("a.JPG"), Path("e.Png")}));
}

TEST_F(FolderListingTest, SizeLimits) {
  MakeFile(Path("six.jpg"), 6u << 20);
  MakeFile(Path("exact.jpg"), kMaxKeepOriginalBytes);
  MakeFile(Path("big.png"), 99u << 20);
  MakeFile(Path("huge.bmp"), kMaxListedBytes + 1);
  EXPECT_EQ(ListFolderPictures(dir_.path().string(), false),
            (std::vector<std::string>{Path("big.png"), Path("exact.jpg"), Path("six.jpg")}));
  EXPECT_EQ(ListFolderPictures(dir_.path().string(), true), (std::vector<std::string>{Path("exact.jpg")}));
  EXPECT_EQ(CheckPictureFile(Path("huge.bmp"), false), ListingVerdict::kTooLarge);
  EXPECT_EQ(CheckPictureFile(Path("six.jpg"), true), ListingVerdict::kTooLarge);
}

TEST_F(FolderListingTest, MissingAndDanglingFilesAreUnreadable) {
  fs::create_symlink(Path("gone.jpg"), Path("link.jpg"));
  EXPECT_EQ(CheckPictureFile(Path("link.jpg"), false), ListingVerdict::kUnreadable);
  EXPECT_EQ(CheckPictureFile(Path("never.gif"), false), ListingVerdict::kUnreadable);
  EXPECT_EQ(CheckPictureFile(Path("never.wmf"), false), ListingVerdict::kWrongExtension);
  EXPECT_TRUE(ListFolderPictures(Path("no-such-folder"), false).empty());
}

TEST(LowerExtension, TakesTheLastDotOfTheFileName) {
  EXPECT_EQ(LowerExtension("/p/a.b/photo.TAR.JPG"), ".jpg");
  EXPECT_EQ(LowerExtension("/p/a.b/photo"), "");
  EXPECT_EQ(LowerExtension(".gif"), ".gif");
}

}  // namespace
}  // namespace folder_browse
