#include "platform/system/ProfileFile.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

#include "tools/testsupport/TempDir.h"

namespace platform {
namespace {

constexpr char kSample[] =
    "; settings of the host\n"
    "[AppSettings]\n"
    "  Version =  120  \n"
    "UpdateInfoUrl=\"http://127.0.0.1:1/info.xml\"\n"
    "Quoted=' inner blanks '\n"
    "NoEquals\n"
    ";Version=999\n"
    "Name=\xE6\xB2\x83\xE7\xBD\x97\n"
    "Number=-42abc\n"
    "Empty=\n"
    "\n"
    "[update]\n"
    "Version=7\n"
    "[AppSettings]\n"
    "Later=only in the second copy\n";

class ProfileFileTest : public testing::Test {
 protected:
  std::string Sample() const { return dir_.WriteFile("AppSettings.ini", kSample).string(); }
  testsupport::TempDir dir_;
};

TEST_F(ProfileFileTest, ReadsValuesWithDefaultsAndBufferLimits) {
  struct Case {
    const char* section;
    const char* key;
    const char* fallback;
    size_t buffer;
    const char* expected;
  };
  const Case cases[] = {
      {"AppSettings", "Version", "", 260, "120"},
      {"appsettings", "VERSION", "", 260, "120"},
      {"AppSettings", "UpdateInfoUrl", "", 1024, "http://127.0.0.1:1/info.xml"},
      {"AppSettings", "Quoted", "", 260, " inner blanks "},
      {"AppSettings", "NoEquals", "dflt", 260, ""},
      {"AppSettings", "Empty", "dflt", 260, ""},
      {"AppSettings", "Missing", "dflt  ", 260, "dflt"},
      {"AppSettings", "Later", "none", 260, "none"},  // Only the first section of a name counts.
      {"Missing", "Version", "0", 260, "0"},
      {"Update", "Version", "0", 260, "7"},
      {"AppSettings", "UpdateInfoUrl", "", 5, "http"},
      {"AppSettings", "Missing", "default", 4, "def"},
      {"AppSettings", "Name", "", 7, "\xE6\xB2\x83\xE7\xBD\x97"},
      {"AppSettings", "Name", "", 6, "\xE6\xB2\x83"},  // Never half a character.
      {"AppSettings", "Version", "", 1, ""},
  };
  const std::string file = Sample();
  for (const Case& c : cases) {
    std::string value = "stale";
    size_t length = ReadProfileString(file, c.section, c.key, c.fallback, &value, c.buffer);
    EXPECT_EQ(value, c.expected) << c.section << "/" << c.key << " buffer " << c.buffer;
    EXPECT_EQ(length, value.size());
  }
  std::string value = "stale";
  EXPECT_EQ(ReadProfileString(file, "AppSettings", "Version", "x", &value, 0), 0u);
  EXPECT_EQ(value, "");
}

TEST_F(ProfileFileTest, ReadsIntegersLikeTheCLibrary) {
  const std::string file =
      dir_.WriteFile("n.ini", "[n]\na=42\nb=  -7\nc=12abc\nd=abc\ne=\nf=99999999999\n").string();
  const std::vector<std::pair<std::string, int>> cases = {
      {"a", 42}, {"b", -7}, {"c", 12}, {"d", 0}, {"e", 5}, {"f", 2147483647}, {"missing", 5}};
  for (const auto& [key, expected] : cases) EXPECT_EQ(ReadProfileInt(file, "N", key, 5), expected) << key;
  EXPECT_EQ(ReadProfileInt((dir_ / "absent.ini").string(), "n", "a", -3), -3);
}

TEST_F(ProfileFileTest, MissingFileGivesDefaultsAndNoSections) {
  const std::string file = (dir_ / "absent.ini").string();
  std::string value;
  EXPECT_EQ(ReadProfileString(file, "Update", "Patch", "none", &value, 260), 4u);
  EXPECT_EQ(value, "none");
  EXPECT_TRUE(ReadProfileSectionNames(file).empty());
  EXPECT_EQ(ReadFirstProfileSectionName(file), "");
  EXPECT_FALSE(std::filesystem::exists(file));
}

TEST_F(ProfileFileTest, ListsSectionsAndTheFirstOne) {
  const std::string file = Sample();
  EXPECT_EQ(ReadProfileSectionNames(file), (std::vector<std::string>{"AppSettings", "update"}));
  EXPECT_EQ(ReadFirstProfileSectionName(file), "AppSettings");
  EXPECT_EQ(ReadFirstProfileSectionName(file, 4), "App");
  EXPECT_EQ(ReadProfileKeyNames(file, "APPSETTINGS"),
            (std::vector<std::string>{"Version", "UpdateInfoUrl", "Quoted", "NoEquals", "Name", "Number",
                                      "Empty"}));
  const std::string keys_first =
      dir_.WriteFile("cfg.ini", "guid=x\n[ 2.1 release ]\nversion=2.1.0.8\n").string();
  EXPECT_EQ(ReadFirstProfileSectionName(keys_first), "2.1 release");
  EXPECT_EQ(ReadFirstProfileSectionName(dir_.WriteFile("empty.ini", "").string()), "");
}

TEST_F(ProfileFileTest, WritesKeepEveryOtherLine) {
  const std::string file = Sample();
  ASSERT_TRUE(WriteProfileString(file, "appsettings", "version", "121"));
  ASSERT_TRUE(WriteProfileString(file, "Update", "Patch", "/opt/q/patch.bin"));
  ASSERT_TRUE(WriteProfileString(file, "New", "AutoUpdate", "1"));
  std::string expected = kSample;
  expected.replace(expected.find("  Version =  120  "), 18, "version=121");
  expected.replace(expected.find("Version=7\n") + 10, 0, "Patch=/opt/q/patch.bin\n");
  expected += "[New]\nAutoUpdate=1\n";
  EXPECT_EQ(testsupport::ReadFileBytes(file), expected);

  ASSERT_TRUE(DeleteProfileKey(file, "APPSETTINGS", "Quoted"));
  ASSERT_TRUE(DeleteProfileSection(file, "appsettings"));
  EXPECT_EQ(ReadProfileSectionNames(file), (std::vector<std::string>{"update", "New"}));
  std::string value;
  ReadProfileString(file, "Update", "Patch", "", &value, 260);
  EXPECT_EQ(value, "/opt/q/patch.bin");
}

TEST_F(ProfileFileTest, WriteCreatesFolderFileAndSectionAndKeepsCrlf) {
  const std::string created = (dir_ / "Update" / "Update.ini").string();
  ASSERT_TRUE(WriteProfileString(created, "Update", "Version", "10"));
  ASSERT_TRUE(WriteProfileString(created, "Update", "AutoUpdate", "1"));
  EXPECT_EQ(testsupport::ReadFileBytes(created), "[Update]\nVersion=10\nAutoUpdate=1\n");

  const std::string crlf = dir_.WriteFile("crlf.ini", "\xEF\xBB\xBF[A]\r\nx=1\r\n\r\n[B]\r\ny=2").string();
  ASSERT_TRUE(WriteProfileString(crlf, "A", "z", "3"));
  EXPECT_EQ(testsupport::ReadFileBytes(crlf), "\xEF\xBB\xBF[A]\r\nx=1\r\nz=3\r\n\r\n[B]\r\ny=2\r\n");
}

TEST_F(ProfileFileTest, FileNameIgnoresLetterCase) {
  // The host writes "update.ini" and reads "Update.ini": both are one file.
  const std::string real = dir_.WriteFile("Update.ini", "[Update]\nVersion=3\n").string();
  ASSERT_TRUE(WriteProfileString((dir_ / "update.ini").string(), "Update", "Patch", "p"));
  EXPECT_FALSE(std::filesystem::exists(dir_ / "update.ini"));
  EXPECT_EQ(testsupport::ReadFileBytes(real), "[Update]\nVersion=3\nPatch=p\n");
  EXPECT_EQ(ReadProfileInt((dir_ / "UPDATE.INI").string(), "update", "version", 0), 3);
}

TEST_F(ProfileFileTest, WriteThroughALinkChangesTheLinkedFile) {
  const std::filesystem::path real = dir_.WriteFile("shared/real.ini", "[A]\nx=1\n");
  const std::filesystem::path link = dir_ / "link.ini";
  std::filesystem::create_symlink(real, link);
  ASSERT_TRUE(WriteProfileString(link.string(), "A", "x", "2"));
  EXPECT_TRUE(std::filesystem::is_symlink(link));
  EXPECT_EQ(testsupport::ReadFileBytes(real), "[A]\nx=2\n");
}

TEST_F(ProfileFileTest, RefusesWritesThatWouldBreakTheFormat) {
  const std::string file = Sample();
  const std::vector<std::array<std::string, 3>> bad = {
      {"AppSettings", "Version", "1\n[Evil]"},
      {"AppSettings", "a=b", "1"},
      {"App]Settings", "k", "v"},
      {"A\r\nB", "k", "v"},
      {"AppSettings", "", "v"},
      {"AppSettings", ";k", "v"},
  };
  for (const auto& [section, key, value] : bad)
    EXPECT_FALSE(WriteProfileString(file, section, key, value)) << section << "/" << key << "/" << value;
  EXPECT_EQ(testsupport::ReadFileBytes(file), kSample);
}

TEST_F(ProfileFileTest, ConcurrentWritersLoseNothing) {
  const std::string file = (dir_ / "shared.ini").string();
  constexpr int kCount = 30;
  auto writer = [&](const std::string& section) {
    for (int i = 0; i < kCount; ++i)
      WriteProfileString(file, section, "k" + std::to_string(i), std::to_string(i));
  };
  std::thread a(writer, "A"), b(writer, "B");
  a.join();
  b.join();
  for (const char* section : {"A", "B"})
    for (int i = 0; i < kCount; ++i) EXPECT_EQ(ReadProfileInt(file, section, "k" + std::to_string(i), -1), i);
}

}  // namespace
}  // namespace platform
