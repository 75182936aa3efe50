// What the helper's tests share beyond what the tests of both servers share
// (ComServerTestSupport.h): the built navlatch.dll loaded by path and a fixture for its
// tests, and a test double of a browser window.
#pragma once

#include "helper/HelperRaii.h"

#include "ComServerTestSupport.h"

#include <exdisp.h>
#include <ocidl.h>

#include <string>
#include <vector>

namespace navlatch_test {

using namespace lumora_wine;

// The built navlatch.dll.
std::wstring HelperDllPath();

// navlatch.dll loaded into the test process, with its entry points; loaded once and kept.
const ComServerDll& HelperDll();

// A new helper from the DLL's class factory, as riid.
HRESULT NewHelper(REFIID riid, void** out);

// A test of navlatch.dll: COM for the test's thread, the DLL loaded, and everything the test
// made released at its end.
class HelperTest : public ComServerTest {
protected:
    HelperTest() : ComServerTest(HelperDll()) {}
};

// A browser window that records what ShowBrowserBar received. Every other browser
// operation answers E_NOTIMPL and is recorded as unexpected.
class FakeBrowser final : public IWebBrowser2 {
public:
    struct BarRequest {
        VARTYPE whichType = VT_EMPTY;
        std::wstring which;       // the text, when whichType is VT_BSTR
        UINT whichLength = 0;     // SysStringLen of it
        VARTYPE showType = VT_EMPTY;
        VARIANT_BOOL show = 0;    // when showType is VT_BOOL
        bool sizeGiven = false;
    };

