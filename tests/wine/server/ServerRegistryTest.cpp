// Registration of the band server with the system's registration tool, read back from the
// registry, and activation through COM once it is registered.
#include "KeyvaleTestSupport.h"
#include "RegistryTestSupport.h"

#include "BandSiteWin.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace keyvale_test;
using namespace lumora_wine;

namespace {

const std::wstring kClassKey = std::wstring(L"CLSID\\") + kBandClsidText;
const std::wstring kExplorerKey = L"Software\\Microsoft\\Internet Explorer";
const std::wstring kExtensionsKey = kExplorerKey + L"\\Extensions";
const std::wstring kButtonKey = kExtensionsKey + L"\\" + kButtonEntryText;
const std::wstring kToolbarKey = kExplorerKey + L"\\Toolbar";

std::vector<std::wstring> Sorted(std::vector<std::wstring> lines) {
    std::sort(lines.begin(), lines.end());
    return lines;
}

// What the server's keys under HKEY_CLASSES_ROOT must hold after registration, and nothing else.
std::vector<std::wstring> ExpectedClassesRoot() {
    const std::wstring clsid = kBandClsidText;
    const std::wstring& key = kClassKey;
    return Sorted({
        L"Lumora.PasswordBar.1",
        L"Lumora.PasswordBar.1 | (default) | REG_SZ | Orvane Lumora",
        L"Lumora.PasswordBar.1\\CLSID",
        L"Lumora.PasswordBar.1\\CLSID | (default) | REG_SZ | " + clsid,
        L"Lumora.PasswordBar",
        L"Lumora.PasswordBar | (default) | REG_SZ | Orvane Lumora",
        L"Lumora.PasswordBar\\CLSID",
        L"Lumora.PasswordBar\\CLSID | (default) | REG_SZ | " + clsid,
        L"Lumora.PasswordBar\\CurVer",
        L"Lumora.PasswordBar\\CurVer | (default) | REG_SZ | Lumora.PasswordBar.1",
        key,
        key + L" | (default) | REG_SZ | Orvane Lumora",
        key + L"\\ProgID",
        key + L"\\ProgID | (default) | REG_SZ | Lumora.PasswordBar.1",
        key + L"\\VersionIndependentProgID",
        key + L"\\VersionIndependentProgID | (default) | REG_SZ | Lumora.PasswordBar",
        key + L"\\Programmable",
        key + L"\\InprocServer32",
        key + L"\\InprocServer32 | (default) | REG_SZ | " + KeyvaleDll().ModuleFileName(),
        key + L"\\InprocServer32 | ThreadingModel | REG_SZ | Apartment",
        key + L"\\TypeLib",
        key + L"\\TypeLib | (default) | REG_SZ | " + kLibIdText,
    });
}

std::vector<std::wstring> ActualClassesRoot() {
    std::vector<std::wstring> lines;
    for (const std::wstring& key : {std::wstring(L"Lumora.PasswordBar.1"), std::wstring(L"Lumora.PasswordBar"),
                                    kClassKey}) {
        const std::vector<std::wstring> part = RegistryDump(HKEY_CLASSES_ROOT, key);
        lines.insert(lines.end(), part.begin(), part.end());
    }
    return Sorted(lines);
}

// The browser's toolbar button entry: the button's texts, its band and its icons.
std::vector<std::wstring> ExpectedButtonEntry() {
    const std::wstring icon = KeyvaleDll().ModuleFileName() + L",201";
    const std::wstring& key = kButtonKey;
    return Sorted({
        key,
        key + L" | (default) | REG_SZ | Orvane Lumora",
        key + L" | BandClsid | REG_SZ | " + kBandClsidText,
        key + L" | ButtonText | REG_SZ | Orvane Lumora Button",
        key + L" | Clsid | REG_SZ | {E0DD6CAB-2D10-11D2-8F1A-0000F87ABD19}",
        key + L" | Default Visible | REG_SZ | Yes",
        key + L" | Hot Icon | REG_SZ | " + icon,
        key + L" | Icon | REG_SZ | " + icon,
        key + L" | MenuStatusBar | REG_SZ | Orvane Lumora Toolbar",
        key + L" | MenuText | REG_SZ | Orvane Lumora",
    });
}

// The browser's list of toolbars holds the band as an empty binary value.
std::wstring ToolbarValue() { return RegistryValueLine(HKEY_LOCAL_MACHINE, kToolbarKey, kBandClsidText); }
std::wstring ExpectedToolbarValue() { return kToolbarKey + L" | " + kBandClsidText + L" | type 3, 0 bytes"; }

// Each test starts and ends with the band server unregistered.
class ServerRegistration : public ServerRegistrationTest {
protected:
    ServerRegistration() : ServerRegistrationTest(KeyvaleDll()) {}

