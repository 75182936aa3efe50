// Editing: the text layout the adds write, attributes, adding ready-made markup, removing,
// escaping, and edits that must fail without changing anything.
#include <string>

#include "MarkupTestUtil.h"

namespace keyvale {
namespace {

// The store's layout, built the way a new site document is built.
TEST(Layout, SiteDocumentIsElevenLines) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AppendElement(u"KVPassword"));
    EXPECT_EQ(doc.DocumentText(), u"<KVPassword/>\r\n");
    ASSERT_TRUE(doc.SetNumberAttribute(u"Version", 1));
    EXPECT_EQ(doc.DocumentText(), u"<KVPassword Version=\"1\"/>\r\n");
    EXPECT_FALSE(doc.AppendElement(u"Second")) << "the document has its root";
    EXPECT_EQ(doc.DocumentText(), u"<KVPassword Version=\"1\"/>\r\n");
    ASSERT_TRUE(doc.Descend());
    ASSERT_TRUE(doc.AppendElement(u"Site"));
    ASSERT_TRUE(doc.AppendChild(u"title", u"T<&>'\""));
    ASSERT_TRUE(doc.AppendChild(u"url", u"http://h/?a=1&b=2"));
    ASSERT_TRUE(doc.AppendChild(u"input"));
    ASSERT_TRUE(doc.Descend());
    ASSERT_TRUE(doc.AppendChild(u"type", u"password"));
    ASSERT_TRUE(doc.AppendChild(u"name", u""));
    ASSERT_TRUE(doc.AppendChild(u"value", u"s\u00e9cret\r\n"));
    ASSERT_TRUE(doc.Ascend());
    EXPECT_EQ(doc.DocumentText(),
              u"<KVPassword Version=\"1\">\r\n"
              u"<Site>\r\n"
              u"<title>T&lt;&amp;&gt;'\"</title>\r\n"
              u"<url>http://h/?a=1&amp;b=2</url>\r\n"
              u"<input>\r\n"
              u"<type>password</type>\r\n"
              u"<name/>\r\n"
              u"<value>s\u00e9cret\r\n</value>\r\n"
              u"</input>\r\n"
              u"</Site>\r\n"
              u"</KVPassword>\r\n");

    // What was added reads back exactly.
    doc.Rewind();
    ASSERT_TRUE(doc.NextChild(u"Site/title"));
    EXPECT_EQ(doc.ChildText(), u"T<&>'\"");
    ASSERT_TRUE(doc.NextChild(u"url"));
    EXPECT_EQ(doc.ChildText(), u"http://h/?a=1&b=2");
    ASSERT_TRUE(doc.NextChild(u"input/value"));
    EXPECT_EQ(doc.ChildText(), u"s\u00e9cret\r\n");
}

TEST(Layout, ChildOfAnElementWithEmptyContentGoesOnItsOwnLine) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(u"<r><a></a></r>"));
    ASSERT_TRUE(doc.NextChild(u"a"));
    ASSERT_TRUE(doc.Descend());
    ASSERT_TRUE(doc.AppendChild(u"b", u"1"));
    EXPECT_EQ(doc.DocumentText(), u"<r><a>\r\n<b>1</b>\r\n</a></r>");
    ASSERT_TRUE(doc.AppendChild(u"c"));
    EXPECT_EQ(doc.DocumentText(), u"<r><a>\r\n<b>1</b>\r\n<c/>\r\n</a></r>");
}

TEST(Layout, AppendAtTheEndOfAnIndentedParentGoesBeforeItsEndTag) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(u"<r>\r\n  <a/>\r\n  </r>"));
    ASSERT_TRUE(doc.NextElement(u"r"));
    doc.RewindChildren();
    ASSERT_TRUE(doc.AppendChild(u"b"));
    EXPECT_EQ(doc.DocumentText(), u"<r>\r\n  <a/>\r\n  <b/>\r\n</r>");
    ASSERT_TRUE(doc.InsertChild(u"first"));  // before b
    EXPECT_EQ(doc.DocumentText(), u"<r>\r\n  <a/>\r\n  <first/>\r\n<b/>\r\n</r>");
}

