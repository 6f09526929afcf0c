// Walking the element index: FindNext, FindNextChild, Enter, Leave, and
// documents large enough to fill several index segments.
#include <gtest/gtest.h>

#include <string>

#include "common/xml/CXmlReader.h"

namespace {

constexpr const char* kAlbumList =
    "<root>\n"
    "  <item id=\"1\"><name>one</name><tag>a</tag><tag>b</tag></item>\n"
    "  <other/>\n"
    "  <item id=\"2\"><name>two</name></item>\n"
    "</root>\n";

class CursorTest : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(reader_.Parse(kAlbumList)) << reader_.LastError(); }
  CXmlReader reader_;
};

TEST_F(CursorTest, FreshCursorHasNoCurrentElement) {
  EXPECT_EQ(reader_.TagName(), "");
  EXPECT_EQ(reader_.Text(), "");
  EXPECT_EQ(reader_.Attribute("id"), "");
  EXPECT_FALSE(reader_.Enter());
  EXPECT_FALSE(reader_.Leave());
  EXPECT_FALSE(reader_.FindNext("item")) << "only the root is at the top level";
}

TEST_F(CursorTest, WalksSiblingsAndComesBack) {
  ASSERT_TRUE(reader_.FindNext("root"));
  ASSERT_TRUE(reader_.Enter());
  ASSERT_TRUE(reader_.FindNext("item"));
  EXPECT_EQ(reader_.Attribute("id"), "1");
  ASSERT_TRUE(reader_.Enter());
  ASSERT_TRUE(reader_.FindNext("tag"));
  EXPECT_EQ(reader_.Text(), "a");
  ASSERT_TRUE(reader_.FindNext("tag"));
  EXPECT_EQ(reader_.Text(), "b");
  EXPECT_FALSE(reader_.FindNext("tag"));
  EXPECT_EQ(reader_.Text(), "b") << "a failed find leaves the cursor where it was";
  EXPECT_FALSE(reader_.FindNext("name")) << "finds only look forward";
  ASSERT_TRUE(reader_.Leave());
  EXPECT_EQ(reader_.Attribute("id"), "1");
  ASSERT_TRUE(reader_.FindNext("item"));
  EXPECT_EQ(reader_.Attribute("id"), "2") << "<other/> is skipped";
  EXPECT_FALSE(reader_.FindNext());
  ASSERT_TRUE(reader_.Leave());
  EXPECT_EQ(reader_.TagName(), "root");
  EXPECT_FALSE(reader_.Leave()) << "the root has no parent to go back to";
}

TEST_F(CursorTest, EnterWithoutChildStartsAtFirstChild) {
  ASSERT_TRUE(reader_.FindNext("root"));
  ASSERT_TRUE(reader_.Enter());
  EXPECT_EQ(reader_.TagName(), "") << "no child was found before Enter";
  EXPECT_FALSE(reader_.Enter());
  ASSERT_TRUE(reader_.FindNext());
  EXPECT_EQ(reader_.TagName(), "item");
}

TEST_F(CursorTest, ChildFoundByFindNextChildIsCurrentAfterEnter) {
  // Without a current element FindNextChild first finds the root.
  ASSERT_TRUE(reader_.FindNextChild("item"));
  EXPECT_EQ(reader_.TagName(), "root");
  ASSERT_TRUE(reader_.FindNextChild("item"));
  ASSERT_TRUE(reader_.Enter());
  EXPECT_EQ(reader_.Attribute("id"), "2");
  EXPECT_FALSE(reader_.FindNextChild("tag")) << "item 2 has no tag";
  ASSERT_TRUE(reader_.FindNextChild("name"));
  ASSERT_TRUE(reader_.Enter());
  EXPECT_EQ(reader_.Text(), "two");
}

TEST_F(CursorTest, FindNextChildContinuesAfterLastChild) {
  ASSERT_TRUE(reader_.FindNext("root"));
  ASSERT_TRUE(reader_.Enter());
  ASSERT_TRUE(reader_.FindNext("item"));
  ASSERT_TRUE(reader_.FindNextChild("tag"));
  ASSERT_TRUE(reader_.FindNextChild("tag"));
  EXPECT_EQ(reader_.TagName(), "item") << "the current element stays";
  ASSERT_TRUE(reader_.Enter());
  EXPECT_EQ(reader_.Text(), "b");
  ASSERT_TRUE(reader_.Leave());
  EXPECT_EQ(reader_.Attribute("id"), "1");
  EXPECT_FALSE(reader_.FindNextChild("name")) << "the search goes on after the child left";
  EXPECT_FALSE(reader_.FindNextChild());
}

TEST(CursorScaleTest, ManyElementsAcrossSegments) {
  constexpr int kCount = 200000;
  std::string doc = "<r>";
  for (int i = 0; i < kCount; ++i) doc += "<e i=\"" + std::to_string(i) + "\"/>";
  doc += "</r>";
  CXmlReader reader;
  ASSERT_TRUE(reader.Parse(doc)) << reader.LastError();
  ASSERT_TRUE(reader.FindNext("r"));
  ASSERT_TRUE(reader.Enter());
  int seen = 0;
  while (reader.FindNext("e")) {
    ASSERT_EQ(reader.Attribute("i"), std::to_string(seen));
    ++seen;
  }
  EXPECT_EQ(seen, kCount);
  ASSERT_TRUE(reader.Leave());
  EXPECT_EQ(reader.TagName(), "r");
}

TEST(CursorScaleTest, DeepNestingComesBackToRoot) {
  constexpr int kDepth = 70000;
  std::string doc;
  for (int i = 0; i < kDepth; ++i) doc += "<d>";
  doc += "bottom";
  for (int i = 0; i < kDepth; ++i) doc += "</d>";
  CXmlReader reader;
  ASSERT_TRUE(reader.Parse(doc)) << reader.LastError();
  ASSERT_TRUE(reader.FindNext("d"));
  for (int i = 1; i < kDepth; ++i) {
    ASSERT_TRUE(reader.FindNextChild("d"));
    ASSERT_TRUE(reader.Enter());
  }
  EXPECT_EQ(reader.Text(), "bottom");
  int ups = 0;
  while (reader.Leave()) ++ups;
  EXPECT_EQ(ups, kDepth - 1);
  EXPECT_EQ(reader.Text(), "");
}

}  // namespace

namespace {

TEST(CursorScaleTest, LongStartAndEndTagsKeepTheirExtent) {
  // Tags longer than a compact record field could hold: a start tag of 5 MB
  // and an end tag of 3,000 bytes.
  std::string value(5 << 20, 'v');
  std::string doc = "<r><a big=\"" + value + "\">inside</a" + std::string(3000, ' ') + "><b>after</b></r>";
  CXmlReader reader;
  ASSERT_TRUE(reader.Parse(doc)) << reader.LastError();
  ASSERT_TRUE(reader.FindNext("r"));
  ASSERT_TRUE(reader.Enter());
  ASSERT_TRUE(reader.FindNext("a"));
  EXPECT_EQ(reader.Text(), "inside");
  EXPECT_EQ(reader.Attribute("big").size(), value.size());
  ASSERT_TRUE(reader.FindNext("b"));
  EXPECT_EQ(reader.Text(), "after");
}

TEST(CursorScaleTest, NestedDoctypesDoNotRecurse) {
  std::string doc;
  for (int i = 0; i < 200000; ++i) doc += "<!DOCTYPE a [";
  CXmlReader reader;
  EXPECT_FALSE(reader.Parse(doc));
  EXPECT_EQ(reader.LastError(), "Doctype at offset 0 unterminated");
}

}  // namespace
