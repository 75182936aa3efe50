#include "helper/IEHelper.h"

#include "helper/HelperRaii.h"
#include "helper/Module.h"
#include "helper/TypeLibrary.h"

#include <exdisp.h>

#include <new>

namespace navlatch {

IEHelper::IEHelper(IUnknown* outer) noexcept : inner_(*this), outer_(outer ? outer : &inner_) {
    ModuleAddRef();
}

IEHelper::~IEHelper() { ModuleRelease(); }

HRESULT IEHelper::Create(IUnknown* outer, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto* helper = new (std::nothrow) IEHelper(outer);
    if (!helper) return E_OUTOFMEMORY;
    const HRESULT hr = helper->inner_.QueryInterface(riid, out);
    helper->inner_.Release();
    return hr;
}

// --- the object's own IUnknown ----------------------------------------------------------

STDMETHODIMP IEHelper::Inner::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown) {
        // The outer object holds the inner IUnknown; on its own the object's identity is
        // its IIEHelper table.
        if (owner_.Aggregated()) {
            *out = this;
        } else {
            *out = static_cast<IIEHelper*>(&owner_);
        }
    } else if (riid == IID_IIEHelper || riid == IID_IDispatch) {
        *out = static_cast<IIEHelper*>(&owner_);
    } else if (riid == IID_IObjectWithSite) {
        *out = static_cast<IObjectWithSite*>(&owner_);
    } else {
        return E_NOINTERFACE;
    }
    static_cast<IUnknown*>(*out)->AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) IEHelper::Inner::AddRef() { return ++refs_; }

STDMETHODIMP_(ULONG) IEHelper::Inner::Release() {
    const ULONG left = --refs_;
    if (left == 0) delete &owner_;
    return left;
}

// --- delegating IUnknown ----------------------------------------------------------------

STDMETHODIMP IEHelper::QueryInterface(REFIID riid, void** out) {
    return outer_->QueryInterface(riid, out);
}

STDMETHODIMP_(ULONG) IEHelper::AddRef() { return outer_->AddRef(); }

STDMETHODIMP_(ULONG) IEHelper::Release() { return outer_->Release(); }

// --- IObjectWithSite ----------------------------------------------------------------------

STDMETHODIMP IEHelper::SetSite(IUnknown* site) {
    // Unsiting: nothing is held that would need releasing.
    if (!site) return S_OK;
    com_ptr<IWebBrowser2> browser;
    if (FAILED(site->QueryInterface(IID_IWebBrowser2, browser.put_void())) || !browser) {
        return S_OK;
    }
    unique_bstr bandClassId(::SysAllocString(kBandClassIdText));
    if (!bandClassId) return S_OK;

    VARIANT bar;
    ::VariantInit(&bar);
    bar.vt = VT_BSTR;
    bar.bstrVal = bandClassId.get();  // still owned by bandClassId
    VARIANT show;
    ::VariantInit(&show);
    show.vt = VT_BOOL;
    show.boolVal = 1;  // any nonzero value shows the bar
    // A window that cannot show the band stays as it was.
    browser->ShowBrowserBar(&bar, &show, nullptr);
    return S_OK;
}

STDMETHODIMP IEHelper::GetSite(REFIID, void** out) {
    if (!out) return E_POINTER;
    // No site is ever held.
    *out = nullptr;
    return E_FAIL;
}

// --- IDispatch ----------------------------------------------------------------------------

STDMETHODIMP IEHelper::GetTypeInfoCount(UINT* count) {
    if (!count) return E_POINTER;
    *count = 1;
    return S_OK;
}

STDMETHODIMP IEHelper::GetTypeInfo(UINT index, LCID, ITypeInfo** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    return LoadHelperTypeInfo(out);
}

STDMETHODIMP IEHelper::GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID,
                                     DISPID* ids) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    com_ptr<ITypeInfo> info;
    NL_RETURN_IF_FAILED(LoadHelperTypeInfo(info.put()));
    return ::DispGetIDsOfNames(info.get(), names, count, ids);
}

STDMETHODIMP IEHelper::Invoke(DISPID id, REFIID riid, LCID, WORD flags, DISPPARAMS* params,
                              VARIANT* result, EXCEPINFO* exception, UINT* argError) {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    com_ptr<ITypeInfo> info;
    NL_RETURN_IF_FAILED(LoadHelperTypeInfo(info.put()));
    return info->Invoke(static_cast<IIEHelper*>(this), id, flags, params, result, exception,
                        argError);
}

}  // namespace navlatch
