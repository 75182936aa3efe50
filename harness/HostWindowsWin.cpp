#include "harness/HostWindowsWin.h"

#include "harness/PageModel.h"
#include "store/StoreSchema.h"

#include <string>

namespace keyvale::harness {
namespace {

constexpr wchar_t kFrameClass[] = L"LumoraHostFrame";
constexpr wchar_t kBandAreaClass[] = L"LumoraHostBandArea";
constexpr wchar_t kViewClass[] = L"Shell DocObject View";
constexpr wchar_t kPageClass[] = L"Internet Explorer_Server";

// Every child of a container fills it, but the frame's band area keeps its height at the top,
// below the address strip.
void LayOutChildren(HWND parent, int top) {
    RECT client{};
    ::GetClientRect(parent, &client);
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[64] = {};
        ::GetClassNameW(child, name, 64);
        if (std::wstring(name) == kBandAreaClass) {
            ::MoveWindow(child, 0, top, client.right, kBandAreaHeight, TRUE);
            top += kBandAreaHeight;
        }
    }
    for (HWND child = ::GetWindow(parent, GW_CHILD); child; child = ::GetWindow(child, GW_HWNDNEXT)) {
        wchar_t name[64] = {};
        ::GetClassNameW(child, name, 64);
        if (std::wstring(name) != kBandAreaClass) ::MoveWindow(child, 0, top, client.right, client.bottom - top, TRUE);
    }
}

LRESULT CALLBACK ContainerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SIZE) {
        LayOutChildren(window, 0);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

bool RegisterWindowClass(const wchar_t* name, WNDPROC procedure, int background = COLOR_WINDOW) {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW existing{};
    existing.cbSize = sizeof(existing);
    if (::GetClassInfoExW(instance, name, &existing)) return true;
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof(wc);
    wc.lpfnWndProc = procedure;
    wc.hInstance = instance;
    wc.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = reinterpret_cast<HBRUSH>(static_cast<INT_PTR>(background + 1));
    wc.lpszClassName = name;
    return ::RegisterClassExW(&wc) != 0 || ::GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

std::wstring Wide(const std::u16string& text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

LRESULT CALLBACK HostWindows::PageWindowProc(HWND window, UINT message, WPARAM wParam,
                                             LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<HostWindows*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    } else if (self && message >= WM_KEYFIRST && message <= WM_KEYLAST) {
        self->keys_.push_back(ReceivedKey{message, wParam, lParam});
        ::InvalidateRect(window, nullptr, TRUE);
        return 0;
    } else if (self && message == WM_PAINT) {
        PAINTSTRUCT paint{};
        HDC dc = ::BeginPaint(window, &paint);
        self->PaintPage(dc);
        ::EndPaint(window, &paint);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT CALLBACK HostWindows::FrameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<HostWindows*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
        case WM_NCDESTROY:
            ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            break;
        case WM_SIZE:
            LayOutChildren(window, self && self->bandArea_ ? kAddressBarHeight : 0);
            return 0;
        case WM_PAINT:
            if (self) {
                PAINTSTRUCT paint{};
                HDC dc = ::BeginPaint(window, &paint);
                self->PaintAddress(dc);
                ::EndPaint(window, &paint);
                return 0;
            }
            break;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

// The address strip: the address of the page shown, or of the page being loaded.
void HostWindows::PaintAddress(HDC dc) const {
    RECT client{};
    ::GetClientRect(top_.get(), &client);
    RECT strip{0, 0, client.right, kAddressBarHeight};
    ::FillRect(dc, &strip, ::GetSysColorBrush(COLOR_BTNFACE));
    RECT box{6, 3, client.right - 6, kAddressBarHeight - 3};
    ::FillRect(dc, &box, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    ::FrameRect(dc, &box, ::GetSysColorBrush(COLOR_BTNSHADOW));
    std::wstring address;
    if (state_) {
        if (state_->readyState != 4 && !state_->navigations.empty()) address = L"(loading) ";
        if (state_->current) address += Wide(state_->current->url);
    }
    HGDIOBJ oldFont = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));
    ::SetBkMode(dc, TRANSPARENT);
    ::SetTextColor(dc, RGB(0, 0, 0));
    RECT text{box.left + 6, box.top, box.right - 6, box.bottom};
    ::DrawTextW(dc, address.c_str(), static_cast<int>(address.size()), &text, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS);
    ::SelectObject(dc, oldFont);
}

// The page as a simple form: its title and address, then a label and a box for each field
// a user sees, frames drawn in place as indented boxes.
void HostWindows::PaintPage(HDC dc) const {
    RECT client{};
    ::GetClientRect(page_, &client);
    ::FillRect(dc, &client, static_cast<HBRUSH>(::GetStockObject(WHITE_BRUSH)));
    if (!state_ || !state_->current) return;
    ::SetBkMode(dc, TRANSPARENT);
    HGDIOBJ oldFont = ::SelectObject(dc, ::GetStockObject(DEFAULT_GUI_FONT));

    int y = 12;
    auto paintDocument = [&](auto& self, const ModelDocument& document, int x, int depth) -> void {
        const std::wstring title = Wide(document.title.empty() ? document.url : document.title);
        ::SetTextColor(dc, RGB(0, 0, 0));
        ::TextOutW(dc, x, y, title.c_str(), static_cast<int>(title.size()));
        y += 18;
        const std::wstring address = Wide(document.url);
        ::SetTextColor(dc, RGB(96, 96, 96));
        ::TextOutW(dc, x, y, address.c_str(), static_cast<int>(address.size()));
        y += 26;
        std::size_t frame = 0;
        for (const ModelElement& element : document.elements) {
            if (SameTextIgnoringCase(element.tagName, u"frame") || SameTextIgnoringCase(element.tagName, u"iframe")) {
                if (frame < document.frames.size() && document.frames[frame].document && depth < 3) {
                    const int top = y;
                    y += 8;
                    self(self, *document.frames[frame].document, x + 16, depth + 1);
                    RECT box{x, top, x + 460 - depth * 16, y};
                    ::FrameRect(dc, &box, static_cast<HBRUSH>(::GetStockObject(GRAY_BRUSH)));
                    y += 10;
                }
                ++frame;
                continue;
            }
            const bool password = SameTextIgnoringCase(element.type, u"password");
            if (!element.IsInput() || SameTextIgnoringCase(element.type, u"hidden")) continue;
            if (SameTextIgnoringCase(element.type, u"submit") || SameTextIgnoringCase(element.type, u"button")) {
                RECT button{x + 120, y, x + 220, y + 24};
                ::DrawFrameControl(dc, &button, DFC_BUTTON, DFCS_BUTTONPUSH);
                const std::wstring caption = Wide(element.value);
                ::SetTextColor(dc, RGB(0, 0, 0));
                ::DrawTextW(dc, caption.c_str(), static_cast<int>(caption.size()), &button,
                            DT_SINGLELINE | DT_CENTER | DT_VCENTER);
                y += 32;
                continue;
            }
            const std::wstring label = Wide(element.name.value_or(u"(no name)"));
            ::SetTextColor(dc, RGB(0, 0, 0));
            ::TextOutW(dc, x + 8, y + 4, label.c_str(), static_cast<int>(label.size()));
            RECT box{x + 120, y, x + 420 - depth * 16, y + 22};
            ::Rectangle(dc, box.left, box.top, box.right, box.bottom);
            std::wstring shown = password ? std::wstring(element.value.size(), L'*') : Wide(element.value);
            if (element.selected) ::SetTextColor(dc, RGB(0, 0, 160));
            ::TextOutW(dc, box.left + 5, box.top + 4, shown.c_str(), static_cast<int>(shown.size()));
            y += 30;
        }
    };
    paintDocument(paintDocument, *state_->current, 16, 0);

    // What the page got from the keyboard, so a submitted form shows.
    if (!keys_.empty()) {
        std::wstring line = L"Keyboard input received:";
        for (const ReceivedKey& key : keys_) {
            const wchar_t* name = key.wParam == VK_TAB ? L"Tab" : key.wParam == VK_RETURN ? L"Enter" : L"key";
            const wchar_t* what = key.message == WM_KEYDOWN ? L" down" : key.message == WM_KEYUP ? L" up" : L" character";
            line += std::wstring(L" ") + name + what + L",";
        }
        line.back() = L'.';
        ::SetTextColor(dc, RGB(0, 110, 0));
        ::TextOutW(dc, 16, y + 12, line.c_str(), static_cast<int>(line.size()));
    }
    ::SelectObject(dc, oldFont);
}

void HostWindows::ShowPages(const ModelBrowserState* state) {
    state_ = state;
    Repaint();
}

void HostWindows::Repaint() {
    if (page_) ::InvalidateRect(page_, nullptr, TRUE);
    if (bandArea_) {
        RECT strip{0, 0, 10000, kAddressBarHeight};
        ::InvalidateRect(top_.get(), &strip, TRUE);
    }
}

std::unique_ptr<HostWindows> HostWindows::Create(HostLayout layout) {
    if (!RegisterWindowClass(kFrameClass, &HostWindows::FrameProc, COLOR_BTNFACE) ||
        !RegisterWindowClass(kBandAreaClass, &ContainerProc, COLOR_BTNFACE) ||
        !RegisterWindowClass(kViewClass, &ContainerProc) ||
        !RegisterWindowClass(kPageClass, &HostWindows::PageWindowProc)) {
        return nullptr;
    }
    auto windows = std::make_unique<HostWindows>(Token());
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    const wchar_t* topClass = layout == HostLayout::TopLevelDocumentView ? kViewClass : kFrameClass;
    // A frame of its own (no caption): the virtual display has no window manager to draw one.
    windows->top_.reset(::CreateWindowExW(0, topClass, L"Lumora host", WS_POPUP | WS_BORDER | WS_CLIPCHILDREN, 0,
                                          0, 800, 600, nullptr, nullptr, instance, windows.get()));
    if (!windows->top_) return nullptr;
    HWND pageParent = windows->top_.get();
    if (layout == HostLayout::Browser) {
        windows->bandArea_ = ::CreateWindowExW(0, kBandAreaClass, nullptr, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN,
                                               0, 0, 800, kBandAreaHeight, pageParent, nullptr, instance, nullptr);
        windows->view_ = ::CreateWindowExW(0, kViewClass, nullptr, WS_CHILD | WS_VISIBLE, 0, 0,
                                           800, 600, pageParent, nullptr, instance, nullptr);
        if (!windows->view_ || !windows->bandArea_) return nullptr;
        pageParent = windows->view_;
    } else if (layout == HostLayout::TopLevelDocumentView) {
        windows->view_ = windows->top_.get();
    }
    windows->page_ = ::CreateWindowExW(0, kPageClass, nullptr, WS_CHILD | WS_VISIBLE, 0, 0, 800,
                                       600, pageParent, nullptr, instance, windows.get());
    if (!windows->page_) return nullptr;
    LayOutChildren(windows->top_.get(), windows->bandArea_ ? kAddressBarHeight : 0);
    if (windows->view_ && windows->view_ != windows->top_.get()) LayOutChildren(windows->view_, 0);
    return windows;
}

HostWindows::~HostWindows() {
    top_.reset();  // before the key record goes
}

}  // namespace keyvale::harness
