// Entry points of the band server keyvale.dll: the module, its class object table and the
// class factory of PasswordBar.
#include "band/PasswordBarWin.h"
#include "band/PasswordToolbarWin.h"
#include "win/WinModule.h"

namespace keyvale::win {
namespace {

using CreateFunction = HRESULT (*)(IUnknown* outer, REFIID riid, void** out);

class ClassFactory final : public IClassFactory {
public:
    explicit constexpr ClassFactory(CreateFunction create) : create(create) {}

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
        *out = static_cast<IClassFactory*>(this);
        AddRef();
        return S_OK;
    }
    // The factories live as long as the module; references to them lock the server.
    STDMETHODIMP_(ULONG) AddRef() override { return static_cast<ULONG>(++ModuleCount()); }
    STDMETHODIMP_(ULONG) Release() override { return static_cast<ULONG>(--ModuleCount()); }

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override {
        return create(outer, riid, out);
    }
    STDMETHODIMP LockServer(BOOL lock) override {
        if (lock) {
            ++ModuleCount();
        } else {
            --ModuleCount();
        }
        return S_OK;
    }

private:
    CreateFunction create;
};

ClassFactory g_passwordBarFactory(&PasswordBar::Create);

struct ClassObject {
    const CLSID* clsid;
    ClassFactory* factory;
};
const ClassObject kClassObjects[] = {
    {&kClsidPasswordBar, &g_passwordBarFactory},
};

}  // namespace
}  // namespace keyvale::win

using namespace keyvale::win;

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) {
        ::DisableThreadLibraryCalls(instance);
    } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
        // Unloaded while the process goes on: a later load must find the classes free.
        UnregisterBandWindowClasses();
    }
    return TRUE;
}

STDAPI DllGetClassObject(REFCLSID clsid, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    for (const ClassObject& entry : kClassObjects) {
        if (*entry.clsid == clsid) return entry.factory->QueryInterface(riid, out);
    }
    return CLASS_E_CLASSNOTAVAILABLE;
}

STDAPI DllCanUnloadNow() { return ModuleCount() == 0 ? S_OK : S_FALSE; }
