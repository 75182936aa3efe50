// Registration of the helper with the system's registration tool, read back from the
// registry, and activation through COM once it is registered.
#include "HelperTestSupport.h"
#include "RegistryTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using navlatch::com_ptr;
using namespace navlatch_test;

namespace {

const std::wstring kHelperObjects =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";

// What the helper's keys must hold after registration, and nothing else.
std::vector<std::wstring> ExpectedClassesRoot() {
    const std::wstring clsid = kHelperClsidText;
    const std::wstring key = L"CLSID\\" + clsid;
    std::vector<std::wstring> lines = {
        L"Navlatch.IEHelper.1",
        L"Navlatch.IEHelper.1 | (default) | REG_SZ | IEHelper Class",
        L"Navlatch.IEHelper.1\\CLSID",
        L"Navlatch.IEHelper.1\\CLSID | (default) | REG_SZ | " + clsid,
        L"Navlatch.IEHelper",
        L"Navlatch.IEHelper | (default) | REG_SZ | IEHelper Class",
        L"Navlatch.IEHelper\\CLSID",
        L"Navlatch.IEHelper\\CLSID | (default) | REG_SZ | " + clsid,
        L"Navlatch.IEHelper\\CurVer",
        L"Navlatch.IEHelper\\CurVer | (default) | REG_SZ | Navlatch.IEHelper.1",
        key,
        key + L" | (default) | REG_SZ | IEHelper Class",
        key + L"\\ProgID",
        key + L"\\ProgID | (default) | REG_SZ | Navlatch.IEHelper.1",
        key + L"\\VersionIndependentProgID",
        key + L"\\VersionIndependentProgID | (default) | REG_SZ | Navlatch.IEHelper",
        key + L"\\Programmable",
        key + L"\\InprocServer32",
        key + L"\\InprocServer32 | (default) | REG_SZ | " + HelperDll().ModuleFileName(),
        key + L"\\InprocServer32 | ThreadingModel | REG_SZ | Apartment",
        key + L"\\TypeLib",
        key + L"\\TypeLib | (default) | REG_SZ | " + kHelperLibIdText,
    };
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::wstring> ActualClassesRoot() {
    std::vector<std::wstring> lines;
    for (const std::wstring& key : {std::wstring(L"Navlatch.IEHelper.1"), std::wstring(L"Navlatch.IEHelper"),
                                    std::wstring(L"CLSID\\") + kHelperClsidText}) {
        const std::vector<std::wstring> part = RegistryDump(HKEY_CLASSES_ROOT, key);
        lines.insert(lines.end(), part.begin(), part.end());
    }
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::wstring> ExpectedHelperKey() {
    const std::wstring key = kHelperObjects + L"\\" + kHelperClsidText;
    return {key, key + L" | (default) | REG_SZ | Lumora IEHelper"};
}

std::vector<std::wstring> ActualHelperKey() {
    return RegistryDump(HKEY_LOCAL_MACHINE, kHelperObjects + L"\\" + kHelperClsidText);
}

// Each test starts and ends with the helper unregistered.
class HelperRegistration : public ServerRegistrationTest {
protected:
    HelperRegistration() : ServerRegistrationTest(HelperDll()) {}

    void ExpectRegistered() {
        EXPECT_EQ(ExpectedClassesRoot(), ActualClassesRoot());
        EXPECT_EQ(ExpectedHelperKey(), ActualHelperKey());
        // The type library, registered from the helper's file.
        BSTR path = nullptr;
        ASSERT_EQ(S_OK, ::QueryPathOfRegTypeLib(kHelperLibId, 1, 0, LOCALE_NEUTRAL, &path));
        navlatch::unique_bstr ownPath(path);
        EXPECT_STREQ(HelperDll().ModuleFileName().c_str(), path);
        com_ptr<ITypeLib> library;
        EXPECT_EQ(S_OK, ::LoadRegTypeLib(kHelperLibId, 1, 0, LOCALE_NEUTRAL, library.put()));
    }

    void ExpectUnregistered() {
        EXPECT_EQ(std::vector<std::wstring>{}, ActualClassesRoot());
        EXPECT_EQ(std::vector<std::wstring>{}, ActualHelperKey());
        EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
        EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, std::wstring(L"TypeLib\\") + kHelperLibIdText));
        EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, std::wstring(L"Interface\\") + kHelperIidText));
    }
};

