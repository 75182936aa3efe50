#include "band/PasswordBarWin.h"

#include "page/BrowserHostWin.h"

#include <exdisp.h>
#include <shlguid.h>

#include <new>

namespace keyvale::win {

HRESULT PasswordBar::Create(IUnknown* outer, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer && riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
    auto* bar = new (std::nothrow) PasswordBar(outer);
    if (!bar) return E_OUTOFMEMORY;
    const HRESULT hr = bar->inner.QueryInterface(riid, out);
    bar->inner.Release();  // the creation reference
    return hr;
}

PasswordBar::PasswordBar(IUnknown* outer) : controllingUnknown(outer ? outer : &inner) {}

// The reflector's window goes first, then the toolbar with its image list, browser and
// documents.
PasswordBar::~PasswordBar() = default;

STDMETHODIMP PasswordBar::Inner::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown) {
        // On its own the object's identity is its IPasswordBar table; aggregated, the outer
        // object holds this non-delegating IUnknown.
        const bool aggregated = bar.controllingUnknown != this;
        *out = aggregated ? static_cast<IUnknown*>(this) : static_cast<IPasswordBar*>(&bar);
    } else if (riid == __uuidof(IPasswordBar) || riid == IID_IDispatch) {
        *out = static_cast<IPasswordBar*>(&bar);
    } else if (riid == IID_IOleWindow || riid == IID_IDockingWindow || riid == IID_IDeskBand) {
        *out = static_cast<IDeskBand*>(&bar);
    } else if (riid == IID_IObjectWithSite) {
        *out = static_cast<IObjectWithSite*>(&bar);
    } else {
        return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*out)->AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) PasswordBar::Inner::AddRef() { return ++bar.referenceCount; }

STDMETHODIMP_(ULONG) PasswordBar::Inner::Release() {
    const ULONG left = --bar.referenceCount;
    if (left == 0) delete &bar;
    return left;
}

STDMETHODIMP PasswordBar::QueryInterface(REFIID riid, void** out) {
    return controllingUnknown->QueryInterface(riid, out);
}
STDMETHODIMP_(ULONG) PasswordBar::AddRef() { return controllingUnknown->AddRef(); }
STDMETHODIMP_(ULONG) PasswordBar::Release() { return controllingUnknown->Release(); }

// --- IOleWindow, IDockingWindow, IDeskBand ------------------------------------------------

STDMETHODIMP PasswordBar::GetWindow(HWND* window) {
    if (!window) return E_INVALIDARG;
    *window = reflector.Toolbar().Handle();
    return S_OK;
}

STDMETHODIMP PasswordBar::ContextSensitiveHelp(BOOL) { return S_OK; }

STDMETHODIMP PasswordBar::ShowDW(BOOL show) {
    if (HWND toolbar = reflector.Toolbar().Handle()) ::ShowWindow(toolbar, show ? SW_SHOW : SW_HIDE);
    return S_OK;
}

STDMETHODIMP PasswordBar::CloseDW(DWORD) { return ShowDW(FALSE); }

STDMETHODIMP PasswordBar::ResizeBorderDW(LPCRECT, IUnknown*, BOOL) { return E_NOTIMPL; }

STDMETHODIMP PasswordBar::GetBandInfo(DWORD, DWORD, DESKBANDINFO* info) {
    if (!info) return S_OK;
    if (info->dwMask & DBIM_MINSIZE) info->ptMinSize = {80, 22};
    if (info->dwMask & DBIM_MAXSIZE) info->ptMaxSize = {0, -1};
    if (info->dwMask & DBIM_INTEGRAL) info->ptIntegral = {0, 0};
    if (info->dwMask & DBIM_ACTUAL) info->ptActual = {80, 22};
    if (info->dwMask & DBIM_TITLE) info->wszTitle[0] = L'\0';
    // Without a colour of its own the band is painted in the browser's.
    info->dwMask &= ~static_cast<DWORD>(DBIM_BKCOLOR);
    if (info->dwMask & DBIM_MODEFLAGS) info->dwModeFlags = DBIMF_VARIABLEHEIGHT;
    return S_OK;
}

// --- IObjectWithSite ----------------------------------------------------------------------

STDMETHODIMP PasswordBar::SetSite(IUnknown* site) {
    if (inputSite) {
        reflector.Toolbar().Toolbar().SetBrowser(nullptr);
        inputSite.reset();
    }
    if (!site) return S_OK;

    parentWindow = nullptr;
    com_ptr<IOleWindow> siteWindow;
    if (SUCCEEDED(site->QueryInterface(IID_IOleWindow, siteWindow.put_void()))) {
        siteWindow->GetWindow(&parentWindow);
    }
    if (!parentWindow || !::IsWindow(parentWindow)) return E_FAIL;

    // A band sited again keeps its windows and moves them to the new site's window.
    if (reflector.Handle()) {
        ::SetParent(reflector.Handle(), parentWindow);
    } else if (!reflector.Create(parentWindow)) {
        return E_FAIL;
    }

    if (FAILED(site->QueryInterface(IID_IInputObjectSite, inputSite.put_void()))) return E_FAIL;

    com_ptr<IOleCommandTarget> commandTarget;
    if (FAILED(site->QueryInterface(IID_IOleCommandTarget, commandTarget.put_void()))) return S_OK;
    com_ptr<IServiceProvider> services;
    if (FAILED(commandTarget.query(services))) return S_OK;
    commandTarget.reset();

    com_ptr<IWebBrowser2> browser;
    if (SUCCEEDED(services->QueryService(SID_SWebBrowserApp, IID_IWebBrowser2, browser.put_void())) && browser) {
        reflector.Toolbar().Toolbar().SetBrowser(MakeWebBrowserHost(browser.get()));
    }
    return S_OK;
}

STDMETHODIMP PasswordBar::GetSite(REFIID riid, void** site) {
    if (!site) return E_POINTER;
    *site = nullptr;
    if (!inputSite) return E_FAIL;
    return inputSite->QueryInterface(riid, site);
}

// --- IDispatch ----------------------------------------------------------------------------

HRESULT PasswordBar::LoadTypeInfo() {
    if (typeInfo) return S_OK;
    wchar_t path[MAX_PATH];
    const DWORD length = ::GetModuleFileNameW(ThisModule(), path, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return HRESULT_FROM_WIN32(::GetLastError());
    com_ptr<ITypeLib> library;
    KV_RETURN_IF_FAILED(::LoadTypeLibEx(path, REGKIND_NONE, library.put()));
    return library->GetTypeInfoOfGuid(__uuidof(IPasswordBar), typeInfo.put());
}

STDMETHODIMP PasswordBar::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP PasswordBar::GetTypeInfo(UINT index, LCID, ITypeInfo** info) {
    if (!info) return E_POINTER;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    KV_RETURN_IF_FAILED(LoadTypeInfo());
    *info = com_ptr<ITypeInfo>(typeInfo).detach();
    return S_OK;
}

STDMETHODIMP PasswordBar::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* ids) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    KV_RETURN_IF_FAILED(LoadTypeInfo());
    return ::DispGetIDsOfNames(typeInfo.get(), names, count, ids);
}

STDMETHODIMP PasswordBar::Invoke(DISPID member, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                                 VARIANT* result, EXCEPINFO* exception, UINT* argumentError) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    KV_RETURN_IF_FAILED(LoadTypeInfo());
    return ::DispInvoke(static_cast<IPasswordBar*>(this), typeInfo.get(), member, flags, params, result,
                        exception, argumentError);
}

}  // namespace keyvale::win
