#include "control/session/SessionState.h"

#include <gtest/gtest.h>

#include <string>

#include "BuildConfig.h"

namespace {

using Slot = CSessionState::EndpointSlot;

TEST(SessionStateTest, StartsEmptyWithAlbumEnabledAndNoLimits) {
  CSessionState state;
  EXPECT_EQ(state.AlbumEnabled(), 1);
  EXPECT_EQ(state.PerUploadSizeLimit(), 0u);
  EXPECT_EQ(state.SingleFileLimit(), 0u);
  EXPECT_EQ(state.PhotoLimit(), 0);
  EXPECT_EQ(state.SystemProxy(), 0);
  EXPECT_TRUE(state.Uid().empty());
  EXPECT_TRUE(state.Endpoint(Slot::kLogin).empty());
  EXPECT_EQ(state.DragSource(), nullptr);
  EXPECT_FALSE(state.IsLoggedIn());
}

TEST(SessionStateTest, InitConfigSetsPhotoLimitButLeavesByteLimitsAtZero) {
  CSessionState state;
  state.InitConfig();
  EXPECT_EQ(state.PhotoLimit(), 300);
  EXPECT_EQ(state.PerUploadSizeLimit(), 0u);
  EXPECT_EQ(state.SingleFileLimit(), 0u);
}

struct DefaultCase {
  Slot slot;
  const char* host;
  const char* path;
};

TEST(SessionStateTest, InitConfigGivesEverySlotItsHostAndPath) {
  const DefaultCase cases[] = {
      {Slot::kLogin, buildconfig::kAlbumApiHost, "/apis/client/client_login.php"},
      {Slot::kUpload, buildconfig::kUploadHost, "/interface/pic_upload.php"},
      {Slot::kRegistration, buildconfig::kAlbumApiHost, "/upload/upload_receive.php"},
      {Slot::kQuota, buildconfig::kAlbumApiHost, "/apis/client/client_get_photoinfo.php"},
      {Slot::kAlbumList, buildconfig::kAlbumApiHost, "/apis/client/client_get_ctginfo.php"},
      {Slot::kAlbumInfo, buildconfig::kAlbumApiHost, "/apis/client/client_get_ctginfo.php"},
      {Slot::kAlbumCreate, buildconfig::kAlbumApiHost, "/apis/client/client_create_ctg.php"},
  };
  CSessionState state;
  state.InitConfig();
  for (const DefaultCase& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.slot));
    std::string host = c.host;
    while (!host.empty() && host.back() == '/') host.pop_back();
    EXPECT_EQ(state.Endpoint(c.slot), host + c.path);
  }
}

TEST(SessionStateTest, ReplacingTheAlbumListSlotLeavesTheAlbumInfoSlot) {
  CSessionState state;
  state.InitConfig();
  std::string info_default = state.Endpoint(Slot::kAlbumInfo);
  state.SetAlbumListEndpoint("http://127.0.0.1:1/list.php");
  EXPECT_EQ(state.Endpoint(Slot::kAlbumList), "http://127.0.0.1:1/list.php");
  EXPECT_EQ(state.Endpoint(Slot::kAlbumInfo), info_default);
}

TEST(SessionStateTest, SlotNumberOutsideTheTableReadsEmptyAndWritesNothing) {
  CSessionState state;
  state.InitConfig();
  EXPECT_TRUE(state.Endpoint(static_cast<Slot>(0)).empty());
  EXPECT_TRUE(state.Endpoint(static_cast<Slot>(8)).empty());
}

struct LoggedInCase {
  int album_enabled;
  const char* uid;
  const char* token;
  bool logged_in;
};

TEST(SessionStateTest, LoggedInNeedsAlbumEnabledUidAndToken) {
  const LoggedInCase cases[] = {
      {1, "42", "t0k", true}, {0, "42", "t0k", false}, {1, "", "t0k", false},
      {1, "42", "", false},   {7, "42", "t0k", true},
  };
  for (const LoggedInCase& c : cases) {
    SCOPED_TRACE(std::string(c.uid) + "/" + c.token + "/" + std::to_string(c.album_enabled));
    CSessionState state;
    state.SetAlbumEnabled(c.album_enabled);
    state.SetUid(c.uid);
    state.SetToken(c.token);
    EXPECT_EQ(state.IsLoggedIn(), c.logged_in);
  }
}

}  // namespace
