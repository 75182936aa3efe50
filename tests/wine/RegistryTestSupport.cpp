#include "RegistryTestSupport.h"

#include "ComServerTestSupport.h"

#include <algorithm>

namespace lumora_wine {
namespace {

// One open key, closed when it goes.
class OpenKey {
public:
    OpenKey(HKEY root, const std::wstring& key, bool create = false) {
        const LSTATUS status =
            create ? ::RegCreateKeyExW(root, key.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &key_, nullptr)
                   : ::RegOpenKeyExW(root, key.c_str(), 0, KEY_READ, &key_);
        if (status != ERROR_SUCCESS) key_ = nullptr;
    }
    ~OpenKey() {
        if (key_) ::RegCloseKey(key_);
    }
    OpenKey(const OpenKey&) = delete;
    OpenKey& operator=(const OpenKey&) = delete;
    HKEY get() const { return key_; }

private:
    HKEY key_ = nullptr;
};

std::wstring Line(const std::wstring& key, const std::wstring& name, DWORD type,
                  const std::vector<BYTE>& data, DWORD size) {
    std::wstring line = key + L" | " + (name.empty() ? std::wstring(L"(default)") : name);
    if (type == REG_SZ) {
        // The text and its one terminating NUL; a missing terminator or any other NUL shows.
        const auto* text = reinterpret_cast<const wchar_t*>(data.data());
        std::size_t length = size / sizeof(wchar_t);
        const bool terminated = length > 0 && text[length - 1] == L'\0';
        if (terminated) --length;
        line += L" | REG_SZ | ";
        for (std::size_t i = 0; i < length; ++i) line += text[i] ? std::wstring(1, text[i]) : L"\\0";
        if (!terminated) line += L" (not terminated)";
    } else {
        line += L" | type " + std::to_wstring(type) + L", " + std::to_wstring(size) + L" bytes";
    }
    return line;
}

void DumpInto(HKEY root, const std::wstring& key, std::vector<std::wstring>& lines) {
    OpenKey handle(root, key);
    if (!handle.get()) return;
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
        lines.push_back(Line(key, std::wstring(name, nameLength), type, data, size));
    }
    for (const std::wstring& sub : RegistrySubkeys(root, key)) DumpInto(root, key + L"\\" + sub, lines);
}

}  // namespace

DWORD RunRegsvr32(const std::wstring& dll, bool unregister) {
    std::wstring commandLine = L"regsvr32.exe /s ";
    if (unregister) commandLine += L"/u ";
    commandLine += L"\"" + dll + L"\"";
    return RunProgram(L"", commandLine).exitCode;
}

bool RegistryKeyExists(HKEY root, const std::wstring& key) { return OpenKey(root, key).get() != nullptr; }

std::vector<std::wstring> RegistrySubkeys(HKEY root, const std::wstring& key) {
    std::vector<std::wstring> names;
    OpenKey handle(root, key);
    if (!handle.get()) return names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        if (::RegEnumKeyExW(handle.get(), i, name, &length, nullptr, nullptr, nullptr, nullptr) !=
            ERROR_SUCCESS) {
            break;
        }
        names.emplace_back(name, length);
    }
    return names;
}

std::wstring RegistryValueLine(HKEY root, const std::wstring& key, const std::wstring& name) {
    OpenKey handle(root, key);
    if (!handle.get()) return {};
    DWORD type = 0, size = 0;
    const wchar_t* valueName = name.empty() ? nullptr : name.c_str();
    if (::RegQueryValueExW(handle.get(), valueName, nullptr, &type, nullptr, &size) != ERROR_SUCCESS) {
        return {};
    }
    std::vector<BYTE> data(size + sizeof(wchar_t));
    ::RegQueryValueExW(handle.get(), valueName, nullptr, &type, data.data(), &size);
    return Line(key, name, type, data, size);
}

std::vector<std::wstring> RegistryDump(HKEY root, const std::wstring& key) {
    std::vector<std::wstring> lines;
    DumpInto(root, key, lines);
    std::sort(lines.begin(), lines.end());
    return lines;
}

bool SetRegistryString(HKEY root, const std::wstring& key, const std::wstring& name,
                       const std::wstring& data) {
    OpenKey handle(root, key, true);
    return handle.get() &&
           ::RegSetValueExW(handle.get(), name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                            reinterpret_cast<const BYTE*>(data.c_str()),
                            static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t))) == ERROR_SUCCESS;
}

}  // namespace lumora_wine
