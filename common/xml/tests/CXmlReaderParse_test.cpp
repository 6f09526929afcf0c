// Parsing: which documents index, and the exact error text of each failure.
#include <gtest/gtest.h>

#include <string>

#include "common/xml/CXmlReader.h"

namespace {

struct ParseErrorCase {
  const char* document;
  const char* error;
};

class ParseErrorTest : public testing::TestWithParam<ParseErrorCase> {};

TEST_P(ParseErrorTest, FailsWithExactTextAndIndexIsCleared) {
  CXmlReader reader;
  ASSERT_TRUE(reader.Parse("<ok/>"));
  EXPECT_FALSE(reader.Parse(GetParam().document));
  EXPECT_EQ(reader.LastError(), GetParam().error);
  EXPECT_FALSE(reader.FindNext());
  EXPECT_FALSE(reader.FindNextChild());
  EXPECT_EQ(reader.TagName(), "");
}

INSTANTIATE_TEST_SUITE_P(
    Errors, ParseErrorTest,
    testing::Values(
        ParseErrorCase{"", "Empty document"},
        ParseErrorCase{"<a><b></a>", "End tag 'a' at offset 7 does not match start tag 'b' at offset 3"},
        ParseErrorCase{"<a></b >", "End tag 'b' at offset 4 does not match start tag 'a' at offset 0"},
        ParseErrorCase{"<a/><b/>", "Element 'b' at offset 4 is sibling to root"},
        ParseErrorCase{"<r><a></a></r>\n<b>", "Element 'b' at offset 15 is sibling to root"},
        ParseErrorCase{"</a>", "No start tag for end tag 'a' at offset 0"},
        ParseErrorCase{"<a/></a>", "No start tag for end tag 'a' at offset 4"},
        ParseErrorCase{"<a><b>", "Element 'b' at offset 3 not ended"},
        ParseErrorCase{"<!-- only a comment -->", "Root element not found"},
        ParseErrorCase{" \r\n\t", "Root element not found"},
        ParseErrorCase{"just text", "Root element not found"},
        ParseErrorCase{"<a><!- x -></a>", "Incorrect comment tag at offset 3"},
        ParseErrorCase{"<a>< b/></a>", "Incorrect tag name character at offset 3"},
        ParseErrorCase{"<a><1/></a>", "Incorrect tag name character at offset 3"},
        ParseErrorCase{"<a><!X></a>", "Incorrect ! tag at offset 3"},
        ParseErrorCase{"<a><!", "Incorrect ! tag at offset 3"},
        ParseErrorCase{"<a><![X[</a>", "Incorrect tag at offset 3"},
        ParseErrorCase{"<a></a", "Element end tag at offset 3 unterminated"},
        ParseErrorCase{"<a x='1>", "Element tag at offset 0 unterminated"},
        ParseErrorCase{"<a x=\"1\"", "Element tag at offset 0 unterminated"},
        ParseErrorCase{"<a><![CDATA[x]]</a>", "CDATA Section at offset 3 unterminated"},
        ParseErrorCase{"<?xml version='1.0'>", "Processing instruction at offset 0 unterminated"},
        ParseErrorCase{"<a><!-- x -> </a>", "Comment at offset 3 unterminated"},
        ParseErrorCase{"<!DOCTYPE a", "Doctype at offset 0 unterminated"},
        ParseErrorCase{"<!DOCTYPE a [<!ELEMENT a", "Doctype at offset 0 unterminated"},
        ParseErrorCase{"<!DOCTYPE a [<!-- x ]>", "Doctype at offset 0 unterminated"},
        ParseErrorCase{"<!DOCTYPE a [<? x ]>", "Doctype at offset 0 unterminated"},
        ParseErrorCase{"<!DOCTYPE a [< x>]><a/>", "Incorrect tag name character at offset 13"},
        ParseErrorCase{"<!ENTITY x", "tag at offset 0 unterminated"}));

struct ParsedCase {
  const char* document;
  const char* root_name;
};

class ParseSuccessTest : public testing::TestWithParam<ParsedCase> {};

TEST_P(ParseSuccessTest, IndexesTheRootElement) {
  CXmlReader reader;
  ASSERT_TRUE(reader.Parse(GetParam().document)) << reader.LastError();
  EXPECT_EQ(reader.LastError(), "");
  ASSERT_TRUE(reader.FindNext());
  EXPECT_EQ(reader.TagName(), GetParam().root_name);
  EXPECT_FALSE(reader.FindNext()) << "only one element at the top level";
}

INSTANTIATE_TEST_SUITE_P(
    Documents, ParseSuccessTest,
    testing::Values(
        ParsedCase{"<r/>", "r"}, ParsedCase{"<root></ROOT>", "root"}, ParsedCase{"<Root></root >", "Root"},
        ParsedCase{"<a x=\"1>2\"/>", "a"}, ParsedCase{"<a x='\"/>' y=\"'>\"></a>", "a"},
        ParsedCase{"\xEF\xBB\xBF<bom/>", "bom"},
        ParsedCase{"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<!-- lead -->\n<r>\n</r>\n<!-- tail -->\n",
                   "r"},
        ParsedCase{
            "<!DOCTYPE r [<!ELEMENT r (#PCDATA)> <!-- c > --> <?pi > ?> <!ATTLIST r a CDATA #IMPLIED>]>"
            "<r/>",
            "r"},
        ParsedCase{"<!ENTITY x><!NOTATION y><r/>", "r"}, ParsedCase{"<r><![CDATA[</r>]]></r>", "r"},
        ParsedCase{"<_a:b-c.d/>", "_a:b-c.d"}, ParsedCase{"<\xE6\xA0\xB9></\xE6\xA0\xB9>", "\xE6\xA0\xB9"},
        ParsedCase{"<r>text outside is fine</r> trailing text", "r"}));

TEST(ParseTest, NullAndFreshReaderAreEmptyDocuments) {
  CXmlReader fresh;
  EXPECT_EQ(fresh.LastError(), "Empty document");
  EXPECT_FALSE(fresh.FindNext());

  CXmlReader reader;
  ASSERT_TRUE(reader.Parse("<a/>"));
  EXPECT_FALSE(reader.Parse(static_cast<const char*>(nullptr)));
  EXPECT_EQ(reader.LastError(), "Empty document");
}

TEST(ParseTest, DocumentEndsAtFirstNulByte) {
  CXmlReader reader;
  const char bytes[] = "<a></a>\0<b>";
  EXPECT_TRUE(reader.Parse(std::string_view(bytes, sizeof bytes - 1)));
  const char unterminated[] = "<a>\0</a>";
  EXPECT_FALSE(reader.Parse(std::string_view(unterminated, sizeof unterminated - 1)));
  EXPECT_EQ(reader.LastError(), "Element 'a' at offset 0 not ended");
}

TEST(ParseTest, ReparseResetsCursorAndErrorText) {
  CXmlReader reader;
  ASSERT_TRUE(reader.Parse("<a><b/></a>"));
  ASSERT_TRUE(reader.FindNext("a"));
  ASSERT_TRUE(reader.Enter());
  ASSERT_TRUE(reader.FindNext("b"));
  EXPECT_FALSE(reader.Parse("<x"));
  EXPECT_NE(reader.LastError(), "");
  ASSERT_TRUE(reader.Parse("<c><d/></c>"));
  EXPECT_EQ(reader.LastError(), "");
  EXPECT_EQ(reader.TagName(), "");
  EXPECT_FALSE(reader.Leave());
  ASSERT_TRUE(reader.FindNext("c"));
  ASSERT_TRUE(reader.Enter());
  EXPECT_TRUE(reader.FindNext("d"));
}

}  // namespace
