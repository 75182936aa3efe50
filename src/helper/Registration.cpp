// DllRegisterServer and DllUnregisterServer: the helper's registry rows, written and
// removed from the tables below, and its type library.
#include "helper/HelperRaii.h"
#include "helper/Identifiers.h"
#include "helper/Module.h"
#include "helper/TypeLibrary.h"

#include <olectl.h>

#include <string>
#include <string_view>

namespace navlatch {
namespace {

// Keys and data may name the class identifier, the type library identifier and the
// helper's file; they are filled in when the rows are written.
constexpr std::wstring_view kClassIdMark = L"%CLSID%";
constexpr std::wstring_view kLibIdMark = L"%LIBID%";
constexpr std::wstring_view kModuleMark = L"%MODULE%";

struct ValueRow {
    HKEY root;
    const wchar_t* key;
    const wchar_t* name;  // null: the key's unnamed value
    const wchar_t* data;  // null: the key alone, without a value
};

struct KeyRow {
    HKEY root;
    const wchar_t* key;
    bool pruneParents;  // remove the keys on the path to it when nothing is left in them
};

constexpr const wchar_t* kHelperKey =
    L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Browser Helper Objects\\%CLSID%";

const ValueRow kValues[] = {
    {HKEY_CLASSES_ROOT, L"Navlatch.IEHelper.1", nullptr, L"IEHelper Class"},
    {HKEY_CLASSES_ROOT, L"Navlatch.IEHelper.1\\CLSID", nullptr, L"%CLSID%"},
    {HKEY_CLASSES_ROOT, L"Navlatch.IEHelper", nullptr, L"IEHelper Class"},
    {HKEY_CLASSES_ROOT, L"Navlatch.IEHelper\\CLSID", nullptr, L"%CLSID%"},
    {HKEY_CLASSES_ROOT, L"Navlatch.IEHelper\\CurVer", nullptr, L"Navlatch.IEHelper.1"},
    {HKEY_CLASSES_ROOT, L"CLSID\\%CLSID%", nullptr, L"IEHelper Class"},
    {HKEY_CLASSES_ROOT, L"CLSID\\%CLSID%\\ProgID", nullptr, L"Navlatch.IEHelper.1"},
    {HKEY_CLASSES_ROOT, L"CLSID\\%CLSID%\\VersionIndependentProgID", nullptr, L"Navlatch.IEHelper"},
    {HKEY_CLASSES_ROOT, L"CLSID\\%CLSID%\\Programmable", nullptr, nullptr},
    {HKEY_CLASSES_ROOT, L"CLSID\\%CLSID%\\InprocServer32", nullptr, L"%MODULE%"},
    {HKEY_CLASSES_ROOT, L"CLSID\\%CLSID%\\InprocServer32", L"ThreadingModel", L"Apartment"},
    {HKEY_CLASSES_ROOT, L"CLSID\\%CLSID%\\TypeLib", nullptr, L"%LIBID%"},
    {HKEY_LOCAL_MACHINE, kHelperKey, nullptr, L"Lumora IEHelper"},
};

// Deleted whole before the rows are written, so no stale subkey or value survives; the
// Programmable subkey goes with the class key.
const KeyRow kReplacedKeys[] = {
    {HKEY_CLASSES_ROOT, L"CLSID\\%CLSID%", false},
};

// Removed by unregistration. The CLSID key itself always stays.
const KeyRow kRemovedKeys[] = {
    {HKEY_CLASSES_ROOT, L"Navlatch.IEHelper.1", false},
    {HKEY_CLASSES_ROOT, L"Navlatch.IEHelper", false},
    {HKEY_CLASSES_ROOT, L"CLSID\\%CLSID%", false},
    {HKEY_LOCAL_MACHINE, kHelperKey, true},
};

std::wstring GuidText(REFGUID guid) {
    wchar_t text[40] = {};
    ::StringFromGUID2(guid, text, 40);  // upper-case, in braces
    return text;
}

class Substitutions {
public:
    explicit Substitutions(std::wstring modulePath)
        : classId_(GuidText(CLSID_IEHelper)),
          libId_(GuidText(LIBID_NAVLATCHLib)),
          module_(std::move(modulePath)) {}

    std::wstring Expand(std::wstring_view pattern) const {
        std::wstring out;
        while (!pattern.empty()) {
            if (Take(pattern, kClassIdMark)) {
                out += classId_;
            } else if (Take(pattern, kLibIdMark)) {
                out += libId_;
            } else if (Take(pattern, kModuleMark)) {
                out += module_;
            } else {
                out += pattern.front();
                pattern.remove_prefix(1);
            }
        }
        return out;
    }

private:
    static bool Take(std::wstring_view& text, std::wstring_view mark) {
        if (!text.starts_with(mark)) return false;
        text.remove_prefix(mark.size());
        return true;
    }

