#include "platform/system/SettingsStore.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>
#include <thread>
#include <vector>

#include "platform/system/Process.h"
#include "tools/testsupport/TempDir.h"

namespace platform {
namespace {

constexpr char kTessel[] = "Software\\VORO\\Tessel";

class SettingsStoreTest : public testing::Test {
 protected:
  std::string HivePath() const { return (dir_ / "hive" / "user.hive").string(); }
  SettingsStore Store() const { return SettingsStore(HivePath()); }

  testsupport::TempDir dir_;
};

TEST_F(SettingsStoreTest, MissingKeyAndMissingValueAreToldApart) {
  SettingsStore store = Store();
  std::string text = "unchanged";
  uint32_t number = 77;
  EXPECT_EQ(store.OpenKey(kTessel), SettingsStatus::kKeyNotFound);
  EXPECT_EQ(store.ReadString(kTessel, "UserID", &text), SettingsStatus::kKeyNotFound);
  ASSERT_EQ(store.CreateKey(kTessel), SettingsStatus::kOk);
  EXPECT_EQ(store.OpenKey(kTessel), SettingsStatus::kOk);
  EXPECT_EQ(store.ReadString(kTessel, "UserID", &text), SettingsStatus::kValueNotFound);
  EXPECT_EQ(store.ReadNumber(kTessel, "AutoLogin", &number), SettingsStatus::kValueNotFound);
  EXPECT_EQ(text, "unchanged");
  EXPECT_EQ(number, 77u);
  // Keys above a created key exist too, as on the original.
  EXPECT_EQ(store.OpenKey("Software\\VORO"), SettingsStatus::kOk);
  // Writing into a key that does not exist does not create it.
  EXPECT_EQ(store.WriteString("Software\\Other", "x", "1"), SettingsStatus::kKeyNotFound);
  EXPECT_EQ(store.OpenKey("Software\\Other"), SettingsStatus::kKeyNotFound);
}

TEST_F(SettingsStoreTest, NamesIgnoreLetterCaseAndKeepTheirFirstSpelling) {
  SettingsStore store = Store();
  ASSERT_EQ(store.CreateKey(kTessel), SettingsStatus::kOk);
  ASSERT_EQ(store.WriteString(kTessel, "UserID", "alice"), SettingsStatus::kOk);
  // The updater spells the same key in other letter case.
  ASSERT_EQ(store.WriteString("SOFTWARE\\voro\\TESSEL", "USERID", "bob"), SettingsStatus::kOk);
  std::string text;
  EXPECT_EQ(store.ReadString("software\\Voro\\tessel", "userid", &text), SettingsStatus::kOk);
  EXPECT_EQ(text, "bob");
  std::string file = testsupport::ReadFileBytes(HivePath());
  EXPECT_NE(file.find("[Software\\VORO\\Tessel]\n"), std::string::npos) << file;
  EXPECT_NE(file.find("UserID=s:bob\n"), std::string::npos) << file;
  EXPECT_EQ(file.find("USERID"), std::string::npos) << file;
  // Empty parts of a path (a doubled or leading '\') name the same key.
  EXPECT_EQ(store.ReadString("\\Software\\\\VORO\\Tessel\\", "UserID", &text), SettingsStatus::kOk);
}

TEST_F(SettingsStoreTest, StringAndNumberValuesDoNotReadAsEachOther) {
  SettingsStore store = Store();
  ASSERT_EQ(store.CreateKey(kTessel), SettingsStatus::kOk);
  ASSERT_EQ(store.WriteNumber(kTessel, "AutoLogin", 1), SettingsStatus::kOk);
  ASSERT_EQ(store.WriteString(kTessel, "PWD", "12"), SettingsStatus::kOk);
  std::string text = "kept";
  uint32_t number = 5;
  EXPECT_EQ(store.ReadString(kTessel, "AutoLogin", &text), SettingsStatus::kTypeMismatch);
  EXPECT_EQ(store.ReadNumber(kTessel, "PWD", &number), SettingsStatus::kTypeMismatch);
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(number, 5u);
  // A write of the other type replaces the value.
  ASSERT_EQ(store.WriteString(kTessel, "AutoLogin", "yes"), SettingsStatus::kOk);
  EXPECT_EQ(store.ReadString(kTessel, "AutoLogin", &text), SettingsStatus::kOk);
  EXPECT_EQ(text, "yes");
  ASSERT_EQ(store.WriteNumber(kTessel, "Big", 0xFFFFFFFFu), SettingsStatus::kOk);
  EXPECT_EQ(store.ReadNumber(kTessel, "Big", &number), SettingsStatus::kOk);
  EXPECT_EQ(number, 0xFFFFFFFFu);
}

TEST_F(SettingsStoreTest, StringLimitCountsTheTerminatingZero) {
  SettingsStore store = Store();
  ASSERT_EQ(store.CreateKey(kTessel), SettingsStatus::kOk);
  ASSERT_EQ(store.WriteString(kTessel, "LastFolder", "/home"), SettingsStatus::kOk);
  std::string text = "kept";
  EXPECT_EQ(store.ReadString(kTessel, "LastFolder", &text, 5), SettingsStatus::kMoreData);
  EXPECT_EQ(text, "kept");
  EXPECT_EQ(store.ReadString(kTessel, "LastFolder", &text, 6), SettingsStatus::kOk);
  EXPECT_EQ(text, "/home");
}

TEST_F(SettingsStoreTest, AwkwardTextSurvivesTheFileFormat) {
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"", "default value"},
      {"@", "at sign name"},
      {"a=b", "equals in name"},
      {"[x]", "bracket name"},
      {"#not comment", "hash name"},
      {" padded ", "  padded value  "},
      {"percent%41", "100%41 and %"},
      {"lines", "one\ntwo\r\nthree\tfour"},
      {"utf8", "\xE6\xB2\x83\xE7\xBD\x97 photos"},
      {"empty", ""},
  };
  SettingsStore writer = Store();
  const std::string key = "Software\\Odd]Key";
  ASSERT_EQ(writer.CreateKey(key), SettingsStatus::kOk);
  for (const auto& [name, value] : cases)
    ASSERT_EQ(writer.WriteString(key, name, value), SettingsStatus::kOk) << name;
  // A second store object reads only what the file holds.
  SettingsStore reader = Store();
  for (const auto& [name, value] : cases) {
    std::string text;
    EXPECT_EQ(reader.ReadString(key, name, &text), SettingsStatus::kOk) << name;
    EXPECT_EQ(text, value) << name;
  }
}

