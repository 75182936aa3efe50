// The band object PasswordBar as its class factory makes it: the interfaces it answers,
// aggregation, IDispatch from the embedded type library, and what it reports about its size.
#include "KeyvaleTestSupport.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace keyvale_test;

namespace {

class BandObject : public KeyvaleTest {};

void* Ask(IUnknown* object, REFIID riid) {
    void* out = kSentinel;
    if (FAILED(object->QueryInterface(riid, &out))) return out;
    static_cast<IUnknown*>(out)->Release();
    return out;
}

TEST_F(BandObject, AnswersItsThreeTablesAndNothingElse) {
    com_ptr<IUnknown> band;
    ASSERT_EQ(S_OK, NewBand(IID_IUnknown, band.put_void()));

    // IUnknown and IPasswordBar are one pointer; the dual interface's IDispatch is it too.
    void* const unknown = Ask(band.get(), IID_IUnknown);
    EXPECT_EQ(static_cast<void*>(band.get()), unknown);
    EXPECT_EQ(unknown, Ask(band.get(), kPasswordBarIid));
    EXPECT_EQ(unknown, Ask(band.get(), IID_IDispatch));
    // The first table answers the window, docking window and band interfaces.
    void* const deskBand = Ask(band.get(), IID_IDeskBand);
    ASSERT_NE(kSentinel, deskBand);
    EXPECT_NE(unknown, deskBand);
    EXPECT_EQ(deskBand, Ask(band.get(), IID_IOleWindow));
    EXPECT_EQ(deskBand, Ask(band.get(), IID_IDockingWindow));
    void* const withSite = Ask(band.get(), IID_IObjectWithSite);
    ASSERT_NE(kSentinel, withSite);
    EXPECT_NE(unknown, withSite);
    EXPECT_NE(deskBand, withSite);

    // Each interface leads back to the same identity and to every other interface.
    for (void* from : {deskBand, withSite}) {
        auto* object = static_cast<IUnknown*>(from);
        EXPECT_EQ(unknown, Ask(object, IID_IUnknown));
        EXPECT_EQ(deskBand, Ask(object, IID_IDeskBand));
        EXPECT_EQ(withSite, Ask(object, IID_IObjectWithSite));
        EXPECT_EQ(unknown, Ask(object, kPasswordBarIid));
    }

    // No keyboard focus, no persistence and nothing else.
    const struct {
        const char* name;
        const IID* iid;
    } refused[] = {
        {"IInputObject", &IID_IInputObject},
        {"IPersist", &IID_IPersist},
        {"IPersistStream", &IID_IPersistStream},
        {"IPersistStreamInit", &IID_IPersistStreamInit},
        {"IDeskBand2", &IID_IDeskBand2},
        {"IOleCommandTarget", &IID_IOleCommandTarget},
        {"IContextMenu", &IID_IContextMenu},
        {"IProvideClassInfo", &IID_IProvideClassInfo},
        {"IClassFactory", &IID_IClassFactory},
        {"IMarshal", &IID_IMarshal},
        {"IOleObject", &IID_IOleObject},
        {"the type library's identifier", &kLibId},
        {"the band's class identifier", &kBandClsid},
    };
    for (const auto& c : refused) ExpectNoInterface(band.get(), *c.iid, c.name);
    EXPECT_EQ(E_POINTER, band->QueryInterface(IID_IUnknown, nullptr));

    // Every reference handed out above was given back.
    EXPECT_EQ(0u, band.detach()->Release());
}

TEST_F(BandObject, FactoryCreatesBandsAndAggregatesOnlyThroughIUnknown) {
    com_ptr<IClassFactory> factory;
    ASSERT_EQ(S_OK, dll_.getClassObject(kBandClsid, IID_IClassFactory, factory.put_void()));

    com_ptr<IDeskBand> band;
    EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDeskBand, band.put_void()));
    EXPECT_TRUE(band);
    ExpectCreateInstanceFails(factory.get(), nullptr, IID_IInputObject, E_NOINTERFACE, "IInputObject");
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IDeskBand, nullptr));

    // An aggregating caller that asks for anything but IUnknown is refused.
    RecordingUnknown outer;
    for (const IID* iid : {&IID_IDeskBand, &IID_IObjectWithSite, &IID_IDispatch, &kPasswordBarIid}) {
        ExpectCreateInstanceFails(factory.get(), &outer, *iid, CLASS_E_NOAGGREGATION, Narrow(GuidText(*iid)));
    }
    EXPECT_EQ(1u, outer.refs);
    EXPECT_TRUE(outer.asked.empty());

    // Aggregated: the inner IUnknown answers for itself, every other interface delegates.
    IUnknown* inner = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)));
    ASSERT_NE(nullptr, inner);
    outer.inner = inner;
    EXPECT_EQ(1u, outer.refs);  // the inner object holds no reference to its outer one

    IDeskBand* deskBand = nullptr;
    ASSERT_EQ(S_OK, inner->QueryInterface(IID_IDeskBand, reinterpret_cast<void**>(&deskBand)));
    EXPECT_EQ(2u, outer.refs);  // the reference handed out is the outer object's
    ExpectDelegatesToOuter(deskBand, outer, IID_IObjectWithSite);
    deskBand->Release();
    EXPECT_EQ(1u, outer.refs);

    ExpectInnerAnswersForItself(inner);
    outer.inner = nullptr;
    EXPECT_EQ(0u, inner->Release());
}

