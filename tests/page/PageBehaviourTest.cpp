// The walk, matching, filling and submitting, run through each page host (PageHost.h).
#include <functional>
#include <ostream>

#include "PageHost.h"
#include "markup/MarkupDoc.h"
#include "page/FormWalk.h"
#include "page/PageFill.h"

namespace keyvale::testing {
namespace {

using harness::Fault;
using harness::ModelDocument;
using harness::ModelElement;
using harness::PageOp;

std::string Narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

struct Field {
    std::u16string type, name, value;
    bool operator==(const Field&) const = default;
};

void PrintTo(const Field& f, std::ostream* os) {
    *os << "{" << Narrow(f.type) << ", " << Narrow(f.name) << ", " << Narrow(f.value) << "}";
}

// A new site document whose cursor rests on its empty Site, as a capture starts.
MarkupDoc NewSite() {
    MarkupDoc doc;
    doc.AppendElement(u"KVPassword");
    doc.Descend();
    doc.AppendElement(u"Site");
    return doc;
}

// The input records of the first Site.
std::vector<Field> Records(MarkupDoc& doc) {
    std::vector<Field> fields;
    doc.Rewind();
    if (!doc.NextChild(u"Site")) return fields;
    doc.Descend();
    while (doc.NextChild(u"input")) {
        doc.Descend();
        Field f;
        if (doc.NextChild(u"type")) f.type = doc.ChildText();
        if (doc.NextChild(u"name")) f.name = doc.ChildText();
        if (doc.NextChild(u"value")) f.value = doc.ChildText();
        fields.push_back(f);
        doc.Ascend();
    }
    return fields;
}

// A Site record; a null `url` gives a Site without url.
std::u16string SiteMarkup(const char16_t* url, const std::vector<Field>& fields) {
    std::u16string s = u"<Site><title>t</title>";
    if (url) s += u"<url>" + std::u16string(url) + u"</url>";
    for (const Field& f : fields) {
        s += u"<input><type>" + f.type + u"</type><name>" + f.name + u"</name><value>" + f.value +
             u"</value></input>";
    }
    return s + u"</Site>\r\n";
}

MarkupDoc Store(const std::vector<std::u16string>& sites) {
    std::u16string text = u"<KVPassword Version=\"1\">\r\n<Preferences><autosignon>1</autosignon>"
                          u"<exportpassword/></Preferences>\r\n";
    for (const auto& site : sites) text += site;
    text += u"</KVPassword>\r\n";
    MarkupDoc doc;
    EXPECT_TRUE(doc.AssignText(text));
    return doc;
}

class WalkTest : public PageTest {
protected:
    void Walk(ModelDocument& page, MarkupDoc& store, bool recording) {
        state.current = &page;
        std::unique_ptr<PageDocument> document = browser().Document();
        ASSERT_TRUE(document);
        std::unique_ptr<ElementCollection> elements = document->All();
        ASSERT_TRUE(elements);
        EXPECT_TRUE(WalkFormFields(*document, *elements, store, recording));
    }

    std::vector<Field> Record(ModelDocument& page) {
        MarkupDoc site = NewSite();
        Walk(page, site, true);
        return Records(site);
    }