TEST(InsertChild, WithoutAChildAddsTheFirstChild) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(u"<r>\r\n<a/>\r\n<b/>\r\n</r>\r\n"));
    ASSERT_TRUE(doc.NextElement(u"r"));
    ASSERT_TRUE(doc.InsertChild(u"Preferences"));
    EXPECT_EQ(doc.DocumentText(), u"<r>\r\n<Preferences/>\r\n<a/>\r\n<b/>\r\n</r>\r\n");
    // The old first child is no longer first and the new one names the last child.
    doc.RewindChildren();
    ASSERT_TRUE(doc.NextChild(u"b"));
    ASSERT_TRUE(doc.InsertChild(u"mid"));
    ASSERT_TRUE(doc.AppendChild(u"end"));  // after "mid"
    doc.RewindChildren();
    std::u16string names;
    while (doc.NextChild()) names += doc.ChildName() + u",";
    EXPECT_EQ(names, u"Preferences,a,mid,end,b,");
    doc.RewindChildren();
    ASSERT_TRUE(doc.NextChild(u"a"));
    ASSERT_TRUE(doc.RemoveChild());
    EXPECT_EQ(doc.ChildName(), u"Preferences");
    ASSERT_TRUE(doc.RemoveChild());
    EXPECT_EQ(doc.ChildName(), u"") << "the first child had no previous sibling";
    ASSERT_TRUE(doc.NextChild());
    EXPECT_EQ(doc.ChildName(), u"mid");
    doc.RewindChildren();
    ASSERT_TRUE(doc.AppendChild(u"last"));
    EXPECT_EQ(doc.DocumentText(), u"<r>\r\n<mid/>\r\n<end/>\r\n<b/>\r\n<last/>\r\n</r>\r\n");
}

TEST(SelfClosingParent, IsOpenedByItsFirstChild) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(u"<r>\r\n<input a=\"1\" />\r\n<x/>\r\n</r>\r\n"));
    ASSERT_TRUE(doc.NextChild(u"input"));
    ASSERT_TRUE(doc.Descend());
    ASSERT_TRUE(doc.AppendChild(u"type", u"text"));
    EXPECT_EQ(doc.DocumentText(), u"<r>\r\n<input a=\"1\" >\r\n<type>text</type>\r\n</input>\r\n<x/>\r\n</r>\r\n");
    ASSERT_TRUE(doc.Ascend());
    EXPECT_EQ(doc.ChildName(), u"input");
    EXPECT_EQ(doc.ChildText(), u"") << "it has a child element now";
    ASSERT_TRUE(doc.NextChild(u"x"));
    ASSERT_TRUE(doc.Descend());
    ASSERT_TRUE(doc.AppendChildMarkup(u"<y>t</y>"));
    EXPECT_EQ(doc.DocumentText(),
              u"<r>\r\n<input a=\"1\" >\r\n<type>text</type>\r\n</input>\r\n<x>\r\n<y>t</y>\r\n</x>\r\n</r>\r\n");
}

TEST(RemoveChild, TakesItsLineBreakOnly) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(u"<r>\r\n<a/>\r\n<b>x</b> text\r\n<c/>\r\n</r>"));
    EXPECT_FALSE(doc.RemoveChild());
    ASSERT_TRUE(doc.NextChild(u"c"));
    ASSERT_TRUE(doc.RemoveChild());
    EXPECT_EQ(doc.DocumentText(), u"<r>\r\n<a/>\r\n<b>x</b> text\r\n</r>");
    EXPECT_EQ(doc.ChildName(), u"b") << "the previous sibling";
    ASSERT_TRUE(doc.RemoveChild());
    EXPECT_EQ(doc.DocumentText(), u"<r>\r\n<a/>\r\n text\r\n</r>") << "white space before text stays";
    // White space before text is no line break to go after, either.
    ASSERT_TRUE(doc.AppendChild(u"z"));
    EXPECT_EQ(doc.DocumentText(), u"<r>\r\n<a/><z/>\r\n\r\n text\r\n</r>");
}

TEST(RemoveChild, AddsAroundAMiddleChildKeepTheSiblingChain) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(u"<r>\r\n<a/>\r\n<b/>\r\n<c/>\r\n</r>"));
    ASSERT_TRUE(doc.NextChild(u"b"));
    ASSERT_TRUE(doc.RemoveChild());  // the child position is now on a, in the middle
    ASSERT_TRUE(doc.AppendChild(u"z"));
    EXPECT_EQ(doc.DocumentText(), u"<r>\r\n<a/>\r\n<z/>\r\n<c/>\r\n</r>");
    ASSERT_TRUE(doc.NextChild(u"c"));
    ASSERT_TRUE(doc.RemoveChild());
    EXPECT_EQ(doc.ChildName(), u"z");
    ASSERT_TRUE(doc.InsertChild(u"y"));
    doc.RewindChildren();
    ASSERT_TRUE(doc.AppendChild(u"end"));  // after the last child, found from the first
    std::u16string names;
    doc.RewindChildren();
    while (doc.NextChild()) names += doc.ChildName() + u",";
    EXPECT_EQ(names, u"a,y,z,end,");
    EXPECT_EQ(doc.DocumentText(), u"<r>\r\n<a/>\r\n<y/>\r\n<z/>\r\n<end/>\r\n</r>");
}

