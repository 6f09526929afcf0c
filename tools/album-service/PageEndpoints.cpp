#include "tools/album-service/PageEndpoints.h"

#include "tools/album-service/Endpoints.h"
#include "tools/album-service/PictureFiles.h"
#include "tools/album-service/TextCodec.h"
#include "tools/album-service/XmlAnswer.h"

namespace albumservice {
namespace {

constexpr size_t kMaxPictureBytes = 256u * 1024 * 1024;

void SendPage(httplib::Response& response, int status, const std::string& title, const std::string& body) {
  response.status = status;
  response.set_content(HtmlPage(title, body), kHtmlType);
}

EndpointHandler StaticPage(std::string title, std::string body) {
  return [title, body](const httplib::Request&, const std::string&, httplib::Response& response) {
    SendPage(response, 200, title, body);
  };
}

std::string Paragraph(const std::string& text) { return "<p>" + EscapeMarkup(text) + "</p>\n"; }

std::string HiddenField(const std::string& name, const std::string& value) {
  return "<input type=\"hidden\" name=\"" + name + "\" value=\"" + EscapeMarkup(value) + "\">";
}

}  // namespace

std::string HtmlPage(const std::string& title, const std::string& body_html) {
  return "<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"><title>" + EscapeMarkup(title) +
         "</title></head>\n<body>\n<h1>" + EscapeMarkup(title) + "</h1>\n" + body_html + "</body></html>\n";
}

void PageEndpoints::Register(Router& router) {
  router.Get(paths::kAlbumPage, [this](const httplib::Request& request, const std::string&,
                                       httplib::Response& response) { AlbumPage(request, response); });
  router.GetUnder(paths::kPhotos, [this](const httplib::Request& request, const std::string&,
                                         httplib::Response& response) { Photo(request, response); });
  router.Get(paths::kSingleSignOn, [this](const httplib::Request& request, const std::string&,
                                          httplib::Response& response) { SingleSignOn(request, response); });
  router.GetWithSecondQuestionMark(paths::kAccount,
                                   [this](const httplib::Request& request, const std::string&,
                                          httplib::Response& response) { AccountPage(request, response); });
  router.Post(paths::kAccount, [this](const httplib::Request&, const std::string& body,
                                      httplib::Response& response) { AccountForm(body, response); });
  router.Get(paths::kPasswordRecovery,
             StaticPage("找回密码",
                        Paragraph("这是参考相册服务：请让管理员用 album-service --add-user 重设密码。")));
  router.Get(paths::kHelp,
             StaticPage("帮助", Paragraph("选择图片，加入上传队列，选择专辑后点击“开始上传”。")));
  router.Get(
      paths::kTagHelp,
      StaticPage("标签帮助", Paragraph("多个标签用空格或逗号分开；最多15个标签，每个标签不超过8个汉字。")));
}

void PageEndpoints::AlbumPage(const httplib::Request& request, httplib::Response& response) {
  QueryString query = QueryString::FromTarget(request.target);
  std::optional<long long> uid = query.Number("uid"), album_id = query.Number("ctg_id");
  std::optional<Album> album = uid && album_id ? context_.store.FindAlbum(*uid, *album_id) : std::nullopt;
  if (!album) return SendPage(response, 404, "专辑不存在", Paragraph("没有找到这个专辑。"));
  if (album->has_password && query.Value("pw") != album->password) {
    std::string form =
        "<form method=\"get\" action=\"" + std::string(paths::kAlbumPage) + "\">" +
        HiddenField("uid", std::to_string(*uid)) + HiddenField("ctg_id", std::to_string(album->id)) +
        "<input type=\"password\" name=\"pw\"> <input type=\"submit\" value=\"查看\"></form>\n";
    return SendPage(response, query.Has("pw") ? 403 : 200, album->name,
                    Paragraph("此专辑已加密，请输入密码。") + form);
  }
  std::string body = Paragraph(album->description);
  body += "<ul class=\"gallery\">\n";
  for (const Picture& picture : context_.store.AlbumPictures(album->id)) {
    std::string tags;
    for (const std::string& tag : picture.tags) tags += (tags.empty() ? "" : " ") + tag;
    body += "<li><img src=\"" + std::string(paths::kPhotos) + EscapeMarkup(picture.file) + "\" alt=\"" +
            EscapeMarkup(picture.title) + "\"><br>" + EscapeMarkup(picture.title) + " <small>" +
            EscapeMarkup(tags) + "</small></li>\n";
  }
  body += "</ul>\n" + Paragraph(std::to_string(album->picture_count) + " 张图片");
  SendPage(response, 200, album->name, body);
}

void PageEndpoints::Photo(const httplib::Request& request, httplib::Response& response) {
  // Only registered pictures are served, under their unguessable file names.
  std::string name = request.path.substr(std::string(paths::kPhotos).size());
  std::string receipt = name.substr(0, name.find('.'));
  std::optional<Picture> picture = context_.store.PictureByReceipt(receipt);
  std::optional<std::string> bytes;
  if (picture && picture->file == name)
    bytes = ReadWholeFile(context_.PicturesDir() / name, kMaxPictureBytes);
  if (!bytes) return SendPage(response, 404, "图片不存在", Paragraph("没有找到这张图片。"));
  response.set_content(*bytes, picture->mime);
}

bool PageEndpoints::IsOwnAddress(const httplib::Request& request, const std::string& url) const {
  // Control characters and blanks would let the target break out of the
  // Location header.
  for (char c : url) {
    if (static_cast<unsigned char>(c) <= 0x20 || c == 0x7F) return false;
  }
  if (url.size() > 1 && url[0] == '/' && url[1] != '/' && url[1] != '\\') return true;
  for (const std::string& own :
       {context_.BaseUrl(request), std::string("http://127.0.0.1:") + std::to_string(context_.port),
        std::string("http://localhost:") + std::to_string(context_.port)}) {
    if (url.rfind(own + "/", 0) == 0) return true;
  }
  return false;
}

void PageEndpoints::SingleSignOn(const httplib::Request& request, httplib::Response& response) {
  // u: the login name (GBK), p: MD5 hex of the password's GBK bytes, r: where to go.
  QueryString query = QueryString::FromTarget(request.target);
  std::string target = query.Value("r");
  if (!IsOwnAddress(request, target))
    return SendPage(response, 400, "地址无效", Paragraph("只能跳转到本站的页面。"));
  std::optional<User> user = context_.store.FindUser(query.GbkValue("u"));
  if (!user || !context_.store.CheckPassword(*user, query.Value("p")))
    return SendPage(response, 403, "登录失败", Paragraph("用户名或密码错误。"));
  Session session = context_.store.CreateSession(user->id);
  response.set_header("Set-Cookie", "sess=" + session.cookie + "; Path=/; HttpOnly");
  response.set_redirect(target, 302);
}

void PageEndpoints::AccountPage(const httplib::Request& request, httplib::Response& response) {
  // The activation link is built as "/hd/reg.php?entry=photo?u=..&p=..": a
  // second "?" starts the credentials.
  std::string target = request.target;
  size_t first = target.find('?');
  size_t second = first == std::string::npos ? first : target.find('?', first + 1);
  if (second != std::string::npos) target[second] = '&';
  QueryString query = QueryString::FromTarget(target);
  std::string action = "<form method=\"post\" action=\"" + std::string(paths::kAccount) + "\">";
  if (query.Value("entry") == "photo") {
    std::optional<User> user = context_.store.FindUser(query.GbkValue("u"));
    if (!user || !context_.store.CheckPassword(*user, query.Value("p")))
      return SendPage(response, 403, "激活相册", Paragraph("用户名或密码错误。"));
    if (user->active) return SendPage(response, 200, "激活相册", Paragraph("您的相册已经启用。"));
    return SendPage(response, 200, "激活相册",
                    Paragraph(user->name + "，您的相册尚未启用。") + action +
                        HiddenField("entry", "activate") + HiddenField("u", user->name) +
                        HiddenField("p", query.Value("p")) +
                        "<input type=\"submit\" value=\"激活相册\"></form>\n");
  }
  SendPage(response, 200, "注册新用户",
           action + HiddenField("entry", "create") +
               "用户名 <input name=\"name\"> 密码 <input type=\"password\" name=\"password\"> "
               "<input type=\"submit\" value=\"注册\"></form>\n");
}

void PageEndpoints::AccountForm(const std::string& body, httplib::Response& response) {
  QueryString form = QueryString::FromText(body);
  std::string entry = form.Value("entry");
  if (entry == "activate") {
    std::optional<User> user = context_.store.FindUser(form.Value("u"));
    if (!user || !context_.store.CheckPassword(*user, form.Value("p")))
      return SendPage(response, 403, "激活相册", Paragraph("用户名或密码错误。"));
    context_.store.SetActive(user->id, true);
    return SendPage(response, 200, "激活相册", Paragraph("相册已经启用，请重新登录。"));
  }
  if (entry == "create") {
    std::string name = Trim(form.Value("name"));
    std::string password = form.Value("password");
    if (name.empty() || password.empty() || !IsValidUtf8(name) || name.size() > 64)
      return SendPage(response, 400, "注册新用户", Paragraph("请输入用户名和密码。"));
    if (context_.store.FindUser(name))
      return SendPage(response, 409, "注册新用户", Paragraph("用户名已经存在。"));
    UserSpec spec;
    spec.name = name;
    spec.password = password;
    context_.store.SaveUser(spec);
    return SendPage(response, 200, "注册新用户", Paragraph("注册成功，请在客户端登录。"));
  }
  SendPage(response, 400, "账户", Paragraph("未知的操作。"));
}

}  // namespace albumservice
