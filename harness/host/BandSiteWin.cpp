#include "BandSiteWin.h"

#include <exdisp.h>
#include <shlguid.h>

#include <new>

namespace keyvale::harness {

com_ptr<BandSite> BandSite::Create(HWND bandArea, IUnknown* browser, SiteAnswers answers) {
    return com_ptr<BandSite>::attach(new (std::nothrow) BandSite(bandArea, browser, answers));
}

BandSite::BandSite(HWND bandArea, IUnknown* browser, SiteAnswers answers)
    : area(bandArea), browser(browser), answers(answers) {}

HRESULT BandSite::Host(IUnknown* newBand) {
    com_ptr<IObjectWithSite> withSite;
    KV_RETURN_IF_FAILED(newBand->QueryInterface(IID_IObjectWithSite, withSite.put_void()));
    KV_RETURN_IF_FAILED(withSite->SetSite(static_cast<IOleWindow*>(this)));
    band = com_ptr<IUnknown>(newBand);

    com_ptr<IDeskBand> deskBand;
    KV_RETURN_IF_FAILED(newBand->QueryInterface(IID_IDeskBand, deskBand.put_void()));
    KV_RETURN_IF_FAILED(deskBand->GetWindow(&bandWindow));
    if (!bandWindow) return E_FAIL;
    DESKBANDINFO info{};
    info.dwMask = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE | DBIM_MODEFLAGS |
                  DBIM_BKCOLOR;
    KV_RETURN_IF_FAILED(deskBand->GetBandInfo(0, DBIF_VIEWMODE_NORMAL, &info));
    // As a rebar does: the band's window becomes a child of the band area.
    ::SetParent(bandWindow, area);
    Layout();
    return deskBand->ShowDW(TRUE);
}

void BandSite::Unhost() {
    if (!band) return;
    com_ptr<IDockingWindow> docking;
    if (SUCCEEDED(band->QueryInterface(IID_IDockingWindow, docking.put_void()))) docking->CloseDW(0);
    com_ptr<IObjectWithSite> withSite;
    if (SUCCEEDED(band->QueryInterface(IID_IObjectWithSite, withSite.put_void()))) withSite->SetSite(nullptr);
    band.reset();
    bandWindow = nullptr;
}

void BandSite::Layout() {
    if (!bandWindow || !::IsWindow(bandWindow)) return;
    RECT client{};
    ::GetClientRect(area, &client);
    ::MoveWindow(bandWindow, 0, 0, client.right, client.bottom, TRUE);
}

STDMETHODIMP BandSite::QueryInterface(REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (riid == IID_IUnknown || (answers.oleWindow && riid == IID_IOleWindow)) {
        *out = static_cast<IOleWindow*>(this);
    } else if (answers.inputObjectSite && riid == IID_IInputObjectSite) {
        *out = static_cast<IInputObjectSite*>(this);
    } else if (answers.commandTarget && riid == IID_IOleCommandTarget) {
        *out = static_cast<IOleCommandTarget*>(this);
    } else if (answers.serviceProvider && riid == IID_IServiceProvider) {
        *out = static_cast<IServiceProvider*>(this);
    } else {
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

STDMETHODIMP_(ULONG) BandSite::AddRef() { return ++references; }

STDMETHODIMP_(ULONG) BandSite::Release() {
    const ULONG left = --references;
    if (left == 0) delete this;
    return left;
}

STDMETHODIMP BandSite::GetWindow(HWND* window) {
    if (!window) return E_INVALIDARG;
    *window = area;
    return S_OK;
}

STDMETHODIMP BandSite::ContextSensitiveHelp(BOOL) { return E_NOTIMPL; }

STDMETHODIMP BandSite::OnFocusChangeIS(IUnknown*, BOOL) { return S_OK; }

STDMETHODIMP BandSite::QueryStatus(const GUID*, ULONG, OLECMD[], OLECMDTEXT*) { return OLECMDERR_E_UNKNOWNGROUP; }

STDMETHODIMP BandSite::Exec(const GUID*, DWORD, DWORD, VARIANT*, VARIANT*) { return OLECMDERR_E_UNKNOWNGROUP; }

STDMETHODIMP BandSite::QueryService(REFGUID service, REFIID riid, void** out) {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (service != SID_SWebBrowserApp || !browser) return E_NOINTERFACE;
    return browser->QueryInterface(riid, out);
}

}  // namespace keyvale::harness
