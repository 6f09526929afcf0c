// Thumbnails of real picture items made on the worker thread through the
// dispatcher's thumbnail queue (0x8100), answered with 0x8003 or 0x8004 to a
// list window on the test thread in a real message loop.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

#include "control/dispatch/DispatchMessages.h"
#include "control/dispatch/TaskDispatchThread.h"
#include "control/items/ImageItem.h"
#include "control/items/ItemPaths.h"
#include "control/upload/tests/UploadFixtures.h"
#include "platform/window/Messaging.h"
#include "platform/window/Wnd.h"
#include "tools/testsupport/TempDir.h"

namespace {

using namespace uploadtest;

// Records the replies and releases the job's reference, as the list views do.
class ListWnd : public platform::CWnd {
 public:
  ListWnd() { CreateEx(0, RegisterWndClass(0), "list", WS_OVERLAPPED, platform::RECT{}, nullptr, 0); }
  ~ListWnd() override { DestroyWindow(); }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message == WM_WORK_THUMBNAIL_MADE || message == WM_WORK_THUMBNAIL_FAILED) {
      auto* item = reinterpret_cast<CImageItem*>(lParam);
      replies.push_back({message, item->Path(), item->HasThumbnail() ? item->Thumbnail()->Width() : 0});
      item->Release();
      return 0;
    }
    return CWnd::WindowProc(message, wParam, lParam);
  }
  struct Reply {
    UINT message;
    std::string path;
    int thumbnailWidth;
  };
  std::vector<Reply> replies;
};

TEST(ThumbnailJobsTest, WorkerMakesThumbnailsInOrderAndReportsFailures) {
  Watchdog watchdog;
  testsupport::TempDir dir;
  const std::vector<std::string> paths = {(dir / "wide.png").string(), (dir / "broken.jpg").string(),
                                          (dir / "small.bmp").string()};
  ASSERT_TRUE(WritePicture(paths[0], 300, 100, kImagePng));
  dir.WriteFile("broken.jpg", "\xFF\xD8\xFF not really");
  ASSERT_TRUE(WritePicture(paths[2], 30, 20, kImageBmp));

  ListWnd list;
  {
    CTaskDispatchThread dispatcher;
    ASSERT_TRUE(dispatcher.Start());
    for (const std::string& path : paths) {
      auto* item = new CountedItem(path);
      item->AddRef();  // the job's reference; the creator's goes below
      if (!platform::PostMessage(dispatcher.DispatchWnd(), WM_TASK_THUMBNAIL_PUSH,
                                 reinterpret_cast<WPARAM>(list.m_hWnd), reinterpret_cast<LPARAM>(item)))
        item->Release();
      item->Release();
    }
    PumpUntil([&] { return list.replies.size() == paths.size(); });
    dispatcher.Stop();
  }
  ASSERT_EQ(list.replies.size(), 3u);
  EXPECT_EQ(list.replies[0].message, WM_WORK_THUMBNAIL_MADE);
  EXPECT_EQ(list.replies[0].thumbnailWidth, 83);
  EXPECT_EQ(list.replies[1].message, WM_WORK_THUMBNAIL_FAILED);
  EXPECT_EQ(list.replies[1].path, paths[1]);
  EXPECT_EQ(list.replies[2].message, WM_WORK_THUMBNAIL_MADE);
  EXPECT_EQ(list.replies[2].thumbnailWidth, 30);
  EXPECT_EQ(g_liveItems.load(), 0);
  std::error_code error;
  std::filesystem::remove_all(item_paths::ThumbnailFolder(), error);
}

}  // namespace
