// The counted-reference half of IUnknown for the stand-in browser's COM objects. An object
// starts with one reference, its creator's, and deletes itself at the last Release.
#pragma once

#include "win/WinPrelude.h"

#include <objbase.h>

#include <atomic>

namespace keyvale::harness {

// The number of these objects alive in the process, so tests can see that every reference
// handed out was released.
inline std::atomic<long> liveComObjects{0};

template <typename... Interfaces>
class ComObject : public Interfaces... {
public:
    STDMETHODIMP_(ULONG) AddRef() override { return ++refs_; }
    STDMETHODIMP_(ULONG) Release() override {
        const ULONG left = --refs_;
        if (left == 0) delete this;
        return left;
    }

protected:
    ComObject() { ++liveComObjects; }
    virtual ~ComObject() { --liveComObjects; }

    // Hands out `object` with a new reference.
    template <typename Interface>
    static HRESULT Answer(Interface* object, void** out) {
        *out = object;
        object->AddRef();
        return S_OK;
    }

private:
    ULONG refs_ = 1;
};

}  // namespace keyvale::harness
