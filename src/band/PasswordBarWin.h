// PasswordBar: the COM object the browser creates as a toolbar band. It answers the band
// interfaces, makes the band's windows when it is sited, and hands the browser of its
// site to the toolbar.
#pragma once

#include "band/BandIdentifiers.h"
#include "band/PasswordToolbarWin.h"
#include "win/WinModule.h"
#include "win/WinRaii.h"

#include <ocidl.h>
#include <shlobj.h>

#include <atomic>

namespace keyvale::win {

class PasswordBar final : public IDeskBand, public IObjectWithSite, public IPasswordBar {
public:
    // Creates an object, aggregated when `outer` is given (then `riid` must be IUnknown),
    // and answers `riid` from it.
    static HRESULT Create(IUnknown* outer, REFIID riid, void** out);

    // IUnknown: delegates to the controlling unknown.
    STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
    STDMETHODIMP_(ULONG) AddRef() override;
    STDMETHODIMP_(ULONG) Release() override;

    // IOleWindow
    STDMETHODIMP GetWindow(HWND* window) override;
    STDMETHODIMP ContextSensitiveHelp(BOOL enterMode) override;
    // IDockingWindow
    STDMETHODIMP ShowDW(BOOL show) override;
    STDMETHODIMP CloseDW(DWORD reserved) override;
    STDMETHODIMP ResizeBorderDW(LPCRECT border, IUnknown* site, BOOL reserved) override;
    // IDeskBand
    STDMETHODIMP GetBandInfo(DWORD bandId, DWORD viewMode, DESKBANDINFO* info) override;
    // IObjectWithSite
    STDMETHODIMP SetSite(IUnknown* site) override;
    STDMETHODIMP GetSite(REFIID riid, void** site) override;
    // IDispatch, answered from the server's type library
    STDMETHODIMP GetTypeInfoCount(UINT* count) override;
    STDMETHODIMP GetTypeInfo(UINT index, LCID locale, ITypeInfo** info) override;
    STDMETHODIMP GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID locale, DISPID* ids) override;
    STDMETHODIMP Invoke(DISPID member, REFIID riid, LCID locale, WORD flags, DISPPARAMS* params,
                        VARIANT* result, EXCEPINFO* exception, UINT* argumentError) override;

private:
    // The object's own IUnknown, which an aggregating outer object holds.
    class Inner final : public IUnknown {
    public:
        explicit Inner(PasswordBar& bar) : bar(bar) {}
        STDMETHODIMP QueryInterface(REFIID riid, void** out) override;
        STDMETHODIMP_(ULONG) AddRef() override;
        STDMETHODIMP_(ULONG) Release() override;

    private:
        PasswordBar& bar;
    };

    explicit PasswordBar(IUnknown* outer);
    ~PasswordBar();
    HRESULT LoadTypeInfo();

    ModuleReference moduleReference;
    std::atomic<ULONG> referenceCount{1};
    Inner inner{*this};
    IUnknown* controllingUnknown;
    HWND parentWindow = nullptr;
    ToolbarReflector reflector;
    com_ptr<IInputObjectSite> inputSite;
    com_ptr<ITypeInfo> typeInfo;
};

}  // namespace keyvale::win
