#include "HelperTestSupport.h"

#include <cstdlib>

namespace navlatch_test {

std::wstring WindowsPath(const char* buildPath) {
    std::wstring path = L"Z:";
    for (const char* p = buildPath; *p; ++p) path += (*p == '/') ? L'\\' : static_cast<wchar_t>(*p);
    return path;
}

std::wstring HelperDllPath() { return WindowsPath(NAVLATCH_DLL); }

const HelperDll& HelperDll::Get() {
    static const HelperDll dll = [] {
        HelperDll d;
        d.module = ::LoadLibraryW(HelperDllPath().c_str());
        if (d.module) {
            d.getClassObject = reinterpret_cast<decltype(d.getClassObject)>(
                reinterpret_cast<void*>(::GetProcAddress(d.module, "DllGetClassObject")));
            d.canUnloadNow = reinterpret_cast<decltype(d.canUnloadNow)>(
                reinterpret_cast<void*>(::GetProcAddress(d.module, "DllCanUnloadNow")));
        }
        return d;
    }();
    return dll;
}

HRESULT NewHelper(REFIID riid, void** out) {
    const HelperDll& dll = HelperDll::Get();
    if (!dll.getClassObject) return E_UNEXPECTED;
    navlatch::com_ptr<IClassFactory> factory;
    NL_RETURN_IF_FAILED(dll.getClassObject(kHelperClsid, IID_IClassFactory, factory.put_void()));
    return factory->CreateInstance(nullptr, riid, out);
}

STDMETHODIMP PlainSite::QueryInterface(REFIID riid, void** out) {
    asked.push_back(riid);
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid != IID_IUnknown) return E_NOINTERFACE;
    *out = this;
    AddRef();
    return S_OK;
}

STDMETHODIMP FakeBrowser::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IDispatch && riid != IID_IWebBrowser &&
        riid != IID_IWebBrowserApp && riid != IID_IWebBrowser2) {
        return E_NOINTERFACE;
    }
    *out = static_cast<IWebBrowser2*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP FakeBrowser::ShowBrowserBar(VARIANT* which, VARIANT* show, VARIANT* size) {
    BarRequest request;
    if (which) {
        request.whichType = which->vt;
        if (which->vt == VT_BSTR && which->bstrVal) {
            request.which = which->bstrVal;
            request.whichLength = ::SysStringLen(which->bstrVal);
        }
    }
    if (show) {
        request.showType = show->vt;
        if (show->vt == VT_BOOL) request.show = show->boolVal;
    }
    request.sizeGiven = size != nullptr;
    requests.push_back(request);
    return showResult;
}

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);
    return text;
}

std::string Narrow(const std::wstring& text) {
    const int n = ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()),
                                        nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    ::WideCharToMultiByte(CP_UTF8, 0, text.c_str(), static_cast<int>(text.size()), out.data(), n,
                          nullptr, nullptr);
    return out;
}

}  // namespace navlatch_test
