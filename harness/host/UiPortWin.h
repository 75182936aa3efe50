// How the scenario thread acts on a browser window's user-interface thread: run a function
// there and wait for it, or wait until everything posted there so far has been dispatched.
// Both work while that thread runs a modal loop (an open menu, a dialog), because such
// loops still deliver sent and posted messages.
#pragma once

#include "win/WinRaii.h"

#include <functional>
#include <map>

namespace keyvale::harness {

class UiPort {
public:
    // Made on the user-interface thread it serves.
    UiPort();
    ~UiPort();
    UiPort(const UiPort&) = delete;
    UiPort& operator=(const UiPort&) = delete;

    // From another thread: runs `work` on the port's thread; false when it did not finish
    // within the time.
    bool Run(const std::function<void()>& work, DWORD timeoutMs) const;
    // From another thread: true once the messages posted to the port's thread before this
    // call have been dispatched.
    bool Settle(DWORD timeoutMs) const;
    // On the port's thread: runs `work` there once, after `delayMs`.
    void After(UINT delayMs, std::function<void()> work);

private:
    static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM);

    HWND window = nullptr;
    std::map<UINT_PTR, std::function<void()>> pending;
    UINT_PTR nextTimer = 1;
};

}  // namespace keyvale::harness