    void ExpectRegistered() {
        EXPECT_EQ(ExpectedClassesRoot(), ActualClassesRoot());
        EXPECT_EQ(ExpectedButtonEntry(), RegistryDump(HKEY_LOCAL_MACHINE, kButtonKey));
        EXPECT_EQ(ExpectedToolbarValue(), ToolbarValue());
        // The type library, registered from the server's file.
        BSTR path = nullptr;
        ASSERT_EQ(S_OK, ::QueryPathOfRegTypeLib(kLibId, 1, 0, LOCALE_NEUTRAL, &path));
        keyvale::win::unique_bstr ownPath(path);
        EXPECT_STREQ(KeyvaleDll().ModuleFileName().c_str(), path);
        com_ptr<ITypeLib> library;
        EXPECT_EQ(S_OK, ::LoadRegTypeLib(kLibId, 1, 0, LOCALE_NEUTRAL, library.put()));
        EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, std::wstring(L"Interface\\") + kPasswordBarIidText));
    }

    void ExpectUnregistered() {
        EXPECT_EQ(std::vector<std::wstring>{}, ActualClassesRoot());
        EXPECT_EQ(std::vector<std::wstring>{}, RegistryDump(HKEY_LOCAL_MACHINE, kButtonKey));
        EXPECT_EQ(L"", ToolbarValue());
        EXPECT_TRUE(RegistryKeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
        EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, std::wstring(L"TypeLib\\") + kLibIdText));
        EXPECT_FALSE(RegistryKeyExists(HKEY_CLASSES_ROOT, std::wstring(L"Interface\\") + kPasswordBarIidText));
    }
};

TEST_F(ServerRegistration, WritesExactlyItsEntriesAndTheButtonNamesAnIconThatExists) {
    ExpectUnregistered();
    ASSERT_EQ(0u, Regsvr32(false));
    ExpectRegistered();

    // The icon the button entry names: a file and an icon resource in it.
    const std::wstring icon = RegistryValueLine(HKEY_LOCAL_MACHINE, kButtonKey, L"Icon");
    const std::size_t start = icon.find(L"REG_SZ | "), comma = icon.rfind(L',');
    ASSERT_NE(std::wstring::npos, start);
    ASSERT_NE(std::wstring::npos, comma);
    const std::wstring file = icon.substr(start + 9, comma - start - 9);
    const int id = std::stoi(icon.substr(comma + 1));
    HMODULE named = ::LoadLibraryExW(file.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    ASSERT_NE(nullptr, named) << Narrow(file);
    EXPECT_NE(nullptr, ::FindResourceW(named, MAKEINTRESOURCEW(id), RT_GROUP_ICON));
    ::FreeLibrary(named);
}

TEST_F(ServerRegistration, RegisteringAgainLeavesOneSetAndNothingStale) {
    ASSERT_EQ(0u, Regsvr32(false));
    ASSERT_EQ(0u, Regsvr32(false));
    ExpectRegistered();

    // Stale entries, as an older version or a hand might have left them.
    const struct {
        HKEY root;
        std::wstring key;
        const wchar_t* name;
    } stale[] = {
        {HKEY_CLASSES_ROOT, kClassKey, L"Stale"},
        {HKEY_CLASSES_ROOT, kClassKey + L"\\InprocServer32", L"Stale"},
        {HKEY_CLASSES_ROOT, kClassKey + L"\\Programmable", L"Stale"},
        {HKEY_CLASSES_ROOT, kClassKey + L"\\Programmable\\Old", L""},
        {HKEY_CLASSES_ROOT, kClassKey + L"\\Implemented Categories", L""},
        {HKEY_LOCAL_MACHINE, kButtonKey, L"Exec"},
        {HKEY_LOCAL_MACHINE, kButtonKey + L"\\Old", L"Stale"},
    };
    for (const auto& s : stale) ASSERT_TRUE(SetRegistryString(s.root, s.key, s.name, L"stale")) << Narrow(s.key);
    ASSERT_NE(ExpectedClassesRoot(), ActualClassesRoot());
    ASSERT_NE(ExpectedButtonEntry(), RegistryDump(HKEY_LOCAL_MACHINE, kButtonKey));

    ASSERT_EQ(0u, Regsvr32(false));
    ExpectRegistered();
}

TEST_F(ServerRegistration, UnregisterRemovesWhatItWroteKeepsClsidAndIsSafeTwice) {
    // Other browser extensions present keep the extensions' key; with none it goes too.
    const bool otherExtensions = !RegistrySubkeys(HKEY_LOCAL_MACHINE, kExtensionsKey).empty();

    ASSERT_EQ(0u, Regsvr32(false));
    ASSERT_EQ(0u, Regsvr32(true));
    ExpectUnregistered();
    EXPECT_EQ(otherExtensions, RegistryKeyExists(HKEY_LOCAL_MACHINE, kExtensionsKey));
    // The browser's keys that still hold something stay.
    EXPECT_TRUE(RegistryKeyExists(HKEY_LOCAL_MACHINE, kExplorerKey));

    EXPECT_EQ(0u, Regsvr32(true));
    ExpectUnregistered();

    ASSERT_EQ(0u, Regsvr32(false));
    ExpectRegistered();
}

TEST_F(ServerRegistration, UnregisterLeavesOtherButtonsAndToolbarsAlone) {
    const std::wstring otherButton = kExtensionsKey + L"\\{00000000-1111-2222-3333-444444444444}";
    const std::wstring otherToolbar = L"{55555555-6666-7777-8888-999999999999}";
    ASSERT_TRUE(SetRegistryString(HKEY_LOCAL_MACHINE, otherButton, L"ButtonText", L"Another button"));
    ASSERT_TRUE(SetRegistryString(HKEY_LOCAL_MACHINE, kToolbarKey, otherToolbar, L"another"));

    ASSERT_EQ(0u, Regsvr32(false));
    ASSERT_EQ(0u, Regsvr32(true));
    ExpectUnregistered();
    EXPECT_EQ((std::vector<std::wstring>{otherButton, otherButton + L" | ButtonText | REG_SZ | Another button"}),
              RegistryDump(HKEY_LOCAL_MACHINE, otherButton));
    EXPECT_EQ(kToolbarKey + L" | " + otherToolbar + L" | REG_SZ | another",
              RegistryValueLine(HKEY_LOCAL_MACHINE, kToolbarKey, otherToolbar));

    EXPECT_EQ(ERROR_SUCCESS, ::RegDeleteKeyW(HKEY_LOCAL_MACHINE, otherButton.c_str()));
    keyvale::win::unique_hkey toolbars;
    ASSERT_EQ(ERROR_SUCCESS, ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kToolbarKey.c_str(), 0, KEY_SET_VALUE,
                                             toolbars.put()));
    EXPECT_EQ(ERROR_SUCCESS, ::RegDeleteValueW(toolbars.get(), otherToolbar.c_str()));
}

