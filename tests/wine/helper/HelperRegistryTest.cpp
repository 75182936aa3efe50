// Registration of the helper with the system's registration tool, read back from the
// registry, and activation through COM once it is registered.
#include "HelperTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>

using navlatch::com_ptr;
using navlatch::unique_hkey;
using namespace navlatch_test;

namespace {

const std::wstring kHelperObjects =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects";

// Runs regsvr32 silently on the helper; gives its exit code (0 on success).
DWORD Regsvr32(bool unregister) {
    std::wstring commandLine = L"regsvr32.exe /s ";
    if (unregister) commandLine += L"/u ";
    commandLine += L"\"" + HelperDllPath() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!::CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          nullptr, &startup, &process)) {
        return ~0u;
    }
    ::CloseHandle(process.hThread);
    ::WaitForSingleObject(process.hProcess, 60000);
    DWORD code = ~0u;
    ::GetExitCodeProcess(process.hProcess, &code);
    ::CloseHandle(process.hProcess);
    return code;
}

bool KeyExists(HKEY root, const std::wstring& key) {
    unique_hkey handle;
    return ::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, handle.put()) == ERROR_SUCCESS;
}

std::vector<std::wstring> SubkeyNames(HKEY key) {
    std::vector<std::wstring> names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (::RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    return names;
}

// Everything under root\key, one line per key ("key") and per value
// ("key | name | type | data"), sorted; empty when the key is not there.
void DumpInto(HKEY root, const std::wstring& key, std::vector<std::wstring>& lines) {
    unique_hkey handle;
    if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, handle.put()) != ERROR_SUCCESS) return;
    lines.push_back(key);
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD nameLength = 256, type = 0, size = 0;
        if (::RegEnumValueW(handle.get(), i, name, &nameLength, nullptr, &type, nullptr, &size) !=
            ERROR_SUCCESS) {
            break;
        }
        std::vector<BYTE> data(size + sizeof(wchar_t));
        nameLength = 256;
        ::RegEnumValueW(handle.get(), i, name, &nameLength, nullptr, &type, data.data(), &size);
        std::wstring line = key + L" | " + (nameLength ? std::wstring(name, nameLength) : L"(default)");
        if (type == REG_SZ) {
            line += L" | REG_SZ | ";
            line += reinterpret_cast<const wchar_t*>(data.data());
        } else {
            line += L" | type " + std::to_wstring(type) + L", " + std::to_wstring(size) + L" bytes";
        }
        lines.push_back(line);
    }
    for (const auto& sub : SubkeyNames(handle.get())) DumpInto(root, key + L"\\" + sub, lines);
}

std::vector<std::wstring> Dump(HKEY root, const std::wstring& key) {
    std::vector<std::wstring> lines;
    DumpInto(root, key, lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}

// The helper's file as the module-file-name query gives it.
std::wstring ModuleFileName() {
    wchar_t path[MAX_PATH] = {};
    ::GetModuleFileNameW(HelperDll::Get().module, path, MAX_PATH);
    return path;
}

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
        key + L"\\InprocServer32 | (default) | REG_SZ | " + ModuleFileName(),
        key + L"\\InprocServer32 | ThreadingModel | REG_SZ | Apartment",
        key + L"\\TypeLib",
        key + L"\\TypeLib | (default) | REG_SZ | " + kHelperLibIdText,
    };
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::wstring> ActualClassesRoot() {
    std::vector<std::wstring> lines;
    for (const wchar_t* key : {L"Navlatch.IEHelper.1", L"Navlatch.IEHelper"}) {
        DumpInto(HKEY_CLASSES_ROOT, key, lines);
    }
    DumpInto(HKEY_CLASSES_ROOT, std::wstring(L"CLSID\\") + kHelperClsidText, lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}

std::vector<std::wstring> ExpectedHelperKey() {
    const std::wstring key = kHelperObjects + L"\\" + kHelperClsidText;
    return {key, key + L" | (default) | REG_SZ | Lumora IEHelper"};
}

std::vector<std::wstring> ActualHelperKey() {
    return Dump(HKEY_LOCAL_MACHINE, kHelperObjects + L"\\" + kHelperClsidText);
}

// Each test starts and ends with the helper unregistered.
class HelperRegistration : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(com_.result()));
        ASSERT_NE(nullptr, HelperDll::Get().module) << "navlatch.dll did not load";
        ASSERT_EQ(0u, Regsvr32(true));
    }
    void TearDown() override { EXPECT_EQ(0u, Regsvr32(true)); }

    void ExpectRegistered() {
        EXPECT_EQ(ExpectedClassesRoot(), ActualClassesRoot());
        EXPECT_EQ(ExpectedHelperKey(), ActualHelperKey());
        // The type library, registered from the helper's file.
        BSTR path = nullptr;
        ASSERT_EQ(S_OK, ::QueryPathOfRegTypeLib(kHelperLibId, 1, 0, LOCALE_NEUTRAL, &path));
        navlatch::unique_bstr ownPath(path);
        EXPECT_STREQ(ModuleFileName().c_str(), path);
        com_ptr<ITypeLib> library;
        EXPECT_EQ(S_OK, ::LoadRegTypeLib(kHelperLibId, 1, 0, LOCALE_NEUTRAL, library.put()));
    }

    void ExpectUnregistered() {
        EXPECT_EQ(std::vector<std::wstring>{}, ActualClassesRoot());
        EXPECT_EQ(std::vector<std::wstring>{}, ActualHelperKey());
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, L"CLSID"));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"TypeLib\\") + kHelperLibIdText));
        EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, std::wstring(L"Interface\\") + kHelperIidText));
    }

    ComApartment com_;
};