TEST_F(HelperRegistration, WritesExactlyItsRowsOnceAndReplacesTheClassKey) {
    ASSERT_EQ(0u, Regsvr32(false));
    ExpectRegistered();

    // Stale entries under the class key, as an older version might have left them.
    const std::wstring classKey = std::wstring(L"CLSID\\") + kHelperClsidText;
    for (const std::wstring& key : {classKey, classKey + L"\\Programmable\\Old"}) {
        ASSERT_TRUE(SetRegistryString(HKEY_CLASSES_ROOT, key, L"Stale", L"stale")) << Narrow(key);
    }
    ASSERT_NE(ExpectedClassesRoot(), ActualClassesRoot());

    ASSERT_EQ(0u, Regsvr32(false));
    ExpectRegistered();
}

TEST_F(HelperRegistration, UnregisterRemovesItsRowsKeepsClsidAndRunsTwice) {
    // Other helpers present now keep the helpers' key; with none it goes too.
    const std::vector<std::wstring> others = RegistrySubkeys(HKEY_LOCAL_MACHINE, kHelperObjects);

    ASSERT_EQ(0u, Regsvr32(false));
    ASSERT_EQ(0u, Regsvr32(true));
    ExpectUnregistered();
    EXPECT_EQ(!others.empty(), RegistryKeyExists(HKEY_LOCAL_MACHINE, kHelperObjects));
    // The system's keys that still hold something stay.
    EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer"));

    EXPECT_EQ(0u, Regsvr32(true));
    ExpectUnregistered();

    ASSERT_EQ(0u, Regsvr32(false));
    ExpectRegistered();
}

TEST_F(HelperRegistration, UnregisterLeavesOtherBrowserHelpersAlone) {
    const std::wstring other = kHelperObjects + L"\\{00000000-1111-2222-3333-444444444444}";
    ASSERT_TRUE(SetRegistryString(HKEY_LOCAL_MACHINE, other, L"", L"Another helper"));
    ASSERT_EQ(0u, Regsvr32(false));
    ASSERT_EQ(0u, Regsvr32(true));
    ExpectUnregistered();
    EXPECT_EQ((std::vector<std::wstring>{other, other + L" | (default) | REG_SZ | Another helper"}),
              RegistryDump(HKEY_LOCAL_MACHINE, other));
    EXPECT_EQ(ERROR_SUCCESS, ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, other.c_str()));
}

TEST_F(HelperRegistration, ComCreatesTheRegisteredHelper) {
    void* out = nullptr;
    EXPECT_EQ(REGDB_E_CLASSNOTREG, ::CoCreateInstance(kHelperClsid, nullptr, CLSCTX_INPROC_SERVER,
                                                      IID_IObjectWithSite, &out));
    ASSERT_EQ(0u, Regsvr32(false));

    for (const wchar_t* progId : {L"Navlatch.IEHelper", L"Navlatch.IEHelper.1"}) {
        CLSID clsid = GUID_NULL;
        EXPECT_EQ(S_OK, ::CLSIDFromProgID(progId, &clsid)) << Narrow(progId);
        EXPECT_EQ(kHelperClsid, clsid) << Narrow(progId);
    }

    // As a browser starts a window: create the helper by its class and site it.
    com_ptr<IObjectWithSite> helper;
    ASSERT_EQ(S_OK, ::CoCreateInstance(kHelperClsid, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IObjectWithSite, helper.put_void()));
    FakeBrowser browser;
    EXPECT_EQ(S_OK, helper->SetSite(static_cast<IWebBrowser2*>(&browser)));
    ASSERT_EQ(1u, browser.requests.size());
    EXPECT_EQ(kBandClsidText, browser.requests[0].which);
    EXPECT_EQ(1, browser.requests[0].show);
    EXPECT_TRUE(browser.unexpected.empty());

    com_ptr<IDispatch> dispatch;
    ASSERT_EQ(S_OK, ::CoCreateInstance(kHelperClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDispatch,
                                       dispatch.put_void()));
    com_ptr<ITypeInfo> info;
    EXPECT_EQ(S_OK, dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put()));
}

}  // namespace
