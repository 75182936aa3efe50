#include "UiPortWin.h"

namespace keyvale::harness {
namespace {

constexpr wchar_t kPortClass[] = L"LumoraHostPort";
constexpr UINT kRunMessage = WM_APP + 1;
constexpr UINT kMarkMessage = WM_APP + 2;

}  // namespace

UiPort::UiPort() {
    WNDCLASSEXW wc{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = &UiPort::WindowProc;
    wc.hInstance = ::GetModuleHandleW(nullptr);
    wc.lpszClassName = kPortClass;
    ::RegisterClassExW(&wc);  // once per process; later calls find it registered
    window = ::CreateWindowExW(0, kPortClass, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, wc.hInstance, this);
}

UiPort::~UiPort() {
    if (window) ::DestroyWindow(window);
}

LRESULT CALLBACK UiPort::WindowProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        ::SetWindowLongPtrW(hwnd, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<UiPort*>(::GetWindowLongPtrW(hwnd, GWLP_USERDATA));
    switch (message) {
        case WM_TIMER: {
            ::KillTimer(hwnd, wParam);
            if (!self) return 0;
            const auto found = self->pending.find(wParam);
            if (found == self->pending.end()) return 0;
            const std::function<void()> work = std::move(found->second);
            self->pending.erase(found);
            work();
            return 0;
        }
        case WM_NCDESTROY:
            ::SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
            return ::DefWindowProcW(hwnd, message, wParam, lParam);
        case kRunMessage:
            (*reinterpret_cast<const std::function<void()>*>(lParam))();
            return 1;
        case kMarkMessage:
            ::SetEvent(reinterpret_cast<HANDLE>(lParam));
            return 0;
        default:
            return ::DefWindowProcW(hwnd, message, wParam, lParam);
    }
}

bool UiPort::Run(const std::function<void()>& work, DWORD timeoutMs) const {
    DWORD_PTR result = 0;
    return ::SendMessageTimeoutW(window, kRunMessage, 0, reinterpret_cast<LPARAM>(&work), SMTO_NORMAL, timeoutMs,
                                 &result) != 0 &&
           result == 1;
}

void UiPort::After(UINT delayMs, std::function<void()> work) {
    const UINT_PTR id = nextTimer++;
    pending.emplace(id, std::move(work));
    ::SetTimer(window, id, delayMs, nullptr);
}

bool UiPort::Settle(DWORD timeoutMs) const {
    keyvale::win::unique_handle done(::CreateEventW(nullptr, TRUE, FALSE, nullptr));
    if (!done || !::PostMessageW(window, kMarkMessage, 0, reinterpret_cast<LPARAM>(done.get()))) return false;
    if (::WaitForSingleObject(done.get(), timeoutMs) == WAIT_OBJECT_0) return true;
    // The mark may still be delivered later: keep the event alive for it.
    (void)done.release();
    return false;
}

}  // namespace keyvale::harness
