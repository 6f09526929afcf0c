// Picture items on real files in the isolated home: names and types, the
// thumbnail fitting rule, the per-user thumbnail cache and its modification
// time rule, rotation into edited copies, and the queue through the host.
#include "control/items/ImageItem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "codec/Picture.h"
#include "common/crypto/Sha1.h"
#include "control/items/ImageItemHost.h"
#include "control/items/ItemPaths.h"
#include "control/upload/tests/UploadFixtures.h"
#include "tools/testsupport/TempDir.h"

namespace {

namespace fs = std::filesystem;
using uploadtest::WritePicture;

// The client view as the items see it: a map of edited copies, a record of
// thumbnail requests (each holding its reference) and a set as the queue.
class FakeHost : public IImageItemHost {
 public:
  ~FakeHost() override {
    for (CImageItem* item : requests) item->Release();
  }
  std::optional<std::string> FindEditedCopy(const std::string& path) override {
    auto it = copies.find(path);
    return it == copies.end() ? std::nullopt : std::optional<std::string>(it->second);
  }
  void SetEditedCopy(const std::string& path, const std::string& copy) override { copies[path] = copy; }
  void ForgetEditedCopy(const std::string& path) override { copies.erase(path); }
  void RequestThumbnail(CImageItem* item) override {
    item->AddRef();
    requests.push_back(item);
  }
  void OnPictureEdited(const std::string& path) override { edited.push_back(path); }
  bool IsQueued(const std::string& path) override { return queue.count(path) != 0; }
  bool Enqueue(const std::string& path, const std::string&) override {
    if (refuseQueue) return false;
    queue.insert(path);
    return true;
  }
  void Dequeue(const std::string& path) override { queue.erase(path); }
  void RepaintQueueViews() override { ++repaints; }

