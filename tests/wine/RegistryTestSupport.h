// What tests of a server's registration share: running the system's registration tool on a
// DLL and reading the registry back as sorted lines. Plain Win32, so the tests of either
// server can use it.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace lumora_wine {

// Runs `regsvr32 /s [/u] "dll"` and gives its exit code (0 on success, ~0 when it could
// not be started or did not end within a minute).
DWORD RunRegsvr32(const std::wstring& dll, bool unregister);

bool RegistryKeyExists(HKEY root, const std::wstring& key);

// The names of the subkeys of root\key, in the registry's order; empty when it is not there.
std::vector<std::wstring> RegistrySubkeys(HKEY root, const std::wstring& key);

// One line for a value: "key | name | REG_SZ | data" for strings, "key | name | type T, N
// bytes" for anything else; the unnamed value is "(default)". Empty when the value is not
// there.
std::wstring RegistryValueLine(HKEY root, const std::wstring& key, const std::wstring& name);

// Everything under root\key, one line per key ("key") and per value (as above), sorted;
// empty when the key is not there.
std::vector<std::wstring> RegistryDump(HKEY root, const std::wstring& key);

// Creates root\key (and the keys on its way) and sets a string value in it; an empty name
// sets the unnamed value. True on success.
bool SetRegistryString(HKEY root, const std::wstring& key, const std::wstring& name,
                       const std::wstring& data);

}  // namespace lumora_wine
