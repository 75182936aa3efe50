// After any sequence of edits the table must describe the text exactly as a fresh parse of
// it would. Random (seeded, reproducible) sequences of cursor moves and edits run on a
// document; after every step
//  - walking it gives the same names, texts and markup as walking a fresh parse of its
//    DocumentText, and
//  - the same step run on a fresh parse of the text it had before gives the same results
//    and the same text (so every entry an edit reads, lengths of ancestors included, was
//    right).
// A text large enough to be parsed reading ahead is checked the same way against its
// pieces parsed alone.
#include <random>
#include <string>
#include <vector>

#include "MarkupTestUtil.h"
#include "markup/MarkupParse.h"

namespace keyvale {
namespace {

// Every element in document order, below the root: depth, name, text and markup.
void WalkChildren(MarkupDoc& doc, std::u16string& out, int depth) {
    doc.RewindChildren();
    while (doc.NextChild()) {
        out += std::u16string(std::size_t(depth), u'.') + doc.ChildName() + u"|" + doc.ChildText() + u"|" +
               doc.ChildMarkup() + u"\n";
        ASSERT_TRUE(doc.Descend());
        WalkChildren(doc, out, depth + 1);
        ASSERT_TRUE(doc.Ascend());
    }
}

std::u16string Describe(const MarkupDoc& source) {
    MarkupDoc doc;
    doc.CopyFrom(source);
    std::u16string out = doc.HasRoot() ? u"root\n" : u"no root\n";
    doc.Rewind();
    if (doc.NextElement()) {
        WalkChildren(doc, out, 1);
    }
    return out;
}

enum class Op {
    rewind, rewindChildren, nextChild, nextChildNamed, nextElement, descend, ascend, bookmark, goToBookmark,
    appendChild, insertChild, appendElement, setAttribute, setNumberAttribute, appendChildMarkup, removeChild,
};

struct Step {
    Op op;
    std::u16string name;
    std::u16string text;
    std::int32_t number = 0;
};

const std::u16string kNames[] = {u"a", u"b", u"Site", u"title", u"x-y", u"\u00e9l"};
const std::u16string kTextPieces[] = {u"t", u"<", u"&", u">", u"'", u"\"", u" ", u"\r\n", u"&amp;",
                                      u"<![CDATA[x]]>", u"\u00e9", u"]]>", u"&#65;", u"\t"};

class Generator {
public:
    explicit Generator(unsigned seed) : rng_(seed) {}

    int Below(int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng_); }
    const std::u16string& Name() { return kNames[Below(6)]; }
    std::u16string Text() {
        std::u16string s;
        for (int n = Below(4); n > 0; --n) s += kTextPieces[Below(14)];
        return s;
    }

    // A piece of markup holding one element (or, now and then, something that fails).
    std::u16string Markup() {
        switch (Below(12)) {
        case 0: return u"<a/><b/>";
        case 1: return u"<a><b></a>";
        case 2: return u"just text";
        default: break;
        }
        std::u16string s;
        if (Below(2)) s += u"  <!-- c -->\r\n";
        s += Element(2);
        if (Below(2)) s += u"\r\n tail <?p?>";
        return s;
    }

    std::u16string Element(int depth) {
        const std::u16string name = Name();
        std::u16string s = u"<" + name;
        if (Below(3) == 0) s += u" v=\"" + MarkupDoc::EscapeMarkup(Text(), true) + u"\"";
        if (Below(4) == 0) return s + (Below(2) ? u"/>" : u" />");
        s += u">";
        int children = depth > 0 ? Below(3) : 0;
        if (children == 0) {
            s += MarkupDoc::EscapeMarkup(Text(), false);
        } else {
            for (int i = 0; i < children; ++i) s += (Below(2) ? u"\r\n" : u"") + Element(depth - 1);
            if (Below(2)) s += u"\r\n";
        }
        return s + u"</" + name + u">";
    }

    // From the top: cursor moves and an edit, then more moves and an edit that starts
    // from where the first one left the cursor.
    std::vector<Step> Steps() {
        std::vector<Step> steps{{Op::rewind, {}, {}}};
        Moves(steps);
        Edit(steps);
        Moves(steps);
        Edit(steps);
        return steps;
    }

