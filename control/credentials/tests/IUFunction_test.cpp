#include "control/credentials/IUFunction.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "control/session/SessionState.h"
#include "platform/system/CodePage.h"
#include "platform/system/Library.h"
#include "platform/system/SettingsStore.h"
#include "tools/testsupport/TempDir.h"

namespace {

constexpr const char* kKey = "Software\\VORO\\Tessel";

platform::SettingsStore UserStore() {
  return platform::SettingsStore::ForHive(platform::SettingsHive::kCurrentUser);
}

std::string ToHex(const std::string& bytes) {
  static const char kDigits[] = "0123456789abcdef";
  std::string hex;
  for (unsigned char b : bytes) {
    hex.push_back(kDigits[b >> 4]);
    hex.push_back(kDigits[b & 15]);
  }
  return hex;
}

// The reference cipher text: the openssl command over the same plain bytes,
// with the first 8 bytes of the key text "k7!Qw%P2z&m9X" as the key. openssl
// adds the same PKCS #5 padding.
std::string OpenSslDesHex(const std::string& plain) {
  testsupport::TempDir dir;
  std::string in = dir.WriteFile("plain.bin", plain).string();
  std::string out = (dir / "cipher.bin").string();
  std::string command = "openssl enc -des-ecb -K 6b37215177255032 -provider legacy -provider default -in '" +
                        in + "' -out '" + out + "' 2>/dev/null";
  if (std::system(command.c_str()) != 0) return "openssl failed";
  return ToHex(testsupport::ReadFileBytes(out));
}

std::string StoredPwd() {
  std::string value = "<missing>";
  UserStore().ReadString(kKey, "PWD", &value);
  return value;
}

class StoredCredentialsTest : public ::testing::Test {
 protected:
  void SetUp() override { UserStore().DeleteKey(kKey); }
  void TearDown() override { UserStore().DeleteKey(kKey); }
};

struct CipherCase {
  const char* password;
  size_t cipher_bytes;
};

TEST_F(StoredCredentialsTest, PasswordIsStoredAsDesOfItsGbkBytesAndAZero) {
  const CipherCase cases[] = {
      {"abcdefg", 16},  // 7 bytes + zero = 8: a whole block of padding follows
      {"abc", 8},       // 3 bytes + zero + four bytes of value 4
      {"密码", 8},      // four GBK bytes, not six UTF-8 bytes
      {"p&ss word with 17", 24},
  };
  for (const CipherCase& c : cases) {
    SCOPED_TRACE(c.password);
    ASSERT_EQ(IUFunction::SaveUserInfo("demo", c.password, 1), 1);
    std::string stored = StoredPwd();
    EXPECT_EQ(stored.size(), c.cipher_bytes * 2);
    EXPECT_EQ(stored, OpenSslDesHex(platform::Utf8ToGbk(c.password) + std::string(1, '\0')));

    std::string name, password;
    int auto_login = -1;
    ASSERT_EQ(IUFunction::GetUserInfo(&name, &password, &auto_login), 1);
    EXPECT_EQ(name, "demo");
    EXPECT_EQ(password, c.password);
    EXPECT_EQ(auto_login, 1);
  }
}

TEST_F(StoredCredentialsTest, AutomaticLoginOffStoresAnEmptyPassword) {
  ASSERT_EQ(IUFunction::SaveUserInfo("demo", "secret", 1), 1);
  ASSERT_EQ(IUFunction::SaveUserInfo("张三", "secret", 0), 1);
  EXPECT_EQ(StoredPwd(), "");

  std::string name, password;
  int auto_login = -1;
  ASSERT_EQ(IUFunction::GetUserInfo(&name, &password, &auto_login), 1);
  EXPECT_EQ(name, "张三");
  EXPECT_EQ(password, "");
  EXPECT_EQ(auto_login, 0);
}

TEST_F(StoredCredentialsTest, AutomaticLoginWithoutPasswordKeepsTheStoredOne) {
  ASSERT_EQ(IUFunction::SaveUserInfo("demo", "secret", 1), 1);
  std::string before = StoredPwd();
  ASSERT_EQ(IUFunction::SaveUserInfo("demo2", "", 1), 1);
  EXPECT_EQ(StoredPwd(), before);
}

TEST_F(StoredCredentialsTest, DamagedPasswordIsNotRestoredButNameAndFlagAre) {
  const char* damaged[] = {
      "c05ab045a157059",   // odd number of digits
      "c05ab045",          // not whole blocks
      "zz5ab045a1570595",  // not hexadecimal
      "",                  // nothing stored
  };
  for (const char* pwd : damaged) {
    SCOPED_TRACE(pwd);
    ASSERT_EQ(IUFunction::SaveUserInfo("demo", "abc", 1), 1);
    ASSERT_EQ(UserStore().WriteString(kKey, "PWD", pwd), platform::SettingsStatus::kOk);
    std::string name, password = "untouched";
    int auto_login = -1;
    ASSERT_EQ(IUFunction::GetUserInfo(&name, &password, &auto_login), 1);
    EXPECT_EQ(name, "demo");
    EXPECT_EQ(password, "untouched");
    EXPECT_EQ(auto_login, 1);
  }
}

TEST_F(StoredCredentialsTest, NoKeyGivesZeroAndMissingValuesLeaveTheirArgument) {
  std::string name = "n", password = "p";
  int auto_login = 5;
  EXPECT_EQ(IUFunction::GetUserInfo(&name, &password, &auto_login), 0);
  EXPECT_EQ(name, "n");
  EXPECT_EQ(password, "p");
  EXPECT_EQ(auto_login, 5);

  ASSERT_EQ(UserStore().CreateKey(kKey), platform::SettingsStatus::kOk);
  EXPECT_EQ(IUFunction::GetUserInfo(&name, &password, &auto_login), 1);
  EXPECT_EQ(name, "n");
  EXPECT_EQ(password, "p");
  EXPECT_EQ(auto_login, 5);
  EXPECT_EQ(IUFunction::GetUserInfo(nullptr, nullptr, nullptr), 1);
}

TEST(SessionFunctionsTest, LoggedInTestAndDisplayName) {
  CSessionState session;
  session.InitConfig();
  EXPECT_EQ(IUFunction::IsUserLogined(&session), 0);
  // A page that hands over uid and token logs the user in without a request.
  session.SetUid("42");
  session.SetToken("tok");
  session.SetNickName("小明");
  EXPECT_NE(IUFunction::IsUserLogined(&session), 0);
  EXPECT_EQ(IUFunction::GetUserNameA(&session), "小明");
  // A login request on its way makes the user logged out until its answer.
  session.SetAlbumEnabled(0);
  EXPECT_EQ(IUFunction::IsUserLogined(&session), 0);
  EXPECT_EQ(IUFunction::IsUserLogined(nullptr), 0);
  EXPECT_EQ(IUFunction::GetUserNameA(nullptr), "");
}

TEST(SessionFunctionsTest, HostBindsTheTwoSessionFunctionsByName) {
  // The host program finds these by their C++ names in the library file.
  platform::Library library;
  std::string path =
      platform::Library::PathOfAddress(reinterpret_cast<const void*>(&IUFunction::IsUserLogined));
  ASSERT_TRUE(library.Open(path)) << library.Error();
  using IsUserLoginedFn = int (*)(const CSessionState*);
  using GetUserNameFn = std::string (*)(const CSessionState*);
  auto is_logged_in =
      reinterpret_cast<IsUserLoginedFn>(library.Symbol("_ZN10IUFunction13IsUserLoginedEPK13CSessionState"));
  auto user_name = reinterpret_cast<GetUserNameFn>(
      library.Symbol("_ZN10IUFunction12GetUserNameAB5cxx11EPK13CSessionState"));
  ASSERT_NE(is_logged_in, nullptr) << library.Error();
  ASSERT_NE(user_name, nullptr) << library.Error();
  CSessionState session;
  session.SetUid("1");
  session.SetToken("t");
  session.SetNickName("nick");
  EXPECT_EQ(is_logged_in(&session), 1);
  EXPECT_EQ(user_name(&session), "nick");
}

}  // namespace