TEST_F(HelperRegistration, WritesExactlyItsRowsOnceAndReplacesTheClassKey) {
    ASSERT_EQ(0u, Regsvr32(false));
    ExpectRegistered();

    // Stale entries under the class key, as an older version might have left them.
    const std::wstring classKey = std::wstring(L"CLSID\\") + kHelperClsidText;
    const wchar_t stale[] = L"stale";
    for (const std::wstring& key : {classKey, classKey + L"\\Programmable\\Old"}) {
        unique_hkey handle;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_CLASSES_ROOT, key.c_str(), 0, nullptr, 0,
                                                   KEY_WRITE, nullptr, handle.put(), nullptr));
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(handle.get(), L"Stale", 0, REG_SZ,
                                                  reinterpret_cast<const BYTE*>(stale), sizeof stale));
    }
    ASSERT_NE(ExpectedClassesRoot(), ActualClassesRoot());

    ASSERT_EQ(0u, Regsvr32(false));
    ExpectRegistered();
}

TEST_F(HelperRegistration, UnregisterRemovesItsRowsKeepsClsidAndRunsTwice) {
    // Other helpers present now keep the helpers' key; with none it goes too.
    std::vector<std::wstring> others;
    {
        unique_hkey helpers;
        if (::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kHelperObjects.c_str(), 0, KEY_READ,
                            helpers.put()) == ERROR_SUCCESS) {
            others = SubkeyNames(helpers.get());
        }
    }

    ASSERT_EQ(0u, Regsvr32(false));
    ASSERT_EQ(0u, Regsvr32(true));
    ExpectUnregistered();
    EXPECT_EQ(!others.empty(), KeyExists(HKEY_LOCAL_MACHINE, kHelperObjects));
    // The system's keys that still hold something stay.
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer"));

    EXPECT_EQ(0u, Regsvr32(true));
    ExpectUnregistered();

    ASSERT_EQ(0u, Regsvr32(false));
    ExpectRegistered();
}

TEST_F(HelperRegistration, UnregisterLeavesOtherBrowserHelpersAlone) {
    const std::wstring other = kHelperObjects + L"\\{00000000-1111-2222-3333-444444444444}";
    const wchar_t name[] = L"Another helper";
    {
        unique_hkey handle;
        ASSERT_EQ(ERROR_SUCCESS, ::RegCreateKeyExW(HKEY_LOCAL_MACHINE, other.c_str(), 0, nullptr,
                                                   0, KEY_WRITE, nullptr, handle.put(), nullptr));
        ASSERT_EQ(ERROR_SUCCESS, ::RegSetValueExW(handle.get(), nullptr, 0, REG_SZ,
                                                  reinterpret_cast<const BYTE*>(name), sizeof name));
    }
    ASSERT_EQ(0u, Regsvr32(false));
    ASSERT_EQ(0u, Regsvr32(true));
    ExpectUnregistered();
    EXPECT_EQ((std::vector<std::wstring>{other, other + L" | (default) | REG_SZ | Another helper"}),
              Dump(HKEY_LOCAL_MACHINE, other));
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
