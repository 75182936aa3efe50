// The class object COM gets from DllGetClassObject: it creates the objects of one class,
// aggregated or not, and holds server locks.
#pragma once

#include "helper/HelperPrelude.h"

#include <atomic>

namespace navlatch {

class ClassFactory final : public IClassFactory {
public:
    // Creates an object of the class, aggregated when outer is given; riid is then
    // IID_IUnknown (the factory has checked it).
    using Creator = HRESULT (*)(IUnknown* outer, REFIID riid, void** out);

    // A new factory for creator, answered for riid into out.
    static HRESULT Create(Creator creator, REFIID riid, void** out);

    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    STDMETHODIMP CreateInstance(IUnknown* outer, REFIID riid, void** out) override;
    STDMETHODIMP LockServer(BOOL lock) override;

private:
    explicit ClassFactory(Creator creator) noexcept;
    ~ClassFactory();

    std::atomic<ULONG> refs_{1};
    Creator creator_;
};

}  // namespace navlatch
