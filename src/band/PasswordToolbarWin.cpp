#include "band/PasswordToolbarWin.h"

#include "win/WinModule.h"

#include <shellapi.h>

#include <mutex>

namespace keyvale::win {
namespace {

constexpr wchar_t kToolbarClass[] = L"KVPASSWORDTOOLBAR";
constexpr wchar_t kReflectorClass[] = L"KVTOOLBARREFLECTOR";
constexpr wchar_t kButtonLabel[] = L"Lumora";

WNDPROC g_toolbarControlProc = nullptr;  // the common toolbar control's own procedure

std::mutex& ClassLock() {
    static std::mutex lock;
    return lock;
}
bool g_classesRegistered = false;

bool RegisterWindowClassesLocked(WNDPROC toolbarProc, WNDPROC reflectorProc) {
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES};
    ::InitCommonControlsEx(&controls);

    WNDCLASSEXW toolbarClass{};
    toolbarClass.cbSize = sizeof toolbarClass;
    if (!::GetClassInfoExW(nullptr, TOOLBARCLASSNAMEW, &toolbarClass)) return false;
    g_toolbarControlProc = toolbarClass.lpfnWndProc;
    toolbarClass.lpfnWndProc = toolbarProc;
    toolbarClass.hInstance = ThisModule();
    toolbarClass.lpszClassName = kToolbarClass;
    toolbarClass.style &= ~CS_GLOBALCLASS;
    if (!::RegisterClassExW(&toolbarClass)) return false;

    WNDCLASSEXW reflectorClass{};
    reflectorClass.cbSize = sizeof reflectorClass;
    reflectorClass.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
    reflectorClass.lpfnWndProc = reflectorProc;
    reflectorClass.hInstance = ThisModule();
    reflectorClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    reflectorClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    reflectorClass.lpszClassName = kReflectorClass;
    if (!::RegisterClassExW(&reflectorClass)) {
        ::UnregisterClassW(kToolbarClass, ThisModule());
        return false;
    }
    return true;
}

// Both classes are registered once per process; bands on other threads wait for it.
bool RegisterWindowClasses(WNDPROC toolbarProc, WNDPROC reflectorProc) {
    std::lock_guard guard(ClassLock());
    if (!g_classesRegistered) g_classesRegistered = RegisterWindowClassesLocked(toolbarProc, reflectorProc);
    return g_classesRegistered;
}

// Window objects keep `this` in the window from WM_NCCREATE to WM_NCDESTROY.
template <typename T>
T* ObjectOf(HWND hwnd, UINT message, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
        return self;
    }
    return reinterpret_cast<T*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
}

}  // namespace

void UnregisterBandWindowClasses() {
    std::lock_guard guard(ClassLock());
    if (!g_classesRegistered) return;
    ::UnregisterClassW(kToolbarClass, ThisModule());
    ::UnregisterClassW(kReflectorClass, ThisModule());
    g_classesRegistered = false;
}

// --- the toolbar window -------------------------------------------------------------------

const ToolbarWindow::MessageRoute ToolbarWindow::kRoutes[] = {
    {WM_CREATE, false, 0, &ToolbarWindow::SetUpToolbar},
    {WM_SIZE, false, 0, &ToolbarWindow::AlignButton},
    {WM_NOTIFY, true, static_cast<int>(TBN_DROPDOWN), &ToolbarWindow::OnDropDown},
    {WM_COMMAND, false, 0, &ToolbarWindow::OnCommand},
    {WM_TIMER, false, 0, &ToolbarWindow::OnTimer},
};

ToolbarWindow::ToolbarWindow() : toolbar(*this) {}

ToolbarWindow::~ToolbarWindow() {
    imageList.reset();
    toolbar.SetBrowser(nullptr);
    if (window) ::DestroyWindow(window);
}

