// The log on Windows: beside the module (DLL or program) that holds this code, found from
// an address inside it, opened with _wfopen in text mode so lines end in CR LF.
#include "win/WinPrelude.h"

#include "diag/Log.h"

#include <cwchar>

namespace keyvale {

namespace {

// Any address inside our own module names the module.
const char g_moduleAnchor = 0;

class WinLogHost final : public LogHost {
public:
    std::optional<std::u16string> ModuleFileName() override {
        HMODULE module = nullptr;
        if (!::GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS |
                                      GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                                  reinterpret_cast<LPCWSTR>(&g_moduleAnchor), &module)) {
            return std::nullopt;
        }
        std::wstring path(MAX_PATH, L'\0');
        for (;;) {
            const DWORD length = ::GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
            if (length == 0) return std::nullopt;
            if (length < path.size()) return win::U16(path.data(), length);
            if (path.size() >= 32768) return std::nullopt;
            path.resize(path.size() * 2);
        }
    }

    std::FILE* OpenEmptied(const std::u16string& path) override {
        return ::_wfopen(win::WStr(path), L"w+");
    }
};

}  // namespace

LogHost& PlatformLogHost() {
    static WinLogHost host;
    return host;
}

}  // namespace keyvale