TEST_F(ServerRegistration, ComCreatesTheRegisteredBandAndItSitesAsABand) {
    void* out = nullptr;
    EXPECT_EQ(REGDB_E_CLASSNOTREG,
              ::CoCreateInstance(kBandClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IDeskBand, &out));
    ASSERT_EQ(0u, Regsvr32(false));

    for (const wchar_t* progId : {L"Lumora.PasswordBar", L"Lumora.PasswordBar.1"}) {
        CLSID clsid = GUID_NULL;
        EXPECT_EQ(S_OK, ::CLSIDFromProgID(progId, &clsid)) << Narrow(progId);
        EXPECT_EQ(kBandClsid, clsid) << Narrow(progId);
    }
    LPOLESTR progId = nullptr;
    ASSERT_EQ(S_OK, ::ProgIDFromCLSID(kBandClsid, &progId));
    EXPECT_STREQ(L"Lumora.PasswordBar.1", progId);
    ::CoTaskMemFree(progId);

    // As a browser shows the band: create it by its class, site it, take its window.
    {
        CountingBrowser browser;
        keyvale::win::unique_hwnd area = MakeBandArea(400, 30);
        ASSERT_TRUE(area);
        com_ptr<keyvale::harness::BandSite> site =
            keyvale::harness::BandSite::Create(area.get(), static_cast<IWebBrowser2*>(&browser));
        com_ptr<IUnknown> band;
        ASSERT_EQ(S_OK, ::CoCreateInstance(kBandClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                           band.put_void()));
        ASSERT_EQ(S_OK, site->Host(band.get()));
        EXPECT_EQ(L"KVPASSWORDTOOLBAR", ClassName(site->BandWindow()));
        EXPECT_EQ(1u, SnapshotToolbar(site->BandWindow()).buttons.size());
        com_ptr<IDispatch> dispatch;
        ASSERT_EQ(S_OK, band->QueryInterface(IID_IDispatch, dispatch.put_void()));
        com_ptr<ITypeInfo> info;
        EXPECT_EQ(S_OK, dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, info.put()));
        site->Unhost();
    }
}

}  // namespace