HWND ToolbarWindow::Create(HWND parent, const RECT& area) {
    if (!RegisterWindowClasses(&ToolbarWindow::WindowProc, &ToolbarReflector::WindowProc)) return nullptr;
    constexpr DWORD style = WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS | WS_TABSTOP | CCS_TOP | CCS_NORESIZE |
                            CCS_NOPARENTALIGN | CCS_NODIVIDER | TBSTYLE_TOOLTIPS | TBSTYLE_WRAPABLE |
                            TBSTYLE_FLAT | TBSTYLE_LIST | TBSTYLE_CUSTOMERASE | TBSTYLE_TRANSPARENT;
    return ::CreateWindowExW(0, kToolbarClass, nullptr, style, area.left, area.top, area.right - area.left,
                             area.bottom - area.top, parent, nullptr, ThisModule(), this);
}

bool ToolbarWindow::Route(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    for (const MessageRoute& route : kRoutes) {
        if (route.message != message) continue;
        if (route.byCode) {
            const auto* header = reinterpret_cast<const NMHDR*>(lParam);
            if (!header || static_cast<int>(header->code) != route.code) continue;
        }
        result = (this->*route.handler)(wParam, lParam);
        return true;
    }
    return false;
}

LRESULT CALLBACK ToolbarWindow::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ToolbarWindow* self = ObjectOf<ToolbarWindow>(hwnd, message, lParam);
    if (message == WM_NCCREATE && self) self->window = hwnd;
    if (!self) return ::CallWindowProcW(g_toolbarControlProc, hwnd, message, wParam, lParam);

    if (message == WM_NCDESTROY) {
        const LRESULT result = ::CallWindowProcW(g_toolbarControlProc, hwnd, message, wParam, lParam);
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
        self->window = nullptr;
        return result;
    }
    // The control sets itself up in its own creation handling before the band adds its
    // button to it.
    if (message == WM_CREATE &&
        ::CallWindowProcW(g_toolbarControlProc, hwnd, message, wParam, lParam) == -1) {
        return -1;
    }
    LRESULT result = 0;
    if (self->Route(message, wParam, lParam, result)) return result;
    return ::CallWindowProcW(g_toolbarControlProc, hwnd, message, wParam, lParam);
}

LRESULT ToolbarWindow::SetUpToolbar(WPARAM, LPARAM) {
    ::SendMessageW(window, TB_SETEXTENDEDSTYLE, 0, TBSTYLE_EX_DRAWDDARROWS);
    ::SendMessageW(window, TB_BUTTONSTRUCTSIZE, sizeof(TBBUTTON), 0);
    ::SendMessageW(window, TB_SETMAXTEXTROWS, 1, 0);
    // The control's list of texts takes strings that end with two NULs.
    static constexpr wchar_t labels[] = L"Lumora\0";
    ::SendMessageW(window, TB_ADDSTRINGW, 0, reinterpret_cast<LPARAM>(labels));

    unique_hicon icon(static_cast<HICON>(
        ::LoadImageW(ThisModule(), MAKEINTRESOURCEW(IDI_LUMORA), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR)));
    imageList.reset(::ImageList_Create(16, 16, ILC_COLOR16, 1, 0));
    if (imageList && icon) ::ImageList_AddIcon(imageList.get(), icon.get());
    icon.reset();
    ::SendMessageW(window, TB_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(imageList.get()));

    TBBUTTON button{};
    button.iBitmap = 0;
    button.idCommand = ID_MAIN_BUTTON;
    button.fsState = TBSTATE_ENABLED;
    button.fsStyle = BTNS_DROPDOWN | BTNS_AUTOSIZE | BTNS_SHOWTEXT;
    button.iString = reinterpret_cast<INT_PTR>(kButtonLabel);
    ::SendMessageW(window, TB_INSERTBUTTONW, 0, reinterpret_cast<LPARAM>(&button));
    return 0;
}

LRESULT ToolbarWindow::AlignButton(WPARAM, LPARAM) {
    RECT client{};
    ::GetClientRect(window, &client);
    RECT button{};
    ::SendMessageW(window, TB_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&button));
    ::SendMessageW(window, TB_SETINDENT, (client.right - client.left) - (button.right - button.left), 0);
    // Wine's toolbar control keeps a new indent without laying its buttons out again; ask
    // for the layout. The control never resizes itself here (CCS_NORESIZE).
    ::SendMessageW(window, TB_AUTOSIZE, 0, 0);
    return 0;
}

