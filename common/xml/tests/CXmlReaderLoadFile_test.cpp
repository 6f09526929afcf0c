// Loading documents from disk: the byte-count text and keeping the previous
// document when a file cannot be read.
#include <gtest/gtest.h>

#include <string>

#include "common/xml/CXmlReader.h"
#include "tools/testsupport/TempDir.h"

namespace {

class LoadFileTest : public testing::Test {
 protected:
  // Leaves the reader on <second> of a small parsed document.
  void SetUp() override {
    ASSERT_TRUE(reader_.Parse("<prev><first/><second v=\"2\"/><third/></prev>"));
    ASSERT_TRUE(reader_.FindNext("prev"));
    ASSERT_TRUE(reader_.Enter());
    ASSERT_TRUE(reader_.FindNext("second"));
  }
  void ExpectPreviousDocumentKept() {
    EXPECT_EQ(reader_.Attribute("v"), "2");
    EXPECT_TRUE(reader_.FindNext("third"));
    EXPECT_TRUE(reader_.Leave());
    EXPECT_EQ(reader_.TagName(), "prev");
  }
  testsupport::TempDir dir_;
  CXmlReader reader_;
};

TEST_F(LoadFileTest, MissingFileKeepsPreviousDocument) {
  EXPECT_FALSE(reader_.LoadFile((dir_ / "missing.xml").string()));
  EXPECT_EQ(reader_.LastError(), "No such file or directory");
  ExpectPreviousDocumentKept();
}

TEST_F(LoadFileTest, FolderKeepsPreviousDocument) {
  EXPECT_FALSE(reader_.LoadFile(dir_.path().string()));
  EXPECT_EQ(reader_.LastError(), "Is a directory");
  ExpectPreviousDocumentKept();
}

struct FileCase {
  const char* bytes;
  bool ok;
  const char* error;
};

class LoadFileContentTest : public testing::TestWithParam<FileCase> {};

TEST_P(LoadFileContentTest, ReportsByteCountThenParseError) {
  testsupport::TempDir dir;
  CXmlReader reader;
  EXPECT_EQ(reader.LoadFile(dir.WriteFile("doc.xml", GetParam().bytes).string()), GetParam().ok);
  EXPECT_EQ(reader.LastError(), GetParam().error);
  EXPECT_EQ(reader.FindNext("skin"), GetParam().ok);
}

INSTANTIATE_TEST_SUITE_P(Files, LoadFileContentTest,
                         testing::Values(FileCase{"<skin a=\"1\"/>", true, "13 bytes"},
                                         FileCase{"\xEF\xBB\xBF<skin>\xE7\x9A\xAE</skin>", true, "19 bytes"},
                                         FileCase{"", false, "0 bytes, Empty document"},
                                         FileCase{"<skin>", false,
                                                  "6 bytes, Element 'skin' at offset 0 not ended"}));

TEST(LoadFileUtf8Test, KeepsUtf8Text) {
  testsupport::TempDir dir;
  CXmlReader reader;
  ASSERT_TRUE(
      reader.LoadFile(dir.WriteFile("t.xml", "\xEF\xBB\xBF<t n=\"\xE5\x90\x8D\">\xE6\x96\x87</t>").string()));
  ASSERT_TRUE(reader.FindNext("t"));
  EXPECT_EQ(reader.Attribute("n"), "\xE5\x90\x8D");
  EXPECT_EQ(reader.Text(), "\xE6\x96\x87");
}

}  // namespace
