#include "tools/album-service/ApiEndpoints.h"

#include <algorithm>

#include "tools/album-service/Crypto.h"
#include "tools/album-service/Endpoints.h"
#include "tools/album-service/TextCodec.h"
#include "tools/album-service/XmlAnswer.h"

namespace albumservice {
namespace {

constexpr size_t kMaxNameBytes = 50;          // in the client's code page
constexpr size_t kMaxDescriptionBytes = 500;  // in the client's code page
constexpr size_t kMaxAlbumPasswordBytes = 16;

// A field of the ";"-separated login answer must hold no ";" and must not be
// empty (the client skips empty fields and then counts too few).
std::string LoginField(const std::string& text, const std::string& fallback) {
  std::string field = text.empty() ? fallback : text;
  std::replace(field.begin(), field.end(), ';', '_');
  return field.empty() ? "user" : field;
}

EndpointHandler TextHandler(std::function<std::string(const QueryString&)> answer) {
  return [answer](const httplib::Request& request, const std::string&, httplib::Response& response) {
    response.set_content(answer(QueryString::FromTarget(request.target)), kTextType);
  };
}

}  // namespace

void ApiEndpoints::Register(Router& router) {
  router.Get(paths::kLogin, TextHandler([this](const QueryString& q) { return Login(q); }));
  router.Get(paths::kAlbums,
             [this](const httplib::Request& request, const std::string&, httplib::Response& response) {
               QueryString query = QueryString::FromTarget(request.target);
               std::string answer = Albums(request, query);
               response.set_content(answer, answer.rfind("<?xml", 0) == 0 ? kXmlType : kTextType);
             });
  router.Get(paths::kQuota,
             [this](const httplib::Request& request, const std::string&, httplib::Response& response) {
               std::string answer = Quota(QueryString::FromTarget(request.target));
               response.set_content(answer, answer.rfind("<?xml", 0) == 0 ? kXmlType : kTextType);
             });
  router.Get(paths::kCreateAlbum, TextHandler([this](const QueryString& q) { return CreateAlbum(q); }));
  router.Get(paths::kNameCheck, TextHandler([this](const QueryString& q) { return NameCheck(q); }));
  router.Get(paths::kTagCheck, TextHandler([this](const QueryString& q) { return TagCheck(q); }));
}

std::optional<User> ApiEndpoints::SessionOf(const QueryString& query) {
  std::optional<long long> uid = query.Number("uid");
  std::string token = query.Value("token");
  if (!uid || token.empty()) return std::nullopt;
  return context_.store.SessionUser(*uid, token);
}

std::string ApiEndpoints::Login(const QueryString& query) {
  // Name and password arrive as percent-encoded GBK bytes; the password is
  // checked through the MD5 of exactly those bytes.
  std::string name_bytes = query.Value("name");
  std::string name = GbkToUtf8(name_bytes);
  // Bytes that are not GBK turn into '?' and must not match an account named so.
  if (Utf8ToGbk(name) != name_bytes) return kWrongPassword;
  std::optional<User> user = context_.store.FindUser(name);
  if (!user || !context_.store.CheckPassword(*user, Md5Hex(query.Value("pass")))) return kWrongPassword;
  if (!user->active) return kNotActivated;
  Session session = context_.store.CreateSession(user->id);
  return "succ:uid=" + std::to_string(user->id) + ";" + session.cookie + ";" + session.token + ";" +
         LoginField(user->nickname, user->name);
}

std::string ApiEndpoints::Albums(const httplib::Request& request, const QueryString& query) {
  std::optional<User> user = SessionOf(query);
  if (!user) return "-ERROR:101:invalid uid or token";
  if (!query.Has("ctgid")) return AlbumList(*user, query);
  std::optional<long long> album_id = query.Number("ctgid");
  std::optional<Album> album = album_id ? context_.store.FindAlbum(user->id, *album_id) : std::nullopt;
  if (!album) return "-ERROR:102:no such album";
  std::string url = context_.BaseUrl(request) + paths::kAlbumPage + "?uid=" + std::to_string(user->id) +
                    "&ctg_id=" + std::to_string(album->id);
  return XmlAnswer().Add("picturenum", album->picture_count).Add("url", url).Finish();
}

std::string ApiEndpoints::AlbumList(const User& user, const QueryString& query) {
  long long page_size = std::clamp(query.Number("pagenum").value_or(200), 1LL, 1000LL);
  long long page = std::min(query.Number("pageno").value_or(0), 1000000LL);
  bool newest_first = query.Value("isdesc") != "0";
  XmlAnswer answer;
  answer.Open("list");
  for (const Album& album : context_.store.ListAlbums(user.id, page, page_size, newest_first)) {
    answer.Open("special")
        .Add("specialid", album.id)
        .Add("specialname", UrlEncode(album.name))
        .Add("picturenum", album.picture_count)
        .Add("is_pw", album.has_password ? 1 : 0)
        .Close("special");
  }
  return answer.Close("list").Finish();
}

std::string ApiEndpoints::Quota(const QueryString& query) {
  std::optional<User> user = SessionOf(query);
  if (!user) return "error:invalid uid or token";
  albumservice::Quota quota = context_.store.QuotaOf(user->id);
  long long left_bytes = std::max<long long>(0, user->month_kb * 1024 - quota.month_bytes);
  return XmlAnswer()
      .Add("pictures", quota.pictures)
      .Add("specials", quota.specials)
      .Add("leavespace", left_bytes / 1024)
      .Add("usespace", (quota.total_bytes + 1023) / 1024)
      .Add("maxspace", user->max_space_kb / 1024)
      .Add("maxsingle", user->max_single_kb / 1024)
      .Add("maxphoto", user->max_photo)
      .Add("specialmaxphoto", user->max_photo)
      .Finish();
}

std::string ApiEndpoints::CreateAlbum(const QueryString& query) {
  std::optional<User> user = SessionOf(query);
  if (!user) return "-ERROR:101:登录已失效，请重新登录";
  std::string name = Trim(query.Value("specialname"));
  std::string description = query.Value("specialdesc");
  if (!IsValidUtf8(name) || !IsValidUtf8(description)) return "-ERROR:103:专辑名称或描述不是UTF-8文字";
  if (name.empty()) return "-ERROR:104:请输入专辑名称";
  if (Utf8ToGbk(name).size() > kMaxNameBytes) return "-ERROR:105:专辑名称太长";
  if (Utf8ToGbk(description).size() > kMaxDescriptionBytes) return "-ERROR:106:专辑描述太长";
  if (context_.words.FindIn(name) || context_.words.FindIn(description))
    return "-ERROR:107:专辑名称或描述含有不允许的词语";
  bool protect = query.Value("is_pw") == "1";
  // NOTE: the client sends the album password unencoded as the last key, so
  // it is everything after "pw=", "&" included, in the client's code page.
  std::string password = protect ? GbkToUtf8(query.RawTail("pw").value_or("")) : std::string();
  if (protect && password.empty()) return "-ERROR:108:请输入加密专辑的密码";
  if (Utf8ToGbk(password).size() > kMaxAlbumPasswordBytes) return "-ERROR:109:专辑密码太长";
  std::int64_t album_id = 0;
  if (context_.store.CreateAlbum(user->id, name, description, protect, password, &album_id) ==
      CreateAlbumResult::kDuplicate)
    return "-ERROR:110:专辑名称已经存在";
  return "+OK:" + std::to_string(album_id);
}

std::string ApiEndpoints::NameCheck(const QueryString& query) {
  if (!SessionOf(query)) return "-ERROR:101:invalid uid or token";
  // Name and description arrive joined in one UTF-8 keyword.
  if (context_.words.FindIn(query.Value("keyword"))) return "-ERROR:107:forbidden word";
  return "+OK";
}

std::string ApiEndpoints::TagCheck(const QueryString& query) {
  // The whole tag text, separators included, in the client's code page.
  if (context_.words.FindIn(query.GbkValue("keyword"))) return "-ERROR:107:forbidden word";
  return "+OK";
}

}  // namespace albumservice
