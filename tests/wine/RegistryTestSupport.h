// What tests of a server's registration share: running the system's registration tool on a
// DLL, reading the registry back as sorted lines, and a fixture that keeps the server
// unregistered around every test. Plain Win32 and GoogleTest, so the tests of either server
// can use it.
#pragma once

#include "ComServerTestSupport.h"

#include <windows.h>

#include <gtest/gtest.h>

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

// A test of a server's registration: COM for the test's thread, the DLL loaded, and the
// server unregistered at the start and at the end of every test.
class ServerRegistrationTest : public ::testing::Test {
protected:
    explicit ServerRegistrationTest(const ComServerDll& dll) : dll_(dll) {}

    void SetUp() override {
        ASSERT_TRUE(SUCCEEDED(com_.result()));
        ASSERT_NE(nullptr, dll_.module) << dll_.Name() << " did not load";
        ASSERT_EQ(0u, Regsvr32(true));
    }
    void TearDown() override { EXPECT_EQ(0u, Regsvr32(true)); }

    // Runs regsvr32 silently on the server; gives its exit code (0 on success).
    DWORD Regsvr32(bool unregister) const { return RunRegsvr32(dll_.path, unregister); }

    ComApartment com_;
    const ComServerDll& dll_;
};

}  // namespace lumora_wine
