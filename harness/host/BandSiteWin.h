// The band site of the stand-in browser: what a browser window offers the toolbar band it
// hosts. It answers IOleWindow (the band area), IInputObjectSite, IOleCommandTarget and
// IServiceProvider (the window's browser for SID_SWebBrowserApp), and it sites, sizes,
// shows and unsites a band as a browser does.
#pragma once

#include "win/WinRaii.h"

#include <docobj.h>
#include <ocidl.h>
#include <servprov.h>
#include <shlobj.h>

#include <atomic>

namespace keyvale::harness {

using keyvale::win::com_ptr;

// Which interfaces the site answers; tests take some away.
struct SiteAnswers {
    bool oleWindow = true;
    bool inputObjectSite = true;
    bool commandTarget = true;
    bool serviceProvider = true;
};

class BandSite final : public IOleWindow, public IInputObjectSite, public IOleCommandTarget, public IServiceProvider {
public:
    // A site whose window is `bandArea` and whose browser is `browser` (may be null).
    static com_ptr<BandSite> Create(HWND bandArea, IUnknown* browser, SiteAnswers answers = {});

    // Sites `band`, takes its window into the band area at the size the band asks for, and
    // shows it.
    HRESULT Host(IUnknown* band);
    // Hides and unsites the band, then lets it go, as a closing browser window does.
    void Unhost();
    // Sizes the band's window to the band area.
    void Layout();

    IUnknown* Band() const { return band.get(); }
    HWND BandWindow() const { return bandWindow; }

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;
    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL) override;
    // IInputObjectSite
    STDMETHODIMP OnFocusChangeIS(IUnknown* object, BOOL focus) override;
    // IOleCommandTarget
    STDMETHODIMP QueryStatus(const GUID* group, ULONG count, OLECMD commands[], OLECMDTEXT* text) override;
    STDMETHODIMP Exec(const GUID* group, DWORD id, DWORD options, VARIANT* in, VARIANT* out) override;
    // IServiceProvider
    STDMETHODIMP QueryService(REFGUID service, REFIID riid, void** out) override;

private:
    BandSite(HWND bandArea, IUnknown* browser, SiteAnswers answers);
    ~BandSite() = default;

    std::atomic<ULONG> references{1};
    HWND area;
    com_ptr<IUnknown> browser;
    SiteAnswers answers;
    com_ptr<IUnknown> band;
    HWND bandWindow = nullptr;
};

}  // namespace keyvale::harness