TEST_F(SettingsStoreTest, DeleteRemovesValuesAndWholeSubtrees) {
  SettingsStore store = Store();
  ASSERT_EQ(store.CreateKey("Software\\VORO\\Tessel\\Sub"), SettingsStatus::kOk);
  ASSERT_EQ(store.CreateKey("Software\\VORO\\TesselOther"), SettingsStatus::kOk);
  ASSERT_EQ(store.WriteString(kTessel, "UserID", "alice"), SettingsStatus::kOk);
  ASSERT_EQ(store.WriteNumber(kTessel, "AutoLogin", 1), SettingsStatus::kOk);

  EXPECT_EQ(store.DeleteValue(kTessel, "userid"), SettingsStatus::kOk);
  EXPECT_EQ(store.DeleteValue(kTessel, "UserID"), SettingsStatus::kValueNotFound);
  uint32_t number = 0;
  EXPECT_EQ(store.ReadNumber(kTessel, "AutoLogin", &number), SettingsStatus::kOk);

  EXPECT_EQ(store.DeleteKey("software\\voro\\tessel"), SettingsStatus::kOk);
  EXPECT_EQ(store.OpenKey(kTessel), SettingsStatus::kKeyNotFound);
  EXPECT_EQ(store.OpenKey("Software\\VORO\\Tessel\\Sub"), SettingsStatus::kKeyNotFound);
  // A sibling whose name merely starts the same stays.
  EXPECT_EQ(store.OpenKey("Software\\VORO\\TesselOther"), SettingsStatus::kOk);
  EXPECT_EQ(store.DeleteKey(kTessel), SettingsStatus::kKeyNotFound);
  EXPECT_EQ(store.DeleteValue(kTessel, "AutoLogin"), SettingsStatus::kKeyNotFound);
}

TEST_F(SettingsStoreTest, CorruptHiveIsReportedAndLeftAsItIs) {
  const std::vector<std::string> damaged = {
      std::string("\x7F"
                  "ELF\x02\x01\x00\x00garbage",
                  16),
      "value before any key=s:x\n",
      "[Software]\nUserID\n",
      "[Software]\nAutoLogin=n:4294967296\n",
      "[Software]\nUserID=s:bad%4\n",
      "[Software]\nUserID=q:typeless\n",
      "[Unclosed\n",
  };
  for (const std::string& bytes : damaged) {
    std::filesystem::create_directories(dir_ / "hive");
    dir_.WriteFile("hive/user.hive", bytes);
    SettingsStore store = Store();
    std::string text;
    EXPECT_EQ(store.ReadString("Software", "UserID", &text), SettingsStatus::kCorrupt) << bytes;
    EXPECT_EQ(store.CreateKey("Software\\New"), SettingsStatus::kCorrupt) << bytes;
    EXPECT_EQ(store.WriteString("Software", "UserID", "x"), SettingsStatus::kCorrupt) << bytes;
    EXPECT_EQ(testsupport::ReadFileBytes(HivePath()), bytes);
  }
}

