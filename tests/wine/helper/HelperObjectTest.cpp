// The helper object and its class object, taken straight from the DLL's entry points.
#include "HelperTestSupport.h"

#include <gtest/gtest.h>

using navlatch::com_ptr;
using namespace navlatch_test;

namespace {

class HelperObject : public HelperTest {};

TEST_F(HelperObject, ClassObjectIsServedForTheHelperClassOnly) {
    const struct {
        const char* what;
        const GUID* clsid;
    } refused[] = {
        {"the band's class", &kBandClsid},
        {"the null class", &GUID_NULL},
        {"the helper's interface identifier", &kHelperIid},
        {"the helper's type library identifier", &kHelperLibId},
        {"a class of the system", &CLSID_StdGlobalInterfaceTable},
    };
    for (const auto& c : refused) {
        ExpectGetClassObjectFails(dll_, *c.clsid, IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE, c.what);
    }

    EXPECT_EQ(E_POINTER, dll_.getClassObject(kHelperClsid, IID_IClassFactory, nullptr));
    ExpectGetClassObjectFails(dll_, kHelperClsid, IID_IDispatch, E_NOINTERFACE, "IDispatch");

    com_ptr<IUnknown> unknown;
    ASSERT_EQ(S_OK, dll_.getClassObject(kHelperClsid, IID_IUnknown, unknown.put_void()));
    com_ptr<IClassFactory> factory;
    ASSERT_EQ(S_OK, unknown->QueryInterface(IID_IClassFactory, factory.put_void()));
    EXPECT_EQ(static_cast<IUnknown*>(factory.get()), unknown.get());
}

TEST_F(HelperObject, FactoryCreatesHelpersAndRefusesWhatItCannotMake) {
    com_ptr<IClassFactory> factory;
    ASSERT_EQ(S_OK, dll_.getClassObject(kHelperClsid, IID_IClassFactory, factory.put_void()));

    com_ptr<IObjectWithSite> helper;
    EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IObjectWithSite, helper.put_void()));
    EXPECT_TRUE(helper);

    ExpectCreateInstanceFails(factory.get(), nullptr, IID_IPersist, E_NOINTERFACE, "IPersist");
    EXPECT_EQ(E_POINTER, factory->CreateInstance(nullptr, IID_IObjectWithSite, nullptr));

    // An aggregating caller must ask for the inner IUnknown.
    RecordingUnknown outer;
    ExpectCreateInstanceFails(factory.get(), &outer, IID_IObjectWithSite, CLASS_E_NOAGGREGATION,
                              "IObjectWithSite");
    EXPECT_EQ(1u, outer.refs);
}

TEST_F(HelperObject, QueryInterfaceAnswersItsTwoTablesOnly) {
    com_ptr<IObjectWithSite> site;
    ASSERT_EQ(S_OK, NewHelper(IID_IObjectWithSite, site.put_void()));

    com_ptr<IUnknown> identity;
    com_ptr<IDispatch> dispatch;
    com_ptr<IUnknown> helper;
    com_ptr<IObjectWithSite> siteAgain;
    ASSERT_EQ(S_OK, site->QueryInterface(IID_IUnknown, identity.put_void()));
    ASSERT_EQ(S_OK, site->QueryInterface(IID_IDispatch, dispatch.put_void()));
    ASSERT_EQ(S_OK, site->QueryInterface(kHelperIid, helper.put_void()));
    ASSERT_EQ(S_OK, dispatch->QueryInterface(IID_IObjectWithSite, siteAgain.put_void()));
    EXPECT_EQ(site.get(), siteAgain.get());
    // IDispatch is the dual IIEHelper table itself.
    EXPECT_EQ(static_cast<IUnknown*>(dispatch.get()), helper.get());
    // One identity, whichever interface is asked.
    com_ptr<IUnknown> identityFromDispatch;
    ASSERT_EQ(S_OK, dispatch->QueryInterface(IID_IUnknown, identityFromDispatch.put_void()));
    EXPECT_EQ(identity.get(), identityFromDispatch.get());

    const IID refused[] = {IID_IPersist,          IID_IClassFactory, IID_IWebBrowser2,
                           IID_IOleObject,        IID_IOleWindow,    IID_IProvideClassInfo,
                           IID_IMarshal};
    for (const IID& iid : refused) ExpectNoInterface(site.get(), iid, Narrow(GuidText(iid)));
    EXPECT_EQ(E_POINTER, site->QueryInterface(IID_IUnknown, nullptr));

    identity.reset();
    dispatch.reset();
    helper.reset();
    siteAgain.reset();
    identityFromDispatch.reset();
    EXPECT_EQ(0u, site.detach()->Release());
}

