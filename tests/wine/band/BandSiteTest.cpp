// The band sited in a browser window as the stand-in browser's band site does it: what
// siting makes and holds, its windows, the toolbar with its one button, showing and hiding,
// and the button kept at the right edge.
#include "KeyvaleTestSupport.h"

#include "BandSiteWin.h"

#include <gtest/gtest.h>

using namespace keyvale_test;
using keyvale::win::unique_hwnd;
using keyvale::harness::BandSite;
using keyvale::harness::SiteAnswers;

namespace {

class SitedBand : public KeyvaleTest {
protected:
    // Every test ends with everything it made released, the band's windows with it.
    void TearDown() override {
        EXPECT_TRUE(BandWindowsOfThread().empty());
        KeyvaleTest::TearDown();
    }
};

DWORD StyleOf(HWND window) { return static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_STYLE)); }

RECT ClientOf(HWND window) {
    RECT client{};
    ::GetClientRect(window, &client);
    return client;
}

HWND WindowOf(IUnknown* band) {
    com_ptr<IOleWindow> window;
    if (FAILED(band->QueryInterface(IID_IOleWindow, window.put_void()))) return nullptr;
    HWND handle = reinterpret_cast<HWND>(kSentinel);
    if (FAILED(window->GetWindow(&handle))) return reinterpret_cast<HWND>(kSentinel);
    return handle;
}

void* SiteOf(IObjectWithSite* band, REFIID riid, HRESULT expected) {
    void* out = kSentinel;
    EXPECT_EQ(expected, band->GetSite(riid, &out)) << Narrow(GuidText(riid));
    if (SUCCEEDED(expected) && out && out != kSentinel) static_cast<IUnknown*>(out)->Release();
    return out;
}

IUnknown* Unknown(BandSite* site) { return static_cast<IOleWindow*>(site); }

void* Ask(IUnknown* object, REFIID riid) {
    void* out = nullptr;
    if (SUCCEEDED(object->QueryInterface(riid, &out))) static_cast<IUnknown*>(out)->Release();
    return out;
}

