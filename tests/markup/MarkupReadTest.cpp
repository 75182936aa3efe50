// Reading and navigation: decoding, names and markup of the child, the cursor steps and
// searches, bookmarks, copies and moves, and a table that spans several segments.
#include <string>

#include "MarkupTestUtil.h"

namespace keyvale {
namespace {

using namespace std::string_literals;

struct TextCase {
    std::u16string element;  // the content of <r>, whose first child is read
    std::u16string text;
};

void PrintTo(const TextCase& c, std::ostream* os) { *os << '"' << Narrow(c.element) << '"'; }

class ChildTextTest : public ::testing::TestWithParam<TextCase> {};

TEST_P(ChildTextTest, Decodes) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(u"<r>" + GetParam().element + u"</r>")) << Narrow(doc.ErrorText());
    ASSERT_TRUE(doc.NextChild());
    EXPECT_EQ(doc.ChildText(), GetParam().text);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ChildTextTest,
    ::testing::Values(
        TextCase{u"<url>a&amp;b</url>", u"a&b"},
        TextCase{u"<v>&lt;&gt;&apos;&quot;&amp;lt;</v>", u"<>'\"&lt;"},
        TextCase{u"<v>&#65;&#x42;</v>", u"AB"},
        TextCase{u"<v>&#;</v>", u"&#;"},
        TextCase{u"<v>&#0;&#x0;</v>", u"&#0;&#x0;"},      // a zero value is no reference
        TextCase{u"<v>&#X41;</v>", u"&#X41;"},            // only a lowercase x means hexadecimal
        TextCase{u"<v>&#x0x41;&# +66;&#x+43;</v>", u"ABC"},  // read as the wide strtol reads them
        TextCase{u"<v>&#-1;&#65601;</v>", u"\uffffA"},    // the value's low 16 bits
        TextCase{u"<v>&#1234567;</v>", u"\ud687"},       // 0x12D687
        TextCase{u"<v>&#12345678;</v>", u"&#12345678;"},  // no ';' within eight places
        TextCase{u"<v>&#66x;</v>", u"B"},                  // digits end at the first non-digit
        TextCase{u"<v>&unknown;&lt</v>", u"&unknown;&lt"},
        TextCase{u"<v>  <![CDATA[<x>&amp;]]> tail</v>", u"<x>&amp;"},
        TextCase{u"<v>a<![CDATA[x]]></v>", u"a<![CDATA[x]]>"},
        TextCase{u"<v><![CDATA[]]></v>", u""},
        TextCase{u"<v>\r\n  x \t</v>", u"\r\n  x \t"},
        TextCase{u"<v><w/></v>", u""},
        TextCase{u"<v/>", u""},
        TextCase{u"<v></v>", u""}));

TEST(ChildText, NumericReferenceMayFindItsSemicolonPastTheContent) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(u"<r><v>&#65</v>;</r>"));
    ASSERT_TRUE(doc.NextChild(u"v"));
    EXPECT_EQ(doc.ChildText(), u"A");
}

TEST(ChildNameAndMarkup, ReadTheChild) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(u"<r>\r\n<a x='1'>t</a>\r\n<b=c/>  tail\r\n<c/> \t\r\n</r>"));
    EXPECT_EQ(doc.ChildName(), u"");
    EXPECT_EQ(doc.ChildMarkup(), u"");
    ASSERT_TRUE(doc.NextChild());
    EXPECT_EQ(doc.ChildName(), u"a");
    EXPECT_EQ(doc.ChildMarkup(), u"<a x='1'>t</a>\r\n");
    ASSERT_TRUE(doc.NextChild());
    EXPECT_EQ(doc.ChildName(), u"b");
    EXPECT_EQ(doc.ChildMarkup(), u"<b=c/>") << "white space before text is not taken";
    ASSERT_TRUE(doc.NextChild());
    EXPECT_EQ(doc.ChildMarkup(), u"<c/> \t\r\n");
}

// --- Navigation ------------------------------------------------------------------------

