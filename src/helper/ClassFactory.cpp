#include "helper/ClassFactory.h"

#include "helper/Module.h"

#include <new>

namespace navlatch {

ClassFactory::ClassFactory(Creator creator) noexcept : creator_(creator) { ModuleAddRef(); }

ClassFactory::~ClassFactory() { ModuleRelease(); }

HRESULT ClassFactory::Create(Creator creator, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    auto* factory = new (std::nothrow) ClassFactory(creator);
    if (!factory) return E_OUTOFMEMORY;
    const HRESULT hr = factory->QueryInterface(riid, out);
    factory->Release();
    return hr;
}

STDMETHODIMP ClassFactory::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid != IID_IUnknown && riid != IID_IClassFactory) return E_NOINTERFACE;
    *out = static_cast<IClassFactory*>(this);
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) ClassFactory::AddRef() { return ++refs_; }

STDMETHODIMP_(ULONG) ClassFactory::Release() {
    const ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP ClassFactory::CreateInstance(IUnknown* outer, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    // An aggregating outer object must ask for the inner object's own IUnknown.
    if (outer && riid != IID_IUnknown) return CLASS_E_NOAGGREGATION;
    return creator_(outer, riid, out);
}

STDMETHODIMP ClassFactory::LockServer(BOOL lock) {
    if (lock) {
        ModuleAddRef();
    } else {
        ModuleRelease();
    }
    return S_OK;
}

}  // namespace navlatch
