// tessel-upload end to end: the built program against the reference album
// service on a free port of 127.0.0.1, with what the service stored checked
// through its own inventory.
#include <gtest/gtest.h>
#include <signal.h>

#include <filesystem>
#include <fstream>
#include <regex>

#include "tools/album-service/testing/AlbumServiceProcess.h"
#include "tools/tessel-upload/tests/UploadProcess.h"
#include "tools/testsupport/TempDir.h"

namespace {

namespace fs = std::filesystem;
using albumservice::testing::AlbumServiceOptions;
using albumservice::testing::AlbumServiceProcess;
using uploadtest::RunUpload;
using uploadtest::UploadProcess;
using uploadtest::UploadResult;

const fs::path kSamples = TESSEL_SAMPLES_DIR;

size_t Count(const std::string& text, const std::string& piece) {
  size_t n = 0;
  for (size_t pos = text.find(piece); pos != std::string::npos; pos = text.find(piece, pos + piece.size()))
    ++n;
  return n;
}

// Service options with more command-line arguments.
AlbumServiceOptions WithArgs(std::vector<std::string> args) {
  AlbumServiceOptions options;
  options.extra_args = std::move(args);
  return options;
}

class TesselUploadTest : public ::testing::Test {
 protected:
  explicit TesselUploadTest(AlbumServiceOptions options = {}) : service_(std::move(options)) {}

  // The arguments every run needs: the account and the service's address.
  std::vector<std::string> Args(std::vector<std::string> more, const std::string& user = "demo",
                                const std::string& password = "demo") const {
    std::vector<std::string> args{"--lines", "--service", service_.base_url(), "-u", user, "-p", password};
    args.insert(args.end(), more.begin(), more.end());
    return args;
  }

  // A folder with copies of the bundled samples and the given extra files.
  fs::path SampleFolder(const std::vector<std::pair<std::string, std::string>>& extra = {}) {
    fs::path folder = dir_ / "pictures";
    fs::create_directories(folder);
    for (const fs::directory_entry& entry : fs::directory_iterator(kSamples)) {
      fs::copy_file(entry.path(), folder / entry.path().filename(), fs::copy_options::overwrite_existing);
    }
    for (const auto& [name, bytes] : extra) std::ofstream(folder / name, std::ios::binary) << bytes;
    return folder;
  }

  std::string Inventory() const { return service_.RunTool({"--list"}); }

  testsupport::TempDir dir_;
  AlbumServiceProcess service_;
};

TEST_F(TesselUploadTest, FolderOfMixedPicturesGoesIntoANewProtectedAlbumWithTags) {
  fs::path folder = SampleFolder({{"notes.txt", "not a picture"}, {"drawing.wmf", "skipped too"}});
  UploadResult run = RunUpload(Args({"--create-album", "春游 2026", "--album-desc", "三月的照片",
                                     "--album-password", "p&w", "-t", "春天，花 旅行", folder.string()}));
  ASSERT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.out.find("所有文件上传完毕。"), std::string::npos);
  EXPECT_NE(run.out.find("Album page: " + service_.base_url() + "/list/photo_b.php?uid="), std::string::npos);

  std::string inventory = Inventory();
  EXPECT_NE(inventory.find("album 3 \"春游 2026\" (password), 6 pictures"), std::string::npos) << inventory;
  EXPECT_EQ(Count(inventory, "tags [春天, 花, 旅行]"), 6u) << inventory;
  EXPECT_NE(inventory.find("picture 6 \"西湖\" image/jpeg"), std::string::npos) << inventory;
  // The bitmap went up converted to JPEG, the GIF unchanged.
  EXPECT_NE(inventory.find("\"tiles\" image/jpeg"), std::string::npos) << inventory;
  EXPECT_NE(inventory.find("\"leaf\" image/gif 972 bytes"), std::string::npos) << inventory;
  EXPECT_NE(inventory.find("pending uploads: 0"), std::string::npos);
}

