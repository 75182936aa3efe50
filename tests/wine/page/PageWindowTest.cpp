// What reaches the page window on Windows, and the argument forms of the page objects.
#include <gtest/gtest.h>

#include "harness/ComObjectWin.h"
#include "harness/HostBrowserWin.h"
#include "harness/HostWindowsWin.h"
#include "harness/PageObjectsWin.h"
#include "markup/MarkupDoc.h"
#include "page/BrowserHostWin.h"
#include "page/PageFill.h"
#include "win/WinRaii.h"

namespace keyvale::harness {
namespace {

using win::com_ptr;

class PageWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    }
    void TearDown() override { ::CoUninitialize(); }

    std::unique_ptr<Browser> BrowserIn(HWND topLevel) {
        com_ptr<IWebBrowser2> browser;
        EXPECT_EQ(HostBrowser::Create(state, topLevel, browser.put()), S_OK);
        return MakeWebBrowserHost(browser.get());
    }

    PageModel model;
    ModelBrowserState state{model};
};

TEST_F(PageWindowTest, ThePageWindowReceivesExactlyTheFiveKeyboardMessages) {
    auto windows = HostWindows::Create();
    ASSERT_TRUE(windows);
    SubmitCurrentPage(BrowserIn(windows->TopLevel()).get());

    const struct {
        UINT message;
        WPARAM key;
        unsigned scanCode;
        bool released;  // bits 30 and 31
    } expected[]{
        {WM_KEYDOWN, VK_TAB, 15, false}, {WM_KEYUP, VK_TAB, 15, true},
        {WM_KEYDOWN, VK_RETURN, 28, false}, {WM_CHAR, '\r', 28, false},
        {WM_KEYUP, VK_RETURN, 28, true},
    };
    const std::vector<ReceivedKey>& keys = windows->ReceivedKeys();
    ASSERT_EQ(keys.size(), std::size(expected));
    for (std::size_t i = 0; i < keys.size(); ++i) {
        const auto bits = static_cast<std::uint32_t>(keys[i].lParam);
        EXPECT_EQ(keys[i].message, expected[i].message) << i;
        EXPECT_EQ(keys[i].wParam, expected[i].key) << i;
        EXPECT_EQ(bits & 0xFFFF, 1u) << i << ": repeat count";
        EXPECT_EQ((bits >> 16) & 0xFF, expected[i].scanCode) << i;
        EXPECT_EQ((bits >> 24) & 0x3F, 0u) << i << ": extended and context bits";
        EXPECT_EQ((bits >> 30) & 1, expected[i].released ? 1u : 0u) << i << ": previous state";
        EXPECT_EQ((bits >> 31) & 1, expected[i].released ? 1u : 0u) << i << ": transition";
    }
}

TEST_F(PageWindowTest, OnlyThePageWindowOfTheBrowsersOwnWindowIsFound) {
    auto other = HostWindows::Create();
    auto mine = HostWindows::Create();
    ASSERT_TRUE(other && mine);
    SubmitCurrentPage(BrowserIn(mine->TopLevel()).get());
    EXPECT_EQ(mine->ReceivedKeys().size(), 5u);
    EXPECT_TRUE(other->ReceivedKeys().empty());

}

TEST_F(PageWindowTest, ABrowserThatNamesNoWindowReachesNoPage) {
    // A null parent would make the search run over the top-level windows.
    auto loose = HostWindows::Create(HostLayout::TopLevelDocumentView);
    ASSERT_TRUE(loose);
    SubmitCurrentPage(BrowserIn(nullptr).get());
    EXPECT_TRUE(loose->ReceivedKeys().empty());
}

TEST_F(PageWindowTest, TheAdapterReleasesEveryObjectItReceives) {
    ModelDocument& frame = model.AddDocument(u"https://example.com/frame");
    frame.AddInput(u"password", u"pass", u"typed");
    ModelDocument& page = model.AddDocument(u"https://example.com/");
    page.AddInput(u"text", u"user", u"typed");
    page.AddFrame(u"iframe", &frame);
    page.AddFrame(u"frame", &frame);
    auto windows = HostWindows::Create();
    ASSERT_TRUE(windows);
    {
        std::unique_ptr<Browser> browser = BrowserIn(windows->TopLevel());
        browser->Navigate(u"https://example.com/");
        MarkupDoc store;
        ASSERT_TRUE(store.AssignText(
            u"<KVPassword><Site><url>https://example.com/</url>"
            u"<input><type>text</type><name>user</name><value>alice</value></input>"
            u"<input><type>password</type><name>pass</name><value>pw</value></input>"
            u"</Site></KVPassword>"));
        EXPECT_TRUE(FillCurrentPage(browser.get(), store));
        SubmitCurrentPage(browser.get());
        EXPECT_GT(liveComObjects.load(), 0);  // the browser object
    }
    EXPECT_EQ(page.elements[0].value, u"alice");
    EXPECT_EQ(frame.elements[0].valueWrites, 4);  // each frame element walks both windows
    EXPECT_EQ(liveComObjects.load(), 0);
}

TEST_F(PageWindowTest, TheCollectionsTakeOnlyTheArgumentFormsTheSystemUses) {
    ModelDocument& frame = model.AddDocument(u"https://example.com/frame");
    ModelDocument& page = model.AddDocument(u"https://example.com/");
    page.AddInput(u"text", u"user", u"alice");
    page.AddFrame(u"iframe", &frame);

    com_ptr<IDispatch> dispatch;
    ASSERT_EQ(CreatePageDocument(page, dispatch.put()), S_OK);
    com_ptr<IHTMLDocument2> document;
    ASSERT_EQ(dispatch.query(document), S_OK);
    com_ptr<IHTMLElement> body;
    EXPECT_EQ(document->get_body(body.put()), E_NOTIMPL);

    com_ptr<IHTMLElementCollection> all;
    ASSERT_EQ(document->get_all(all.put()), S_OK);
    VARIANT name, index;
    ::VariantInit(&name);
    ::VariantInit(&index);
    name.vt = index.vt = VT_I4;
    name.lVal = index.lVal = 0;
    com_ptr<IDispatch> item;
    EXPECT_EQ(all->item(name, index, item.put()), S_OK);
    EXPECT_TRUE(item.try_query<IHTMLInputElement>());
    name.vt = VT_I2;
    name.iVal = 0;
    EXPECT_EQ(all->item(name, index, item.put()), E_INVALIDARG);

    com_ptr<IHTMLFramesCollection2> frames;
    ASSERT_EQ(document->get_frames(frames.put()), S_OK);
    VARIANT position, result;
    ::VariantInit(&position);
    ::VariantInit(&result);
    position.vt = VT_UINT;
    position.uintVal = 0;
    ASSERT_EQ(frames->item(&position, &result), S_OK);
    ASSERT_EQ(result.vt, VT_DISPATCH);
    EXPECT_TRUE(com_ptr<IDispatch>(result.pdispVal).try_query<IHTMLWindow2>());
    ::VariantClear(&result);
    position.vt = VT_I4;
    position.lVal = 0;
    EXPECT_EQ(frames->item(&position, &result), E_INVALIDARG);
}

}  // namespace
}  // namespace keyvale::harness
