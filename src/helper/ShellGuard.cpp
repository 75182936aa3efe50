#include "helper/ShellGuard.h"

#include "helper/HelperPrelude.h"

#include <mbstring.h>

namespace navlatch {

bool IsShellProcess() noexcept {
    unsigned char path[260] = {};
    const DWORD n = ::GetModuleFileNameA(nullptr, reinterpret_cast<char*>(path), sizeof path);
    // A name that fills the buffer may come back without its terminator.
    path[sizeof path - 1] = '\0';
    if (n == 0) return false;
    _mbslwr_s(path, sizeof path);
    return _mbsstr(path, reinterpret_cast<const unsigned char*>("explorer.exe")) != nullptr;
}

}  // namespace navlatch