TEST_F(BandObject, DispatchAnswersFromTheEmbeddedTypeLibrary) {
    com_ptr<IDispatch> dispatch;
    ASSERT_EQ(S_OK, NewBand(IID_IDispatch, dispatch.put_void()));

    UINT count = 0;
    EXPECT_EQ(S_OK, dispatch->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);

    com_ptr<ITypeInfo> info;
    ASSERT_EQ(S_OK, dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put()));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
    EXPECT_EQ(kPasswordBarIid, attr->guid);
    EXPECT_EQ(TKIND_DISPATCH, attr->typekind);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL);
    info->ReleaseTypeAttr(attr);
    // Its interface side derives from IDispatch and adds no member.
    HREFTYPE interfaceSide = 0;
    ASSERT_EQ(S_OK, info->GetRefTypeOfImplType(static_cast<UINT>(-1), &interfaceSide));
    com_ptr<ITypeInfo> vtable;
    ASSERT_EQ(S_OK, info->GetRefTypeInfo(interfaceSide, vtable.put()));
    ASSERT_EQ(S_OK, vtable->GetTypeAttr(&attr));
    EXPECT_EQ(TKIND_INTERFACE, attr->typekind);
    EXPECT_EQ(0, attr->cFuncs);
    EXPECT_EQ(1, attr->cImplTypes);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FOLEAUTOMATION);
    vtable->ReleaseTypeAttr(attr);
    HREFTYPE baseRef = 0;
    ASSERT_EQ(S_OK, vtable->GetRefTypeOfImplType(0, &baseRef));
    com_ptr<ITypeInfo> base;
    ASSERT_EQ(S_OK, vtable->GetRefTypeInfo(baseRef, base.put()));
    ASSERT_EQ(S_OK, base->GetTypeAttr(&attr));
    EXPECT_EQ(IID_IDispatch, attr->guid);
    base->ReleaseTypeAttr(attr);
    BSTR name = nullptr, doc = nullptr;
    ASSERT_EQ(S_OK, info->GetDocumentation(MEMBERID_NIL, &name, &doc, nullptr, nullptr));
    keyvale::win::unique_bstr ownName(name), ownDoc(doc);
    EXPECT_STREQ(L"IPasswordBar", name);
    EXPECT_STREQ(L"IPasswordBar Interface", doc);
    // The same description each time, from the library inside the server file.
    com_ptr<ITypeInfo> again;
    ASSERT_EQ(S_OK, dispatch->GetTypeInfo(0, LOCALE_NEUTRAL, again.put()));
    EXPECT_EQ(info.get(), again.get());
    com_ptr<ITypeLib> library;
    UINT index = 0;
    ASSERT_EQ(S_OK, info->GetContainingTypeLib(library.put(), &index));
    TLIBATTR* libAttr = nullptr;
    ASSERT_EQ(S_OK, library->GetLibAttr(&libAttr));
    EXPECT_EQ(kLibId, libAttr->guid);
    library->ReleaseTLibAttr(libAttr);

    ITypeInfo* none = reinterpret_cast<ITypeInfo*>(kSentinel);
    EXPECT_EQ(DISP_E_BADINDEX, dispatch->GetTypeInfo(1, LOCALE_USER_DEFAULT, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(E_POINTER, dispatch->GetTypeInfoCount(nullptr));

    // No members of its own: names and calls are refused as for any member-less interface.
    wchar_t memberName[] = L"Show";
    LPOLESTR names[] = {memberName};
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    EXPECT_EQ(DISPID_UNKNOWN, id);
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE, dispatch->GetIDsOfNames(IID_IUnknown, names, 1, LOCALE_USER_DEFAULT, &id));
    DISPPARAMS noArgs = {};
    VARIANT result;
    ::VariantInit(&result);
    for (DISPID member : {DISPID_VALUE, 1}) {
        EXPECT_EQ(DISP_E_MEMBERNOTFOUND, dispatch->Invoke(member, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                                          &noArgs, &result, nullptr, nullptr))
            << member;
        EXPECT_EQ(VT_EMPTY, result.vt);
    }
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE, dispatch->Invoke(1, IID_IUnknown, LOCALE_USER_DEFAULT, DISPATCH_METHOD,
                                                        &noArgs, nullptr, nullptr, nullptr));
}

// A record whose every byte is 0xA5, so untouched fields show.
DESKBANDINFO Untouched(DWORD mask) {
    DESKBANDINFO info;
    std::memset(&info, 0xA5, sizeof info);
    info.dwMask = mask;
    return info;
}

