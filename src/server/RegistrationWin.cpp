// DllRegisterServer and DllUnregisterServer of the band server: the COM class with its
// program identifiers and type library, the browser's toolbar entry and its toolbar
// button entry, written from one table of rows.
#include "band/BandIdentifiers.h"
#include "win/WinModule.h"
#include "win/WinRaii.h"

#include <string>
#include <vector>

namespace keyvale::win {
namespace {

constexpr GUID kToolbarButtonEntry = {
    0x9e5b2a14, 0x0c7d, 0x4f63, {0xa8, 0x5e, 0xd4, 0x1b, 0x6c, 0x2f, 0x03, 0x97}};
constexpr wchar_t kBandFromButtonClsid[] = L"{E0DD6CAB-2D10-11D2-8F1A-0000F87ABD19}";
constexpr wchar_t kProgId[] = L"Lumora.PasswordBar.1";
constexpr wchar_t kIndependentProgId[] = L"Lumora.PasswordBar";
constexpr wchar_t kTitle[] = L"Orvane Lumora";
constexpr wchar_t kToolbarKey[] = L"Software\\Microsoft\\Internet Explorer\\Toolbar";
constexpr wchar_t kExtensionsKey[] = L"Software\\Microsoft\\Internet Explorer\\Extensions";
// The image the browser's toolbar button shows: icon resource 201 of the server.
constexpr wchar_t kButtonIconIndex[] = L",201";

std::wstring GuidText(const GUID& guid) {
    wchar_t text[40];
    ::StringFromGUID2(guid, text, 40);
    return text;
}

std::wstring ModulePath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(ThisModule(), path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            return path;
        }
        path.resize(path.size() * 2);
    }
}

struct Row {
    HKEY root;
    std::wstring key;
    const wchar_t* name;  // null: the key's unnamed value; empty key row: no value at all
    std::wstring data;
    bool hasValue = true;
};

struct Entries {
    std::wstring classKey, programmableKey, buttonKey;
    std::vector<Row> rows;
};

Entries BuildEntries() {
    const std::wstring clsid = GuidText(kClsidPasswordBar);
    const std::wstring path = ModulePath();
    Entries e;
    e.classKey = L"CLSID\\" + clsid;
    e.programmableKey = e.classKey + L"\\Programmable";
    e.buttonKey = std::wstring(kExtensionsKey) + L"\\" + GuidText(kToolbarButtonEntry);
    const HKEY cr = HKEY_CLASSES_ROOT, lm = HKEY_LOCAL_MACHINE;
    e.rows = {
        {cr, kProgId, nullptr, kTitle},
        {cr, std::wstring(kProgId) + L"\\CLSID", nullptr, clsid},
        {cr, kIndependentProgId, nullptr, kTitle},
        {cr, std::wstring(kIndependentProgId) + L"\\CLSID", nullptr, clsid},
        {cr, std::wstring(kIndependentProgId) + L"\\CurVer", nullptr, kProgId},
        {cr, e.classKey, nullptr, kTitle},
        {cr, e.classKey + L"\\ProgID", nullptr, kProgId},
        {cr, e.classKey + L"\\VersionIndependentProgID", nullptr, kIndependentProgId},
        {cr, e.programmableKey, nullptr, {}, false},
        {cr, e.classKey + L"\\InprocServer32", nullptr, path},
        {cr, e.classKey + L"\\InprocServer32", L"ThreadingModel", L"Apartment"},
        {cr, e.classKey + L"\\TypeLib", nullptr, GuidText(kLibidLumora)},
        {lm, e.buttonKey, nullptr, kTitle},
        {lm, e.buttonKey, L"BandClsid", clsid},
        {lm, e.buttonKey, L"ButtonText", L"Orvane Lumora Button"},
        {lm, e.buttonKey, L"Clsid", kBandFromButtonClsid},
        {lm, e.buttonKey, L"Default Visible", L"Yes"},
        {lm, e.buttonKey, L"Hot Icon", path + kButtonIconIndex},
        {lm, e.buttonKey, L"Icon", path + kButtonIconIndex},
        {lm, e.buttonKey, L"MenuStatusBar", L"Orvane Lumora Toolbar"},
        {lm, e.buttonKey, L"MenuText", kTitle},
    };
    return e;
}

HRESULT FromStatus(LSTATUS status) { return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status); }

HRESULT WriteRow(const Row& row) {
    unique_hkey key;
    KV_RETURN_IF_FAILED(FromStatus(::RegCreateKeyExW(row.root, row.key.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                                                     KEY_WRITE, nullptr, key.put(), nullptr)));
    if (!row.hasValue) return S_OK;
    const auto bytes = static_cast<DWORD>((row.data.size() + 1) * sizeof(wchar_t));
    return FromStatus(::RegSetValueExW(key.get(), row.name, 0, REG_SZ,
                                       reinterpret_cast<const BYTE*>(row.data.c_str()), bytes));
}

