#include "tools/album-service/UploadEndpoints.h"

#include "tools/album-service/Crypto.h"
#include "tools/album-service/Endpoints.h"
#include "tools/album-service/MultipartForm.h"
#include "tools/album-service/PictureFiles.h"
#include "tools/album-service/TagList.h"
#include "tools/album-service/TextCodec.h"
#include "tools/album-service/XmlAnswer.h"

namespace albumservice {
namespace {

std::string UploadRefused(const std::string& reason) {
  return XmlAnswer().Add("count", 0).Add("data", "").Add("error", reason).Finish();
}

// The last component of the file name the client sent (a whole local path).
std::string BaseName(const std::string& path) {
  size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

}  // namespace

void UploadEndpoints::Register(Router& router) {
  router.Post(paths::kUpload,
              [this](const httplib::Request& request, const std::string& body, httplib::Response& response) {
                response.set_content(Upload(request, body), kXmlType);
              });
  router.Post(paths::kRegister,
              [this](const httplib::Request& request, const std::string& body, httplib::Response& response) {
                response.set_content(Registration(request, body), kTextType);
              });
}

std::string UploadEndpoints::Upload(const httplib::Request& request, const std::string& body) {
  QueryString query = QueryString::FromTarget(request.target);
  std::optional<User> user = context_.store.SessionUserByCookie(query.Value("token"), query.Value("sess"));
  if (!user) return UploadRefused("invalid token or sess");
  MultipartForm form = MultipartForm::Parse(request.get_header_value("Content-Type"), body);
  if (!form.ok()) return UploadRefused("bad form: " + form.error());
  const FormPart* picture = form.Find("pic1");
  if (!picture || !picture->has_filename) return UploadRefused("no file part pic1");
  const std::string& bytes = picture->content;
  if (bytes.empty()) return UploadRefused("empty file");
  if (bytes.size() > static_cast<size_t>(user->max_single_kb) * 1024) return UploadRefused("file too large");
  Quota quota = context_.store.QuotaOf(user->id);
  if (quota.month_bytes + static_cast<long long>(bytes.size()) > user->month_kb * 1024)
    return UploadRefused("no space left this month");
  std::optional<PictureKind> kind = SniffPicture(bytes);
  if (!kind) return UploadRefused("not a picture");

  std::string receipt = RandomHex(16);
  std::string file = receipt + kind->extension;
  std::error_code error;
  std::filesystem::create_directories(context_.PicturesDir(), error);
  if (!WriteFileAtomically(context_.PicturesDir() / file, bytes)) return UploadRefused("cannot store file");
  std::string original = GbkToUtf8(BaseName(picture->filename));
  context_.store.AddUpload(
      {receipt, user->id, file, kind->mime, static_cast<std::int64_t>(bytes.size()), original});
  return XmlAnswer().Add("count", 1).Add("data", receipt).Finish();
}

std::string UploadEndpoints::CheckTags(const std::vector<std::string>& tags) {
  if (tags.size() > kMaxTags) return "-ERROR:201:标签总数不能超过15个";
  for (const std::string& tag : tags) {
    if (Utf8ToGbk(tag).size() > kMaxTagBytes) return "-ERROR:202:每个标签不能超过16个字符";
    if (context_.words.FindIn(tag)) return "-ERROR:203:标签含有不允许的词语";
  }
  return std::string();
}

std::string UploadEndpoints::Registration(const httplib::Request& request, const std::string& body) {
  QueryString query = QueryString::FromTarget(request.target);
  std::optional<long long> uid = query.Number("uid");
  std::optional<User> user = uid ? context_.store.SessionUser(*uid, query.Value("token")) : std::nullopt;
  if (!user) return "-ERROR:101:登录已失效，请重新登录";
  std::optional<long long> album_id = query.Number("ctgid");
  if (!album_id) return "-ERROR:204:缺少专辑编号";
  MultipartForm form = MultipartForm::Parse(request.get_header_value("Content-Type"), body);
  const FormPart* receipt = form.ok() ? form.Find("picdata") : nullptr;
  if (!receipt || Trim(receipt->content).empty()) return "-ERROR:205:缺少上传凭据";
  // Tags and title arrive percent-encoded in the client's code page.
  std::vector<std::string> tags = SplitTags(query.GbkValue("tag"));
  std::string refusal = CheckTags(tags);
  if (!refusal.empty()) return refusal;
  std::int64_t picture_id = 0;
  switch (context_.store.Register(*user, Trim(receipt->content), *album_id, query.GbkValue("title"),
                                  query.Value("uip"), tags, &picture_id)) {
    case RegisterResult::kRegistered:
      return "+OK:" + std::to_string(picture_id);
    case RegisterResult::kUnknownReceipt:
      return "-ERROR:206:上传凭据无效";
    case RegisterResult::kNoAlbum:
      return "-ERROR:102:专辑不存在";
    case RegisterResult::kAlbumFull:
      return "-ERROR:207:本相册已经达到最大照片数目";
    case RegisterResult::kNoSpace:
      return "-ERROR:208:本月存储空间已用完";
  }
  return "-ERROR:500:unknown";
}

}  // namespace albumservice
