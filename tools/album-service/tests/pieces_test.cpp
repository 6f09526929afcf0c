// The service's parsers on their own: multipart forms as the uploader writes
// them, tag splitting, raw queries and log masking.
#include <gtest/gtest.h>

#include "tools/album-service/CommandLine.h"
#include "tools/album-service/MultipartForm.h"
#include "tools/album-service/QueryString.h"
#include "tools/album-service/RequestLog.h"
#include "tools/album-service/TagList.h"
#include "tools/album-service/TextCodec.h"
#include "tools/album-service/tests/HttpTestClient.h"

namespace albumservice::tests {
namespace {

TEST(MultipartFormTest, ReadsTheUploadersLayoutWithAWholeUnescapedGbkPath) {
  // A Windows-style path in GBK with a quote inside: the client escapes nothing.
  std::string path = "C:\\\xCD\xBC\xC6\xAC\\a\"b.jpg";
  std::string body = MultipartBody({{"Album", "7", ""}, {"pic1", std::string("\x00\r\n--x\r\n", 8), path}});
  MultipartForm form = MultipartForm::Parse(MultipartType(), body);
  ASSERT_TRUE(form.ok()) << form.error();
  ASSERT_EQ(form.parts().size(), 2u);
  EXPECT_EQ(form.Find("Album")->content, "7");
  EXPECT_FALSE(form.Find("Album")->has_filename);
  const FormPart* file = form.Find("pic1");
  EXPECT_EQ(file->filename, path);
  EXPECT_EQ(file->content_type, "image/jpeg");
  EXPECT_EQ(file->content, std::string("\x00\r\n--x\r\n", 8));
}

TEST(MultipartFormTest, FormWithoutPartsAndQuotedBoundary) {
  MultipartForm empty = MultipartForm::Parse(MultipartType(), MultipartBody({}));
  EXPECT_TRUE(empty.ok()) << empty.error();
  EXPECT_TRUE(empty.parts().empty());
  MultipartForm quoted =
      MultipartForm::Parse("multipart/form-data; boundary=\"" + std::string(kBoundary) + "\"",
                           MultipartBody({{"picdata", "r", ""}}));
  ASSERT_TRUE(quoted.ok());
  EXPECT_EQ(quoted.Find("picdata")->content, "r");
}

TEST(MultipartFormTest, BrokenBodiesAreRefusedWithAReason) {
  std::string good = MultipartBody({{"pic1", "abc", "a.jpg"}});
  struct Case {
    const char* what;
    std::string type, body;
  };
  for (const Case& c :
       {Case{"not multipart", "text/plain", good}, Case{"no boundary", "multipart/form-data", good},
        Case{"truncated", MultipartType(), good.substr(0, good.size() - 10)},
        Case{"garbage before", MultipartType(), "xx" + good},
        Case{"no headers end", MultipartType(), "--" + std::string(kBoundary) + "\r\nabc"},
        Case{"nameless part", MultipartType(),
             "--" + std::string(kBoundary) + "\r\nContent-Type: a/b\r\n\r\nx\r\n--" + std::string(kBoundary) +
                 "--\r\n"},
        Case{"empty", MultipartType(), ""}}) {
    MultipartForm form = MultipartForm::Parse(c.type, c.body);
    EXPECT_FALSE(form.ok()) << c.what;
    EXPECT_FALSE(form.error().empty()) << c.what;
  }
}

TEST(TagListTest, SplitsLikeTheAlbumWindow) {
  struct Case {
    std::string text;
    std::vector<std::string> tags;
  };
  const std::string kFullComma = "\xEF\xBC\x8C", kFullSpace = "\xE3\x80\x80";
  for (const Case& c : std::vector<Case>{
           {"a,b c", {"a", "b", "c"}},
           {"a, b,c", {"a", " b,c"}},  // a separator at the start makes the rest one tag
           {"sea" + kFullComma + "sun", {"sea", "sun"}},
           {"sea" + kFullSpace + "sun", {"sea", "sun"}},
           {"one,,two", {"one", ",two"}},
           {" lead", {" lead"}},
           {"", {}},
           {"   ", {}},
           {"solo", {"solo"}},
       }) {
    EXPECT_EQ(SplitTags(c.text), c.tags) << c.text;
  }
}

TEST(QueryStringTest, DecodesGbkValuesAndKeepsTheRawTail) {
  QueryString query = QueryString::FromTarget("/x?name=%D5%C5%C8%FD&n=12&is_pw=1&pw=a&b=c%41#frag");
  EXPECT_EQ(query.GbkValue("name"), "\xE5\xBC\xA0\xE4\xB8\x89");
  EXPECT_EQ(query.Number("n"), 12);
  EXPECT_EQ(query.Value("pw"), "a");
  EXPECT_EQ(query.RawTail("pw"), "a&b=c%41");
  EXPECT_FALSE(query.Has("missing"));
  EXPECT_FALSE(QueryString::FromText("n=-1").Number("n"));
  EXPECT_FALSE(QueryString::FromText("n=99999999999999999999").Number("n"));
  EXPECT_TRUE(QueryString::FromText("flag").Has("flag"));
}

TEST(TextCodecTest, PercentCodingMatchesTheClient) {
  EXPECT_EQ(UrlEncode("a b&c/~%!$()*,-._"), "a%20b%26c%2F%7E%25!$()*,-._");
  EXPECT_EQ(UrlEncode("\xE6\x97\x85"), "%E6%97%85");
  EXPECT_EQ(PercentDecode("a+b%2"), "a b%2");
  EXPECT_EQ(PercentDecode("%zz%41"), "%zzA");
  EXPECT_TRUE(IsValidUtf8("\xE6\x97\x85"));
  EXPECT_FALSE(IsValidUtf8("\xE6\x97"));
  EXPECT_FALSE(IsValidUtf8("\xC0\xAF"));
}

TEST(RequestLogTest, MasksPasswordValues) {
  EXPECT_EQ(MaskSecrets("/l?name=a&pass=secret&appname=client"), "/l?name=a&pass=***&appname=client");
  EXPECT_EQ(MaskSecrets("/c?uid=1&is_pw=1&pw=x&y=z"), "/c?uid=1&is_pw=1&pw=***");
  EXPECT_EQ(MaskSecrets("/s?u=a&p=0123&r=%2F"), "/s?u=a&p=***&r=%2F");
  EXPECT_EQ(MaskSecrets("/plain"), "/plain");
}

TEST(CommandLineTest, AccountOptionsGoWithAddUserAndBadValuesAreRefused) {
  auto parse = [](std::vector<const char*> args, CommandLine& command, std::string& error) {
    args.insert(args.begin(), "album-service");
    return command.Parse(static_cast<int>(args.size()), args.data(), error);
  };
  CommandLine command;
  std::string error;
  ASSERT_TRUE(
      parse({"--data", "/d", "--add-user", "u", "p", "--inactive", "--max-photo", "5", "--leave-kb", "7"},
            command, error))
      << error;
  ASSERT_TRUE(command.add_user);
  EXPECT_EQ(command.add_user->name, "u");
  EXPECT_EQ(command.add_user->active, false);
  EXPECT_EQ(command.add_user->max_photo, 5);
  EXPECT_EQ(command.add_user->month_kb, 7);
  EXPECT_FALSE(command.add_user->max_single_kb);
  EXPECT_FALSE(command.port);

  for (std::vector<const char*> bad : std::vector<std::vector<const char*>>{
           {"--port", "1"},                                      // no data folder
           {"--data", "/d"},                                     // nothing to do
           {"--data", "/d", "--port", "70000"},                  // port out of range
           {"--data", "/d", "--port", "12x"},                    // not a number
           {"--data", "/d", "--port"},                           // value missing
           {"--data", "/d", "--port", "1", "--max-photo", "3"},  // limit without an account
           {"--data", "/d", "--add-user", "u"},                  // password missing
           {"--data", "/d", "--add-user", "u", "p", "--active", "--inactive"},
           {"--data", "/d", "--port", "1", "--max-body-kb", "0"},
           {"--data", "/d", "--port", "1", "--bogus"},
       }) {
    CommandLine refused;
    std::string message;
    EXPECT_FALSE(parse(bad, refused, message)) << bad.back();
    EXPECT_FALSE(message.empty());
  }
}

}  // namespace
}  // namespace albumservice::tests