constexpr char16_t kStore[] =
    u"<KVPassword Version=\"1\">\r\n"
    u"<Preferences>\r\n<autosignon>1</autosignon>\r\n</Preferences>\r\n"
    u"<Site>\r\n<title>One</title>\r\n<url>u1</url>\r\n</Site>\r\n"
    u"<site>\r\n<title>lower</title>\r\n</site>\r\n"
    u"<Site>\r\n<title>Two</title>\r\n<url>u2</url>\r\n<input>\r\n<name>n</name>\r\n</input>\r\n</Site>\r\n"
    u"</KVPassword>\r\n";

TEST(Navigation, NextChildFindsTheRootFirstAndMatchesNamesExactly) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(kStore));
    ASSERT_TRUE(doc.NextChild(u"Site"));
    EXPECT_EQ(doc.ChildMarkup().substr(0, 26), u"<Site>\r\n<title>One</title>");
    ASSERT_TRUE(doc.NextChild(u"Site")) << "\"site\" is skipped";
    ASSERT_TRUE(doc.Descend());
    ASSERT_TRUE(doc.NextChild(u"title"));
    EXPECT_EQ(doc.ChildText(), u"Two");
    ASSERT_TRUE(doc.Ascend());
    const std::u16string last = doc.ChildMarkup();
    EXPECT_FALSE(doc.NextChild(u"Site"));
    EXPECT_EQ(doc.ChildMarkup(), last) << "the child stays on the last match";
    EXPECT_FALSE(doc.NextChild(u"KVPassword"));
}

TEST(Navigation, CursorSteps) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(kStore));
    EXPECT_FALSE(doc.Descend()) << "no main element yet";
    EXPECT_FALSE(doc.Ascend());
    ASSERT_TRUE(doc.NextElement(u"KVPassword"));
    EXPECT_FALSE(doc.NextElement(u"KVPassword")) << "the root has no sibling";
    // Descend without a child: no main element; NextChild then takes the parent's first
    // child as the main element and searches below it.
    ASSERT_TRUE(doc.Descend());
    ASSERT_TRUE(doc.NextChild(u"autosignon"));
    EXPECT_EQ(doc.ChildText(), u"1");
    ASSERT_TRUE(doc.Ascend());
    EXPECT_EQ(doc.ChildName(), u"Preferences");
    ASSERT_TRUE(doc.NextChild());
    EXPECT_EQ(doc.ChildName(), u"Site");
    doc.RewindChildren();
    ASSERT_TRUE(doc.NextChild());
    EXPECT_EQ(doc.ChildName(), u"Preferences");
    doc.Rewind();
    ASSERT_TRUE(doc.NextElement());
    ASSERT_TRUE(doc.NextChild(u"site"));
    EXPECT_EQ(doc.ChildName(), u"site");
}

TEST(Navigation, PathNames) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(kStore));
    ASSERT_TRUE(doc.NextChild(u"Site/url"));
    EXPECT_EQ(doc.ChildText(), u"u1");
    EXPECT_FALSE(doc.NextChild(u"*")) << "url is the last child of its Site";
    ASSERT_TRUE(doc.Ascend());
    ASSERT_TRUE(doc.NextChild(u"*"));
    EXPECT_EQ(doc.ChildName(), u"site");
    doc.Rewind();
    ASSERT_TRUE(doc.NextElement(u"/KVPassword/Preferences/autosignon"));
    ASSERT_TRUE(doc.Ascend());
    EXPECT_EQ(doc.ChildText(), u"1");
    doc.Rewind();
    ASSERT_TRUE(doc.NextChild(u"*/autosignon"));
    EXPECT_EQ(doc.ChildText(), u"1");
    doc.Rewind();
    EXPECT_FALSE(doc.NextChild(u"Site/name")) << "a branch entered is never left";
}

// --- Bookmarks -------------------------------------------------------------------------

