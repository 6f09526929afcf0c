#include "control/credentials/IUFunction.h"

#include <cstdint>

#include "control/credentials/PasswordScrambler.h"
#include "control/session/SessionState.h"
#include "platform/system/SettingsStore.h"

namespace IUFunction {
namespace {

using platform::SettingsStatus;

constexpr const char* kCredentialsKey = "Software\\VORO\\Tessel";
constexpr const char* kUserIdValue = "UserID";
constexpr const char* kPasswordValue = "PWD";
constexpr const char* kAutoLoginValue = "AutoLogin";
// Largest string value read back, terminating zero included.
constexpr size_t kMaxValueBytes = 4096;

platform::SettingsStore UserStore() {
  return platform::SettingsStore::ForHive(platform::SettingsHive::kCurrentUser);
}

// The stored password text to write, or nothing when "PWD" stays as it is.
bool PasswordToWrite(const std::string& password, int auto_login, std::string* stored) {
  if (auto_login == 0) {
    stored->clear();
    return true;
  }
  if (password.empty()) return false;
  *stored = credentials::ScramblePassword(password);
  return true;
}

}  // namespace

int GetUserInfo(std::string* login_name, std::string* password, int* auto_login) {
  platform::SettingsStore store = UserStore();
  if (store.OpenKey(kCredentialsKey) != SettingsStatus::kOk) return 0;

  std::string name;
  if (login_name &&
      store.ReadString(kCredentialsKey, kUserIdValue, &name, kMaxValueBytes) == SettingsStatus::kOk) {
    *login_name = name;
  }
  std::string stored;
  if (password &&
      store.ReadString(kCredentialsKey, kPasswordValue, &stored, kMaxValueBytes) == SettingsStatus::kOk) {
    if (std::optional<std::string> plain = credentials::UnscramblePassword(stored)) *password = *plain;
  }
  std::uint32_t flag = 0;
  if (auto_login && store.ReadNumber(kCredentialsKey, kAutoLoginValue, &flag) == SettingsStatus::kOk) {
    *auto_login = static_cast<int>(flag);
  }
  return 1;
}

int SaveUserInfo(const std::string& login_name, const std::string& password, int auto_login) {
  platform::SettingsStore store = UserStore();
  if (store.CreateKey(kCredentialsKey) != SettingsStatus::kOk) return 0;
  if (store.WriteString(kCredentialsKey, kUserIdValue, login_name) != SettingsStatus::kOk) return 0;
  std::string stored;
  if (PasswordToWrite(password, auto_login, &stored) &&
      store.WriteString(kCredentialsKey, kPasswordValue, stored) != SettingsStatus::kOk) {
    return 0;
  }
  std::uint32_t flag = static_cast<std::uint32_t>(auto_login);
  if (store.WriteNumber(kCredentialsKey, kAutoLoginValue, flag) != SettingsStatus::kOk) return 0;
  return 1;
}

int IsUserLogined(const CSessionState* session) { return session && session->IsLoggedIn() ? 1 : 0; }

std::string GetUserNameA(const CSessionState* session) {
  return session ? session->NickName() : std::string();
}

}  // namespace IUFunction