// Deletes a key with everything below it; a key that is not there is no failure.
HRESULT DeleteTree(HKEY root, const std::wstring& key) {
    const LSTATUS status = ::RegDeleteTreeW(root, key.c_str());
    if (status == ERROR_SUCCESS) {
        ::RegDeleteKeyW(root, key.c_str());
        return S_OK;
    }
    return status == ERROR_FILE_NOT_FOUND ? S_OK : FromStatus(status);
}

// Removes a key of the path to one of ours when nothing at all is left in it.
void DeleteIfEmpty(HKEY root, const std::wstring& key) {
    unique_hkey opened;
    if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, opened.put()) != ERROR_SUCCESS) return;
    DWORD subkeys = 0, values = 0;
    if (::RegQueryInfoKeyW(opened.get(), nullptr, nullptr, nullptr, &subkeys, nullptr, nullptr, &values, nullptr,
                           nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
        return;
    }
    opened.reset();
    if (subkeys == 0 && values == 0) ::RegDeleteKeyW(root, key.c_str());
}

// The browser's list of toolbars: a zero-length binary value named after the class.
void SetToolbarValue(bool present) {
    unique_hkey key;
    if (::RegCreateKeyExW(HKEY_LOCAL_MACHINE, kToolbarKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                          key.put(), nullptr) != ERROR_SUCCESS) {
        return;
    }
    const std::wstring name = GuidText(kClsidPasswordBar);
    if (present) {
        ::RegSetValueExW(key.get(), name.c_str(), 0, REG_BINARY, nullptr, 0);
    } else {
        ::RegDeleteValueW(key.get(), name.c_str());
    }
}

HRESULT RegisterClassEntries() {
    const Entries entries = BuildEntries();
    KV_RETURN_IF_FAILED(DeleteTree(HKEY_CLASSES_ROOT, entries.classKey));
    KV_RETURN_IF_FAILED(DeleteTree(HKEY_CLASSES_ROOT, entries.programmableKey));
    KV_RETURN_IF_FAILED(DeleteTree(HKEY_LOCAL_MACHINE, entries.buttonKey));
    for (const Row& row : entries.rows) KV_RETURN_IF_FAILED(WriteRow(row));
    return S_OK;
}

HRESULT UnregisterClassEntries() {
    const Entries entries = BuildEntries();
    HRESULT result = S_OK;
    auto keep_first = [&result](HRESULT hr) {
        if (SUCCEEDED(result)) result = hr;
    };
    keep_first(DeleteTree(HKEY_CLASSES_ROOT, entries.classKey));
    keep_first(DeleteTree(HKEY_CLASSES_ROOT, kProgId));
    keep_first(DeleteTree(HKEY_CLASSES_ROOT, kIndependentProgId));
    keep_first(DeleteTree(HKEY_LOCAL_MACHINE, entries.buttonKey));
    for (const wchar_t* key : {kExtensionsKey, L"Software\\Microsoft\\Internet Explorer", L"Software\\Microsoft",
                               L"Software"}) {
        DeleteIfEmpty(HKEY_LOCAL_MACHINE, key);
    }
    return result;
}

HRESULT RegisterTypeLibrary() {
    std::wstring path = ModulePath();
    com_ptr<ITypeLib> library;
    KV_RETURN_IF_FAILED(::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put()));
    return ::RegisterTypeLib(library.get(), path.data(), nullptr);
}

HRESULT UnregisterTypeLibrary() {
    const std::wstring path = ModulePath();
    com_ptr<ITypeLib> library;
    KV_RETURN_IF_FAILED(::LoadTypeLibEx(path.c_str(), REGKIND_NONE, library.put()));
    TLIBATTR* attributes = nullptr;
    KV_RETURN_IF_FAILED(library->GetLibAttr(&attributes));
    const TLIBATTR a = *attributes;
    library->ReleaseTLibAttr(attributes);
    // Not registered (any more): there is nothing to remove, and unregistering twice is no
    // failure. The platforms disagree on what UnRegisterTypeLib says then, so ask first.
    unique_bstr registered;
    if (FAILED(::QueryPathOfRegTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, registered.put()))) {
        return S_OK;
    }
    return ::UnRegisterTypeLib(a.guid, a.wMajorVerNum, a.wMinorVerNum, a.lcid, a.syskind);
}

}  // namespace
}  // namespace keyvale::win

using namespace keyvale::win;

STDAPI DllRegisterServer() {
    SetToolbarValue(true);
    KV_RETURN_IF_FAILED(RegisterClassEntries());
    return RegisterTypeLibrary();
}

STDAPI DllUnregisterServer() {
    SetToolbarValue(false);
    const HRESULT classes = UnregisterClassEntries();
    const HRESULT library = UnregisterTypeLibrary();
    return FAILED(classes) ? classes : library;
}