TEST(Bookmarks, RememberEachCursorMode) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(kStore));
    EXPECT_FALSE(doc.Bookmark(u""));
    EXPECT_FALSE(doc.GoToBookmark(u"never"));
    ASSERT_TRUE(doc.Bookmark(u"top"));  // parent mode: the document
    ASSERT_TRUE(doc.NextChild(u"Site"));
    ASSERT_TRUE(doc.Bookmark(u"CurrentSite"));  // child mode
    ASSERT_TRUE(doc.Descend());
    ASSERT_TRUE(doc.Bookmark(u"site"));  // main mode: the first Site
    ASSERT_TRUE(doc.Descend());
    ASSERT_TRUE(doc.Bookmark(u"inside"));  // parent mode: the first Site
    ASSERT_TRUE(doc.NextElement(u"url"));

    EXPECT_FALSE(doc.GoToBookmark(u"never"));
    ASSERT_TRUE(doc.Ascend());
    EXPECT_EQ(doc.ChildText(), u"u1") << "a failed GoToBookmark leaves the cursor";

    ASSERT_TRUE(doc.GoToBookmark(u"CurrentSite"));
    EXPECT_EQ(doc.ChildName(), u"Site");
    ASSERT_TRUE(doc.NextChild(u"Site"));
    ASSERT_TRUE(doc.Descend());
    ASSERT_TRUE(doc.NextChild(u"title"));
    EXPECT_EQ(doc.ChildText(), u"Two");

    ASSERT_TRUE(doc.GoToBookmark(u"site"));
    EXPECT_EQ(doc.ChildName(), u"") << "main mode clears the child";
    ASSERT_TRUE(doc.NextChild());
    EXPECT_EQ(doc.ChildText(), u"One");

    ASSERT_TRUE(doc.GoToBookmark(u"inside"));
    ASSERT_TRUE(doc.NextElement(u"url"));
    ASSERT_TRUE(doc.Ascend());
    EXPECT_EQ(doc.ChildText(), u"u1");

    ASSERT_TRUE(doc.GoToBookmark(u"top"));
    ASSERT_TRUE(doc.NextChild());
    EXPECT_EQ(doc.ChildName(), u"Preferences");
}

TEST(Bookmarks, ManyNamesInOneBucketAndOverwrites) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(u"<r><a/><b/></r>"));
    ASSERT_TRUE(doc.NextChild(u"a"));
    // 40 names whose units all sum to the same bucket.
    std::vector<std::u16string> names;
    for (int i = 0; i < 40; ++i) names.push_back(std::u16string(1, char16_t(u'A' + 7 * (i % 8))) + std::u16string(i / 8 + 1, u'\u0007'));
    for (const auto& name : names) ASSERT_TRUE(doc.Bookmark(name));
    ASSERT_TRUE(doc.NextChild(u"b"));
    ASSERT_TRUE(doc.Bookmark(names[17]));  // overwritten
    doc.Rewind();
    for (std::size_t i = 0; i < names.size(); ++i) {
        ASSERT_TRUE(doc.GoToBookmark(names[i]));
        EXPECT_EQ(doc.ChildName(), i == 17 ? u"b" : u"a") << i;
    }
}

TEST(Bookmarks, OfARemovedElementFailsAndLeavesTheCursor) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(u"<r>\r\n<a>\r\n<b/>\r\n</a>\r\n<c/>\r\n</r>\r\n"));
    ASSERT_TRUE(doc.NextChild(u"a"));
    ASSERT_TRUE(doc.Bookmark(u"a"));
    ASSERT_TRUE(doc.Descend());
    ASSERT_TRUE(doc.NextChild(u"b"));
    ASSERT_TRUE(doc.Bookmark(u"b"));  // inside the element removed below
    ASSERT_TRUE(doc.Ascend());
    ASSERT_TRUE(doc.NextChild(u"c"));
    ASSERT_TRUE(doc.Bookmark(u"c"));
    ASSERT_TRUE(doc.GoToBookmark(u"a"));
    ASSERT_TRUE(doc.RemoveChild());
    // The freed entries are taken again by the next add.
    ASSERT_TRUE(doc.AppendChild(u"d", u"x"));
    doc.RewindChildren();
    ASSERT_TRUE(doc.NextChild(u"c"));
    EXPECT_FALSE(doc.GoToBookmark(u"a"));
    EXPECT_FALSE(doc.GoToBookmark(u"b"));
    EXPECT_EQ(doc.ChildName(), u"c");
    ASSERT_TRUE(doc.GoToBookmark(u"c")) << "other bookmarks still name their elements";
    EXPECT_EQ(doc.ChildMarkup(), u"<c/>\r\n");
    ASSERT_TRUE(doc.NextChild(u"d"));
    ASSERT_TRUE(doc.Bookmark(u"a")) << "a name saved again works again";
    ASSERT_TRUE(doc.GoToBookmark(u"a"));
    EXPECT_EQ(doc.ChildText(), u"x");
}