    void Moves(std::vector<Step>& steps) {
        for (int n = Below(6); n > 0; --n) {
            switch (Below(9)) {
            case 0: steps.push_back({Op::rewind, {}, {}}); break;
            case 1: steps.push_back({Op::rewindChildren, {}, {}}); break;
            case 2:
            case 3: steps.push_back({Op::nextChild, {}, {}}); break;
            case 4: steps.push_back({Op::nextChildNamed, Name(), {}}); break;
            case 5: steps.push_back({Op::nextElement, {}, {}}); break;
            case 6: steps.push_back({Op::descend, {}, {}}); break;
            case 7: steps.push_back({Op::ascend, {}, {}}); break;
            case 8:
                steps.push_back({Op::bookmark, u"m", {}});
                steps.push_back({Op::nextChild, {}, {}});
                steps.push_back({Op::goToBookmark, u"m", {}});
                break;
            }
        }
    }

    void Edit(std::vector<Step>& steps) {
        const std::u16string noText;
        switch (Below(10)) {
        case 0:
        case 1: steps.push_back({Op::appendChild, Name(), Below(3) ? Text() : noText}); break;
        case 2: steps.push_back({Op::insertChild, Name(), Text()}); break;
        case 3: steps.push_back({Op::appendElement, Name(), Text()}); break;
        case 4: steps.push_back({Op::setAttribute, Below(2) ? u"v" : u"w", Text()}); break;
        case 5: steps.push_back({Op::setNumberAttribute, u"v", {}, Below(2001) - 1000}); break;
        case 6:
        case 7: steps.push_back({Op::appendChildMarkup, {}, Markup()}); break;
        default: steps.push_back({Op::removeChild, {}, {}}); break;
        }
    }

private:
    std::mt19937 rng_;
};

bool Apply(MarkupDoc& doc, const Step& s) {
    switch (s.op) {
    case Op::rewind: doc.Rewind(); return true;
    case Op::rewindChildren: doc.RewindChildren(); return true;
    case Op::nextChild: return doc.NextChild();
    case Op::nextChildNamed: return doc.NextChild(s.name);
    case Op::nextElement: return doc.NextElement();
    case Op::descend: return doc.Descend();
    case Op::ascend: return doc.Ascend();
    case Op::bookmark: return doc.Bookmark(s.name);
    case Op::goToBookmark: return doc.GoToBookmark(s.name);
    case Op::appendChild: return doc.AppendChild(s.name, s.text);
    case Op::insertChild: return doc.InsertChild(s.name, s.text);
    case Op::appendElement: return doc.AppendElement(s.name, s.text);
    case Op::setAttribute: return doc.SetAttribute(s.name, s.text);
    case Op::setNumberAttribute: return doc.SetNumberAttribute(s.name, s.number);
    case Op::appendChildMarkup: return doc.AppendChildMarkup(s.text);
    case Op::removeChild: return doc.RemoveChild();
    }
    return false;
}

const std::u16string kStarts[] = {
    u"",
    u"<KVPassword Version=\"1\">\r\n<Preferences>\r\n<autosignon>1</autosignon>\r\n<exportpassword/>\r\n"
    u"</Preferences>\r\n<Site>\r\n<title>T</title>\r\n<url>u</url>\r\n<input>\r\n<type>text</type>\r\n"
    u"<name>n</name>\r\n<value>v</value>\r\n</input>\r\n</Site>\r\n</KVPassword>\r\n",
    u"<?xml version=\"1.0\"?>\r\n<!DOCTYPE r>\r\n<r a='1'>\r\n  <a>x<![CDATA[<y>]]></a>\r\n  <b/>\r\n"
    u"  <!-- note -->\r\n  <c><d></d><e x=\"1\"/></c>\r\n  text &amp; more\r\n</r>\r\n<!-- after -->",
    u"<r></r>",
    u"<r/>",
};

TEST(EditProperty, EditedTableMatchesAFreshParse) {
    for (unsigned seed = 1; seed <= 400; ++seed) {
        Generator gen(seed);
        MarkupDoc doc;
        const std::u16string& start = kStarts[seed % 5];
        doc.AssignText(start);
        if (start.empty()) {
            ASSERT_TRUE(doc.AppendElement(u"r"));
        }
        for (int step = 0; step < 40; ++step) {
            SCOPED_TRACE("seed " + std::to_string(seed) + ", step " + std::to_string(step));
            const std::u16string before = doc.DocumentText();
            const std::u16string errorBefore = doc.ErrorText();
            MarkupDoc twin;
            twin.AssignText(before);
            ASSERT_EQ(twin.HasRoot(), doc.HasRoot());
            const bool rooted = twin.HasRoot();

            const std::vector<Step> steps = gen.Steps();
            for (const Step& s : steps) {
                const bool done = Apply(doc, s);
                ASSERT_EQ(done, Apply(twin, s)) << "op " << int(s.op) << " " << Narrow(s.text);
            }
            ASSERT_EQ(doc.DocumentText(), twin.DocumentText()) << Narrow(before);
            // A failed AppendChildMarkup sets the message in both.
            if (rooted && (doc.ErrorText() != errorBefore || !twin.ErrorText().empty())) {
                ASSERT_EQ(doc.ErrorText(), twin.ErrorText());
            }

            MarkupDoc fresh;
            fresh.AssignText(doc.DocumentText());
            ASSERT_EQ(Describe(doc), Describe(fresh)) << Narrow(doc.DocumentText());
            if (HasFatalFailure()) return;
        }
        // A copy goes on being edited like its original.
        MarkupDoc copy;
        copy.CopyFrom(doc);
        Generator more(seed + 100000);
        for (int step = 0; step < 10; ++step) {
            for (const Step& s : more.Steps()) ASSERT_EQ(Apply(copy, s), Apply(doc, s));
            ASSERT_EQ(copy.DocumentText(), doc.DocumentText());
            ASSERT_EQ(Describe(copy), Describe(doc));
        }
    }
}

std::u16string Decimal(std::size_t n) {
    const std::string s = std::to_string(n);
    return std::u16string(s.begin(), s.end());
}

// The name, text and markup of the child element, then every element below it.
std::u16string DescribeChild(MarkupDoc& doc) {
    std::u16string out = doc.ChildName() + u"|" + doc.ChildText() + u"|" + doc.ChildMarkup() + u"\n";
    EXPECT_TRUE(doc.Descend());
    WalkChildren(doc, out, 1);
    EXPECT_TRUE(doc.Ascend());
    return out;
}

// Texts too large for the caches are parsed by a variant of the parse that reads ahead of
// itself. It must build what the parse of a small text builds: every element of a large
// text reads as it does when its own markup is parsed alone, and a large text fails with
// the same messages and offsets.
TEST(LargeText, ReadsAsItsPiecesDoAlone) {
    const std::u16string fixed[] = {u"<a>x<!-- y --></a>", u"<b><![CDATA[<z>]]></b>", u"<title>t</title >",
                                    u"<a=b>x</a>", u"<b v='1'>t &amp; u</b>", u"<a><b/></a>"};
    const std::u16string head = u"<?xml version=\"1.0\"?>\r\n<r>\r\n";
    Generator gen(7);
    std::vector<std::u16string> pieces;  // each with what follows it
    std::u16string text = head;
    while (text.size() < markup::kReadAheadFrom + 4096) {
        std::u16string piece = gen.Below(5) ? gen.Element(3) : fixed[gen.Below(6)];
        piece += gen.Below(4) ? u"\r\n" : u"\r\n<!-- between --><?p?>\r\n";
        text += piece;
        pieces.push_back(std::move(piece));
    }
    const std::u16string tail = u"</r>\r\n";

    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(text + tail)) << Narrow(doc.ErrorText());
    ASSERT_TRUE(doc.NextElement());
    std::size_t count = 0;
    for (; doc.NextChild(); ++count) {
        ASSERT_LT(count, pieces.size());
        MarkupDoc alone;
        ASSERT_TRUE(alone.AssignText(u"<w>" + pieces[count] + u"</w>"));
        ASSERT_TRUE(alone.NextChild());
        ASSERT_EQ(DescribeChild(doc), DescribeChild(alone)) << "piece " << count << ": " << Narrow(pieces[count]);
    }
    EXPECT_EQ(count, pieces.size());

    const std::size_t end = text.size();
    EXPECT_FALSE(doc.AssignText(text + u"</q>\r\n"));
    EXPECT_EQ(doc.ErrorText(), u"End tag 'q' at offset " + Decimal(end) +
                                   u" does not match start tag 'r' at offset 23");
    EXPECT_FALSE(doc.AssignText(text));
    EXPECT_EQ(doc.ErrorText(), u"Element 'r' at offset 23 not ended");
    EXPECT_FALSE(doc.AssignText(text + tail + u"<s/>"));
    EXPECT_EQ(doc.ErrorText(),
              u"Element 's' at offset " + Decimal(end + tail.size()) + u" is sibling to root");
}

}  // namespace
}  // namespace keyvale
