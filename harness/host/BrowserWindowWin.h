// One window of the stand-in browser, on a user-interface thread of its own as a browser
// gives each window: the windows (band area, document view, page window), the browser
// object over the window's page model, the band site, and the browser helpers that the
// registry names. Pages load after the delay the window is given, or never.
#pragma once

#include "BandSiteWin.h"
#include "UiPortWin.h"
#include "harness/HostBrowserWin.h"
#include "harness/HostWindowsWin.h"
#include "harness/PageModel.h"
#include "win/WinRaii.h"

#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace keyvale::harness {

struct WindowOptions {
    // When set, the band is made from this DLL's class object at once, before and without
    // any registration; otherwise bands come from the registry when a helper asks for one.
    std::wstring bandDll;
    bool loadHelpers = true;
};

class BrowserWindow final : public BrowserWindowEvents {
public:
    // Opens a window on a new thread; returns once it is ready, or null with `error`.
    static std::unique_ptr<BrowserWindow> Open(const WindowOptions& options, std::string& error);
    // Closes the window as a browser does: helpers and band are unsited and let go.
    ~BrowserWindow() override;
    BrowserWindow(const BrowserWindow&) = delete;
    BrowserWindow& operator=(const BrowserWindow&) = delete;

    const UiPort& Port() const { return *port; }

    // The rest is for the window's own thread (through Port().Run), except where noted.
    HostWindows& Windows() { return *windows; }
    ModelBrowserState& State() { return state; }
    PageModel& Model() { return model; }
    IWebBrowser2* Browser() const { return browser.get(); }
    // The band's window, null when no band is shown; safe from any thread.
    HWND BandWindow() const { return bandWindow; }
    HWND TopLevel() const { return topLevel; }
    // Addresses the browser was asked to open, in order.
    const std::vector<std::u16string>& Requested() const { return requested; }
    // Page loads: after this delay, or never.
    UINT loadDelayMs = 0;
    bool neverLoads = false;

    void OnNavigate(const std::u16string& url) override;
    HRESULT OnShowBrowserBar(const CLSID& band, bool show) override;

private:
    explicit BrowserWindow(const WindowOptions& options) : options(options) {}
    void Run(HANDLE ready);
    bool SetUp(std::string& error);
    void TearDown();
    HRESULT HostBand(IUnknown* band);

    WindowOptions options;
    std::thread thread;
    std::string setUpError;
    std::unique_ptr<UiPort> port;
    PageModel model;
    ModelBrowserState state{model};
    std::unique_ptr<HostWindows> windows;
    com_ptr<IWebBrowser2> browser;
    com_ptr<BandSite> site;
    CLSID bandClass{};
    win::unique_hmodule bandModule;
    std::vector<com_ptr<IObjectWithSite>> helpers;
    std::vector<std::u16string> requested;
    unsigned loads = 0;  // navigations so far; a load only completes for the latest one
    HWND bandWindow = nullptr;
    HWND topLevel = nullptr;
};

}  // namespace keyvale::harness