TEST_F(TesselUploadTest, LoginFailuresEndWithStatus2AndTheirText) {
  ASSERT_TRUE(service_.AddUser("sleepy", "pw", {"--inactive"}));
  struct Case {
    std::string user, password, text;
  };
  const Case cases[] = {
      {"demo", "wrong", "用户登录失败。请确认用户名密码是否正确。"},
      {"nobody", "demo", "用户登录失败。请确认用户名密码是否正确。"},
      {"sleepy", "pw", "用户的相册尚未启用。"},
  };
  for (const Case& c : cases) {
    UploadResult run =
        RunUpload(Args({"-a", "我的相册", (kSamples / "leaf.gif").string()}, c.user, c.password));
    EXPECT_EQ(run.status, 2) << c.user;
    EXPECT_NE(run.err.find(c.text), std::string::npos) << c.user << ": " << run.err;
  }
  EXPECT_NE(Inventory().find("pending uploads: 0"), std::string::npos);
}

TEST_F(TesselUploadTest, UnknownAlbumUploadsNothing) {
  UploadResult run = RunUpload(Args({"-a", "没有的相册", (kSamples / "leaf.gif").string()}));
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.err.find("没有选择相册！"), std::string::npos) << run.err;
  run = RunUpload(Args({"--album-id", "999", (kSamples / "leaf.gif").string()}));
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(Count(Inventory(), "picture "), 0u);
}

TEST_F(TesselUploadTest, ACorruptPictureFailsWhileTheRestGoThrough) {
  fs::path folder = dir_ / "mixed";
  fs::create_directories(folder);
  fs::copy_file(kSamples / "meadow.jpg", folder / "a.jpg");
  std::ofstream(folder / "b.jpg", std::ios::binary) << std::string(2000, '\x5a');
  fs::copy_file(kSamples / "sky.png", folder / "c.png");
  UploadResult run = RunUpload(Args({"-a", "我的相册", folder.string()}));
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.out.find("上传成功2个文件，失败1个文件。"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find((folder / "b.jpg").string() + ": 无法访问文件(可能是源文件已损坏)"),
            std::string::npos)
      << run.out;
  EXPECT_NE(Inventory().find("album 1 \"我的相册\", 2 pictures"), std::string::npos);
}

class FailingRegistrationTest : public TesselUploadTest {
 protected:
  FailingRegistrationTest()
      : TesselUploadTest(WithArgs({"--fault", "/upload/upload_receive.php:status=500,times=1"})) {}
};

TEST_F(FailingRegistrationTest, AServiceFaultFailsOnePictureOnly) {
  UploadResult run = RunUpload(
      Args({"-a", "Travel 旅行", (kSamples / "leaf.gif").string(), (kSamples / "sky.png").string()}));
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  EXPECT_NE(run.out.find("leaf.gif: 更新相册服务时发生错误！"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("上传成功1个文件，失败1个文件。"), std::string::npos) << run.out;
  EXPECT_NE(Inventory().find("album 2 \"Travel 旅行\", 1 pictures"), std::string::npos);
}

class SlowUploadTest : public TesselUploadTest {
 protected:
  SlowUploadTest() : TesselUploadTest(WithArgs({"--fault", "/interface/pic_upload.php:latency_ms=4000"})) {}
};

TEST_F(SlowUploadTest, CtrlCCancelsTheTransferInFlight) {
  UploadProcess process(Args(
      {"--json", "-a", "我的相册", (kSamples / "meadow.jpg").string(), (kSamples / "sky.png").string()}));
  ASSERT_TRUE(process.WaitForOutput(R"x("event":"start")x")) << process.Out() << process.Err();
  process.Signal(SIGINT);
  // Well before the slow answer would have let the batch go on.
  EXPECT_EQ(process.Finish(std::chrono::seconds(30)), 1) << process.Out() << process.Err();
  EXPECT_NE(process.Out().find(R"x({"event":"cancelled"})x"), std::string::npos) << process.Out();
  EXPECT_EQ(process.Out().find(R"x("event":"summary")x"), std::string::npos);
  // The second picture never starts. The first may still finish: a cancel
  // that comes after its last byte has gone out lets the upload end.
  EXPECT_EQ(process.Out().find(R"x("number":2)x"), std::string::npos) << process.Out();
  EXPECT_EQ(Count(Inventory(), "picture "), Count(Inventory(), "\"meadow\""));
  EXPECT_EQ(Inventory().find("\"sky\""), std::string::npos);
}

TEST_F(TesselUploadTest, JsonEventsOneObjectPerLine) {
  fs::path folder = dir_ / "json";
  fs::create_directories(folder);
  fs::copy_file(kSamples / "leaf.gif", folder / "a.gif");
  std::ofstream(folder / "b.png", std::ios::binary) << "broken";
  std::vector<std::string> args = Args({"--json", "-a", "我的相册", "-t", "x", folder.string()});
  UploadResult run = RunUpload(args);
  EXPECT_EQ(run.status, 1) << run.out << run.err;
  std::vector<std::string> events;
  std::istringstream lines(run.out);
  std::regex object(R"x(^\{"event":"([a-z]+)".*\}$)x");
  for (std::string line; std::getline(lines, line);) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(line, match, object)) << line;
    if (match[1] != "progress") events.push_back(match[1]);
  }
  EXPECT_EQ(events, (std::vector<std::string>{"login", "album", "start", "done", "start", "failed", "quota",
                                              "summary"}));
  EXPECT_NE(run.out.find(R"x("event":"failed","path":")x" + (folder / "b.png").string() +
                         R"x(","name":"b","reason":"无法访问文件(可能是源文件已损坏)")x"),
            std::string::npos)
      << run.out;
  EXPECT_NE(run.out.find(R"x("pictures":2,"succeeded":1,"failed":1)x"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find(R"x("text":"上传成功1个文件，失败1个文件。")x"), std::string::npos) << run.out;
}

