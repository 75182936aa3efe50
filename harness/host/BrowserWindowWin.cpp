#include "BrowserWindowWin.h"

#include "win/WinModule.h"

#include <commctrl.h>

namespace keyvale::harness {
namespace {

constexpr wchar_t kHelpersKey[] = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";

// The class identifiers registered as browser helpers.
std::vector<CLSID> RegisteredHelpers() {
    std::vector<CLSID> found;
    win::unique_hkey key;
    if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kHelpersKey, 0, KEY_READ, key.put()) != ERROR_SUCCESS) return found;
    for (DWORD i = 0;; ++i) {
        wchar_t name[64];
        DWORD length = 64;
        if (::RegEnumKeyExW(key.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) break;
        CLSID clsid{};
        if (SUCCEEDED(::CLSIDFromString(name, &clsid))) found.push_back(clsid);
    }
    return found;
}

}  // namespace

std::unique_ptr<BrowserWindow> BrowserWindow::Open(const WindowOptions& options, std::string& error) {
    std::unique_ptr<BrowserWindow> window(new BrowserWindow(options));
    win::unique_handle ready(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    window->thread = std::thread(&BrowserWindow::Run, window.get(), ready.get());
    ::WaitForSingleObject(ready.get(), INFINITE);
    if (!window->setUpError.empty()) {
        error = window->setUpError;
        window->thread.join();
        window->port.reset();
        return nullptr;
    }
    return window;
}

BrowserWindow::~BrowserWindow() {
    if (thread.joinable()) {
        port->Run([] { ::PostQuitMessage(0); }, 10000);
        thread.join();
    }
}

void BrowserWindow::Run(HANDLE ready) {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES | ICC_LISTVIEW_CLASSES};
    ::InitCommonControlsEx(&controls);
    const bool ok = SetUp(setUpError);
    ::SetEvent(ready);
    if (ok) {
        MSG message;
        while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    TearDown();
    ::CoUninitialize();
}

bool BrowserWindow::SetUp(std::string& error) {
    port = std::make_unique<UiPort>();
    windows = HostWindows::Create();
    if (!windows) {
        error = "the browser's windows could not be made";
        return false;
    }
    topLevel = windows->TopLevel();
    windows->ShowPages(&state);
    if (FAILED(HostBrowser::Create(state, windows->TopLevel(), browser.put(), this))) {
        error = "no browser object";
        return false;
    }
    site = BandSite::Create(windows->BandArea(), browser.get());
    ::ShowWindow(windows->TopLevel(), SW_SHOWNORMAL);
    ::UpdateWindow(windows->TopLevel());

    if (!options.bandDll.empty()) {
        bandModule.reset(::LoadLibraryW(options.bandDll.c_str()));
        if (!bandModule) {
            error = "cannot load the band server";
            return false;
        }
        using GetClassObject = HRESULT(STDAPICALLTYPE*)(REFCLSID, REFIID, void**);
        auto get = win::ProcAddress<GetClassObject>(bandModule.get(), "DllGetClassObject");
        constexpr CLSID kPasswordBar = {0x6a0c3e51, 0x9b27, 0x4d8e, {0xb1, 0xf4, 0x2c, 0x7d, 0x95, 0xe0, 0xa3, 0x18}};
        com_ptr<IClassFactory> factory;
        com_ptr<IUnknown> band;
        if (!get || FAILED(get(kPasswordBar, IID_IClassFactory, factory.put_void())) ||
            FAILED(factory->CreateInstance(nullptr, IID_IUnknown, band.put_void()))) {
            error = "the band server made no band";
            return false;
        }
        bandClass = kPasswordBar;
        if (FAILED(HostBand(band.get()))) {
            error = "the band could not be sited and shown";
            return false;
        }
    }
    if (options.loadHelpers) {
        // As a browser starts a window: every registered helper is made and sited. One that
        // refuses to load or to be made is passed over.
        for (const CLSID& clsid : RegisteredHelpers()) {
            com_ptr<IObjectWithSite> helper;
            if (FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_INPROC_SERVER, IID_IObjectWithSite,
                                          helper.put_void()))) {
                continue;
            }
            helper->SetSite(browser.get());
            helpers.push_back(std::move(helper));
        }
    }
    return true;
}

void BrowserWindow::TearDown() {
    for (com_ptr<IObjectWithSite>& helper : helpers) helper->SetSite(nullptr);
    helpers.clear();
    if (site) site->Unhost();
    bandWindow = nullptr;
    site.reset();
    browser.reset();
    windows.reset();
    if (bandModule) {
        using CanUnloadNow = HRESULT(STDAPICALLTYPE*)();
        auto canUnload = win::ProcAddress<CanUnloadNow>(bandModule.get(), "DllCanUnloadNow");
        if (!canUnload || canUnload() != S_OK) (void)bandModule.release();  // still in use: keep it loaded
    }
    bandModule.reset();
    port.reset();
}

HRESULT BrowserWindow::HostBand(IUnknown* band) {
    KV_RETURN_IF_FAILED(site->Host(band));
    bandWindow = site->BandWindow();
    return S_OK;
}

void BrowserWindow::OnNavigate(const std::u16string& url) {
    requested.push_back(url);
    state.readyState = 1;  // loading
    windows->Repaint();
    const unsigned load = ++loads;
    if (neverLoads) return;
    port->After(loadDelayMs, [this, url, load] {
        if (load != loads) return;  // a later navigation replaced this one
        state.Navigate(url);
        windows->Repaint();
    });
}

HRESULT BrowserWindow::OnShowBrowserBar(const CLSID& band, bool show) {
    if (site->Band() && ::IsEqualCLSID(band, bandClass)) {
        com_ptr<IDockingWindow> docking;
        KV_RETURN_IF_FAILED(site->Band()->QueryInterface(IID_IDockingWindow, docking.put_void()));
        return docking->ShowDW(show ? TRUE : FALSE);
    }
    if (!show) return S_OK;
    if (site->Band()) site->Unhost();
    com_ptr<IUnknown> created;
    KV_RETURN_IF_FAILED(::CoCreateInstance(band, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, created.put_void()));
    bandClass = band;
    return HostBand(created.get());
}

}  // namespace keyvale::harness