TEST_F(HelperObject, AggregatedHelperDelegatesToItsOuterObject) {
    com_ptr<IClassFactory> factory;
    ASSERT_EQ(S_OK, dll_.getClassObject(kHelperClsid, IID_IClassFactory, factory.put_void()));
    RecordingUnknown outer;
    IUnknown* inner = nullptr;
    ASSERT_EQ(S_OK, factory->CreateInstance(&outer, IID_IUnknown, reinterpret_cast<void**>(&inner)));
    ASSERT_NE(nullptr, inner);
    outer.inner = inner;
    EXPECT_EQ(1u, outer.refs);  // the inner object holds no reference to its outer one

    IObjectWithSite* site = nullptr;
    ASSERT_EQ(S_OK, inner->QueryInterface(IID_IObjectWithSite, reinterpret_cast<void**>(&site)));
    EXPECT_EQ(2u, outer.refs);  // the reference handed out is the outer object's
    site->AddRef();
    EXPECT_EQ(3u, outer.refs);
    site->Release();

    // Questions asked of the helper's interfaces go to the outer object.
    ExpectDelegatesToOuter(site, outer, IID_IDispatch);
    site->Release();
    EXPECT_EQ(1u, outer.refs);

    // The inner IUnknown answers for itself: it is not the outer object's identity.
    ExpectInnerAnswersForItself(inner);

    factory.reset();
    EXPECT_EQ(S_FALSE, dll_.canUnloadNow());
    outer.inner = nullptr;
    EXPECT_EQ(0u, inner->Release());
}

TEST_F(HelperObject, DispatchAnswersFromTheEmbeddedTypeLibrary) {
    com_ptr<IDispatch> dispatch;
    ASSERT_EQ(S_OK, NewHelper(IID_IDispatch, dispatch.put_void()));

    UINT count = 0;
    EXPECT_EQ(S_OK, dispatch->GetTypeInfoCount(&count));
    EXPECT_EQ(1u, count);

    com_ptr<ITypeInfo> info;
    ASSERT_EQ(S_OK, dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put()));
    TYPEATTR* attr = nullptr;
    ASSERT_EQ(S_OK, info->GetTypeAttr(&attr));
    EXPECT_EQ(kHelperIid, attr->guid);
    EXPECT_EQ(TKIND_DISPATCH, attr->typekind);
    EXPECT_TRUE(attr->wTypeFlags & TYPEFLAG_FDUAL);
    info->ReleaseTypeAttr(attr);
    BSTR name = nullptr;
    BSTR doc = nullptr;
    ASSERT_EQ(S_OK, info->GetDocumentation(MEMBERID_NIL, &name, &doc, nullptr, nullptr));
    navlatch::unique_bstr ownName(name), ownDoc(doc);
    EXPECT_STREQ(L"IIEHelper", name);
    EXPECT_STREQ(L"IIEHelper Interface", doc);

    ITypeInfo* none = reinterpret_cast<ITypeInfo*>(kSentinel);
    EXPECT_EQ(DISP_E_BADINDEX, dispatch->GetTypeInfo(1, LOCALE_USER_DEFAULT, &none));
    EXPECT_EQ(nullptr, none);

    // No members of its own: names and calls are refused as the type library says.
    wchar_t memberName[] = L"Show";
    LPOLESTR names[] = {memberName};
    DISPID id = 0;
    EXPECT_EQ(DISP_E_UNKNOWNNAME, dispatch->GetIDsOfNames(IID_NULL, names, 1, LOCALE_USER_DEFAULT, &id));
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE,
              dispatch->GetIDsOfNames(IID_IUnknown, names, 1, LOCALE_USER_DEFAULT, &id));
    DISPPARAMS noArgs = {};
    EXPECT_EQ(DISP_E_MEMBERNOTFOUND, dispatch->Invoke(1, IID_NULL, LOCALE_USER_DEFAULT,
                                                      DISPATCH_METHOD, &noArgs, nullptr, nullptr,
                                                      nullptr));
    EXPECT_EQ(DISP_E_UNKNOWNINTERFACE, dispatch->Invoke(1, IID_IUnknown, LOCALE_USER_DEFAULT,
                                                        DISPATCH_METHOD, &noArgs, nullptr,
                                                        nullptr, nullptr));
}

TEST_F(HelperObject, TypeLibraryIsResourceOneOfTheHelperFile) {
    ExpectTypeLibraryResource(dll_, {.libId = kHelperLibId,
                                     .libName = L"NAVLATCHLib",
                                     .libDoc = L"navlatch 1.0 Type Library",
                                     .clsid = kHelperClsid,
                                     .className = L"IEHelper",
                                     .classDoc = L"IEHelper Class",
                                     .defaultInterface = kHelperIid});
}

