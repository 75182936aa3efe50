// The DLL's entry points for COM and the loader: DllMain, DllGetClassObject and
// DllCanUnloadNow. Registration lives in Registration.cpp.
#include "helper/Module.h"

#include "helper/ClassFactory.h"
#include "helper/IEHelper.h"
#include "helper/Identifiers.h"
#include "helper/ShellGuard.h"

#include <atomic>

namespace navlatch {
namespace {

std::atomic<HMODULE> moduleHandle{nullptr};
std::atomic<long> moduleCount{0};

struct ClassEntry {
    const CLSID* clsid;
    ClassFactory::Creator create;
};

// Every class the DLL serves; DllGetClassObject refuses anything else.
constexpr ClassEntry kClasses[] = {
    {&CLSID_IEHelper, &IEHelper::Create},
};

}  // namespace

HMODULE ModuleHandle() noexcept { return moduleHandle.load(); }
void ModuleAddRef() noexcept { ++moduleCount; }
void ModuleRelease() noexcept { --moduleCount; }

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD size = static_cast<DWORD>(path.size());
        const DWORD n = ::GetModuleFileNameW(ModuleHandle(), path.data(), size);
        if (n == 0) return {};
        if (n < size) {
            path.resize(n);
            return path;
        }
        if (size >= 32768) return {};  // longer than any path the system accepts
        path.resize(size * 2);
    }
}

}  // namespace navlatch

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
    switch (reason) {
    case DLL_PROCESS_ATTACH:
        // The shell's folder windows load browser helpers too; they do not get the band.
        if (navlatch::IsShellProcess()) return FALSE;
        navlatch::moduleHandle = instance;
        ::DisableThreadLibraryCalls(instance);
        return TRUE;
    case DLL_PROCESS_DETACH:
        navlatch::moduleHandle = nullptr;
        return TRUE;
    default:
        return TRUE;
    }
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (const auto& entry : navlatch::kClasses) {
        if (clsid == *entry.clsid) return navlatch::ClassFactory::Create(entry.create, riid, out);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return navlatch::moduleCount.load() == 0 ? S_OK : S_FALSE; }