TEST_F(TesselUploadTest, AFullAlbumAsksAndWithoutATerminalOnlyYesGoesOn) {
  ASSERT_TRUE(service_.AddUser("small", "pw", {"--max-photo", "2"}));
  std::vector<std::string> three{(kSamples / "leaf.gif").string(), (kSamples / "sky.png").string(),
                                 (kSamples / "meadow.jpg").string()};
  std::vector<std::string> create = Args({"--create-album", "小相册"}, "small", "pw");
  create.insert(create.end(), three.begin(), three.end());
  UploadResult refused = RunUpload(create);
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.err.find("相册还允许上传2张照片"), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("--yes"), std::string::npos);

  std::vector<std::string> again = Args({"-a", "小相册", "--yes"}, "small", "pw");
  again.insert(again.end(), three.begin(), three.end());
  UploadResult trimmed = RunUpload(again);
  EXPECT_EQ(trimmed.status, 0) << trimmed.out << trimmed.err;
  EXPECT_NE(trimmed.out.find("[2/2]"), std::string::npos);
  EXPECT_NE(Inventory().find("\"小相册\", 2 pictures"), std::string::npos);

  UploadResult full = RunUpload(again);
  EXPECT_EQ(full.status, 2);
  EXPECT_NE(full.err.find("本相册已经达到最大照片数目，不能继续上传！"), std::string::npos) << full.err;
}

TEST_F(TesselUploadTest, OnATerminalTheQuestionIsAskedAndTheLineIsLive) {
  if (!fs::exists(uploadtest::kScriptProgram)) GTEST_SKIP() << "script(1) is not installed";
  ASSERT_TRUE(service_.AddUser("one", "pw", {"--max-photo", "1"}));
  std::vector<std::string> args{"--service",
                                service_.base_url(),
                                "-u",
                                "one",
                                "-p",
                                "pw",
                                "--create-album",
                                "一张",
                                (kSamples / "leaf.gif").string(),
                                (kSamples / "sky.png").string()};
  UploadProcess declined(args, "n\n", /*onTerminal=*/true);
  EXPECT_EQ(declined.Finish(), 2) << declined.Out();
  EXPECT_NE(declined.Out().find("相册还允许上传1张照片"), std::string::npos) << declined.Out();

  args[6] = "--album";
  UploadProcess agreed(args, "y\n", /*onTerminal=*/true);
  EXPECT_EQ(agreed.Finish(), 0) << agreed.Out();
  // The live line is rewritten in place.
  EXPECT_NE(agreed.Out().find("\r\033[K[1/1] leaf"), std::string::npos) << agreed.Out();
  EXPECT_NE(Inventory().find("\"一张\", 1 pictures"), std::string::npos);
}

