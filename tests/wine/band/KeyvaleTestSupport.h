// What the tests of the band server share: its identifiers as its users know them, the
// built keyvale.dll loaded by path with its entry points, a browser window's pieces for
// siting a band (a window for the band area and a browser that counts its references), and
// ways to look at the band's windows from outside.
#pragma once

#include "harness/ComStubsWin.h"
#include "win/WinRaii.h"

#include <commctrl.h>
#include <exdisp.h>
#include <ocidl.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace keyvale_test {

using keyvale::win::com_ptr;

// {6A0C3E51-9B27-4D8E-B1F4-2C7D95E0A318}
inline constexpr CLSID kBandClsid = {
    0x6A0C3E51, 0x9B27, 0x4D8E, {0xB1, 0xF4, 0x2C, 0x7D, 0x95, 0xE0, 0xA3, 0x18}};
// {5D2E8A41-7C3B-4F96-A0D8-19E4B6C2F753}
inline constexpr IID kPasswordBarIid = {
    0x5D2E8A41, 0x7C3B, 0x4F96, {0xA0, 0xD8, 0x19, 0xE4, 0xB6, 0xC2, 0xF7, 0x53}};
// {C2E94D07-5F31-4A6B-8E20-7B1D3F9A64C5}
inline constexpr GUID kLibId = {
    0xC2E94D07, 0x5F31, 0x4A6B, {0x8E, 0x20, 0x7B, 0x1D, 0x3F, 0x9A, 0x64, 0xC5}};
// {3F8D61C2-A4E9-4B05-97C3-5E2A0D8B71F6}, the browser helper's class
inline constexpr CLSID kHelperClsid = {
    0x3F8D61C2, 0xA4E9, 0x4B05, {0x97, 0xC3, 0x5E, 0x2A, 0x0D, 0x8B, 0x71, 0xF6}};

inline constexpr const wchar_t* kBandClsidText = L"{6A0C3E51-9B27-4D8E-B1F4-2C7D95E0A318}";
inline constexpr const wchar_t* kPasswordBarIidText = L"{5D2E8A41-7C3B-4F96-A0D8-19E4B6C2F753}";
inline constexpr const wchar_t* kLibIdText = L"{C2E94D07-5F31-4A6B-8E20-7B1D3F9A64C5}";
inline constexpr const wchar_t* kButtonEntryText = L"{9E5B2A14-0C7D-4F63-A85E-D41B6C2F0397}";

// A build path (a Linux path) as Wine's Z: drive shows it.
std::wstring WindowsPath(const char* buildPath);

// The built keyvale.dll.
std::wstring KeyvaleDllPath();

// keyvale.dll loaded into the test process, with its entry points; loaded once and kept.
struct KeyvaleDll {
    HMODULE module = nullptr;
    HRESULT(STDAPICALLTYPE* getClassObject)(REFCLSID, REFIID, void**) = nullptr;
    HRESULT(STDAPICALLTYPE* canUnloadNow)() = nullptr;

    static const KeyvaleDll& Get();
};

// The DLL's file as the module-file-name query gives it.
std::wstring KeyvaleModuleFileName();

// A new band from the DLL's class factory, as riid.
HRESULT NewBand(REFIID riid, void** out);

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

// A visible top-level window to hold a band, of the given size.
keyvale::win::unique_hwnd MakeBandArea(int width, int height);

// A browser window's automation object that only counts its references: the band holds
// one while it has the browser.
class CountingBrowser final : public keyvale::harness::WebBrowser2Stub {
public:
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs; }
    STDMETHODIMP_(ULONG) Release() override { return --refs; }

    ULONG refs = 1;
};

// The windows of the thread (top-level ones and all their descendants) whose window class
// belongs to keyvale.dll: the band's windows.
std::vector<HWND> BandWindowsOfThread();

// The window's class name.
std::wstring ClassName(HWND window);

// What the toolbar shows: its buttons with their fields and texts, its extended style, and
// the image list's size. Compared whole to tell that nothing changed.
struct ToolbarButton {
    int bitmap;
    int command;
    BYTE state;
    BYTE style;
    std::wstring text;
    RECT rect;

    bool operator==(const ToolbarButton& other) const;
};

struct ToolbarSnapshot {
    std::vector<ToolbarButton> buttons;
    DWORD extendedStyle = 0;
    int images = -1;  // -1: no image list
    int imageWidth = 0, imageHeight = 0;

    bool operator==(const ToolbarSnapshot&) const = default;
};

ToolbarSnapshot SnapshotToolbar(HWND toolbar);

// The text of a GUID in braces, as the registry holds it.
std::wstring GuidText(REFGUID guid);

// A wide text for test messages.
std::string Narrow(const std::wstring& text);

}  // namespace keyvale_test