TEST(SetAttribute, ReplacesAQuotedValueOrAddsOne) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(u"<r a='1' b=2 c=\"x\"><k/></r>"));
    EXPECT_FALSE(doc.SetAttribute(u"a", u"v")) << "no main element";
    ASSERT_TRUE(doc.NextElement(u"r"));
    ASSERT_TRUE(doc.SetAttribute(u"a", u"<'\">&"));
    EXPECT_EQ(doc.DocumentText(), u"<r a='&lt;&apos;&quot;&gt;&amp;' b=2 c=\"x\"><k/></r>");
    ASSERT_TRUE(doc.SetAttribute(u"b", u"3"));  // unquoted: a second one is added
    EXPECT_EQ(doc.DocumentText(), u"<r a='&lt;&apos;&quot;&gt;&amp;' b=2 c=\"x\" b=\"3\"><k/></r>");
    ASSERT_TRUE(doc.SetNumberAttribute(u"c", -2147483647 - 1));
    EXPECT_EQ(doc.DocumentText(), u"<r a='&lt;&apos;&quot;&gt;&amp;' b=2 c=\"-2147483648\" b=\"3\"><k/></r>");
    EXPECT_FALSE(doc.SetAttribute(u"", u"x"));
    ASSERT_TRUE(doc.NextChild(u"k")) << "the table followed the edits";
    EXPECT_EQ(doc.ChildMarkup(), u"<k/>");
}

TEST(SetAttribute, AQuoteLeftOpenInsideTheTagIsNotTakenForTheValue) {
    // The first '>' ends the tag; the quoted token that runs past it is not this
    // element's attribute value, so a new attribute is added inside the tag.
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(u"<r><a b=\"x></a><c d=\"1\"/></r>"));
    ASSERT_TRUE(doc.NextChild(u"a"));
    ASSERT_TRUE(doc.Descend());
    ASSERT_TRUE(doc.SetAttribute(u"b", u"v"));
    EXPECT_EQ(doc.DocumentText(), u"<r><a b=\"x b=\"v\"></a><c d=\"1\"/></r>");
    ASSERT_TRUE(doc.Ascend());
    ASSERT_TRUE(doc.NextChild(u"c"));
    EXPECT_EQ(doc.ChildMarkup(), u"<c d=\"1\"/>");
}

TEST(AppendChildMarkup, AddsOnlyTheElementWithALineBreak) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(u"<r>\r\n<a/>\r\n</r>\r\n"));
    EXPECT_FALSE(doc.AppendChildMarkup(u"<s/>")) << "no main element";
    ASSERT_TRUE(doc.NextChild(u"a"));
    ASSERT_TRUE(doc.AppendChildMarkup(u"  <!-- c --> <s>\r\n<t>one</t>\r\n<u/>\r\n</s>  tail <?p?>"));
    EXPECT_EQ(doc.DocumentText(), u"<r>\r\n<a/>\r\n<s>\r\n<t>one</t>\r\n<u/>\r\n</s>\r\n</r>\r\n");
    EXPECT_EQ(doc.ChildName(), u"s");
    ASSERT_TRUE(doc.Descend());
    ASSERT_TRUE(doc.NextChild(u"t"));
    EXPECT_EQ(doc.ChildText(), u"one");

    // An element with text but no child element reads as text, not as self-closing.
    ASSERT_TRUE(doc.AppendChildMarkup(u"<v>x</v>"));
    EXPECT_EQ(doc.ChildText(), u"x");
    ASSERT_TRUE(doc.Descend());
    ASSERT_TRUE(doc.AppendChild(u"w"));
    EXPECT_EQ(doc.DocumentText(),
              u"<r>\r\n<a/>\r\n<s>\r\n<t>one</t>\r\n<v>x<w/>\r\n</v>\r\n<u/>\r\n</s>\r\n</r>\r\n");
}

struct BadMarkup {
    std::u16string markup;
    std::u16string error;
};

class AppendChildMarkupFails : public ::testing::TestWithParam<BadMarkup> {};

