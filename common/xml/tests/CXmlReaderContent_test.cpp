// Reading content: name matching, attribute lookup and character data.
#include <gtest/gtest.h>

#include <string>

#include "common/xml/CXmlReader.h"

namespace {

struct NameCase {
  const char* requested;
  const char* found;  // tag name of the element found, "" when none
};

class NameMatchTest : public testing::TestWithParam<NameCase> {};

TEST_P(NameMatchTest, FindsFirstMatchingSibling) {
  CXmlReader reader;
  ASSERT_TRUE(reader.Parse("<r><Item/><item2/><x:y/><z/></r>"));
  ASSERT_TRUE(reader.FindNext("R"));
  ASSERT_TRUE(reader.Enter());
  bool found = reader.FindNext(GetParam().requested);
  EXPECT_EQ(found, GetParam().found[0] != '\0');
  EXPECT_EQ(reader.TagName(), GetParam().found);
}

INSTANTIATE_TEST_SUITE_P(Rules, NameMatchTest,
                         testing::Values(NameCase{"item", "Item"}, NameCase{"ITEM", "Item"},
                                         NameCase{"item [1]", "Item"}, NameCase{"item=", "Item"},
                                         NameCase{"item/x", "Item"}, NameCase{"item[2]", "Item"},
                                         NameCase{"ite", ""}, NameCase{"items", ""},
                                         NameCase{"item2", "item2"}, NameCase{"X:Y", "x:y"},
                                         NameCase{"", "Item"}, NameCase{"z", "z"}, NameCase{"r", ""}));

struct AttributeCase {
  const char* document;
  const char* name;
  const char* value;
};

class AttributeTest : public testing::TestWithParam<AttributeCase> {};

TEST_P(AttributeTest, LooksUpDecodedQuotedValue) {
  CXmlReader reader;
  ASSERT_TRUE(reader.Parse(GetParam().document)) << reader.LastError();
  ASSERT_TRUE(reader.FindNext());
  EXPECT_EQ(reader.Attribute(GetParam().name), GetParam().value);
}

INSTANTIATE_TEST_SUITE_P(
    Lookup, AttributeTest,
    testing::Values(
        AttributeCase{"<a x=\"1\"/>", "x", "1"}, AttributeCase{"<a x='1'/>", "x", "1"},
        AttributeCase{"<a x=\"1>2\"/>", "x", "1>2"}, AttributeCase{"<a x='say \"hi\"'/>", "x", "say \"hi\""},
        AttributeCase{"<a x=1/>", "x", ""}, AttributeCase{"<a x y=\"2\"/>", "x", ""},
        AttributeCase{"<a x y=\"2\"/>", "y", "2"}, AttributeCase{"<a\n X = \"v\"\t/>", "x", "v"},
        AttributeCase{"<a xy=\"1\" x=\"2\"/>", "x", "2"}, AttributeCase{"<a b=\"x\" x=\"3\"/>", "x", "3"},
        AttributeCase{"<a b=\"x=1\"/>", "x", ""}, AttributeCase{"<a x=\"\"/>", "x", ""},
        AttributeCase{"<a x=\"1\"/>", "z", ""}, AttributeCase{"<a/>", "a", ""},
        AttributeCase{"<a ?x=\"1\"/>", "x", ""}, AttributeCase{"<a x=\"1\" / y=\"2\"></a>", "y", ""},
        AttributeCase{"<a x=>\"1\"</a>", "x", ""},
        AttributeCase{"<a x=\"a &amp; &lt;b&gt; &#x4E2D;&#65;\"/>", "x",
                      "a & <b> \xE4\xB8\xAD"
                      "A"},
        AttributeCase{"<a x=\"&amp\"/>", "x", "&amp"}, AttributeCase{"<a x=\"1\"></a>", "x", "1"}));

struct TextCase {
  const char* document;
  const char* text;
};

class TextTest : public testing::TestWithParam<TextCase> {};

TEST_P(TextTest, DecodesCharacterData) {
  CXmlReader reader;
  ASSERT_TRUE(reader.Parse(GetParam().document)) << reader.LastError();
  ASSERT_TRUE(reader.FindNext());
  EXPECT_EQ(reader.Text(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Data, TextTest,
    testing::Values(
        TextCase{"<a>x &amp; y &#65;&#x42; &other;</a>", "x & y AB &other;"},
        TextCase{"<a> <![CDATA[<b>]]> t </a>", "<b> t "}, TextCase{"<a><b/>text</a>", ""},
        TextCase{"<a>&#20320;</a>", "\xE4\xBD\xA0"}, TextCase{"<a>&#x1F600;</a>", "\xF0\x9F\x98\x80"},
        TextCase{"<a/>", ""}, TextCase{"<a></a>", ""}, TextCase{"<a>  </a>", "  "},
        TextCase{"<a>&lt;&gt;&apos;&quot;&amp;amp;</a>", "<>'\"&amp;"},
        TextCase{"<a>&LT;&Amp;</a>", "&LT;&Amp;"},
        TextCase{"<a>&#0;&#xD800;&#x110000;&#X41;&#65;&#;&#x;</a>", "&#0;&#xD800;&#x110000;&#X41;A&#;&#x;"},
        TextCase{"<a>&#0000065;|&#00000065;|&#x000041;|&#x0000041;|&#6a;</a>", "A|&#00000065;|A|A|&#6a;"},
        TextCase{"<a>&#65</a>", "&#65"}, TextCase{"<a>&amp</a>", "&amp"},
        TextCase{"<a>&amp<![CDATA[;]]></a>", "&amp;"}, TextCase{"<a><![CDATA[&amp;]]></a>", "&amp;"},
        TextCase{"<a><![C]]></a>", ""}, TextCase{"<a>x<!-- c -->y<?p?>z</a>", "xyz"},
        TextCase{"<a>\n  <!-- only a comment -->\n</a>", ""},
        TextCase{"<a>\xE4\xBD\xA0&amp;</a>", "\xE4\xBD\xA0&"}));

}  // namespace