    ULONG refs = 1;
    HRESULT showResult = S_OK;
    std::vector<BarRequest> requests;
    std::vector<std::string> unexpected;

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }
    STDMETHODIMP ShowBrowserBar(VARIANT* which, VARIANT* show, VARIANT* size) override;

#define NAVLATCH_NOT_USED(name, params) \
    STDMETHODIMP name params override { return Unexpected(#name); }
    NAVLATCH_NOT_USED(GetTypeInfoCount, (UINT*))
    NAVLATCH_NOT_USED(GetTypeInfo, (UINT, LCID, ITypeInfo**))
    NAVLATCH_NOT_USED(GetIDsOfNames, (REFIID, LPOLESTR*, UINT, LCID, DISPID*))
    NAVLATCH_NOT_USED(Invoke, (DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*))
    NAVLATCH_NOT_USED(GoBack, ())
    NAVLATCH_NOT_USED(GoForward, ())
    NAVLATCH_NOT_USED(GoHome, ())
    NAVLATCH_NOT_USED(GoSearch, ())
    NAVLATCH_NOT_USED(Navigate, (BSTR, VARIANT*, VARIANT*, VARIANT*, VARIANT*))
    NAVLATCH_NOT_USED(Refresh, ())
    NAVLATCH_NOT_USED(Refresh2, (VARIANT*))
    NAVLATCH_NOT_USED(Stop, ())
    NAVLATCH_NOT_USED(get_Application, (IDispatch**))
    NAVLATCH_NOT_USED(get_Parent, (IDispatch**))
    NAVLATCH_NOT_USED(get_Container, (IDispatch**))
    NAVLATCH_NOT_USED(get_Document, (IDispatch**))
    NAVLATCH_NOT_USED(get_TopLevelContainer, (VARIANT_BOOL*))
    NAVLATCH_NOT_USED(get_Type, (BSTR*))
    NAVLATCH_NOT_USED(get_Left, (LONG*))
    NAVLATCH_NOT_USED(put_Left, (LONG))
    NAVLATCH_NOT_USED(get_Top, (LONG*))
    NAVLATCH_NOT_USED(put_Top, (LONG))
    NAVLATCH_NOT_USED(get_Width, (LONG*))
    NAVLATCH_NOT_USED(put_Width, (LONG))
    NAVLATCH_NOT_USED(get_Height, (LONG*))
    NAVLATCH_NOT_USED(put_Height, (LONG))
    NAVLATCH_NOT_USED(get_LocationName, (BSTR*))
    NAVLATCH_NOT_USED(get_LocationURL, (BSTR*))
    NAVLATCH_NOT_USED(get_Busy, (VARIANT_BOOL*))
    NAVLATCH_NOT_USED(Quit, ())
    NAVLATCH_NOT_USED(ClientToWindow, (int*, int*))
    NAVLATCH_NOT_USED(PutProperty, (BSTR, VARIANT))
    NAVLATCH_NOT_USED(GetProperty, (BSTR, VARIANT*))
    NAVLATCH_NOT_USED(get_Name, (BSTR*))
    NAVLATCH_NOT_USED(get_HWND, (SHANDLE_PTR*))
    NAVLATCH_NOT_USED(get_FullName, (BSTR*))
    NAVLATCH_NOT_USED(get_Path, (BSTR*))
    NAVLATCH_NOT_USED(get_Visible, (VARIANT_BOOL*))
    NAVLATCH_NOT_USED(put_Visible, (VARIANT_BOOL))
    NAVLATCH_NOT_USED(get_StatusBar, (VARIANT_BOOL*))
    NAVLATCH_NOT_USED(put_StatusBar, (VARIANT_BOOL))
    NAVLATCH_NOT_USED(get_StatusText, (BSTR*))
    NAVLATCH_NOT_USED(put_StatusText, (BSTR))
    NAVLATCH_NOT_USED(get_ToolBar, (int*))
    NAVLATCH_NOT_USED(put_ToolBar, (int))
    NAVLATCH_NOT_USED(get_MenuBar, (VARIANT_BOOL*))
    NAVLATCH_NOT_USED(put_MenuBar, (VARIANT_BOOL))
    NAVLATCH_NOT_USED(get_FullScreen, (VARIANT_BOOL*))
    NAVLATCH_NOT_USED(put_FullScreen, (VARIANT_BOOL))
    NAVLATCH_NOT_USED(Navigate2, (VARIANT*, VARIANT*, VARIANT*, VARIANT*, VARIANT*))
    NAVLATCH_NOT_USED(QueryStatusWB, (OLECMDID, OLECMDF*))
    NAVLATCH_NOT_USED(ExecWB, (OLECMDID, OLECMDEXECOPT, VARIANT*, VARIANT*))
    NAVLATCH_NOT_USED(get_ReadyState, (READYSTATE*))
    NAVLATCH_NOT_USED(get_Offline, (VARIANT_BOOL*))
    NAVLATCH_NOT_USED(put_Offline, (VARIANT_BOOL))
    NAVLATCH_NOT_USED(get_Silent, (VARIANT_BOOL*))
    NAVLATCH_NOT_USED(put_Silent, (VARIANT_BOOL))
    NAVLATCH_NOT_USED(get_RegisterAsBrowser, (VARIANT_BOOL*))
    NAVLATCH_NOT_USED(put_RegisterAsBrowser, (VARIANT_BOOL))
    NAVLATCH_NOT_USED(get_RegisterAsDropTarget, (VARIANT_BOOL*))
    NAVLATCH_NOT_USED(put_RegisterAsDropTarget, (VARIANT_BOOL))
    NAVLATCH_NOT_USED(get_TheaterMode, (VARIANT_BOOL*))
    NAVLATCH_NOT_USED(put_TheaterMode, (VARIANT_BOOL))
    NAVLATCH_NOT_USED(get_AddressBar, (VARIANT_BOOL*))
    NAVLATCH_NOT_USED(put_AddressBar, (VARIANT_BOOL))
    NAVLATCH_NOT_USED(get_Resizable, (VARIANT_BOOL*))
    NAVLATCH_NOT_USED(put_Resizable, (VARIANT_BOOL))
#undef NAVLATCH_NOT_USED

private:
    HRESULT Unexpected(const char* name) {
        unexpected.emplace_back(name);
        return E_NOTIMPL;
    }
};

}  // namespace navlatch_test
