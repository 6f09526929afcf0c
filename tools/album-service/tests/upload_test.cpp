// The picture upload and its registration: answers, refusals, a full album,
// concurrent uploads, and the album page that shows the result.
#include <gtest/gtest.h>

#include <set>
#include <thread>

#include "tools/album-service/tests/ServiceFixture.h"

namespace albumservice::tests {
namespace {

class UploadTest : public ServiceTest {};

TEST_F(UploadTest, UploadAnswersACountAndAReceiptThatRegistersOnce) {
  LoginSession s = Login();
  std::string picture = FakeJpeg(5000);
  HttpAnswer upload = Upload(s, picture, "C:/Users/me/Pictures/a.jpg");
  EXPECT_EQ(upload.status, 200);
  EXPECT_EQ(upload.content_type.rfind("text/", 0), 0u);
  std::smatch match;
  ASSERT_TRUE(std::regex_match(upload.body, match,
                               std::regex("<\\?xml version=\"1.0\" encoding=\"utf-8\"\\?>\n"
                                          "<root><count>1</count><data>([0-9a-f]{32})</data></root>")))
      << upload.body;
  std::string receipt = match[1];

  // Tags and title in GBK: 风景 = B7 E7 BE B0, 照片一.jpg = D5 D5 C6 AC D2 BB .jpg.
  HttpAnswer answer = Post(Url("/upload/upload_receive.php?appname=client&" + Session(s) +
                               "&ctgid=1&tag=%B7%E7%BE%B0%20sea&uip=10.0.0.5&title=%D5%D5%C6%AC%D2%BB.jpg"
                               "&cliver=2.1.0.7120"),
                           MultipartBody({{"picdata", receipt, ""}}), MultipartType());
  EXPECT_EQ(answer.body, "+OK:1");
  EXPECT_EQ(answer.content_type.rfind("text/", 0), 0u);
  EXPECT_EQ(RegisterPicture(s, receipt, "1").rfind("-ERROR", 0), 0u) << "a receipt registers once";

  std::string list = service_->RunTool({"--list"});
  EXPECT_NE(list.find("\"\xE7\x85\xA7\xE7\x89\x87\xE4\xB8\x80.jpg\" image/jpeg 5000 bytes"),
            std::string::npos)
      << list;
  EXPECT_NE(list.find("tags [\xE9\xA3\x8E\xE6\x99\xAF, sea], from 10.0.0.5"), std::string::npos) << list;

  // The album page shows it and the picture comes back byte for byte.
  HttpAnswer page = Get(Url("/list/photo_b.php?uid=" + s.uid + "&ctg_id=1"));
  EXPECT_EQ(page.status, 200);
  std::string src = "/photos/" + receipt + ".jpg";
  EXPECT_NE(page.body.find("<img src=\"" + src + "\""), std::string::npos) << page.body;
  HttpAnswer served = Get(Url(src));
  EXPECT_EQ(served.content_type, "image/jpeg");
  EXPECT_EQ(served.body, picture);
}

TEST_F(UploadTest, RefusedUploadsAnswerCountZeroAndStoreNothing) {
  ASSERT_TRUE(service_->AddUser("small", "x", {"--max-single-kb", "1", "--leave-kb", "3"}));
  LoginSession s = Login();
  LoginSession small = Login("small", "x");
  std::string base =
      "/interface/pic_upload.php?app=photo&s=xml&exif=1&token=" + s.token + "&sess=" + s.cookie;
  struct Case {
    const char* what;
    std::string url;
    std::string body;
    std::string type;
  };
  std::vector<Case> cases = {
      {"wrong sess", "/interface/pic_upload.php?token=" + s.token + "&sess=" + std::string(32, '0'),
       MultipartBody({{"pic1", FakeJpeg(100), "a.jpg"}}), MultipartType()},
      {"token of another session", "/interface/pic_upload.php?token=" + small.token + "&sess=" + s.cookie,
       MultipartBody({{"pic1", FakeJpeg(100), "a.jpg"}}), MultipartType()},
      {"not a picture", base, MultipartBody({{"pic1", "hello world", "a.jpg"}}), MultipartType()},
      {"empty file", base, MultipartBody({{"pic1", "", "a.jpg"}}), MultipartType()},
      {"wrong part name", base, MultipartBody({{"pic2", FakeJpeg(100), "a.jpg"}}), MultipartType()},
      {"plain part", base, MultipartBody({{"pic1", FakeJpeg(100), ""}}), MultipartType()},
      {"no parts", base, MultipartBody({}), MultipartType()},
      {"other boundary", base, MultipartBody({{"pic1", FakeJpeg(100), "a.jpg"}}),
       MultipartType("----other-")},
      {"truncated body", base, MultipartBody({{"pic1", FakeJpeg(100), "a.jpg"}}).substr(0, 150),
       MultipartType()},
      {"not multipart", base, FakeJpeg(100), "image/jpeg"},
      {"above the single-file limit",
       "/interface/pic_upload.php?token=" + small.token + "&sess=" + small.cookie,
       MultipartBody({{"pic1", FakeJpeg(1025), "a.jpg"}}), MultipartType()},
  };
  for (const Case& c : cases) {
    HttpAnswer answer = Post(Url(c.url), c.body, c.type);
    EXPECT_EQ(answer.status, 200) << c.what;
    EXPECT_NE(answer.body.find("<count>0</count><data></data><error>"), std::string::npos)
        << c.what << ": " << answer.body;
  }
  EXPECT_NE(service_->RunTool({"--list"}).find("pending uploads: 0\n"), std::string::npos);
}

TEST_F(UploadTest, MonthlySpaceIsCheckedAtUploadAndAgainAtRegistration) {
  ASSERT_TRUE(service_->AddUser("tight", "x", {"--leave-kb", "3"}));
  LoginSession s = Login("tight", "x");
  ASSERT_EQ(CreateAlbum(s, "a").substr(0, 3), "+OK");
  std::string album = AlbumId(s, "a");
  // Two 2 KB uploads both fit the free space on their own...
  std::string first = UploadReceipt(s, FakeJpeg(2048)), second = UploadReceipt(s, FakeJpeg(2048));
  ASSERT_FALSE(first.empty());
  ASSERT_FALSE(second.empty());
  // ...but only one registration does.
  EXPECT_EQ(RegisterPicture(s, first, album).substr(0, 3), "+OK");
  std::string refused = RegisterPicture(s, second, album);
  EXPECT_EQ(refused.rfind("-ERROR", 0), 0u) << refused;
  EXPECT_NE(Upload(s, FakeJpeg(2048)).body.find("<count>0</count>"), std::string::npos);
}

TEST_F(UploadTest, RegistrationRefusesBadReceiptsTokensAlbumsAndTags) {
  ASSERT_TRUE(service_->AddUser("other", "x"));
  LoginSession s = Login(), other = Login("other", "x");
  std::string mine = UploadReceipt(s, FakeJpeg(300)), theirs = UploadReceipt(other, FakeJpeg(300));
  ASSERT_FALSE(mine.empty());
  struct Case {
    const char* what;
    LoginSession who;
    std::string receipt, album, tags;
  };
  std::string sixteen_tags;
  for (int i = 0; i < 16; ++i) sixteen_tags += std::string(i ? "%20" : "") + static_cast<char>('a' + i);
  std::vector<Case> cases = {
      {"unknown receipt", s, std::string(32, 'f'), "1", ""},
      {"empty receipt", s, "", "1", ""},
      {"another user's receipt", s, theirs, "1", ""},
      {"wrong token", LoginSession{s.uid, s.cookie, other.token}, mine, "1", ""},
      {"unknown album", s, mine, "99", ""},
      {"another user's album", other, theirs, "1", ""},
      {"album id missing", s, mine, "", ""},
      {"forbidden tag", s, mine, "1", "&tag=sea%20forbidden"},
      {"forbidden GBK tag", s, mine, "1", "&tag=%CE%A5%BD%FB"},
      {"sixteen tags", s, mine, "1", "&tag=" + sixteen_tags},
      {"tag of 17 bytes", s, mine, "1", "&tag=abcdefghijklmnopq"},
  };
  for (const Case& c : cases) {
    std::string answer = RegisterPicture(c.who, c.receipt, c.album, c.tags);
    EXPECT_EQ(answer.rfind("-ERROR", 0), 0u) << c.what << ": " << answer;
  }
  // Nothing above used up the receipt; 15 tags, one of them 8 Chinese characters (16 GBK bytes), pass.
  std::string fifteen = sixteen_tags.substr(0, sixteen_tags.find("%20n") + 4);  // a .. n
  std::string eight_chinese;
  for (int i = 0; i < 8; ++i) eight_chinese += "%D7%D6";  // 字
  EXPECT_EQ(RegisterPicture(s, mine, "1", "&tag=" + fifteen + "%20" + eight_chinese), "+OK:1");
}

TEST_F(UploadTest, FullAlbumRefusesTheNextPicture) {
  ASSERT_TRUE(service_->AddUser("few", "x", {"--max-photo", "2"}));
  LoginSession s = Login("few", "x");
  ASSERT_EQ(CreateAlbum(s, "a").substr(0, 3), "+OK");
  ASSERT_EQ(CreateAlbum(s, "b").substr(0, 3), "+OK");
  std::string a = AlbumId(s, "a"), b = AlbumId(s, "b");
  for (int i = 0; i < 2; ++i)
    ASSERT_EQ(RegisterPicture(s, UploadReceipt(s, FakeJpeg(100)), a).substr(0, 3), "+OK");
  std::string receipt = UploadReceipt(s, FakeJpeg(100));
  std::string refused = RegisterPicture(s, receipt, a);
  EXPECT_EQ(refused,
            "-ERROR:207:\xE6\x9C\xAC\xE7\x9B\xB8\xE5\x86\x8C\xE5\xB7\xB2\xE7\xBB\x8F\xE8\xBE\xBE\xE5\x88\xB0"
            "\xE6\x9C\x80\xE5\xA4\xA7\xE7\x85\xA7\xE7\x89\x87\xE6\x95\xB0\xE7\x9B\xAE");
  // The limit is per album: the same receipt still goes into another one.
  EXPECT_EQ(RegisterPicture(s, receipt, b).substr(0, 3), "+OK");
}

TEST_F(UploadTest, ConcurrentUploadsAllArriveWithDistinctReceipts) {
  LoginSession s = Login();
  constexpr int kThreads = 8, kEach = 4;
  std::vector<std::vector<std::string>> results(kThreads);
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t) {
    threads.emplace_back([&, t] {
      for (int i = 0; i < kEach; ++i) {
        std::string receipt = UploadReceipt(s, FakeJpeg(20000 + t * 100 + i, static_cast<char>('a' + t)));
        results[t].push_back(receipt + " " + RegisterPicture(s, receipt, t % 2 ? "1" : "2"));
      }
    });
  }
  for (std::thread& thread : threads) thread.join();
  std::set<std::string> receipts;
  for (const auto& list : results) {
    for (const std::string& line : list) {
      EXPECT_NE(line.find(" +OK:"), std::string::npos) << line;
      receipts.insert(line.substr(0, line.find(' ')));
    }
  }
  EXPECT_EQ(receipts.size(), static_cast<size_t>(kThreads * kEach));
  std::string quota = Get(Url("/apis/client/client_get_photoinfo.php?appname=client&uid=" + s.uid +
                              "&cliver=1&token=" + s.token))
                          .body;
  EXPECT_NE(quota.find("<pictures>32</pictures>"), std::string::npos) << quota;
}

TEST_F(UploadTest, ConcurrentRegistrationsNeverOverfillAnAlbum) {
  ASSERT_TRUE(service_->AddUser("race", "x", {"--max-photo", "3"}));
  LoginSession s = Login("race", "x");
  ASSERT_EQ(CreateAlbum(s, "a").substr(0, 3), "+OK");
  std::string album = AlbumId(s, "a");
  std::vector<std::string> receipts;
  for (int i = 0; i < 10; ++i) receipts.push_back(UploadReceipt(s, FakeJpeg(100)));
  std::atomic<int> accepted{0};
  std::vector<std::thread> threads;
  for (const std::string& receipt : receipts) {
    threads.emplace_back([&, receipt] {
      if (RegisterPicture(s, receipt, album).rfind("+OK", 0) == 0) ++accepted;
    });
  }
  for (std::thread& thread : threads) thread.join();
  EXPECT_EQ(accepted.load(), 3);
}

}  // namespace
}  // namespace albumservice::tests