LRESULT ToolbarWindow::OnDropDown(WPARAM, LPARAM lParam) {
    const auto* info = reinterpret_cast<const NMTOOLBARW*>(lParam);
    RECT button{};
    ::SendMessageW(info->hdr.hwndFrom, TB_GETRECT, info->iItem, reinterpret_cast<LPARAM>(&button));
    ::MapWindowPoints(info->hdr.hwndFrom, HWND_DESKTOP, reinterpret_cast<POINT*>(&button), 2);
    menuButton = button;
    return toolbar.ShowToolbarMenu();
}

LRESULT ToolbarWindow::OnCommand(WPARAM wParam, LPARAM) {
    toolbar.OnCommand(static_cast<std::uint32_t>(wParam));
    return 0;
}

LRESULT ToolbarWindow::OnTimer(WPARAM, LPARAM) {
    toolbar.OnFillTimer();
    return 0;
}

std::uint32_t ToolbarWindow::StartTimer(std::uint32_t id, std::uint32_t periodMs) {
    return static_cast<std::uint32_t>(::SetTimer(window, id, periodMs, nullptr));
}

void ToolbarWindow::StopTimer(std::uint32_t timer) { ::KillTimer(window, timer); }

void ToolbarWindow::TrackMenu(const SiteMenu& sites) {
    unique_hmenu menu(::LoadMenuW(ThisModule(), MAKEINTRESOURCEW(IDR_TOOLBAR_MENU)));
    if (!menu) return;
    HMENU popup = ::GetSubMenu(menu.get(), 0);
    if (!popup) return;

    unique_hmenu siteMenu(::CreatePopupMenu());
    if (siteMenu) {
        for (const SiteMenuItem& item : sites) {
            ::AppendMenuW(siteMenu.get(), MF_STRING, item.command, WStr(item.text));
        }
        const std::u16string caption(kSitesMenuText);
        if (::InsertMenuW(popup, ID_EXPORT, MF_BYCOMMAND | MF_POPUP | MF_STRING,
                          reinterpret_cast<UINT_PTR>(siteMenu.get()), WStr(caption))) {
            (void)siteMenu.release();  // now part of the menu, destroyed with it
        }
    }

    TPMPARAMS avoid{sizeof(TPMPARAMS), menuButton};
    ::TrackPopupMenuEx(popup, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_LEFTBUTTON | TPM_VERTICAL, menuButton.left,
                       menuButton.bottom, window, &avoid);
}

void ToolbarWindow::OpenWebPage(std::u16string_view url) {
    const std::u16string address(url);
    ::ShellExecuteW(nullptr, L"open", WStr(address), nullptr, nullptr, SW_SHOWNORMAL);
}

// --- the reflector ------------------------------------------------------------------------

ToolbarReflector::~ToolbarReflector() {
    if (window) ::DestroyWindow(window);
}

bool ToolbarReflector::Create(HWND parent) {
    if (!RegisterWindowClasses(&ToolbarWindow::WindowProc, &ToolbarReflector::WindowProc)) return false;
    RECT area{};
    ::GetClientRect(parent, &area);
    ::CreateWindowExW(0, kReflectorClass, nullptr, WS_CHILD, area.left, area.top, area.right - area.left,
                      area.bottom - area.top, parent, nullptr, ThisModule(), this);
    return window && toolbar.Handle();
}

LRESULT CALLBACK ToolbarReflector::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    ToolbarReflector* self = ObjectOf<ToolbarReflector>(hwnd, message, lParam);
    if (!self) return ::DefWindowProcW(hwnd, message, wParam, lParam);
    switch (message) {
        case WM_NCCREATE:
            self->window = hwnd;
            break;
        case WM_NCDESTROY:
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            self->window = nullptr;
            break;
        case WM_CREATE: {
            RECT area{};
            ::GetClientRect(hwnd, &area);
            self->toolbar.Create(hwnd, area);
            return 0;
        }
        default: {
            LRESULT result = 0;
            if (self->toolbar.Route(message, wParam, lParam, result)) return result;
        }
    }
    return ::DefWindowProcW(hwnd, message, wParam, lParam);
}

}  // namespace keyvale::win