    std::wstring classId_;
    std::wstring libId_;
    std::wstring module_;
};

HRESULT FromWin32(LSTATUS status) {
    return status == ERROR_SUCCESS ? S_OK : HRESULT_FROM_WIN32(status);
}

// Deletes a key with everything under it; a key that is not there is already gone.
HRESULT DeleteKeyTree(HKEY root, const std::wstring& key) {
    const LSTATUS status = ::RegDeleteTreeW(root, key.c_str());
    return status == ERROR_FILE_NOT_FOUND ? S_OK : FromWin32(status);
}

// Removes the keys on the path to key, deepest first, while they hold no subkey and no
// value; the first one still in use ends the walk, since its parents are in use too.
void PruneParents(HKEY root, std::wstring key) {
    for (auto cut = key.rfind(L'\\'); cut != std::wstring::npos; cut = key.rfind(L'\\')) {
        key.resize(cut);
        unique_hkey parent;
        if (::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, parent.put()) != ERROR_SUCCESS) {
            continue;
        }
        DWORD subkeys = 0, values = 0;
        if (::RegQueryInfoKeyW(parent.get(), nullptr, nullptr, nullptr, &subkeys, nullptr,
                               nullptr, &values, nullptr, nullptr, nullptr,
                               nullptr) != ERROR_SUCCESS ||
            subkeys != 0 || values != 0) {
            return;
        }
        parent.reset();
        if (::RegDeleteKeyW(root, key.c_str()) != ERROR_SUCCESS) return;
    }
}

HRESULT WriteRow(const ValueRow& row, const Substitutions& subst) {
    const std::wstring key = subst.Expand(row.key);
    unique_hkey handle;
    NL_RETURN_IF_FAILED(FromWin32(::RegCreateKeyExW(row.root, key.c_str(), 0, nullptr,
                                                    REG_OPTION_NON_VOLATILE, KEY_WRITE,
                                                    nullptr, handle.put(), nullptr)));
    if (!row.data) return S_OK;
    const std::wstring data = subst.Expand(row.data);
    const auto bytes = static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t));
    return FromWin32(::RegSetValueExW(handle.get(), row.name, 0, REG_SZ,
                                      reinterpret_cast<const BYTE*>(data.c_str()), bytes));
}

HRESULT RegisterClassRows(const Substitutions& subst) {
    for (const auto& row : kReplacedKeys) {
        NL_RETURN_IF_FAILED(DeleteKeyTree(row.root, subst.Expand(row.key)));
    }
    for (const auto& row : kValues) NL_RETURN_IF_FAILED(WriteRow(row, subst));
    return S_OK;
}

// Removes every key of the table, going on past a failure; the first failure is the result.
HRESULT UnregisterClassRows(const Substitutions& subst) {
    HRESULT result = S_OK;
    for (const auto& row : kRemovedKeys) {
        const std::wstring key = subst.Expand(row.key);
        const HRESULT hr = DeleteKeyTree(row.root, key);
        if (SUCCEEDED(hr) && row.pruneParents) PruneParents(row.root, key);
        if (FAILED(hr) && SUCCEEDED(result)) result = hr;
    }
    return result;
}

HRESULT RegisterHelperTypeLib(const std::wstring& path) {
    com_ptr<ITypeLib> library;
    NL_RETURN_IF_FAILED(LoadHelperTypeLib(library.put()));
    return ::RegisterTypeLib(library.get(), const_cast<LPOLESTR>(path.c_str()), nullptr);
}

HRESULT UnregisterHelperTypeLib() {
    com_ptr<ITypeLib> library;
    NL_RETURN_IF_FAILED(LoadHelperTypeLib(library.put()));
    TLIBATTR* attr = nullptr;
    NL_RETURN_IF_FAILED(library->GetLibAttr(&attr));
    scope_exit releaseAttr([&] { library->ReleaseTLibAttr(attr); });
    // A library that is not registered is already removed.
    BSTR registeredPath = nullptr;
    if (FAILED(::QueryPathOfRegTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum,
                                       attr->lcid, &registeredPath))) {
        return S_OK;
    }
    ::SysFreeString(registeredPath);
    return ::UnRegisterTypeLib(attr->guid, attr->wMajorVerNum, attr->wMinorVerNum, attr->lcid,
                               attr->syskind);
}

HRESULT ModulePathOrError(std::wstring& path) {
    path = ModulePath();
    if (!path.empty()) return S_OK;
    const DWORD error = ::GetLastError();
    return error ? HRESULT_FROM_WIN32(error) : E_FAIL;
}

}  // namespace
}  // namespace navlatch

STDAPI DllRegisterServer() {
    std::wstring path;
    NL_RETURN_IF_FAILED(navlatch::ModulePathOrError(path));
    const navlatch::Substitutions subst(path);
    NL_RETURN_IF_FAILED(navlatch::RegisterClassRows(subst));
    return navlatch::RegisterHelperTypeLib(path);
}

STDAPI DllUnregisterServer() {
    std::wstring path;
    NL_RETURN_IF_FAILED(navlatch::ModulePathOrError(path));
    const navlatch::Substitutions subst(path);
    const HRESULT rows = navlatch::UnregisterClassRows(subst);
    const HRESULT library = navlatch::UnregisterHelperTypeLib();
    return FAILED(rows) ? rows : library;
}
