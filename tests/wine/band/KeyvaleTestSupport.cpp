#include "KeyvaleTestSupport.h"

namespace keyvale_test {

using keyvale::win::unique_hwnd;

std::wstring KeyvaleDllPath() { return WindowsPath(KEYVALE_DLL); }

const ComServerDll& KeyvaleDll() {
    static const ComServerDll dll = ComServerDll::Load(KeyvaleDllPath());
    return dll;
}

HRESULT NewBand(REFIID riid, void** out) { return KeyvaleDll().NewObject(kBandClsid, riid, out); }

unique_hwnd MakeBandArea(int width, int height) {
    static const ATOM areaClass = [] {
        WNDCLASSEXW c{};
        c.cbSize = sizeof c;
        c.lpfnWndProc = ::DefWindowProcW;
        c.hInstance = ::GetModuleHandleW(nullptr);
        c.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        c.lpszClassName = L"KeyvaleTestBandArea";
        return ::RegisterClassExW(&c);
    }();
    RECT frame{0, 0, width, height};
    // A popup without a frame: a window manager has nothing to say about it, so it shows and
    // goes at once.
    constexpr DWORD style = WS_POPUP | WS_CLIPCHILDREN;
    ::AdjustWindowRectEx(&frame, style, FALSE, 0);
    unique_hwnd area(::CreateWindowExW(0, MAKEINTATOM(areaClass), L"band area", style, 10, 10,
                                       frame.right - frame.left, frame.bottom - frame.top, nullptr, nullptr,
                                       ::GetModuleHandleW(nullptr), nullptr));
    if (area) ::ShowWindow(area.get(), SW_SHOWNA);
    return area;
}

STDMETHODIMP CountingBrowser::QueryInterface(REFIID riid, void** out) {
    return QueryBrowserInterface(this, riid, out);
}

namespace {

void CollectBandWindows(HWND window, std::vector<HWND>& found) {
    const auto module = reinterpret_cast<HMODULE>(::GetClassLongPtrW(window, GCLP_HMODULE));
    if (module && module == KeyvaleDll().module) found.push_back(window);
}

BOOL CALLBACK OnChild(HWND window, LPARAM found) {
    CollectBandWindows(window, *reinterpret_cast<std::vector<HWND>*>(found));
    return TRUE;
}

BOOL CALLBACK OnTopLevel(HWND window, LPARAM found) {
    CollectBandWindows(window, *reinterpret_cast<std::vector<HWND>*>(found));
    ::EnumChildWindows(window, OnChild, found);  // every descendant, not only children
    return TRUE;
}

}  // namespace

std::vector<HWND> BandWindowsOfThread() {
    std::vector<HWND> found;
    ::EnumThreadWindows(::GetCurrentThreadId(), OnTopLevel, reinterpret_cast<LPARAM>(&found));
    return found;
}

std::wstring ClassName(HWND window) {
    wchar_t name[256] = {};
    const int length = ::GetClassNameW(window, name, 256);
    return std::wstring(name, length > 0 ? length : 0);
}

bool ToolbarButton::operator==(const ToolbarButton& other) const {
    return bitmap == other.bitmap && command == other.command && state == other.state &&
           style == other.style && text == other.text && ::EqualRect(&rect, &other.rect);
}

ToolbarSnapshot SnapshotToolbar(HWND toolbar) {
    ToolbarSnapshot snapshot;
    const auto count = static_cast<int>(::SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        TBBUTTON button{};
        ::SendMessageW(toolbar, TB_GETBUTTON, i, reinterpret_cast<LPARAM>(&button));
        ToolbarButton b{button.iBitmap, button.idCommand, button.fsState, button.fsStyle, {}, {}};
        wchar_t text[128] = {};
        const auto length = ::SendMessageW(toolbar, TB_GETBUTTONTEXTW, button.idCommand,
                                           reinterpret_cast<LPARAM>(text));
        if (length > 0 && length < 128) b.text.assign(text, static_cast<std::size_t>(length));
        ::SendMessageW(toolbar, TB_GETITEMRECT, i, reinterpret_cast<LPARAM>(&b.rect));
        snapshot.buttons.push_back(b);
    }
    snapshot.extendedStyle = static_cast<DWORD>(::SendMessageW(toolbar, TB_GETEXTENDEDSTYLE, 0, 0));
    if (auto images = reinterpret_cast<HIMAGELIST>(::SendMessageW(toolbar, TB_GETIMAGELIST, 0, 0))) {
        snapshot.images = ::ImageList_GetImageCount(images);
        ::ImageList_GetIconSize(images, &snapshot.imageWidth, &snapshot.imageHeight);
    }
    return snapshot;
}

}  // namespace keyvale_test