TEST_F(TesselUploadTest, TagsAreSplitAndLimitedBeforeAnyAlbumIsMade) {
  struct Case {
    std::string tags, text;
  };
  const Case cases[] = {
      {"a b c d e f g h i j k l m n o p", "标签总数不能超过15个。"},
      {"九个汉字九个汉字九", "每个标签不能超过16个字符(8个汉字)。"},
  };
  for (const Case& c : cases) {
    UploadResult run =
        RunUpload(Args({"--create-album", "不该出现", "-t", c.tags, (kSamples / "leaf.gif").string()}));
    EXPECT_EQ(run.status, 2);
    EXPECT_NE(run.err.find(c.text), std::string::npos) << run.err;
  }
  EXPECT_EQ(Inventory().find("不该出现"), std::string::npos);
}

TEST_F(TesselUploadTest, RememberedCredentialsLogInWithoutOptions) {
  std::vector<std::string> bare{"--lines", "--service", service_.base_url(), "--list-albums"};
  UploadResult before = RunUpload(bare);
  EXPECT_EQ(before.status, 2);
  EXPECT_NE(before.err.find("请填写登录名"), std::string::npos) << before.err;

  std::vector<std::string> fromStdin{"--lines", "--service",        service_.base_url(), "-u",
                                     "demo",    "--password-stdin", "--list-albums"};
  EXPECT_EQ(RunUpload(fromStdin, "demo\n").status, 0);
  EXPECT_EQ(RunUpload(fromStdin, "").status, 2);

  std::vector<std::string> remember = Args({"--remember", "--list-albums"});
  ASSERT_EQ(RunUpload(remember).status, 0);
  UploadResult after = RunUpload(bare);
  EXPECT_EQ(after.status, 0) << after.err;
  EXPECT_NE(after.out.find("1\t我的相册"), std::string::npos) << after.out;
}

TEST_F(TesselUploadTest, KeepOriginalUploadsUnchangedAndSkipsWhatItCannot) {
  UploadResult run = RunUpload(Args({"--keep-original", "-a", "我的相册", (kSamples / "sunset.jpg").string(),
                                     (kSamples / "tiles.bmp").string(), (dir_ / "missing.jpg").string()}));
  EXPECT_EQ(run.status, 0) << run.out << run.err;
  EXPECT_NE(run.err.find("skipped " + (kSamples / "tiles.bmp").string() + ": with --keep-original only"),
            std::string::npos)
      << run.err;
  EXPECT_NE(run.err.find("skipped " + (dir_ / "missing.jpg").string() + ": no such file"), std::string::npos);
  std::string inventory = Inventory();
  // 1200 x 800 pixels and 144,298 bytes as on disk, not shrunk to 900 pixels.
  EXPECT_NE(inventory.find("\"sunset\" image/jpeg " + std::to_string(fs::file_size(kSamples / "sunset.jpg"))),
            std::string::npos)
      << inventory;
  EXPECT_EQ(Count(inventory, "picture "), 1u);
}

TEST_F(TesselUploadTest, FullSizeUploadsMustFitTheRemainingSpace) {
  ASSERT_TRUE(service_.AddUser("tight", "pw", {"--leave-kb", "100"}));
  std::vector<std::string> args =
      Args({"--create-album", "紧", (kSamples / "sunset.jpg").string()}, "tight", "pw");
  args.insert(args.begin(), "--keep-original");
  UploadResult full = RunUpload(args);
  EXPECT_EQ(full.status, 2);
  EXPECT_NE(full.err.find("超过了相册剩余空间100.00 KB"), std::string::npos) << full.err;
  // Converted, the picture is small enough and the space is not checked.
  args.erase(args.begin());
  EXPECT_EQ(RunUpload(args).status, 0);
}

TEST_F(TesselUploadTest, UsageErrors) {
  const std::vector<std::vector<std::string>> cases = {
      {"--bogus"},
      {"-a", "x"},                                     // no pictures
      {(kSamples / "leaf.gif").string()},              // no album
      {"-a", "x", "--album-id", "1", "p.jpg"},         // two albums
      {"--album-password", "pw", "-a", "x", "p.jpg"},  // belongs to --create-album
      {"--service", "ftp://127.0.0.1:1", "-a", "x", "p.jpg"},
  };
  for (const std::vector<std::string>& args : cases) {
    UploadResult run = RunUpload(args);
    EXPECT_EQ(run.status, 2) << args[0];
    EXPECT_NE(run.err.find("usage: tessel-upload"), std::string::npos) << args[0];
  }
}

}  // namespace