// Gives the window the client size asked for.
void SetClientSize(HWND window, int width, int height) {
    RECT frame{0, 0, width, height};
    ::AdjustWindowRectEx(&frame, StyleOf(window), FALSE, static_cast<DWORD>(::GetWindowLongPtrW(window, GWL_EXSTYLE)));
    ::SetWindowPos(window, nullptr, 0, 0, frame.right - frame.left, frame.bottom - frame.top,
                   SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// The right edge of the toolbar's one button and the toolbar's client width.
std::pair<LONG, LONG> ButtonEdge(HWND toolbar) {
    RECT button{};
    ::SendMessageW(toolbar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
    return {button.right, ClientOf(toolbar).right};
}

TEST_F(SitedBand, SitingMakesTheHiddenReflectorAndTheToolbarAndHoldsSiteAndBrowser) {
    CountingBrowser browser;
    unique_hwnd area = MakeBandArea(640, 30);
    ASSERT_TRUE(area);
    com_ptr<BandSite> site = BandSite::Create(area.get(), static_cast<IWebBrowser2*>(&browser));
    const ULONG browserRefs = browser.refs;

    com_ptr<IObjectWithSite> band;
    ASSERT_EQ(S_OK, NewBand(IID_IObjectWithSite, band.put_void()));
    com_ptr<IDeskBand> deskBand;
    ASSERT_EQ(S_OK, band.query(deskBand));

    // Not sited yet: no window, no site, and the window requests still answer.
    EXPECT_EQ(E_INVALIDARG, deskBand->GetWindow(nullptr));
    EXPECT_EQ(nullptr, WindowOf(band.get()));
    EXPECT_EQ(nullptr, SiteOf(band.get(), IID_IUnknown, E_FAIL));
    EXPECT_EQ(E_POINTER, band->GetSite(IID_IUnknown, nullptr));
    EXPECT_EQ(S_OK, deskBand->ShowDW(TRUE));
    EXPECT_EQ(S_OK, deskBand->CloseDW(0));
    EXPECT_EQ(S_OK, deskBand->ContextSensitiveHelp(TRUE));
    RECT border{0, 0, 10, 10};
    EXPECT_EQ(E_NOTIMPL, deskBand->ResizeBorderDW(&border, Unknown(site.get()), FALSE));
    EXPECT_TRUE(BandWindowsOfThread().empty());

    ASSERT_EQ(S_OK, band->SetSite(static_cast<IOleWindow*>(site.get())));

    // The band's window is the toolbar, inside the hidden reflector on the site's window.
    const HWND toolbar = WindowOf(band.get());
    ASSERT_TRUE(::IsWindow(toolbar));
    EXPECT_EQ(L"KVPASSWORDTOOLBAR", ClassName(toolbar));
    const HWND reflector = ::GetParent(toolbar);
    ASSERT_TRUE(::IsWindow(reflector));
    EXPECT_NE(toolbar, reflector);
    EXPECT_EQ(area.get(), ::GetParent(reflector));
    EXPECT_EQ(static_cast<DWORD>(WS_CHILD), StyleOf(reflector) & (WS_CHILD | WS_VISIBLE | WS_POPUP));
    EXPECT_EQ(static_cast<DWORD>(WS_CHILD | WS_VISIBLE), StyleOf(toolbar) & (WS_CHILD | WS_VISIBLE | WS_POPUP));
    RECT reflectorRect{}, areaClient = ClientOf(area.get());
    ::GetWindowRect(reflector, &reflectorRect);
    ::MapWindowPoints(HWND_DESKTOP, area.get(), reinterpret_cast<POINT*>(&reflectorRect), 2);
    EXPECT_TRUE(::EqualRect(&areaClient, &reflectorRect));
    RECT toolbarClient = ClientOf(toolbar), reflectorClient = ClientOf(reflector);
    EXPECT_TRUE(::EqualRect(&reflectorClient, &toolbarClient));
    EXPECT_EQ((std::vector<HWND>{reflector, toolbar}), BandWindowsOfThread());
    // The button sits at the right edge from the start.
    const auto [right, width] = ButtonEdge(toolbar);
    EXPECT_EQ(640, width);
    EXPECT_EQ(width, right);

    // The site is held and answers for itself; the browser is held too.
    EXPECT_EQ(Ask(Unknown(site.get()), IID_IInputObjectSite), SiteOf(band.get(), IID_IInputObjectSite, S_OK));
    EXPECT_EQ(Ask(Unknown(site.get()), IID_IOleWindow), SiteOf(band.get(), IID_IOleWindow, S_OK));
    EXPECT_EQ(Ask(Unknown(site.get()), IID_IUnknown), SiteOf(band.get(), IID_IUnknown, S_OK));
    EXPECT_EQ(nullptr, SiteOf(band.get(), IID_IWebBrowser2, E_NOINTERFACE));
    EXPECT_GT(browser.refs, browserRefs);

    // Unsited: site and browser let go, the windows stay until the band goes.
    EXPECT_EQ(S_OK, band->SetSite(nullptr));
    EXPECT_EQ(nullptr, SiteOf(band.get(), IID_IInputObjectSite, E_FAIL));
    EXPECT_EQ(nullptr, SiteOf(band.get(), IID_IUnknown, E_FAIL));
    EXPECT_EQ(browserRefs, browser.refs);
    EXPECT_EQ(toolbar, WindowOf(band.get()));
    EXPECT_EQ((std::vector<HWND>{reflector, toolbar}), BandWindowsOfThread());
    EXPECT_EQ(S_OK, band->SetSite(nullptr));

    deskBand.reset();
    band.reset();
    EXPECT_FALSE(::IsWindow(toolbar));
    EXPECT_FALSE(::IsWindow(reflector));
}

TEST_F(SitedBand, SitingFailsWithoutAWindowOrAnInputSiteAndGoesOnWithoutABrowser) {
    // A window that is gone.
    unique_hwnd gone = MakeBandArea(100, 30);
    const HWND goneHandle = gone.get();
    gone.reset();

    const struct {
        const char* name;
        SiteAnswers answers;
        bool liveWindow;  // false: the site's window is `goneHandle`
        bool withBrowser;
        HRESULT result;
        bool windowsMade;
        bool siteHeld;
        bool browserHeld;
    } cases[] = {
        {"a site without a window", {.oleWindow = false}, true, true, E_FAIL, false, false, false},
        {"a site whose window is gone", {}, false, true, E_FAIL, false, false, false},
        {"a site without IInputObjectSite", {.inputObjectSite = false}, true, true, E_FAIL, true, false, false},
        {"a site without IOleCommandTarget", {.commandTarget = false}, true, true, S_OK, true, true, false},
        {"a site without IServiceProvider", {.serviceProvider = false}, true, true, S_OK, true, true, false},
        {"a site whose service has no browser", {}, true, false, S_OK, true, true, false},
        {"a browser window's site", {}, true, true, S_OK, true, true, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        CountingBrowser browser;
        unique_hwnd area = MakeBandArea(400, 30);
        ASSERT_TRUE(area);
        com_ptr<BandSite> site = BandSite::Create(c.liveWindow ? area.get() : goneHandle,
                                                  c.withBrowser ? static_cast<IWebBrowser2*>(&browser) : nullptr,
                                                  c.answers);
        const ULONG browserRefs = browser.refs;
        com_ptr<IObjectWithSite> band;
        ASSERT_EQ(S_OK, NewBand(IID_IObjectWithSite, band.put_void()));

        EXPECT_EQ(c.result, band->SetSite(static_cast<IOleWindow*>(site.get())));
        const std::vector<HWND> windows = BandWindowsOfThread();
        EXPECT_EQ(c.windowsMade ? 2u : 0u, windows.size());
        const HWND toolbar = WindowOf(band.get());
        if (c.windowsMade) {
            EXPECT_EQ(L"KVPASSWORDTOOLBAR", ClassName(toolbar));
        } else {
            EXPECT_EQ(nullptr, toolbar);
        }
        EXPECT_EQ(c.siteHeld ? Ask(Unknown(site.get()), IID_IInputObjectSite) : nullptr,
                  SiteOf(band.get(), IID_IInputObjectSite, c.siteHeld ? S_OK : E_FAIL));
        EXPECT_EQ(c.browserHeld, browser.refs > browserRefs);

        EXPECT_EQ(S_OK, band->SetSite(nullptr));
        EXPECT_EQ(browserRefs, browser.refs);
        band.reset();
        EXPECT_TRUE(BandWindowsOfThread().empty());
        site.reset();
        EXPECT_EQ(1u, browser.refs);
    }
}

TEST_F(SitedBand, ToolbarHasOneSplitButtonLumoraWithTheBandsImage) {
    CountingBrowser browser;
    unique_hwnd area = MakeBandArea(500, 30);
    ASSERT_TRUE(area);
    com_ptr<BandSite> site = BandSite::Create(area.get(), static_cast<IWebBrowser2*>(&browser));
    com_ptr<IUnknown> band;
    ASSERT_EQ(S_OK, NewBand(IID_IUnknown, band.put_void()));
    ASSERT_EQ(S_OK, site->Host(band.get()));

    const HWND toolbar = site->BandWindow();
    ASSERT_EQ(toolbar, WindowOf(band.get()));
    EXPECT_EQ(L"KVPASSWORDTOOLBAR", ClassName(toolbar));
    const ToolbarSnapshot shown = SnapshotToolbar(toolbar);
    ASSERT_EQ(1u, shown.buttons.size());
    const ToolbarButton& button = shown.buttons[0];
    EXPECT_EQ(102, button.command);
    EXPECT_EQ(0, button.bitmap);
    EXPECT_EQ(L"Lumora", button.text);
    EXPECT_TRUE(button.state & TBSTATE_ENABLED);
    EXPECT_FALSE(button.state & TBSTATE_HIDDEN);
    EXPECT_EQ(BTNS_DROPDOWN | BTNS_AUTOSIZE | BTNS_SHOWTEXT, button.style);
    // Split: the arrow is drawn apart from the main part.
    EXPECT_TRUE(shown.extendedStyle & TBSTYLE_EX_DRAWDDARROWS);
    // One 16 by 16 image, made from the band's icon.
    EXPECT_EQ(1, shown.images);
    EXPECT_EQ(16, shown.imageWidth);
    EXPECT_EQ(16, shown.imageHeight);
    EXPECT_GT(button.rect.right - button.rect.left, 16);

    // Its notifications go to the hidden reflector, wherever the browser put the toolbar.
    HWND reflector = nullptr;
    for (HWND window : BandWindowsOfThread()) {
        if (window != toolbar) reflector = window;
    }
    ASSERT_TRUE(reflector);
    EXPECT_FALSE(StyleOf(reflector) & WS_VISIBLE);
    const auto notified = reinterpret_cast<HWND>(
        ::SendMessageW(toolbar, TB_SETPARENT, reinterpret_cast<WPARAM>(reflector), 0));
    EXPECT_EQ(reflector, notified);

    site->Unhost();
}

TEST_F(SitedBand, CloseHidesTheToolbarAndShowBringsItBackUnchanged) {
    CountingBrowser browser;
    unique_hwnd area = MakeBandArea(500, 30);
    ASSERT_TRUE(area);
    com_ptr<BandSite> site = BandSite::Create(area.get(), static_cast<IWebBrowser2*>(&browser));
    com_ptr<IDockingWindow> band;
    ASSERT_EQ(S_OK, NewBand(IID_IDockingWindow, band.put_void()));
    ASSERT_EQ(S_OK, site->Host(band.get()));
    const HWND toolbar = site->BandWindow();
    ASSERT_TRUE(::IsWindowVisible(toolbar));
    const ToolbarSnapshot shown = SnapshotToolbar(toolbar);
    ASSERT_EQ(1u, shown.buttons.size());

    const struct {
        const char* call;
        HRESULT (*act)(IDockingWindow*);
        bool visible;
    } steps[] = {
        {"CloseDW", [](IDockingWindow* b) { return b->CloseDW(0); }, false},
        {"ShowDW(TRUE)", [](IDockingWindow* b) { return b->ShowDW(TRUE); }, true},
        {"ShowDW(FALSE)", [](IDockingWindow* b) { return b->ShowDW(FALSE); }, false},
        {"CloseDW again", [](IDockingWindow* b) { return b->CloseDW(0); }, false},
        {"ShowDW(5)", [](IDockingWindow* b) { return b->ShowDW(5); }, true},
        {"ShowDW(TRUE) again", [](IDockingWindow* b) { return b->ShowDW(TRUE); }, true},
    };
    for (const auto& step : steps) {
        SCOPED_TRACE(step.call);
        EXPECT_EQ(S_OK, step.act(band.get()));
        EXPECT_TRUE(::IsWindow(toolbar));
        EXPECT_EQ(step.visible, ::IsWindowVisible(toolbar) != FALSE);
        EXPECT_EQ(toolbar, WindowOf(band.get()));
        EXPECT_EQ(2u, BandWindowsOfThread().size());
        EXPECT_EQ(shown, SnapshotToolbar(toolbar));
    }

    site->Unhost();
}

TEST_F(SitedBand, ButtonStaysAtTheRightEdgeWhateverTheWidth) {
    CountingBrowser browser;
    unique_hwnd area = MakeBandArea(640, 30);
    ASSERT_TRUE(area);
    com_ptr<BandSite> site = BandSite::Create(area.get(), static_cast<IWebBrowser2*>(&browser));
    com_ptr<IUnknown> band;
    ASSERT_EQ(S_OK, NewBand(IID_IUnknown, band.put_void()));
    ASSERT_EQ(S_OK, site->Host(band.get()));
    const HWND toolbar = site->BandWindow();
    RECT first{};
    ::SendMessageW(toolbar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&first));
    const LONG buttonWidth = first.right - first.left;

    for (int width : {640, 200, 1200, 150, 901, 333, 640}) {
        SCOPED_TRACE(width);
        SetClientSize(area.get(), width, 30);
        site->Layout();
        const auto [right, client] = ButtonEdge(toolbar);
        EXPECT_EQ(width, client);
        EXPECT_EQ(client, right);
        // Still one row: the button keeps its place at the top and its width.
        RECT now{};
        ::SendMessageW(toolbar, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&now));
        EXPECT_EQ(first.top, now.top);
        EXPECT_EQ(buttonWidth, now.right - now.left);
    }
    // While hidden too, so that it shows in place.
    com_ptr<IDockingWindow> docking;
    ASSERT_EQ(S_OK, band->QueryInterface(IID_IDockingWindow, docking.put_void()));
    EXPECT_EQ(S_OK, docking->CloseDW(0));
    SetClientSize(area.get(), 480, 30);
    site->Layout();
    EXPECT_EQ(S_OK, docking->ShowDW(TRUE));
    EXPECT_EQ(std::make_pair(LONG{480}, LONG{480}), ButtonEdge(toolbar));

    docking.reset();
    site->Unhost();
}

TEST_F(SitedBand, SitedAgainTheBandMovesItsWindowsAndTakesTheNewBrowser) {
    CountingBrowser first, second;
    unique_hwnd firstArea = MakeBandArea(300, 30), secondArea = MakeBandArea(500, 30);
    ASSERT_TRUE(firstArea && secondArea);
    com_ptr<BandSite> firstSite = BandSite::Create(firstArea.get(), static_cast<IWebBrowser2*>(&first));
    com_ptr<BandSite> secondSite = BandSite::Create(secondArea.get(), static_cast<IWebBrowser2*>(&second));
    const ULONG firstRefs = first.refs, secondRefs = second.refs;

    com_ptr<IObjectWithSite> band;
    ASSERT_EQ(S_OK, NewBand(IID_IObjectWithSite, band.put_void()));
    ASSERT_EQ(S_OK, band->SetSite(static_cast<IOleWindow*>(firstSite.get())));
    const std::vector<HWND> windows = BandWindowsOfThread();
    ASSERT_EQ(2u, windows.size());
    EXPECT_GT(first.refs, firstRefs);

    ASSERT_EQ(S_OK, band->SetSite(static_cast<IOleWindow*>(secondSite.get())));
    EXPECT_EQ(windows, BandWindowsOfThread());
    const HWND toolbar = WindowOf(band.get());
    EXPECT_EQ(secondArea.get(), ::GetParent(::GetParent(toolbar)));
    EXPECT_EQ(firstRefs, first.refs);
    EXPECT_GT(second.refs, secondRefs);
    EXPECT_EQ(Ask(Unknown(secondSite.get()), IID_IInputObjectSite), SiteOf(band.get(), IID_IInputObjectSite, S_OK));

    EXPECT_EQ(S_OK, band->SetSite(nullptr));
    EXPECT_EQ(secondRefs, second.refs);
}

TEST_F(SitedBand, ABrowserWindowClosingFirstTakesTheBandsWindowsWithIt) {
    CountingBrowser browser;
    unique_hwnd area = MakeBandArea(400, 30);
    ASSERT_TRUE(area);
    com_ptr<BandSite> site = BandSite::Create(area.get(), static_cast<IWebBrowser2*>(&browser));
    com_ptr<IDeskBand> band;
    ASSERT_EQ(S_OK, NewBand(IID_IDeskBand, band.put_void()));
    ASSERT_EQ(S_OK, site->Host(band.get()));
    ASSERT_EQ(2u, BandWindowsOfThread().size());

    area.reset();
    EXPECT_TRUE(BandWindowsOfThread().empty());
    EXPECT_EQ(nullptr, WindowOf(band.get()));
    EXPECT_EQ(S_OK, band->ShowDW(TRUE));
    EXPECT_EQ(S_OK, band->CloseDW(0));
    site->Unhost();
}

}  // namespace
