// Parsing: what AssignText accepts, the exact message and offset of every failure, and the
// state a failed parse leaves.
#include <string>

#include "MarkupTestUtil.h"

namespace keyvale {
namespace {

struct ParseCase {
    std::u16string text;
    bool parses;
    std::u16string error;
};

void PrintTo(const ParseCase& c, std::ostream* os) { *os << '"' << Narrow(c.text) << '"'; }

class ParseTest : public ::testing::TestWithParam<ParseCase> {};

TEST_P(ParseTest, ResultAndMessage) {
    const ParseCase& c = GetParam();
    MarkupDoc doc;
    EXPECT_EQ(doc.AssignText(c.text), c.parses);
    EXPECT_EQ(doc.ErrorText(), c.error);
    EXPECT_EQ(doc.HasRoot(), c.parses);
    EXPECT_EQ(doc.DocumentText(), c.text);
}

INSTANTIATE_TEST_SUITE_P(
    Accepted, ParseTest,
    ::testing::Values(
        ParseCase{u"<a/>", true, u""},
        ParseCase{u"<?xml version=\"1.0\"?>\r\n<a><b>x</b></a>\r\n", true, u""},
        ParseCase{u"junk<a/>junk", true, u""},
        ParseCase{u"<!---->\r\n<!-->\r\n<a/>", true, u""},  // "<!-->" is a whole comment
        ParseCase{u"<a=b></a>", true, u""},                 // the end tag's name matches "a=b"
        ParseCase{u"<a></a >", true, u""},
        ParseCase{u"<a b='x>y'></a>", true, u""},  // quotes mean nothing: the first '>' ends the tag
        ParseCase{u"<a><![CDATA[<b></c>]]><!-- </d> --></a>", true, u""},
        // Inside a DOCTYPE a '>' that does not complete a construct's end mark is skipped.
        ParseCase{u"<!DOCTYPE a [<!ENTITY e 'v'> <!-- > <b> --> <?p > <c> ?>]><a/>", true, u""},
        ParseCase{u"<~x/>", true, u""},       // anything above U+0060 opens a tag
        ParseCase{u"<\u00e9t\u00e9/>", true, u""},
        ParseCase{u" <?><a/>", true, u""}));  // "<?>" ends at its own '?>' past offset 2

INSTANTIATE_TEST_SUITE_P(
    Rejected, ParseTest,
    ::testing::Values(
        ParseCase{u"", false, u""},
        ParseCase{u" \t\r\n", false, u"Root element not found"},
        ParseCase{u"only text", false, u"Root element not found"},
        ParseCase{u"<!-- c --><?p?>", false, u"Root element not found"},
        ParseCase{u"<a/><b/>", false, u"Element 'b' at offset 4 is sibling to root"},
        ParseCase{u"<a></b>", false, u"End tag 'b' at offset 3 does not match start tag 'a' at offset 0"},
        ParseCase{u"<ab></a>", false, u"End tag 'a' at offset 4 does not match start tag 'ab' at offset 0"},
        ParseCase{u"<a></ab>", false, u"End tag 'ab' at offset 3 does not match start tag 'a' at offset 0"},
        ParseCase{u"<a>", false, u"Element 'a' at offset 0 not ended"},
        ParseCase{u"<a><b>", false, u"Element 'b' at offset 3 not ended"},
        ParseCase{u"<a/ >", false, u"Element 'a' at offset 0 not ended"},  // not self-closing
        ParseCase{u"</a>", false, u"No start tag for end tag 'a' at offset 0"},
        ParseCase{u"<a/></a>", false, u"No start tag for end tag 'a' at offset 4"},
        ParseCase{u"<1a/>", false, u"Incorrect tag name character at offset 0"},
        ParseCase{u"<a>< b/></a>", false, u"Incorrect tag name character at offset 3"},
        ParseCase{u"<!-x-->", false, u"Incorrect comment tag at offset 0"},
        ParseCase{u"<![x]]><a/>", false, u"Incorrect tag at offset 0"},
        ParseCase{u"<!x><a/>", false, u"Incorrect ! tag at offset 0"},
        ParseCase{u"<!ELEMENT a><a/>", false, u"Incorrect declaration at offset 0"},
        ParseCase{u"<a><!ATTLIST a></a>", false, u"Incorrect declaration at offset 3"},
        ParseCase{u"<a><!-- x", false, u"Comment at offset 3 unterminated"},
        ParseCase{u"<a><![CDATA[x]>", false, u"CDATA Section at offset 3 unterminated"},
        ParseCase{u"<a><?p ?", false, u"Processing instruction at offset 3 unterminated"},
        ParseCase{u"<?>", false, u"Processing instruction at offset 0 unterminated"},
        ParseCase{u"<a b", false, u"Element tag at offset 0 unterminated"},
        ParseCase{u"<a></a", false, u"Element end tag at offset 3 unterminated"},
        ParseCase{u"<a><", false, u"tag at offset 3 unterminated"},
        ParseCase{u"<a><!", false, u"tag at offset 3 unterminated"},
        ParseCase{u"<!ENTITY x", false, u"tag at offset 0 unterminated"},
        ParseCase{u"<!DOCTYPE a [<!ENTITY e 'v'", false, u"Doctype at offset 0 unterminated"},
        ParseCase{u"<a/><!DOCTYPE a [<!--", false, u"Doctype at offset 4 unterminated"},
        // Inside a DOCTYPE a bad construct is reported at the last '>' that closed one.
        ParseCase{u"<!DOCTYPE a [<![CDATA[x]]>]>", false, u"Incorrect ! tag at offset 0"},
        ParseCase{u"<!DOCTYPE a [<!ENTITY e 'v'> <1>]>", false, u"Incorrect tag name character at offset 27"},
        ParseCase{u"<!DOCTYPE a [<!E><!-x>]>", false, u"Incorrect comment tag at offset 16"}));

TEST(ParseLimits, TagsTooLongForTheTableFailWithAMessage) {
    // A start tag must be shorter than 4,194,304 units, an end tag shorter than 512.
    auto startTag = [](std::size_t length) { return u"<a" + std::u16string(length - 4, u' ') + u"/>"; };
    MarkupDoc doc;
    EXPECT_TRUE(doc.AssignText(startTag((1u << 22) - 1))) << "4,194,303 units fit";
    EXPECT_FALSE(doc.AssignText(startTag(1u << 22)));
    EXPECT_EQ(doc.ErrorText(), u"Element tag at offset 0 too long");

    const std::u16string endOk = u"<r><a></a" + std::u16string(507, u' ') + u"></r>";
    EXPECT_TRUE(doc.AssignText(endOk)) << "an end tag of 511 units fits";
    const std::u16string endLong = u"<r><a></a" + std::u16string(508, u' ') + u"></r>";
    EXPECT_FALSE(doc.AssignText(endLong));
    EXPECT_EQ(doc.ErrorText(), u"Element end tag at offset 6 too long");
}

TEST(ParseState, FailedParseKeepsTheTextAndFindsNothing) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(u"<a><b>x</b></a>"));
    ASSERT_TRUE(doc.NextChild(u"b"));
    ASSERT_TRUE(doc.Bookmark(u"mark"));

