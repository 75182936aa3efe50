// What the helper's tests share: the helper's identifiers as its users know them, the
// built DLL and its entry points, and test doubles of a site and of a browser window.
#pragma once

#include "helper/HelperRaii.h"

#include <exdisp.h>
#include <ocidl.h>

#include <string>
#include <vector>

namespace navlatch_test {

// {3F8D61C2-A4E9-4B05-97C3-5E2A0D8B71F6}
inline constexpr CLSID kHelperClsid = {
    0x3F8D61C2, 0xA4E9, 0x4B05, {0x97, 0xC3, 0x5E, 0x2A, 0x0D, 0x8B, 0x71, 0xF6}};
// {8B41C6E2-93D5-4A07-B62F-0E7C35A9D184}
inline constexpr IID kHelperIid = {
    0x8B41C6E2, 0x93D5, 0x4A07, {0xB6, 0x2F, 0x0E, 0x7C, 0x35, 0xA9, 0xD1, 0x84}};
// {B70E4F93-2D6A-4C18-9F5B-A3C81E0D2467}
inline constexpr GUID kHelperLibId = {
    0xB70E4F93, 0x2D6A, 0x4C18, {0x9F, 0x5B, 0xA3, 0xC8, 0x1E, 0x0D, 0x24, 0x67}};
// {6A0C3E51-9B27-4D8E-B1F4-2C7D95E0A318}, the band's class
inline constexpr CLSID kBandClsid = {
    0x6A0C3E51, 0x9B27, 0x4D8E, {0xB1, 0xF4, 0x2C, 0x7D, 0x95, 0xE0, 0xA3, 0x18}};

inline constexpr const wchar_t* kHelperClsidText = L"{3F8D61C2-A4E9-4B05-97C3-5E2A0D8B71F6}";
inline constexpr const wchar_t* kHelperIidText = L"{8B41C6E2-93D5-4A07-B62F-0E7C35A9D184}";
inline constexpr const wchar_t* kHelperLibIdText = L"{B70E4F93-2D6A-4C18-9F5B-A3C81E0D2467}";
inline constexpr const wchar_t* kBandClsidText = L"{6A0C3E51-9B27-4D8E-B1F4-2C7D95E0A318}";

// A build path (a Linux path) as Wine's Z: drive shows it.
std::wstring WindowsPath(const char* buildPath);

// The built navlatch.dll.
std::wstring HelperDllPath();

// The helper DLL loaded into the test process, with its entry points.
struct HelperDll {
    HMODULE module = nullptr;
    HRESULT(STDAPICALLTYPE* getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(STDAPICALLTYPE* canUnloadNow)() = nullptr;

    // Loaded once per process and kept.
    static const HelperDll& Get();
};

// A new helper from the DLL's class factory, as riid.
HRESULT NewHelper(REFIID riid, void** out);

// A site that is no browser window: it answers IUnknown only and records what it was asked.
class PlainSite final : public IUnknown {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }

    ULONG refs = 1;
    std::vector<IID> asked;
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

// COM for the calling thread, single-threaded apartment, for the life of a test.
class ComApartment {
public:
    ComApartment() : hr_(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
    ~ComApartment() {
        if (SUCCEEDED(hr_)) ::CoUninitialize();
    }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    HRESULT result() const { return hr_; }

private:
    HRESULT hr_;
};

// The text of a GUID in braces, as the registry holds it.
std::wstring GuidText(REFGUID guid);

// A wide text for test messages.
std::string Narrow(const std::wstring& text);

}  // namespace navlatch_test