TEST_P(AppendChildMarkupFails, WithoutChangingTheDocument) {
    const std::u16string text = u"<r>\r\n<a/>\r\n</r>\r\n";
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(text));
    ASSERT_TRUE(doc.NextChild(u"a"));
    EXPECT_FALSE(doc.AppendChildMarkup(GetParam().markup));
    EXPECT_EQ(doc.ErrorText(), GetParam().error);
    EXPECT_EQ(doc.DocumentText(), text);
    EXPECT_EQ(doc.ChildName(), u"a");
    // The document goes on working.
    ASSERT_TRUE(doc.AppendChildMarkup(u"<b><c/></b>"));
    EXPECT_EQ(doc.DocumentText(), u"<r>\r\n<a/>\r\n<b><c/></b>\r\n</r>\r\n");
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AppendChildMarkupFails,
    ::testing::Values(BadMarkup{u"<s/><t/>", u"Element 't' at offset 4 is sibling to root"},
                      BadMarkup{u"  text ", u"Root element not found"},
                      BadMarkup{u"", u"Root element not found"},
                      BadMarkup{u"<s><t><u></s>", u"End tag 's' at offset 9 does not match start tag 'u' at offset 6"},
                      BadMarkup{u"<s><t/><u>", u"Element 'u' at offset 7 not ended"}));

TEST(Adds, FailWithoutAMainElementOrAName) {
    MarkupDoc doc;
    EXPECT_FALSE(doc.AppendChild(u"a"));
    EXPECT_FALSE(doc.InsertChild(u"a"));
    EXPECT_FALSE(doc.AppendElement(u""));
    ASSERT_TRUE(doc.AssignText(u"<r/>"));
    ASSERT_TRUE(doc.NextElement());
    EXPECT_FALSE(doc.AppendChild(u"", u"x")) << "an empty name would write an end tag";
    EXPECT_EQ(doc.DocumentText(), u"<r/>");
}

TEST(Adds, NamesTooLongForTheEndTagFieldFail) {
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(u"<r></r>"));
    ASSERT_TRUE(doc.NextElement());
    EXPECT_TRUE(doc.AppendChild(std::u16string(508, u'n'), u"t")) << "an end tag of 511 units";
    const std::u16string before = doc.DocumentText();
    EXPECT_FALSE(doc.AppendChild(std::u16string(509, u'n'), u"t"));
    EXPECT_EQ(doc.DocumentText(), before);
    EXPECT_TRUE(doc.AppendChild(std::u16string(509, u'n'))) << "a self-closing one has no end tag";

    // Opening a self-closing parent writes an end tag for it too.
    const std::u16string longName(509, u'p');
    ASSERT_TRUE(doc.AssignText(u"<r><" + longName + u"/></r>"));
    ASSERT_TRUE(doc.NextChild());
    ASSERT_TRUE(doc.Descend());
    EXPECT_FALSE(doc.AppendChild(u"c"));
    EXPECT_FALSE(doc.AppendChildMarkup(u"<c/>"));
    EXPECT_EQ(doc.DocumentText(), u"<r><" + longName + u"/></r>");
}

TEST(Adds, ARootAddedToAnUnparsedTextGoesAfterIt) {
    MarkupDoc doc;
    ASSERT_FALSE(doc.AssignText(u"junk <a>"));
    ASSERT_TRUE(doc.AppendElement(u"KVPassword"));
    EXPECT_EQ(doc.DocumentText(), u"junk <a><KVPassword/>\r\n");
    ASSERT_TRUE(doc.AppendChild(u"Site", u"s"));
    EXPECT_EQ(doc.DocumentText(), u"junk <a><KVPassword>\r\n<Site>s</Site>\r\n</KVPassword>\r\n");
    EXPECT_TRUE(doc.HasRoot());
}

TEST(EscapeMarkup, DataAndAttributeForms) {
    EXPECT_EQ(MarkupDoc::EscapeMarkup(u"a<b>&c'd\"e\r\n\t\u00e9", false), u"a&lt;b&gt;&amp;c'd\"e\r\n\t\u00e9");
    EXPECT_EQ(MarkupDoc::EscapeMarkup(u"a<b>&c'd\"e", true), u"a&lt;b&gt;&amp;c&apos;d&quot;e");
    EXPECT_EQ(MarkupDoc::EscapeMarkup(u"", true), u"");
    const std::u16string many(1000, u'&');
    std::u16string expected;
    for (int i = 0; i < 1000; ++i) expected += u"&amp;";
    EXPECT_EQ(MarkupDoc::EscapeMarkup(many, false), expected);
}

}  // namespace
}  // namespace keyvale