TEST_F(SettingsStoreTest, HandEditedHiveWithCommentsAndCrlfReads) {
  dir_.WriteFile("hive/user.hive",
                 "# edited\r\n\r\n[Software\\VORO\\Tessel]\r\n; note\r\nUserID=s:carol\r\n");
  std::string text;
  EXPECT_EQ(Store().ReadString(kTessel, "UserID", &text), SettingsStatus::kOk);
  EXPECT_EQ(text, "carol");
}

// Each writer adds its own values to one key of one hive; a lost update would
// drop values written by the others.
void WriteMany(const std::string& hive, const std::string& prefix, int count, int* failures) {
  SettingsStore store(hive);
  for (int i = 0; i < count; ++i) {
    if (store.CreateKey(kTessel) != SettingsStatus::kOk ||
        store.WriteNumber(kTessel, prefix + std::to_string(i), static_cast<uint32_t>(i)) !=
            SettingsStatus::kOk)
      ++*failures;
  }
}

TEST_F(SettingsStoreTest, ConcurrentWritersInThreadsAndProcessesLoseNothing) {
  constexpr int kCount = 40;
  const std::string hive = HivePath();
  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    int failures = 0;
    WriteMany(hive, "child", kCount, &failures);
    _exit(failures == 0 ? 0 : 1);
  }
  ProcessHandle child_handle = ProcessHandle::Adopt(child);
  int failures_a = 0, failures_b = 0;
  std::thread a(WriteMany, hive, "threadA", kCount, &failures_a);
  std::thread b(WriteMany, hive, "threadB", kCount, &failures_b);
  a.join();
  b.join();
  ASSERT_TRUE(child_handle.Wait(60000));
  EXPECT_EQ(child_handle.ExitCode(), 0);
  EXPECT_EQ(failures_a + failures_b, 0);

  SettingsStore reader(hive);
  for (const char* prefix : {"child", "threadA", "threadB"}) {
    for (int i = 0; i < kCount; ++i) {
      uint32_t number = 0;
      EXPECT_EQ(reader.ReadNumber(kTessel, prefix + std::to_string(i), &number), SettingsStatus::kOk)
          << prefix << i;
      EXPECT_EQ(number, static_cast<uint32_t>(i));
    }
  }
  // No temporary or placeholder files stay behind.
  size_t files = 0;
  for (const auto& entry : std::filesystem::directory_iterator(dir_ / "hive"))
    files += entry.is_regular_file();
  EXPECT_EQ(files, 1u);
}

TEST(SettingsHiveTest, StandardHivesLiveInTheConfiguredFolders) {
  const std::filesystem::path home = testsupport::IsolatedHome();
  EXPECT_EQ(SettingsStore::HiveFilePath(SettingsHive::kCurrentUser),
            (home / ".config/JQMarlin/user.hive").string());
  EXPECT_EQ(SettingsStore::HiveFilePath(SettingsHive::kLocalMachine),
            (home / "machine/machine.hive").string());

  // Class registrations are the machine hive's "Software\Classes".
  const std::string clsid = "CLSID\\{54A1DDD3-59AB-4445-A09F-507C7894A528}\\InprocServer32";
  SettingsStore classes = SettingsStore::ForHive(SettingsHive::kClassesRoot);
  ASSERT_EQ(classes.CreateKey(clsid), SettingsStatus::kOk);
  ASSERT_EQ(classes.WriteString(clsid, "", "/opt/tessel/libtessel.so"), SettingsStatus::kOk);
  std::string text;
  EXPECT_EQ(SettingsStore::ForHive(SettingsHive::kLocalMachine)
                .ReadString("Software\\Classes\\" + clsid, "", &text),
            SettingsStatus::kOk);
  EXPECT_EQ(text, "/opt/tessel/libtessel.so");
  EXPECT_EQ(SettingsStore::ForHive(SettingsHive::kCurrentUser).OpenKey(clsid), SettingsStatus::kKeyNotFound);

  // The user's hive is readable by the user only: it holds the scrambled password.
  SettingsStore user = SettingsStore::ForHive(SettingsHive::kCurrentUser);
  ASSERT_EQ(user.CreateKey(kTessel), SettingsStatus::kOk);
  auto perms = std::filesystem::status(user.file()).permissions();
  EXPECT_EQ(perms & (std::filesystem::perms::group_all | std::filesystem::perms::others_all),
            std::filesystem::perms::none);
  std::filesystem::remove_all(home / "machine/machine.hive");
  std::filesystem::remove_all(user.file());
}

}  // namespace
}  // namespace platform
