// IEHelper, the browser helper object: the browser creates one for every window it opens
// and sites it there; being sited, it asks the window to show the band.
#pragma once

#include "helper/HelperPrelude.h"
#include "helper/Identifiers.h"

#include <ocidl.h>

#include <atomic>

namespace navlatch {

// Two interface tables: IObjectWithSite (the primary one) and the dual IIEHelper, which
// also answers IDispatch. The object keeps no site and no state beyond its count; when
// aggregated its IUnknown calls go to the outer object, and the outer one holds the inner
// IUnknown below.
class IEHelper final : public IObjectWithSite, public IIEHelper {
public:
    // The class factory's creator.
    static HRESULT Create(IUnknown* outer, REFIID riid, void** out);

    // IUnknown, delegating to the controlling object.
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID riid, void** out) override;

    // IDispatch, answered from the helper's type library.
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID lcid, ITypeInfo** out) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID lcid,
                               DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID id, REFIID riid, LCID lcid, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argError) override;

private:
    // The object's own IUnknown: counts its references and answers its interfaces.
    class Inner final : public IUnknown {
    public:
        explicit Inner(IEHelper& owner) noexcept : owner_(owner) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;

    private:
        IEHelper& owner_;
        std::atomic<ULONG> refs_{1};
    };

    explicit IEHelper(IUnknown* outer) noexcept;
    ~IEHelper();
    bool Aggregated() const noexcept { return outer_ != &inner_; }

    Inner inner_;
    IUnknown* outer_;  // the controlling object: the aggregating one, or inner_
};

}  // namespace navlatch