// --- Copies and moves ------------------------------------------------------------------

TEST(CopyFrom, IsIndependentAndCarriesCursorAndBookmarks) {
    MarkupDoc original;
    ASSERT_TRUE(original.AssignText(kStore));
    ASSERT_TRUE(original.NextChild(u"Site"));
    ASSERT_TRUE(original.Bookmark(u"CurrentSite"));
    ASSERT_TRUE(original.NextChild(u"Site"));

    MarkupDoc copy;
    ASSERT_TRUE(copy.AssignText(u"<other/>"));
    copy.CopyFrom(original);
    EXPECT_EQ(copy.DocumentText(), original.DocumentText());
    EXPECT_EQ(copy.ChildMarkup(), original.ChildMarkup());
    ASSERT_TRUE(copy.RemoveChild());
    ASSERT_TRUE(copy.AppendChild(u"new", u"x"));
    EXPECT_NE(copy.DocumentText(), original.DocumentText());
    EXPECT_EQ(original.DocumentText(), kStore);
    ASSERT_TRUE(original.GoToBookmark(u"CurrentSite"));
    ASSERT_TRUE(copy.GoToBookmark(u"CurrentSite"));
    EXPECT_EQ(copy.ChildMarkup(), original.ChildMarkup());
    copy.CopyFrom(copy);
    EXPECT_EQ(copy.ChildMarkup(), original.ChildMarkup());

    MarkupDoc failed;
    EXPECT_FALSE(failed.AssignText(u"<a>"));
    copy.CopyFrom(failed);
    EXPECT_EQ(copy.ErrorText(), u"Element 'a' at offset 0 not ended");
    EXPECT_FALSE(copy.HasRoot());
}

TEST(Move, TakesTheDocumentAndLeavesAnEmptyOne) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(kStore));
    ASSERT_TRUE(doc.NextChild(u"Site"));
    MarkupDoc moved(std::move(doc));
    EXPECT_EQ(moved.ChildName(), u"Site");
    EXPECT_EQ(moved.DocumentText(), kStore);
    EXPECT_EQ(doc.DocumentText(), u"");  // NOLINT(bugprone-use-after-move): it is usable
    EXPECT_FALSE(doc.HasRoot());
    EXPECT_TRUE(doc.AppendElement(u"a"));
    EXPECT_EQ(doc.DocumentText(), u"<a/>\r\n");
    doc = std::move(moved);
    EXPECT_EQ(doc.ChildName(), u"Site");
}

// --- A table of several segments -------------------------------------------------------

TEST(ElementTableSegments, ElementsAndBookmarksSurviveGrowthPastOneSegment) {
    // 70,000 elements: past the first segment of 65,536 entries, grown step by step from
    // the size AssignText gives an empty text.
    MarkupDoc doc;
    ASSERT_TRUE(doc.AppendElement(u"r"));
    for (int i = 0; i < 70000; ++i) {
        ASSERT_TRUE(doc.AppendChild(u"e", i == 3 ? u"three" : u""));
        if (i == 3) {
            ASSERT_TRUE(doc.Bookmark(u"three"));
        }
    }
    ASSERT_TRUE(doc.AppendChild(u"last", u"L"));
    ASSERT_TRUE(doc.GoToBookmark(u"three"));
    EXPECT_EQ(doc.ChildText(), u"three");

    MarkupDoc parsed;
    ASSERT_TRUE(parsed.AssignText(doc.DocumentText()));
    ASSERT_TRUE(parsed.NextChild(u"last"));
    EXPECT_EQ(parsed.ChildText(), u"L");
    ASSERT_TRUE(parsed.Bookmark(u"last"));

    MarkupDoc copy;
    copy.CopyFrom(parsed);
    ASSERT_TRUE(copy.GoToBookmark(u"last"));
    EXPECT_EQ(copy.ChildText(), u"L");
    ASSERT_TRUE(copy.AppendChild(u"after", u"A"));  // grows the copy's exact-size table
    ASSERT_TRUE(copy.RemoveChild());
    ASSERT_TRUE(copy.RemoveChild());
    EXPECT_EQ(copy.ChildMarkup(), u"<e/>\r\n");
}

}  // namespace
}  // namespace keyvale
