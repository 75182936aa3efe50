#include "HelperTestSupport.h"

namespace navlatch_test {

std::wstring HelperDllPath() { return WindowsPath(NAVLATCH_DLL); }

const ComServerDll& HelperDll() {
    static const ComServerDll dll = ComServerDll::Load(HelperDllPath());
    return dll;
}

HRESULT NewHelper(REFIID riid, void** out) { return HelperDll().NewObject(kHelperClsid, riid, out); }

STDMETHODIMP FakeBrowser::QueryInterface(REFIID riid, void** out) {
    return QueryBrowserInterface(this, riid, out);
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

}  // namespace navlatch_test