    const std::u16string bad = u"<a><b></a>";
    EXPECT_FALSE(doc.AssignText(bad));
    EXPECT_EQ(doc.DocumentText(), bad);
    EXPECT_FALSE(doc.HasRoot());
    EXPECT_FALSE(doc.NextChild());
    EXPECT_FALSE(doc.NextElement());
    EXPECT_EQ(doc.ChildName(), u"");
    EXPECT_FALSE(doc.GoToBookmark(u"mark")) << "AssignText drops the bookmarks";

    // A good parse afterwards clears the message again.
    EXPECT_TRUE(doc.AssignText(u"<c/>"));
    EXPECT_EQ(doc.ErrorText(), u"");

    // An empty text replaces the old one: no root, no message.
    EXPECT_FALSE(doc.AssignText(u""));
    EXPECT_EQ(doc.DocumentText(), u"");
    EXPECT_EQ(doc.ErrorText(), u"");
    EXPECT_FALSE(doc.HasRoot());
}

TEST(ParseState, AssignTextClearsTheCursor) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(u"<a><b/><c/></a>"));
    ASSERT_TRUE(doc.NextChild(u"c"));
    ASSERT_TRUE(doc.AssignText(u"<a><b/><c/></a>"));
    EXPECT_EQ(doc.ChildName(), u"");
    ASSERT_TRUE(doc.NextChild());
    EXPECT_EQ(doc.ChildName(), u"b");
}

TEST(ParseState, ZeroUnitsAreOrdinaryCharacters) {
    // The text is exactly the view given; a zero unit inside it is a character like any other.
    using namespace std::string_literals;
    const std::u16string text = u"<r><a>x\0y</a></r>\0"s;
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(text));
    EXPECT_EQ(doc.DocumentText(), text);
    ASSERT_TRUE(doc.NextChild(u"a"));
    EXPECT_EQ(doc.ChildText(), u"x\0y"s);
}

}  // namespace
}  // namespace keyvale
