#include <gtest/gtest.h>
#include <gmock/gmock.h>

#include "harness/ModelBrowser.h"
#include "harness/PageText.h"
#include "markup/MarkupDoc.h"
#include "page/FormWalk.h"

namespace keyvale::harness {
namespace {

using ::testing::EndsWith;
using ::testing::HasSubstr;

const std::string kData = LUMORA_PAGE_DATA;

TEST(PageText, LoadsPagesFieldsAndFramesFromFilesAndNamedPages) {
    PageModel model;
    std::string error;
    ModelDocument* page =
        LoadPageFile(model, kData + "/login.page", u"https://www.example.com/login", error);
    ASSERT_TRUE(page) << error;
    EXPECT_EQ(page->url, u"https://www.example.com/login");
    EXPECT_EQ(page->title, u"Sign in");
    ASSERT_EQ(page->elements.size(), 9u);
    EXPECT_EQ(page->elements[0].tagName, u"form");
    const ModelElement& user = page->elements[1];
    EXPECT_TRUE(user.IsInput());
    EXPECT_EQ(user.type, u"text");
    EXPECT_EQ(user.name, std::optional<std::u16string>(u"user"));
    EXPECT_EQ(user.value, u"alice");
    EXPECT_EQ(page->elements[2].value, u"");                  // no value given
    EXPECT_EQ(page->elements[3].value, u"abc 123");           // the rest of the line
    EXPECT_EQ(page->elements[4].name, std::nullopt);          // "-": no name
    EXPECT_EQ(page->elements[4].value, u"no name here");
    EXPECT_EQ(page->elements[5].name, std::optional<std::u16string>(u""));
    EXPECT_EQ(page->elements[6].tagName, u"iframe");
    EXPECT_EQ(page->elements[7].tagName, u"FRAME");
    EXPECT_EQ(page->elements[8].tagName, u"div");

    ASSERT_EQ(page->frames.size(), 2u);
    const ModelDocument* help = page->frames[0].document;
    ASSERT_TRUE(help);
    EXPECT_EQ(help->url, u"https://www.example.com/help");
    EXPECT_EQ(help->title, u"Help");
    ASSERT_EQ(help->elements.size(), 1u);

    const ModelDocument* inner = page->frames[1].document;
    ASSERT_TRUE(inner);
    EXPECT_EQ(inner->title, u"Anmeldung f\u00fcr B\u00fccher \U0001F511");  // UTF-8, CR LF lines
    ASSERT_EQ(inner->elements.size(), 2u);
    EXPECT_EQ(inner->elements[0].value, u"12 34");
    ASSERT_EQ(inner->frames.size(), 1u);

    // A page may show itself, here by its own file.
    ModelDocument* loop = inner->frames[0].document;
    ASSERT_TRUE(loop);
    EXPECT_EQ(loop->title, u"Loop");
    ASSERT_EQ(loop->frames.size(), 1u);
    EXPECT_EQ(loop->frames[0].document, loop);

    // A file already read is not read again.
    EXPECT_EQ(LoadPageFile(model, kData + "/frames/../loop.page", {}, error), loop);
}

TEST(PageText, ALoadedPageCanBeRecordedThroughTheSeam) {
    PageModel model;
    std::string error;
    ModelDocument* page = LoadPageFile(model, kData + "/login.page", {}, error);
    ASSERT_TRUE(page) << error;
    ModelBrowserState state(model);
    state.current = page;
    ModelBrowser browser(state);
    std::unique_ptr<PageDocument> document = browser.Document();
    ASSERT_TRUE(document);
    std::unique_ptr<ElementCollection> elements = document->All();
    ASSERT_TRUE(elements);
    MarkupDoc site;
    site.AppendElement(u"KVPassword");
    site.Descend();
    site.AppendElement(u"Site");
    WalkFormFields(*document, *elements, site, true);
    // user, pass and the two fields without a proper name; then, for each of the two frame
    // elements, all frames: nothing in help, pin in inner, and the loop page below it once
    // at every depth from 2 to the bound.
    site.Rewind();
    site.NextChild(u"Site");
    site.Descend();
    int records = 0;
    while (site.NextChild(u"input")) ++records;
    EXPECT_EQ(records, 4 + 2 * (1 + (kMaxFrameDepth - 1)));
}

TEST(PageText, APageMayShowItselfByName) {
    PageModel model;
    std::string error;
    ModelDocument* page = LoadPageText(model, "page me\nframe iframe me\nframe frame other\n"
                                              "page other\nframe frame me", kData + "/memory.page",
                                       u"https://example.com/", error);
    ASSERT_TRUE(page) << error;
    ASSERT_EQ(page->frames.size(), 2u);
    EXPECT_EQ(page->frames[0].document, page);
    ASSERT_TRUE(page->frames[1].document);
    ASSERT_EQ(page->frames[1].document->frames.size(), 1u);
    EXPECT_EQ(page->frames[1].document->frames[0].document, page);
    EXPECT_EQ(page->url, u"https://example.com/");
}

TEST(PageText, ReportsTheFileAndLineOfAnError) {
    const struct {
        const char* text;
        const char* message;
    } cases[]{
        {"title x\nbogus y", ":2: unknown statement 'bogus'"},
        {"input text", ":1: an input needs a type and a name (\"-\" for none)"},
        {"input", ":1: an input needs a type and a name (\"-\" for none)"},
        {"element", ":1: an element needs a tag"},
        {"\n\nframe iframe", ":3: a frame needs a tag and a page"},
        {"page", ":1: a page needs a name"},
        {"page a\npage b\npage a", ":3: a second page called a"},
    };
    for (const auto& c : cases) {
        PageModel model;
        std::string error;
        EXPECT_FALSE(LoadPageText(model, c.text, kData + "/memory.page", {}, error)) << c.text;
        EXPECT_THAT(error, EndsWith(std::string("memory.page") + c.message)) << c.text;
    }
    PageModel model;
    std::string error;
    EXPECT_FALSE(
        LoadPageText(model, "frame iframe missing.page", kData + "/memory.page", {}, error));
    EXPECT_THAT(error, HasSubstr("missing.page: cannot be read"));
    EXPECT_FALSE(LoadPageFile(model, kData + "/none.page", {}, error));
    EXPECT_THAT(error, HasSubstr("none.page: cannot be read"));
}

}  // namespace
}  // namespace keyvale::harness
