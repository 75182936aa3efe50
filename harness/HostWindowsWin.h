// The stand-in browser's windows: a top-level window holding an address strip and a band
// area (where the toolbar band is shown) above a "Shell DocObject View", and under that the page window
// "Internet Explorer_Server", which shows the current page and records every keyboard
// message it receives.
#pragma once

#include "win/WinRaii.h"

#include <memory>
#include <vector>

namespace keyvale::harness {

struct ModelBrowserState;

struct ReceivedKey {
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
};

// Where the page window sits.
enum class HostLayout {
    Browser,               // top-level window > band area, "Shell DocObject View" > page window
    NoDocumentView,        // top-level window > page window
    TopLevelDocumentView,  // "Shell DocObject View" as the top-level window > page window
};

inline constexpr int kAddressBarHeight = 26;  // the strip above the band that shows the address
inline constexpr int kBandAreaHeight = 28;

class HostWindows {
    struct Token {
        explicit Token() = default;
    };

public:
    // Creates the windows on the calling thread. Only the Browser layout puts the page window
    // where a browser has it; the others are for tests that it is not found elsewhere. Null on
    // failure.
    static std::unique_ptr<HostWindows> Create(HostLayout layout = HostLayout::Browser);
    explicit HostWindows(Token) {}
    ~HostWindows();
    HostWindows(const HostWindows&) = delete;
    HostWindows& operator=(const HostWindows&) = delete;

    HWND TopLevel() const { return top_.get(); }
    HWND BandArea() const { return bandArea_; }
    HWND ShellView() const { return view_; }
    HWND PageWindow() const { return page_; }

    // The page window paints the current document of `state` (none: a blank page).
    void ShowPages(const ModelBrowserState* state);
    void Repaint();

    // The keyboard messages (WM_KEYFIRST to WM_KEYLAST) the page window received, in order.
    const std::vector<ReceivedKey>& ReceivedKeys() const { return keys_; }
    void ClearKeys() { keys_.clear(); }

private:
    static LRESULT CALLBACK PageWindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam);
    static LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void PaintPage(HDC dc) const;
    void PaintAddress(HDC dc) const;

    win::unique_hwnd top_;  // owns the child windows too
    HWND bandArea_ = nullptr;
    HWND view_ = nullptr;
    HWND page_ = nullptr;
    const ModelBrowserState* state_ = nullptr;
    std::vector<ReceivedKey> keys_;
};

}  // namespace keyvale::harness