TEST_F(HelperObject, SitingInABrowserWindowAsksItToShowTheBand) {
    com_ptr<IObjectWithSite> helper;
    ASSERT_EQ(S_OK, NewHelper(IID_IObjectWithSite, helper.put_void()));
    FakeBrowser browser;

    // Sited twice (a new window each time) and unsited once.
    EXPECT_EQ(S_OK, helper->SetSite(static_cast<IWebBrowser2*>(&browser)));
    EXPECT_EQ(S_OK, helper->SetSite(static_cast<IWebBrowser2*>(&browser)));
    EXPECT_EQ(S_OK, helper->SetSite(nullptr));

    ASSERT_EQ(2u, browser.requests.size());
    for (const auto& request : browser.requests) {
        EXPECT_EQ(VT_BSTR, request.whichType);
        EXPECT_EQ(kBandClsidText, request.which);
        EXPECT_EQ(38u, request.whichLength);  // a real string of its own length, braces included
        EXPECT_EQ(VT_BOOL, request.showType);
        EXPECT_EQ(1, request.show);           // 1, not VARIANT_TRUE
        EXPECT_FALSE(request.sizeGiven);
    }
    EXPECT_TRUE(browser.unexpected.empty()) << browser.unexpected.front();
    EXPECT_EQ(1u, browser.refs);  // the browser is not held
}

TEST_F(HelperObject, SitesThatCannotShowTheBandAreLeftAsTheyWere) {
    com_ptr<IObjectWithSite> helper;
    ASSERT_EQ(S_OK, NewHelper(IID_IObjectWithSite, helper.put_void()));

    RecordingUnknown plain;  // a site that is no browser window: it answers IUnknown only
    EXPECT_EQ(S_OK, helper->SetSite(&plain));
    ASSERT_EQ(1u, plain.asked.size());
    EXPECT_EQ(IID_IWebBrowser2, plain.asked[0]);
    EXPECT_EQ(1u, plain.refs);

    // A browser that fails to show the band (its server is not registered, say).
    FakeBrowser failing;
    failing.showResult = REGDB_E_CLASSNOTREG;
    EXPECT_EQ(S_OK, helper->SetSite(static_cast<IWebBrowser2*>(&failing)));
    EXPECT_EQ(1u, failing.requests.size());
    EXPECT_TRUE(failing.unexpected.empty());
    EXPECT_EQ(1u, failing.refs);
}

TEST_F(HelperObject, GetSiteAlwaysFailsEvenRightAfterSiting) {
    com_ptr<IObjectWithSite> helper;
    ASSERT_EQ(S_OK, NewHelper(IID_IObjectWithSite, helper.put_void()));
    FakeBrowser browser;

    for (IUnknown* site : {static_cast<IUnknown*>(nullptr), static_cast<IUnknown*>(&browser)}) {
        EXPECT_EQ(S_OK, helper->SetSite(site));
        for (const IID* iid : {&IID_IUnknown, &IID_IWebBrowser2, &IID_IServiceProvider}) {
            void* out = kSentinel;
            EXPECT_EQ(E_FAIL, helper->GetSite(*iid, &out));
            EXPECT_EQ(nullptr, out);
        }
        EXPECT_EQ(E_POINTER, helper->GetSite(IID_IUnknown, nullptr));
    }
    EXPECT_EQ(1u, browser.refs);
}

TEST_F(HelperObject, ModuleStaysLoadedWhileObjectsOrLocksLive) {
    EXPECT_EQ(S_OK, dll_.canUnloadNow());

    com_ptr<IClassFactory> factory;
    ASSERT_EQ(S_OK, dll_.getClassObject(kHelperClsid, IID_IClassFactory, factory.put_void()));
    EXPECT_EQ(S_FALSE, dll_.canUnloadNow());
    com_ptr<IObjectWithSite> helper;
    ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IObjectWithSite, helper.put_void()));
    EXPECT_EQ(S_OK, factory->LockServer(TRUE));
    factory.reset();
    EXPECT_EQ(S_FALSE, dll_.canUnloadNow());  // a helper and a lock
    helper.reset();
    EXPECT_EQ(S_FALSE, dll_.canUnloadNow());  // the lock

    ASSERT_EQ(S_OK, dll_.getClassObject(kHelperClsid, IID_IClassFactory, factory.put_void()));
    EXPECT_EQ(S_OK, factory->LockServer(FALSE));
    EXPECT_EQ(S_FALSE, dll_.canUnloadNow());  // the factory
    factory.reset();
    EXPECT_EQ(S_OK, dll_.canUnloadNow());
}

}  // namespace
