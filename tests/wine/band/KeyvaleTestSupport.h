// What the tests of the band server share beyond what the tests of both servers share
// (ComServerTestSupport.h): the built keyvale.dll loaded by path and a fixture for its tests,
// a browser window's pieces for siting a band (a window for the band area and a browser that
// counts its references), and ways to look at the band's windows from outside.
#pragma once

#include "harness/ComStubsWin.h"
#include "win/WinRaii.h"

#include "ComServerTestSupport.h"

#include <commctrl.h>
#include <exdisp.h>
#include <ocidl.h>
#include <shlobj.h>

#include <string>
#include <vector>

namespace keyvale_test {

using namespace lumora_wine;
using keyvale::win::com_ptr;

// The built keyvale.dll.
std::wstring KeyvaleDllPath();

// keyvale.dll loaded into the test process, with its entry points; loaded once and kept.
const ComServerDll& KeyvaleDll();

// A new band from the DLL's class factory, as riid.
HRESULT NewBand(REFIID riid, void** out);

// A test of keyvale.dll: COM for the test's thread, the DLL loaded, and everything the test
// made released at its end.
class KeyvaleTest : public ComServerTest {
protected:
    KeyvaleTest() : ComServerTest(KeyvaleDll()) {}
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

}  // namespace keyvale_test
