// The stand-in browser's automation object: a minimal IWebBrowser2 over the page model.
// Navigate shows the model's page of that address at once (ready state 4); get_ReadyState,
// get_Document and get_HWND answer from the model's browser state and its faults (the
// TopWindow fault Empty answers S_FALSE with the window). A browser window may take over
// Navigate (to load pages over time) and ShowBrowserBar. QueryInterface answers IUnknown,
// IDispatch, IWebBrowser, IWebBrowserApp and IWebBrowser2; every other member is E_NOTIMPL.
#pragma once

#include "win/WinPrelude.h"

#include <exdisp.h>

#include "harness/ComObjectWin.h"
#include "harness/ComStubsWin.h"
#include "harness/PageModel.h"

namespace keyvale::harness {

// What the browser window around the object does for it: load pages over time and show
// bands. Without it, Navigate shows the page at once and no band can be shown.
class BrowserWindowEvents {
public:
    virtual ~BrowserWindowEvents() = default;
    virtual void OnNavigate(const std::u16string& url) = 0;
    virtual HRESULT OnShowBrowserBar(const CLSID& band, bool show) = 0;
};

class HostBrowser final : public ComObject<WebBrowser2Stub> {
public:
    // A browser showing `state`'s pages in `window` (its top-level window, which must outlive
    // the object, as must the model), with one reference for the caller.
    static HRESULT Create(ModelBrowserState& state, HWND window, IWebBrowser2** out,
                          BrowserWindowEvents* events = nullptr);

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;

    STDMETHODIMP Navigate(BSTR url, VARIANT* flags, VARIANT* targetFrameName, VARIANT* postData,
                          VARIANT* headers) override;
    STDMETHODIMP get_ReadyState(READYSTATE* state) override;
    STDMETHODIMP get_Document(IDispatch** document) override;
    STDMETHODIMP get_HWND(SHANDLE_PTR* window) override;
    STDMETHODIMP ShowBrowserBar(VARIANT* band, VARIANT* show, VARIANT* size) override;

private:
    HostBrowser(ModelBrowserState& state, HWND window, BrowserWindowEvents* events)
        : state_(state), window_(window), events_(events) {}
    ~HostBrowser() override = default;

    ModelBrowserState& state_;
    HWND window_;
    BrowserWindowEvents* events_;
};

}  // namespace keyvale::harness
