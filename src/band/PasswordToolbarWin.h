// The band's two windows: the hidden ToolbarReflector, parent of the toolbar control, and
// the toolbar window itself (window class "KVPASSWORDTOOLBAR", a superclass of the common
// toolbar control). Both pass their messages through one routing table into
// PasswordToolbar.
#pragma once

#include "band/PasswordToolbar.h"
#include "win/WinRaii.h"

namespace keyvale::win {

class ToolbarWindow final : private ToolbarUi {
public:
    ToolbarWindow();
    ~ToolbarWindow() override;
    ToolbarWindow(const ToolbarWindow&) = delete;
    ToolbarWindow& operator=(const ToolbarWindow&) = delete;

    // Creates the toolbar window as a child of `parent` on `area`; null on failure.
    HWND Create(HWND parent, const RECT& area);
    HWND Handle() const { return window; }
    PasswordToolbar& Toolbar() { return toolbar; }

    // The routing of the band's messages; false when the message is not the band's, so
    // the window that received it handles it by default.
    bool Route(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);

private:
    // ToolbarUi.
    std::uint32_t StartTimer(std::uint32_t id, std::uint32_t periodMs) override;
    void StopTimer(std::uint32_t timer) override;
    void TrackMenu(const SiteMenu& sites) override;
    void OpenWebPage(std::u16string_view url) override;

    LRESULT SetUpToolbar(WPARAM, LPARAM);
    LRESULT AlignButton(WPARAM, LPARAM);
    LRESULT OnDropDown(WPARAM, LPARAM);
    LRESULT OnCommand(WPARAM, LPARAM);
    LRESULT OnTimer(WPARAM, LPARAM);

    struct MessageRoute {
        UINT message;
        bool byCode;  // WM_NOTIFY routes by notification code
        int code;
        LRESULT (ToolbarWindow::*handler)(WPARAM, LPARAM);
    };
    static const MessageRoute kRoutes[];

    HWND window = nullptr;
    unique_himagelist imageList;
    PasswordToolbar toolbar;
    RECT menuButton{};  // screen rectangle of the button whose arrow opened the menu
};

class ToolbarReflector {
public:
    ToolbarReflector() = default;
    ~ToolbarReflector();
    ToolbarReflector(const ToolbarReflector&) = delete;
    ToolbarReflector& operator=(const ToolbarReflector&) = delete;

    // Creates the hidden reflector on the parent's whole client area and, inside it, the
    // toolbar window. False when either window could not be made.
    bool Create(HWND parent);
    HWND Handle() const { return window; }
    ToolbarWindow& Toolbar() { return toolbar; }

    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);

private:
    HWND window = nullptr;
    ToolbarWindow toolbar;
};

// Undoes the registration of both window classes when the server unloads, so a later load
// at another address registers them afresh.
void UnregisterBandWindowClasses();

}  // namespace keyvale::win
