#include "harness/HostBrowserWin.h"

#include <new>

#include "harness/PageObjectsWin.h"

namespace keyvale::harness {

HRESULT HostBrowser::Create(ModelBrowserState& state, HWND window, IWebBrowser2** out,
                            BrowserWindowEvents* events) {
    if (!out) return E_POINTER;
    *out = new (std::nothrow) HostBrowser(state, window, events);
    return *out ? S_OK : E_OUTOFMEMORY;
}

STDMETHODIMP HostBrowser::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || riid == IID_IDispatch || riid == __uuidof(IWebBrowser) ||
        riid == __uuidof(IWebBrowserApp) || riid == __uuidof(IWebBrowser2)) {
        return Answer(static_cast<IWebBrowser2*>(this), out);
    }
    return E_NOINTERFACE;
}

STDMETHODIMP HostBrowser::Navigate(BSTR url, VARIANT*, VARIANT*, VARIANT*, VARIANT*) {
    const std::u16string address = win::U16(url, ::SysStringLen(url));
    if (events_) {
        events_->OnNavigate(address);
    } else {
        state_.Navigate(address);
    }
    return S_OK;
}

STDMETHODIMP HostBrowser::get_ReadyState(READYSTATE* state) {
    if (!state) return E_POINTER;
    ++state_.readyStateQueries;
    if (state_.faults.Any(PageOp::ReadyState)) return E_FAIL;
    *state = static_cast<READYSTATE>(state_.readyState);
    return S_OK;
}

STDMETHODIMP HostBrowser::get_Document(IDispatch** document) {
    if (!document) return E_POINTER;
    *document = nullptr;
    switch (state_.faults.Of(PageOp::Document)) {
        case Fault::Error: return E_FAIL;
        case Fault::Empty: return S_OK;
        case Fault::None: break;
    }
    if (!state_.current) return S_OK;
    return CreatePageDocument(*state_.current, document);
}

STDMETHODIMP HostBrowser::get_HWND(SHANDLE_PTR* window) {
    if (!window) return E_POINTER;
    *window = 0;
    switch (state_.faults.Of(PageOp::TopWindow)) {
        case Fault::Error: return E_FAIL;
        case Fault::Empty:
            *window = reinterpret_cast<SHANDLE_PTR>(window_);
            return S_FALSE;
        case Fault::None: break;
    }
    *window = reinterpret_cast<SHANDLE_PTR>(window_);
    return S_OK;
}

STDMETHODIMP HostBrowser::ShowBrowserBar(VARIANT* band, VARIANT* show, VARIANT*) {
    if (!events_) return E_NOTIMPL;
    if (!band || band->vt != VT_BSTR || !band->bstrVal) return E_INVALIDARG;
    CLSID clsid{};
    if (FAILED(::CLSIDFromString(band->bstrVal, &clsid))) return E_INVALIDARG;
    // Any nonzero boolean asks for the bar to be shown.
    const bool visible = !show || (show->vt == VT_BOOL ? show->boolVal != 0 : true);
    return events_->OnShowBrowserBar(clsid, visible);
}

}  // namespace keyvale::harness