  std::map<std::string, std::string> copies;
  std::vector<CImageItem*> requests;
  std::vector<std::string> edited;
  std::set<std::string> queue;
  bool refuseQueue = false;
  int repaints = 0;
};

// Items are reference-counted; a test holds the creator's reference.
struct ItemRef {
  explicit ItemRef(CImageItem* item) : item(item) {}
  ~ItemRef() { item->Release(); }
  CImageItem* operator->() const { return item; }
  CImageItem* item;
};

class ImageItemTest : public ::testing::Test {
 protected:
  void TearDown() override {
    std::error_code error;
    fs::remove_all(item_paths::ThumbnailFolder(), error);
    fs::remove_all(item_paths::EditedCopyFolder(), error);
  }
  std::string Write(const std::string& name, int width, int height, int type) {
    std::string path = (dir / name).string();
    EXPECT_TRUE(WritePicture(path, width, height, type)) << path;
    return path;
  }
  testsupport::TempDir dir;
  FakeHost host;
};

TEST_F(ImageItemTest, NameTypeAndCacheNameComeFromTheLastExtension) {
  std::string path = Write("IMG.1.JPG", 20, 10, kImageJpeg);
  ItemRef item(new CImageItem(&host, nullptr, CImageItem::kFolderItem, path));
  EXPECT_EQ(item->DisplayName(), "IMG");
  EXPECT_EQ(item->ImageType(), kImageJpeg);
  EXPECT_EQ(item->FileSize(), fs::file_size(path));
  std::string cache = item_paths::ThumbnailCachePath(path);
  EXPECT_EQ(cache, item_paths::ThumbnailFolder() + "/" + common::Sha1Hex(path) + ".JPG");
  EXPECT_EQ(item_paths::ThumbnailFolder(),
            testsupport::IsolatedHome().string() + "/.local/share/JQMarlin/Thumbs");

  // A converted item is named after its source; an override wins over both.
  item->SetSourcePath("/pictures/海边.日落.png");
  item->SetPath("/tmp/_tmptrans_x.jpg");
  EXPECT_TRUE(item->IsConverted());
  EXPECT_EQ(item->DisplayName(), "海边");
  ItemRef named(new CImageItem(&host, CImageItem::kQueueItem, path, "假日"));
  EXPECT_EQ(named->DisplayName(), "假日");
  EXPECT_EQ(named->Kind(), CImageItem::kQueueItem);
}

TEST_F(ImageItemTest, TypesFromExtensions) {
  const std::vector<std::pair<std::string, int>> cases = {
      {"a.bmp", kImageBmp},       {"a.GIF", kImageGif}, {"a.jpeg", kImageJpeg},
      {"a.Jpg", kImageJpeg},      {"a.png", kImagePng}, {"a.tga", kImageTga},
      {"a.PCX", kImagePcx},       {"a.wmf", kImageWmf}, {"a.psd", kImagePsd},
      {"a.txt", kImageUnknown},   {"a", kImageUnknown}, {"d.png/a", kImageUnknown},
      {"a.png.gz", kImageUnknown}};
  for (const auto& [path, type] : cases) EXPECT_EQ(item_paths::ImageTypeFromPath(path), type) << path;
}

TEST_F(ImageItemTest, PathsWithoutCodePageFormGetTheirOwnCacheNames) {
  // Both emoji become '?' in the code page; their cache files must differ.
  EXPECT_NE(item_paths::DigestName("/p/\xF0\x9F\x98\x80.jpg"),
            item_paths::DigestName("/p/\xF0\x9F\x98\xBA.jpg"));
  // A path the code page can hold is digested over its code-page bytes.
  EXPECT_EQ(item_paths::DigestName("/p/海.jpg"), common::Sha1Hex("/p/\xBA\xA3.jpg"));
}

TEST_F(ImageItemTest, ThumbnailsFitIntoTheBoxWithoutEnlarging) {
  struct Case {
    int width, height, thumbWidth, thumbHeight;
  };
  const Case cases[] = {{200, 100, 83, 41}, {100, 200, 41, 83}, {50, 40, 50, 40},
                        {83, 83, 83, 83},   {84, 84, 83, 83},   {3000, 2, 83, 1}};
  for (const Case& c : cases) {
    std::string path = Write(std::to_string(c.width) + "x" + std::to_string(c.height) + ".png", c.width,
                             c.height, kImagePng);
    ItemRef item(new CImageItem(&host, nullptr, CImageItem::kFolderItem, path));
    ASSERT_TRUE(item->MakeThumbnail()) << path;
    auto thumbnail = item->Thumbnail();
    EXPECT_EQ(thumbnail->Width(), c.thumbWidth) << path;
    EXPECT_EQ(thumbnail->Height(), c.thumbHeight) << path;
    EXPECT_EQ(item->SourceWidth(), c.width);
    item->FreeThumbnail();
    EXPECT_FALSE(item->HasThumbnail());
  }
}

TEST_F(ImageItemTest, CacheEntryCarriesThePictureTimeAndIsUsedWhileCurrent) {
  std::string path = Write("cached.png", 200, 100, kImagePng);
  {
    ItemRef item(new CImageItem(&host, nullptr, CImageItem::kFolderItem, path));
    ASSERT_TRUE(item->MakeThumbnail());
  }
  std::string cache = item_paths::ThumbnailCachePath(path);
  ASSERT_TRUE(fs::exists(cache));
  EXPECT_EQ(fs::last_write_time(cache), fs::last_write_time(path));

  // A different picture in the cache file, as current as the source: it is used.
  auto time = fs::last_write_time(cache);
  ASSERT_TRUE(WritePicture(cache, 10, 10, kImagePng));
  fs::last_write_time(cache, time);
  ItemRef again(new CImageItem(&host, nullptr, CImageItem::kFolderItem, path));
  ASSERT_TRUE(again->MakeThumbnail());
  EXPECT_EQ(again->Thumbnail()->Width(), 10);
}

TEST_F(ImageItemTest, StaleCacheEntryIsRebuiltAfterThePictureChanges) {
  std::string path = Write("changing.png", 200, 100, kImagePng);
  {
    ItemRef item(new CImageItem(&host, nullptr, CImageItem::kFolderItem, path));
    ASSERT_TRUE(item->MakeThumbnail());
  }
  std::string cache = item_paths::ThumbnailCachePath(path);
  auto oldTime = fs::last_write_time(cache);
  // The picture is replaced by a taller one, modified later than the entry.
  ASSERT_TRUE(WritePicture(path, 100, 200, kImagePng));
  fs::last_write_time(path, oldTime + std::chrono::seconds(5));

  ItemRef item(new CImageItem(&host, nullptr, CImageItem::kFolderItem, path));
  EXPECT_FALSE(item->LoadCachedThumbnail());
  ASSERT_TRUE(item->MakeThumbnail());
  EXPECT_EQ(item->Thumbnail()->Width(), 41);
  EXPECT_EQ(item->Thumbnail()->Height(), 83);
  EXPECT_EQ(fs::last_write_time(cache), fs::last_write_time(path));
}

TEST_F(ImageItemTest, PngNamedJpgStillGetsAThumbnail) {
  std::string path = (dir / "really-a-png.jpg").string();
  ASSERT_TRUE(WritePicture(path, 120, 60, kImagePng));
  ItemRef item(new CImageItem(&host, nullptr, CImageItem::kFolderItem, path));
  ASSERT_TRUE(item->MakeThumbnail());
  EXPECT_EQ(item->Thumbnail()->Width(), 83);
}

TEST_F(ImageItemTest, PicturesThatCannotGiveAThumbnail) {
  std::string damaged = dir.WriteFile("damaged.png", "\x89PNG\r\n\x1a\n but nothing more").string();
  std::string unknown = Write("picture.xyz", 20, 20, kImagePng);
  std::string missing = (dir / "missing.png").string();
  for (const std::string& path : {damaged, unknown, missing}) {
    ItemRef item(new CImageItem(&host, nullptr, CImageItem::kFolderItem, path));
    EXPECT_FALSE(item->MakeThumbnail()) << path;
    EXPECT_FALSE(item->HasThumbnail());
    EXPECT_FALSE(item->Rotate(true)) << path;
  }
  EXPECT_TRUE(host.copies.empty());
}

// The colour of the top-left pixel: dark for the marked corner.
bool TopLeftIsDark(const std::string& path) {
  Picture picture;
  if (!picture.LoadFromFile(path, kImageUnknown)) return false;
  uint8_t rgba[4];
  picture.PixelRgba(0, 0, rgba);
  return rgba[0] < 40 && rgba[1] < 40 && rgba[2] < 40;
}

TEST_F(ImageItemTest, RotatingTwiceWritesOneEditedCopyThatTheThumbnailFollows) {
  std::string path = Write("turn.png", 200, 100, kImagePng);
  ItemRef item(new CImageItem(&host, nullptr, CImageItem::kFolderItem, path));
  ASSERT_TRUE(item->MakeThumbnail());
  std::string copy = item_paths::EditedCopyPath(path);

  ASSERT_TRUE(item->Rotate(true));
  EXPECT_EQ(host.copies[path], copy);
  EXPECT_EQ(host.edited, std::vector<std::string>{path});
  ASSERT_EQ(host.requests.size(), 1u);
  EXPECT_EQ(host.requests[0], item.item);
  EXPECT_FALSE(item->HasThumbnail());
  Picture turned;
  ASSERT_TRUE(turned.LoadFromFile(copy, kImagePng));
  EXPECT_EQ(turned.Width(), 100);
  EXPECT_EQ(turned.Height(), 200);
  // Clockwise: the marked top-left corner moves to the top right.
  EXPECT_FALSE(TopLeftIsDark(copy));
  ASSERT_TRUE(item->MakeThumbnail());
  EXPECT_EQ(item->Thumbnail()->Width(), 41);

  ASSERT_TRUE(item->Rotate(true));
  EXPECT_EQ(host.copies.size(), 1u);
  EXPECT_EQ(host.requests.size(), 2u);
  ASSERT_TRUE(turned.LoadFromFile(copy, kImagePng));
  EXPECT_EQ(turned.Width(), 200);
  ASSERT_TRUE(item->MakeThumbnail());
  EXPECT_EQ(item->Thumbnail()->Width(), 83);
  EXPECT_EQ(item->Thumbnail()->Height(), 41);
  // The source itself is never touched.
  EXPECT_TRUE(TopLeftIsDark(path));

  // Back by two left turns: the copy shows the picture as it was.
  ASSERT_TRUE(item->Rotate(false));
  ASSERT_TRUE(item->Rotate(false));
  EXPECT_TRUE(TopLeftIsDark(copy));
}

TEST_F(ImageItemTest, EditedCopyThatVanishedIsForgotten) {
  std::string path = Write("gone.png", 40, 20, kImagePng);
  host.copies[path] = (dir / "deleted-copy.png").string();
  ItemRef item(new CImageItem(&host, nullptr, CImageItem::kFolderItem, path));
  ASSERT_TRUE(item->Rotate(false));
  // Rotated from the picture itself, into a fresh copy.
  EXPECT_EQ(host.copies[path], item_paths::EditedCopyPath(path));
  Picture turned;
  ASSERT_TRUE(turned.LoadFromFile(host.copies[path], kImagePng));
  EXPECT_EQ(turned.Width(), 20);
  // Counter-clockwise: the marked corner moves to the bottom left.
  EXPECT_FALSE(TopLeftIsDark(host.copies[path]));
}

TEST_F(ImageItemTest, QueueMembershipGoesThroughTheHost) {
  std::string path = Write("queued.png", 20, 20, kImagePng);
  ItemRef item(new CImageItem(&host, nullptr, CImageItem::kFolderItem, path));
  EXPECT_EQ(item->RefreshQueuedFlag() & CImageItem::kQueued, 0u);
  EXPECT_TRUE(item->AddToQueue());
  EXPECT_TRUE(item->AddToQueue());  // already there: no second entry, no repaint
  EXPECT_EQ(host.repaints, 1);
  EXPECT_NE(item->RefreshQueuedFlag() & CImageItem::kQueued, 0u);
  EXPECT_TRUE(item->RemoveFromQueue());
  EXPECT_TRUE(item->RemoveFromQueue());
  EXPECT_EQ(host.repaints, 2);
  EXPECT_EQ(item->RefreshQueuedFlag() & CImageItem::kQueued, 0u);
  host.refuseQueue = true;
  EXPECT_FALSE(item->AddToQueue());
}

TEST_F(ImageItemTest, BoxSitsCentredInTheCell) {
  ItemRef item(new CImageItem(std::string("/x.png")));
  EXPECT_EQ(item->ThumbnailRect().right, 0);  // no cell yet
  item->SetCell(platform::RECT{100, 50, 205, 175});
  platform::RECT box = item->ThumbnailRect();
  EXPECT_EQ(box.left, 110);
  EXPECT_EQ(box.top, 60);
  EXPECT_EQ(box.right - box.left, 85);
  EXPECT_EQ(box.bottom - box.top, 85);
}

}  // namespace
