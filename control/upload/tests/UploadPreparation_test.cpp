// The preparation of pictures for upload: the decision rules in their order,
// the conversions into "_tmptrans_" JPEG files, the request URLs, and what
// the reference album service finally stores for each kind of picture.
#include "control/upload/UploadPreparation.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "control/items/ImageItem.h"
#include "control/items/ItemPaths.h"
#include "control/upload/PictureConversion.h"
#include "control/upload/tests/UploadServiceFixture.h"
#include "platform/system/SpecialFolders.h"

namespace {

namespace fs = std::filesystem;
using namespace uploadtest;
using upload::UploadForm;

TEST(UploadFormTest, RulesApplyInTheirOrder) {
  constexpr uint64_t kSmall = 100000, kLarge = 6000000;
  struct Case {
    uint64_t bytes;
    bool keepOriginal;
    int type, width, height;
    UploadForm form;
  };
  const Case cases[] = {
      // Size first, even with the box checked.
      {kLarge, true, kImageJpeg, 800, 600, UploadForm::kConvert},
      {kLarge, true, kImagePng, 1800, 1200, UploadForm::kConvertShrunk},
      // Then the box: everything goes as it is.
      {kSmall, true, kImagePsd, 2000, 2000, UploadForm::kAsIs},
      {kSmall, true, kImageBmp, 100, 100, UploadForm::kAsIs},
      // Then the extension.
      {kSmall, false, kImageBmp, 4000, 3000, UploadForm::kConvert},
      {kSmall, false, kImagePsd, 100, 100, UploadForm::kConvert},
      {kSmall, false, kImageTga, 901, 10, UploadForm::kConvertShrunk},
      {kSmall, false, kImagePcx, 10, 10, UploadForm::kConvert},
      {kSmall, false, kImageWmf, 10, 10, UploadForm::kConvert},
      {kSmall, false, kImageJpeg, 900, 900, UploadForm::kAsIs},
      {kSmall, false, kImageJpeg, 900, 901, UploadForm::kConvertShrunk},
      {kSmall, false, kImageGif, 10, 10, UploadForm::kAsIs},
      {upload::kConvertAboveBytes, false, kImagePng, 10, 10, UploadForm::kAsIs},
  };
  for (const Case& c : cases)
    EXPECT_EQ(upload::DecideUploadForm(c.bytes, c.keepOriginal, c.type, c.width, c.height), c.form)
        << c.bytes << " " << c.keepOriginal << " type " << c.type << " " << c.width << "x" << c.height;
}

TEST(UploadFormTest, ShrinkingMakesTheLongerSideExactly900) {
  int w = 0, h = 0;
  upload::ConversionSize(1800, 1200, true, &w, &h);
  EXPECT_EQ(w, 900);
  EXPECT_EQ(h, 600);
  upload::ConversionSize(1000, 2999, true, &w, &h);
  EXPECT_EQ(w, 300);  // 1000 * 900 / 2999 = 300.1
  EXPECT_EQ(h, 900);
  upload::ConversionSize(4000, 3000, false, &w, &h);
  EXPECT_EQ(w, 4000);
}

TEST(UploadFormTest, ConversionNamesLiveInTheTemporaryFolder) {
  EXPECT_EQ(upload::ConversionPath("/pictures/IMG.1.png", ".jpg"),
            platform::TempFolder() + "_tmptrans_IMG.jpg");
  EXPECT_EQ(upload::ConversionPath("/pictures/IMG.1.png", ".png"),
            platform::TempFolder() + "_tmptrans_IMG.png");
}

// A JPEG of the given size padded behind its end marker to `bytes` bytes,
// which decoders ignore.
void PadFile(const std::string& path, uint64_t bytes) {
  uint64_t size = fs::file_size(path);
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out << std::string(bytes > size ? bytes - size : 0, '\0');
}

class PreparationTest : public UploadServiceTest {};

TEST_F(PreparationTest, UnreadablePictureFailsAndStaysUnchanged) {
  std::string path = dir_.WriteFile("broken.png", "\x89PNG\r\n\x1a\n and then nothing").string();
  auto* item = new CountedItem(path);
  upload::PreparedUpload prepared;
  EXPECT_EQ(upload::PrepareUpload(*item, batch_, session_, &prepared), -1);
  EXPECT_EQ(item->Path(), path);
  EXPECT_FALSE(item->IsConverted());
  EXPECT_TRUE(prepared.uploadUrl.empty());
  item->Release();
}

TEST_F(PreparationTest, UrlsCarryTheSessionTheAlbumAndTheTitle) {
  std::string path = (dir_ / "夏天.jpg").string();
  ASSERT_TRUE(WritePicture(path, 40, 30, kImageJpeg));
  auto* item = new CountedItem(path);
  batch_.tags = "海 山";
  upload::PreparedUpload prepared;
  ASSERT_EQ(upload::PrepareUpload(*item, batch_, session_, &prepared), 0);
  EXPECT_EQ(prepared.uploadUrl, service_->base_url() +
                                    "/interface/pic_upload.php?app=photo&s=xml&exif=1&token=" +
                                    session_.Token() + "&sess=" + session_.Cookie());
  const std::string& reg = prepared.registrationUrl;
  EXPECT_EQ(reg.rfind(album_endpoints::DefaultEndpoint(album_endpoints::EndpointSlot::kRegistration) +
                          "?appname=client&uid=" + session_.Uid() + "&token=" + session_.Token() +
                          "&ctgid=" + batch_.albumId + "&tag=%BA%A3%20%C9%BD&uip=",
                      0),
            0u)
      << reg;
  // The title is the display name in the code page (夏天 = CFC4 CCEC).
  EXPECT_NE(reg.find("&title=%CF%C4%CC%EC&cliver="), std::string::npos) << reg;
  item->Release();
}

TEST(ConversionTest, EveryConvertedFormatBecomesAJpegOfTheFittedSize) {
  struct Case {
    const char* name;
    int type, width, height;
    int jpegWidth, jpegHeight;
  };
  const Case cases[] = {
      {"photo.psd", kImagePsd, 300, 200, 300, 200},  {"scan.tga", kImageTga, 1000, 500, 900, 450},
      {"paint.pcx", kImagePcx, 120, 80, 120, 80},    {"anim.gif", kImageGif, 450, 1800, 225, 900},
      {"shot.bmp", kImageBmp, 1200, 300, 1200, 300},
  };
  testsupport::TempDir dir;
  CSessionState session;
  session.InitConfig();
  for (const Case& c : cases) {
    std::string path = (dir / c.name).string();
    ASSERT_TRUE(WritePicture(path, c.width, c.height, c.type)) << c.name;
    auto* item = new CountedItem(path);
    upload::PreparedUpload prepared;
    ASSERT_EQ(upload::PrepareUpload(*item, upload::UploadBatch{}, session, &prepared), 0) << c.name;
    EXPECT_TRUE(item->IsConverted()) << c.name;
    EXPECT_EQ(item->Path(), upload::ConversionPath(path, ".jpg"));
    EXPECT_EQ(item->DisplayName(), std::string(c.name).substr(0, std::string(c.name).find('.')));
    ::Picture jpeg;
    ASSERT_TRUE(jpeg.LoadFromFile(item->Path(), kImageJpeg)) << c.name;
    EXPECT_EQ(jpeg.Type(), kImageJpeg) << c.name;
    EXPECT_EQ(jpeg.Width(), c.jpegWidth) << c.name;
    EXPECT_EQ(jpeg.Height(), c.jpegHeight) << c.name;
    // The marked dark corner survives the conversion at the top left.
    uint8_t rgba[4];
    jpeg.PixelRgba(2, 2, rgba);
    EXPECT_LT(rgba[0] + rgba[1] + rgba[2], 120) << c.name;
    EXPECT_FALSE(std::filesystem::exists(upload::ConversionPath(path, item_paths::ExtensionOf(path))))
        << c.name;
    std::filesystem::remove(item->Path());
    item->Release();
  }
}

// One row of the preparation table: a picture, the box, and what the service
// must end up storing.
struct PreparationCase {
  std::string name;  // file name; its stem is the stored title
  int type;
  int width, height;
  int bitsPerPixel;
  uint64_t padTo;  // 0: the file as written
  bool keepOriginal;
  bool converted;
  int storedWidth, storedHeight;
  const char* storedMime;
};

TEST_F(PreparationTest, PicturesReachTheServiceInTheFormTheRulesGive) {
  const std::vector<PreparationCase> cases = {
      {"big.jpg", kImageJpeg, 800, 600, 24, 6 * 1024 * 1024, true, true, 800, 600, "image/jpeg"},
      {"wide.bmp", kImageBmp, 4000, 3000, 1, 0, false, true, 4000, 3000, "image/jpeg"},
      {"landscape.png", kImagePng, 1800, 1200, 24, 0, false, true, 900, 600, "image/jpeg"},
      {"portrait.png", kImagePng, 1200, 1800, 24, 0, false, true, 600, 900, "image/jpeg"},
      {"square.jpg", kImageJpeg, 900, 900, 24, 0, false, false, 900, 900, "image/jpeg"},
      {"layers.psd", kImagePsd, 300, 200, 24, 0, true, false, 300, 200, "image/vnd.adobe.photoshop"},
  };
  StartWorker();
  std::vector<std::string> jpegs;
  // Every picture is prepared before the first is pushed: the worker's sent
  // progress report would wait for this thread, and the service gives up on
  // a request that stalls for seconds.
  std::vector<CountedJob*> jobs;
  for (const PreparationCase& c : cases) {
    std::string path = (dir_ / c.name).string();
    ASSERT_TRUE(WritePicture(path, c.width, c.height, c.type, c.bitsPerPixel)) << c.name;
    if (c.padTo) PadFile(path, c.padTo);
    upload::UploadBatch batch = batch_;
    batch.keepOriginal = c.keepOriginal;
    CountedJob* job = MakeJob(path, batch);
    CImageItem* item = job->Item();
    EXPECT_EQ(item->IsConverted(), c.converted) << c.name;
    if (c.converted) {
      EXPECT_EQ(item->SourcePath(), path);
      EXPECT_EQ(item->Path(), upload::ConversionPath(path, ".jpg"));
      std::string intermediate = upload::ConversionPath(path, item_paths::ExtensionOf(path));
      if (intermediate != item->Path()) {
        EXPECT_FALSE(fs::exists(intermediate)) << c.name;
      }
      jpegs.push_back(item->Path());
    } else {
      EXPECT_EQ(item->Path(), path) << c.name;
    }
    jobs.push_back(job);
  }
  for (CountedJob* job : jobs) Push(job);
  WaitForResults(jobs.size());
  for (const Report& result : progress_.Results())
    EXPECT_EQ(result.message, WM_WORK_UPLOAD_DONE) << result.error;

  std::vector<StoredPicture> stored = StoredPictures();
  for (const PreparationCase& c : cases) {
    std::string title = c.name.substr(0, c.name.find('.'));
    const StoredPicture* picture = FindStored(stored, title);
    ASSERT_NE(picture, nullptr) << title;
    EXPECT_EQ(picture->mime, c.storedMime) << title;
    fs::path file = service_->data_dir() / picture->file;
    ::Picture decoded;
    // Detection never tries PSD, so an original goes back in by its own type.
    int storedType = c.converted ? kImageJpeg : c.type;
    ASSERT_TRUE(decoded.LoadFromFile(file.string(), storedType)) << file;
    EXPECT_EQ(decoded.Type(), storedType) << title;
    EXPECT_EQ(decoded.Width(), c.storedWidth) << title;
    EXPECT_EQ(decoded.Height(), c.storedHeight) << title;
    if (c.converted)
      EXPECT_LT(fs::file_size(file), upload::kConvertAboveBytes) << title;
    else
      EXPECT_EQ(testsupport::ReadFileBytes(file), testsupport::ReadFileBytes(dir_ / c.name)) << title;
  }
  // The driver deletes the converted files once their jobs are reported.
  for (const std::string& jpeg : jpegs) fs::remove(jpeg);
}

}  // namespace