TEST_F(BandObject, BandInfoFillsOnlyTheAskedPartsAndClearsTheColourBit) {
    com_ptr<IDeskBand> band;
    ASSERT_EQ(S_OK, NewBand(IID_IDeskBand, band.put_void()));

    EXPECT_EQ(S_OK, band->GetBandInfo(0, DBIF_VIEWMODE_NORMAL, nullptr));

    const DESKBANDINFO blank = Untouched(0);
    const auto sameExcept = [&](const DESKBANDINFO& info, std::size_t offset, std::size_t size) {
        // Every byte outside [offset, offset + size) and outside the mask is as it was.
        const auto* now = reinterpret_cast<const unsigned char*>(&info);
        const auto* was = reinterpret_cast<const unsigned char*>(&blank);
        for (std::size_t i = sizeof(DWORD); i < sizeof info; ++i) {
            if (i >= offset && i < offset + size) continue;
            if (now[i] != was[i]) return false;
        }
        return true;
    };

    // One bit at a time: its own field is answered and nothing else changes.
    const struct {
        const char* name;
        DWORD bit;
        std::size_t offset, size;
        void (*check)(const DESKBANDINFO&);
    } rows[] = {
        {"DBIM_MINSIZE", DBIM_MINSIZE, offsetof(DESKBANDINFO, ptMinSize), sizeof(POINTL),
         [](const DESKBANDINFO& i) {
             EXPECT_EQ(80, i.ptMinSize.x);
             EXPECT_EQ(22, i.ptMinSize.y);
         }},
        {"DBIM_MAXSIZE", DBIM_MAXSIZE, offsetof(DESKBANDINFO, ptMaxSize), sizeof(POINTL),
         [](const DESKBANDINFO& i) {
             EXPECT_EQ(0, i.ptMaxSize.x);
             EXPECT_EQ(-1, i.ptMaxSize.y);
         }},
        {"DBIM_INTEGRAL", DBIM_INTEGRAL, offsetof(DESKBANDINFO, ptIntegral), sizeof(POINTL),
         [](const DESKBANDINFO& i) {
             EXPECT_EQ(0, i.ptIntegral.x);
             EXPECT_EQ(0, i.ptIntegral.y);
         }},
        {"DBIM_ACTUAL", DBIM_ACTUAL, offsetof(DESKBANDINFO, ptActual), sizeof(POINTL),
         [](const DESKBANDINFO& i) {
             EXPECT_EQ(80, i.ptActual.x);
             EXPECT_EQ(22, i.ptActual.y);
         }},
        {"DBIM_TITLE", DBIM_TITLE, offsetof(DESKBANDINFO, wszTitle), sizeof(DESKBANDINFO::wszTitle),
         [](const DESKBANDINFO& i) { EXPECT_EQ(L'\0', i.wszTitle[0]); }},
        {"DBIM_MODEFLAGS", DBIM_MODEFLAGS, offsetof(DESKBANDINFO, dwModeFlags), sizeof(DWORD),
         [](const DESKBANDINFO& i) { EXPECT_EQ(static_cast<DWORD>(DBIMF_VARIABLEHEIGHT), i.dwModeFlags); }},
        {"DBIM_BKCOLOR", DBIM_BKCOLOR, 0, 0, [](const DESKBANDINFO&) {}},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        DESKBANDINFO info = Untouched(row.bit);
        EXPECT_EQ(S_OK, band->GetBandInfo(7, DBIF_VIEWMODE_VERTICAL, &info));
        EXPECT_EQ(row.bit & ~static_cast<DWORD>(DBIM_BKCOLOR), info.dwMask);
        row.check(info);
        EXPECT_TRUE(sameExcept(info, row.offset, row.size));
    }

    // Everything at once: every row answered, the colour bit gone, the colour untouched, and
    // bits of no meaning to the band kept.
    constexpr DWORD all = DBIM_MINSIZE | DBIM_MAXSIZE | DBIM_INTEGRAL | DBIM_ACTUAL | DBIM_TITLE |
                          DBIM_MODEFLAGS | DBIM_BKCOLOR;
    DESKBANDINFO info = Untouched(all | 0x1000);
    EXPECT_EQ(S_OK, band->GetBandInfo(0, DBIF_VIEWMODE_NORMAL, &info));
    EXPECT_EQ((all | 0x1000) & ~static_cast<DWORD>(DBIM_BKCOLOR), info.dwMask);
    for (const auto& row : rows) row.check(info);
    EXPECT_EQ(blank.crBkgnd, info.crBkgnd);

    // Nothing asked, nothing changed.
    info = Untouched(0);
    EXPECT_EQ(S_OK, band->GetBandInfo(0, DBIF_VIEWMODE_NORMAL, &info));
    EXPECT_EQ(0u, info.dwMask);
    EXPECT_TRUE(sameExcept(info, 0, 0));
}

}  // namespace