    // Fills `page` from a store holding one site with `fields`.
    void Fill(ModelDocument& page, const std::vector<Field>& fields) {
        MarkupDoc store = Store({SiteMarkup(u"https://example.com/", fields)});
        store.Rewind();
        ASSERT_TRUE(store.NextChild(u"Site"));
        ASSERT_TRUE(store.Descend());
        Walk(page, store, false);
    }
};

TEST_P(WalkTest, RecordsTextAndPasswordFieldsInPageOrderWhateverTheirLetterCase) {
    ModelDocument& page = model.AddDocument(u"https://example.com/login", u"Sign in");
    page.AddElement(u"FORM");
    page.AddInput(u"text", u"user", u"alice");
    page.AddInput(u"hidden", u"token", u"t0k3n");
    page.AddInput(u"PASSWORD", u"pass", u"s3cret");
    page.AddInput(u"checkbox", u"remember", u"on");
    page.AddInput(u"submit", u"go", u"Sign in");
    page.AddInput(u"Text", u"q", u"search words");
    page.AddInput(u"radio", u"r", u"1");
    page.AddInput(u"file", u"f", u"");
    page.AddInput(u"button", u"b", u"x");
    page.AddElement(u"TEXTAREA");
    page.AddElement(u"select");
    ModelElement& upper = page.AddElement(u"INPUT");
    upper.type = u"tExT";
    upper.name = u"nick";
    upper.value = u"al";

    EXPECT_EQ(Record(page), (std::vector<Field>{{u"text", u"user", u"alice"},
                                                {u"PASSWORD", u"pass", u"s3cret"},
                                                {u"Text", u"q", u"search words"},
                                                {u"tExT", u"nick", u"al"}}));
}

TEST_P(WalkTest, WritesEachRecordAsTypeNameValueWithEmptyElementsForMissingText) {
    ModelDocument& page = model.AddDocument(u"https://example.com/");
    page.AddInput(u"text", std::nullopt, u"a<b&c");
    page.AddInput(u"password", u"pass", u"");
    MarkupDoc site = NewSite();
    Walk(page, site, true);
    EXPECT_EQ(site.DocumentText(),
              u"<KVPassword>\r\n<Site>\r\n"
              u"<input>\r\n<type>text</type>\r\n<name/>\r\n"
              u"<value>a&lt;b&amp;c</value>\r\n</input>\r\n"
              u"<input>\r\n<type>password</type>\r\n<name>pass</name>\r\n<value/>\r\n</input>\r\n"
              u"</Site>\r\n</KVPassword>\r\n");
}

TEST_P(WalkTest, AnEmptyDocumentRecordsAndFillsNothing) {
    ModelDocument& page = model.AddDocument(u"https://example.com/");
    EXPECT_TRUE(Record(page).empty());
    Fill(page, {{u"text", u"user", u"alice"}});
    EXPECT_TRUE(page.elements.empty());
}

TEST_P(WalkTest, FillsEveryFieldOfARecordedNameFromTheFirstRecordOfThatName) {
    ModelDocument& page = model.AddDocument(u"https://example.com/");
    ModelElement& user = page.AddInput(u"text", u"user", u"old");
    ModelElement& pass = page.AddInput(u"Password", u"PASS", u"old");
    ModelElement& again = page.AddInput(u"TEXT", u"User", u"old");
    ModelElement& hidden = page.AddInput(u"hidden", u"user", u"keep");
    ModelElement& checkbox = page.AddInput(u"checkbox", u"pass", u"on");
    ModelElement& unknown = page.AddInput(u"text", u"other", u"mine");
    ModelElement& cleared = page.AddInput(u"text", u"note", u"typed");
    ModelElement& nameless = page.AddInput(u"text", std::nullopt, u"own");

    Fill(page, {{u"password", u"user", u"alice"},  // the stored type plays no part
                {u"text", u"pass", u"s3cret"},
                {u"text", u"USER", u"second"},
                {u"text", u"note", u""},
                {u"text", u"", u"for empty names"}});

    EXPECT_EQ(user.value, u"alice");
    EXPECT_EQ(again.value, u"alice");
    EXPECT_EQ(pass.value, u"s3cret");
    EXPECT_EQ(cleared.value, u"");
    EXPECT_TRUE(pass.selected);
    EXPECT_FALSE(user.selected);
    EXPECT_FALSE(again.selected);
    EXPECT_EQ(cleared.valueWrites, 1);
    for (ModelElement* untouched : {&hidden, &checkbox, &unknown, &nameless}) {
        EXPECT_EQ(untouched->valueWrites, 0) << Narrow(untouched->type);
        EXPECT_FALSE(untouched->selected);
    }
    EXPECT_EQ(nameless.value, u"own");
}

TEST_P(WalkTest, AFieldWithoutANameIsRecordedWithAnEmptyNameButNeverFilled) {
    ModelDocument& page = model.AddDocument(u"https://example.com/");
    ModelElement& nameless = page.AddInput(u"text", std::nullopt, u"typed");
    ModelElement& empty = page.AddInput(u"text", u"", u"typed");
    const Field typed{u"text", u"", u"typed"};
    EXPECT_EQ(Record(page), (std::vector<Field>{typed, typed}));

    Fill(page, {{u"text", u"", u"stored"}});
    EXPECT_EQ(nameless.valueWrites, 0);
    EXPECT_EQ(empty.value, u"stored");  // an empty name is a name
}

TEST_P(WalkTest, ARecordWithoutAValueLeavesTheFieldAlone) {
    ModelDocument& page = model.AddDocument(u"https://example.com/");
    ModelElement& user = page.AddInput(u"text", u"user", u"typed");
    MarkupDoc store = Store({u"<Site><url>https://example.com/</url><input><type>text</type>"
                             u"<name>user</name></input>"
                             u"<input><type>text</type><name>user</name><value>later</value>"
                             u"</input></Site>\r\n"});
    store.Rewind();
    store.NextChild(u"Site");
    store.Descend();
    Walk(page, store, false);
    EXPECT_EQ(user.value, u"typed");
    EXPECT_EQ(user.valueWrites, 0);
}

TEST_P(WalkTest, FrameFieldsStandAtThePlaceOfTheirFrameElement) {
    ModelDocument& login = model.AddDocument(u"https://login.example.com/frame");
    login.AddInput(u"text", u"user", u"alice");
    login.AddInput(u"password", u"pass", u"s3cret");
    ModelDocument& page = model.AddDocument(u"https://example.com/");
    page.AddInput(u"text", u"q", u"before");
    page.AddFrame(u"IFrame", &login);
    page.AddInput(u"text", u"after", u"later");

    EXPECT_EQ(Record(page), (std::vector<Field>{{u"text", u"q", u"before"},
                                                {u"text", u"user", u"alice"},
                                                {u"password", u"pass", u"s3cret"},
                                                {u"text", u"after", u"later"}}));

    Fill(page, {{u"text", u"user", u"bob"}, {u"password", u"pass", u"pw"}});
    EXPECT_EQ(login.elements[0].value, u"bob");
    EXPECT_EQ(login.elements[1].value, u"pw");
    EXPECT_TRUE(login.elements[1].selected);
}

TEST_P(WalkTest, EveryFrameElementWalksEveryFrameWindowOfItsDocument) {
    ModelDocument& left = model.AddDocument(u"https://example.com/left");
    ModelElement& user = left.AddInput(u"text", u"user", u"alice");
    ModelDocument& right = model.AddDocument(u"https://example.com/right");
    right.AddInput(u"password", u"pass", u"s3cret");
    ModelDocument& page = model.AddDocument(u"https://example.com/");
    page.AddFrame(u"frame", &left);
    page.AddInput(u"text", u"middle", u"m");
    page.AddFrame(u"FRAME", &right);

    const Field u{u"text", u"user", u"alice"}, p{u"password", u"pass", u"s3cret"};
    EXPECT_EQ(Record(page), (std::vector<Field>{u, p, {u"text", u"middle", u"m"}, u, p}));

    Fill(page, {{u"text", u"user", u"bob"}});
    EXPECT_EQ(user.valueWrites, 2);
}

TEST_P(WalkTest, FramesThatHoldTheirOwnPageStopAtTheDepthBound) {
    ModelDocument& page = model.AddDocument(u"https://example.com/");
    page.AddInput(u"text", u"user", u"alice");
    page.AddFrame(u"iframe", &page);
    EXPECT_EQ(Record(page).size(), static_cast<std::size_t>(kMaxFrameDepth + 1));
}

// One fault on an element, a frame window or a document skips what it concerns, and only that.
struct SkipCase {
    const char* what;
    std::function<void(ModelDocument& page, ModelDocument& frame)> fault;
    std::vector<std::u16string> recorded;  // the names recorded, in order
};

TEST_P(WalkTest, EachFailingOperationSkipsOnlyWhatItConcerns) {
    using Faulted = std::function<void(ModelDocument&, ModelDocument&)>;
    auto onA = [](PageOp op, Fault f = Fault::Error) -> Faulted {
        return [=](ModelDocument& page, ModelDocument&) { page.elements[0].faults.Set(op, f); };
    };
    auto onFrame = [](PageOp op, Fault f = Fault::Error) -> Faulted {
        return [=](ModelDocument& page, ModelDocument&) { page.frames[0].faults.Set(op, f); };
    };
    auto onFrameDocument = [](PageOp op, Fault f = Fault::Error) -> Faulted {
        return [=](ModelDocument&, ModelDocument& frame) { frame.faults.Set(op, f); };
    };
    auto onPage = [](PageOp op, Fault f = Fault::Error) -> Faulted {
        return [=](ModelDocument& page, ModelDocument&) { page.faults.Set(op, f); };
    };
    const std::vector<std::u16string> all{u"a", u"f", u"b"}, noA{u"f", u"b"}, noF{u"a", u"b"};
    const std::vector<SkipCase> cases{
        {"nothing fails", [](ModelDocument&, ModelDocument&) {}, all},
        {"item fails", onA(PageOp::Item), noA},
        {"item is null", onA(PageOp::Item, Fault::Empty), noA},
        {"item is no element", onA(PageOp::NotElement), noA},
        {"tag name fails", onA(PageOp::TagName), noA},
        {"tag name is null", onA(PageOp::TagName, Fault::Empty), noA},
        {"no input interface", onA(PageOp::NotInput), noA},
        {"type fails", onA(PageOp::Type), noA},
        {"type is null", onA(PageOp::Type, Fault::Empty), noA},
        {"name fails", onA(PageOp::Name), noA},
        {"name is null", onA(PageOp::Name, Fault::Empty), {u"", u"f", u"b"}},
        {"value fails", onA(PageOp::Value), noA},
        {"frame item fails", onFrame(PageOp::FrameItem), noF},
        {"frame item is null", onFrame(PageOp::FrameItem, Fault::Empty), noF},
        {"frame item is no window", onFrame(PageOp::NotWindow), noF},
        {"window document fails", onFrame(PageOp::WindowDocument), noF},
        {"window document is null", onFrame(PageOp::WindowDocument, Fault::Empty), noF},
        {"frame document is no HTML document", onFrameDocument(PageOp::NotHtml), noF},
        {"frame document's elements fail", onFrameDocument(PageOp::All), noF},
        {"frame document's elements are null", onFrameDocument(PageOp::All, Fault::Empty), noF},
        {"frame document's element count fails", onFrameDocument(PageOp::AllLength), noF},
        {"frames fail", onPage(PageOp::Frames), noF},
        {"frames are null", onPage(PageOp::Frames, Fault::Empty), noF},
        {"frame count fails", onPage(PageOp::FramesLength), noF},
        {"element count fails", onPage(PageOp::AllLength), {}},
    };
    for (const SkipCase& c : cases) {
        harness::PageModel pages;
        ModelDocument& frame = pages.AddDocument(u"https://example.com/frame");
        frame.AddInput(u"text", u"f", u"1");
        ModelDocument& page = pages.AddDocument(u"https://example.com/");
        page.AddInput(u"text", u"a", u"2");
        page.AddFrame(u"iframe", &frame);
        page.AddInput(u"password", u"b", u"3");
        c.fault(page, frame);
        std::vector<std::u16string> names;
        for (const Field& f : Record(page)) names.push_back(f.name);
        EXPECT_EQ(names, c.recorded) << c.what;
    }
}

TEST_P(WalkTest, AFieldThatCannotBeWrittenIsNotSelected) {
    ModelDocument& page = model.AddDocument(u"https://example.com/");
    ModelElement& locked = page.AddInput(u"password", u"pass", u"old");
    locked.faults.Set(PageOp::SetValue);
    ModelElement& stubborn = page.AddInput(u"password", u"pin", u"old");
    stubborn.faults.Set(PageOp::Select);
    ModelElement& user = page.AddInput(u"text", u"user", u"old");
    Fill(page, {{u"password", u"pass", u"pw"}, {u"password", u"pin", u"1234"},
                {u"text", u"user", u"alice"}});
    EXPECT_EQ(locked.value, u"old");
    EXPECT_FALSE(locked.selected);
    EXPECT_EQ(stubborn.value, u"1234");
    EXPECT_FALSE(stubborn.selected);
    EXPECT_EQ(user.value, u"alice");
}

// --- matching and filling ----------------------------------------------------------------

struct MatchCase {
    const char16_t* page;
    std::vector<const char16_t*> sites;  // stored addresses; nullptr: a Site without url
    int filledBy;                        // the site that fills the page; -1 for none
};

class FillTest : public PageTest {
protected:
    // Shows a page at `url` with one field "user"; each stored site would fill it with its
    // own number.
    int FillFrom(const MatchCase& c, bool* result = nullptr, std::u16string* restingUrl = nullptr) {
        harness::PageModel pages;
        ModelDocument& page = pages.AddDocument(c.page);
        ModelElement& user = page.AddInput(u"text", u"user", u"none");
        std::vector<std::u16string> sites;
        for (std::size_t i = 0; i < c.sites.size(); ++i) {
            const std::u16string number(1, static_cast<char16_t>(u'0' + i));
            sites.push_back(SiteMarkup(c.sites[i], {{u"text", u"user", number}}));
        }
        MarkupDoc store = Store(sites);
        state.current = &page;
        const bool filled = FillCurrentPage(&browser(), store);
        if (result) *result = filled;
        if (restingUrl) {
            store.RewindChildren();
            *restingUrl = store.NextChild(u"url") ? store.ChildText() : u"(none)";
        }
        EXPECT_EQ(filled, user.valueWrites > 0) << Narrow(c.page);
        state.current = nullptr;
        return user.valueWrites > 0 ? user.value[0] - u'0' : -1;
    }
};

TEST_P(FillTest, TheFirstSiteWithThePagesAddressOrHostNameFillsIt) {
    const std::vector<MatchCase> cases{
        // whole address, ignoring letter case
        {u"https://Mail.Example.com/Login?Next=1", {u"HTTPS://mail.example.COM/login?next=1"}, 0},
        // host name, whatever the scheme, port, path, query and letter case
        {u"https://mail.example.com/login", {u"HTTP://MAIL.Example.com:8080/other?q=1#top"}, 0},
        {u"https://mail.example.com/", {u"https://bob:pw@mail.example.com/x"}, 0},
        // the parent domain or a sub-domain is another host
        {u"https://mail.example.com/", {u"https://example.com/"}, -1},
        {u"https://example.com/", {u"https://www.example.com/"}, -1},
        {u"https://mail.example.com/", {u"https://mail.example.org/"}, -1},
        // the first site that matches wins, even by host name over an exact address
        {u"https://mail.example.com/login",
         {u"https://other.com/", u"https://mail.example.com/inbox",
          u"https://mail.example.com/login"},
         1},
        // a site without url never matches; an empty one has an empty host name
        {u"https://mail.example.com/", {nullptr, u"https://mail.example.com/"}, 1},
        {u"https://mail.example.com/", {u""}, -1},
        // local files have no host name: the first site without one fills them
        {u"file:///C:/pages/login.html",
         {u"https://mail.example.com/", u"file:///D:/other.html"}, 1},
        {u"file:///C:/pages/login.html", {u"mail.example.com/login"}, 0},
        // an address without a scheme has no host name either
        {u"https://mail.example.com/login", {u"mail.example.com/login"}, -1},
        {u"about:blank", {u"https://mail.example.com/", u"www.example.com"}, 1},
    };
    for (const MatchCase& c : cases) EXPECT_EQ(FillFrom(c), c.filledBy) << Narrow(c.page);
}

TEST_P(FillTest, AfterAMatchTheStoreRestsOnTheMatchedSite) {
    std::u16string url;
    bool result = false;
    FillFrom({u"https://b.example.com/",
              {u"https://a.example.com/", u"https://B.example.com/x"}, 1},
             &result, &url);
    EXPECT_TRUE(result);
    EXPECT_EQ(url, u"https://B.example.com/x");
}

TEST_P(FillTest, ResultsWhenThereIsNoPageToFill) {
    MarkupDoc store = Store({SiteMarkup(u"https://example.com/", {{u"text", u"user", u"alice"}})});
    EXPECT_FALSE(FillCurrentPage(nullptr, store));
    EXPECT_TRUE(FillCurrentPage(&browser(), store)) << "no document";

    ModelDocument& page = model.AddDocument(u"https://example.com/");
    ModelElement& user = page.AddInput(u"text", u"user", u"typed");
    state.current = &page;
    struct Case {
        const char* what;
        harness::Faults* on;
        PageOp op;
        Fault fault;
        bool result;
    };
    const Case cases[]{
        {"document fails", &state.faults, PageOp::Document, Fault::Error, true},
        {"document is null", &state.faults, PageOp::Document, Fault::Empty, true},
        {"document is not HTML", &page.faults, PageOp::NotHtml, Fault::Error, true},
        {"address fails", &page.faults, PageOp::Url, Fault::Error, false},
        {"elements fail", &page.faults, PageOp::All, Fault::Error, true},
        {"elements are null", &page.faults, PageOp::All, Fault::Empty, true},
    };
    for (const Case& c : cases) {
        c.on->Set(c.op, c.fault);
        EXPECT_EQ(FillCurrentPage(&browser(), store), c.result) << c.what;
        c.on->Set(c.op, Fault::None);
    }
    EXPECT_EQ(user.valueWrites, 0);
    EXPECT_TRUE(FillCurrentPage(&browser(), store));
    EXPECT_EQ(user.value, u"alice");
}

TEST_P(FillTest, ANullAddressMatchesOnlySitesWithoutAHostName) {
    ModelDocument& page = model.AddDocument(u"https://example.com/");
    page.faults.Set(PageOp::Url, Fault::Empty);
    ModelElement& user = page.AddInput(u"text", u"user", u"typed");
    state.current = &page;
    MarkupDoc hosted = Store({SiteMarkup(u"https://example.com/", {{u"text", u"user", u"a"}})});
    EXPECT_FALSE(FillCurrentPage(&browser(), hosted));
    MarkupDoc local = Store({SiteMarkup(u"file:///C:/x.html", {{u"text", u"user", u"b"}})});
    EXPECT_TRUE(FillCurrentPage(&browser(), local));
    EXPECT_EQ(user.value, u"b");
}

// --- the browser's own operations and submitting ------------------------------------------

TEST_P(PageTest, NavigateShowsThePageOfThatAddress) {
    ModelDocument& page = model.AddDocument(u"https://example.com/login", u"Sign in");
    browser().Navigate(u"https://example.com/login");
    EXPECT_EQ(state.navigations, std::vector<std::u16string>{u"https://example.com/login"});
    EXPECT_EQ(browser().ReadyState(), std::optional<std::int32_t>(kReadyStateComplete));
    std::unique_ptr<PageDocument> document = browser().Document();
    ASSERT_TRUE(document);
    EXPECT_EQ(document->Title(), std::optional<std::u16string>(u"Sign in"));
    EXPECT_EQ(document->Url(), std::optional<std::u16string>(u"https://example.com/login"));
    page.faults.Set(PageOp::Title, Fault::Empty);
    EXPECT_EQ(document->Title(), std::optional<std::u16string>(u""));
    page.faults.Set(PageOp::Title, Fault::Error);
    EXPECT_EQ(document->Title(), std::nullopt);

    state.faults.Set(PageOp::ReadyState);
    EXPECT_EQ(browser().ReadyState(), std::nullopt);
    browser().Navigate(u"https://nowhere.example.com/");
    EXPECT_FALSE(browser().Document());
}

TEST_P(PageTest, SubmitSendsTabThenEnterToThePageWindow) {
    SubmitCurrentPage(&browser());
    const std::vector<KeyStroke> keys = host().ReceivedKeys();
    ASSERT_EQ(keys.size(), 5u);
    const struct {
        KeyMessage message;
        std::uint32_t key, keyData;
    } expected[]{
        {KeyMessage::KeyDown, 9, 0x000F0001},
        {KeyMessage::KeyUp, 9, 0xC00F0001},
        {KeyMessage::KeyDown, 13, 0x001C0001},
        {KeyMessage::Char, 13, 0x001C0001},
        {KeyMessage::KeyUp, 13, 0xC01C0001},
    };
    for (std::size_t i = 0; i < keys.size(); ++i) {
        EXPECT_EQ(keys[i].message, expected[i].message) << i;
        EXPECT_EQ(keys[i].key, expected[i].key) << i;
        EXPECT_EQ(keys[i].keyData, expected[i].keyData) << i;
    }
}

TEST_P(PageTest, SubmitSendsNothingWithoutABrowserOrItsPageWindow) {
    SubmitCurrentPage(nullptr);
    state.faults.Set(PageOp::TopWindow, Fault::Error);
    SubmitCurrentPage(&browser());
    state.faults.Set(PageOp::TopWindow, Fault::Empty);  // answers, but not with S_OK
    SubmitCurrentPage(&browser());
    EXPECT_TRUE(host().ReceivedKeys().empty());
}

TEST_P(PageTest, SubmitSendsNothingWhenThePageWindowIsNotUnderTheDocumentView) {
    SubmitCurrentPage(&browser(false));
    EXPECT_TRUE(host().ReceivedKeys().empty());
}

INSTANTIATE_TEST_SUITE_P(Hosts, PageTest, ::testing::ValuesIn(PageHostKinds()), HostKindName);
INSTANTIATE_TEST_SUITE_P(Hosts, WalkTest, ::testing::ValuesIn(PageHostKinds()), HostKindName);
INSTANTIATE_TEST_SUITE_P(Hosts, FillTest, ::testing::ValuesIn(PageHostKinds()), HostKindName);

}  // namespace
}  // namespace keyvale::testing
