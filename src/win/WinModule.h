// The module that holds the running code and the count of objects and locks that keep a
// COM server loaded.
#pragma once

#include "win/WinPrelude.h"

#include <atomic>

namespace keyvale::win {

// The DLL (or program) this code was linked into, found from an address inside it.
inline HMODULE ThisModule() {
    static const HMODULE module = [] {
        HMODULE found = nullptr;
        ::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                 GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                             reinterpret_cast<LPCWSTR>(&ThisModule), &found);
        return found;
    }();
    return module;
}

// An exported function of a loaded module, typed; null when it is not there.
template <typename Function>
Function ProcAddress(HMODULE module, const char* name) {
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name)));
}

// Live objects and server locks; the server can unload when it is 0.
inline std::atomic<long>& ModuleCount() {
    static std::atomic<long> count{0};
    return count;
}

// Counts one object of the server for as long as it lives.
class ModuleReference {
public:
    ModuleReference() noexcept { ++ModuleCount(); }
    ModuleReference(const ModuleReference&) = delete;
    ModuleReference& operator=(const ModuleReference&) = delete;
    ~ModuleReference() { --ModuleCount(); }
};

}  // namespace keyvale::win
