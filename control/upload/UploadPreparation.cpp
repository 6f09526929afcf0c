// The preparation rules of one picture and its request URLs.
#include "control/upload/UploadPreparation.h"

#include "codec/Picture.h"
#include "common/file/FolderSize.h"
#include "common/file/LocalAddress.h"
#include "control/items/ImageItem.h"
#include "control/items/ItemPaths.h"
#include "control/protocol/AlbumRequests.h"
#include "control/upload/PictureConversion.h"

namespace upload {
namespace {

bool ExceedsLongestSide(int width, int height) { return width > kLongestSide || height > kLongestSide; }

UploadForm ShrunkIfLarge(int width, int height) {
  return ExceedsLongestSide(width, height) ? UploadForm::kConvertShrunk : UploadForm::kConvert;
}

uint64_t FileBytes(const std::string& path) {
  uint64_t bytes = 0, files = 0;
  return common::FolderSize(path, &bytes, &files) ? bytes : 0;
}

std::string LocalIPv4() {
  std::string host, address;
  return common::LocalAddress(&host, &address) ? address : std::string();
}

}  // namespace

UploadForm DecideUploadForm(uint64_t fileBytes, bool keepOriginal, int type, int width, int height) {
  if (fileBytes > kConvertAboveBytes) return ShrunkIfLarge(width, height);
  if (keepOriginal) return UploadForm::kAsIs;
  switch (type) {
    case kImagePsd:
    case kImageTga:
    case kImagePcx:
    case kImageWmf:
      return ShrunkIfLarge(width, height);
    case kImageBmp:
      return UploadForm::kConvert;
    default:
      return ExceedsLongestSide(width, height) ? UploadForm::kConvertShrunk : UploadForm::kAsIs;
  }
}

int PrepareUpload(CImageItem& item, const UploadBatch& batch, const CSessionState& session,
                  PreparedUpload* prepared) {
  const std::string path = item.Path();
  int type = item_paths::ImageTypeFromPath(path);
  Picture picture;
  if (!picture.LoadFromFile(path, type)) return -1;

  UploadForm form =
      DecideUploadForm(FileBytes(path), batch.keepOriginal, type, picture.Width(), picture.Height());
  // A conversion that fails is silent: the picture then goes up as it is.
  if (form != UploadForm::kAsIs) ConvertForUpload(item, picture, form == UploadForm::kConvertShrunk);

  prepared->uploadUrl = album_protocol::UploadUrl(session);
  prepared->registrationUrl =
      album_protocol::RegistrationUrl(session, batch.albumId, batch.tags, LocalIPv4(), item.DisplayName());
  return 0;
}

}  // namespace upload
