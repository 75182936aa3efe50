// The helper stays out of the shell process: a host whose executable path contains
// "explorer.exe" in any letter case cannot load it; any other host can.
#include "HelperTestSupport.h"

#include <gtest/gtest.h>

using namespace navlatch_test;

namespace {

// Runs the loader copied to folder\name under a folder of its own in the temporary
// folder; gives the loader's exit code.
DWORD LoadFrom(const std::wstring& where, int caseNumber) {
    wchar_t temp[MAX_PATH] = {};
    ::GetTempPathW(MAX_PATH, temp);
    std::wstring path = std::wstring(temp) + L"navlatch-load-" + std::to_wstring(caseNumber);
    ::CreateDirectoryW(path.c_str(), nullptr);
    // Make each folder on the way.
    for (std::size_t start = 0;;) {
        const std::size_t cut = where.find(L'\\', start);
        if (cut == std::wstring::npos) break;
        ::CreateDirectoryW((path + L"\\" + where.substr(0, cut)).c_str(), nullptr);
        start = cut + 1;
    }
    const std::wstring exe = path + L"\\" + where;
    if (!::CopyFileW(WindowsPath(NAVLATCH_LOADER).c_str(), exe.c_str(), FALSE)) {
        ADD_FAILURE() << "cannot copy the loader to " << Narrow(exe);
        return ~0u;
    }
    const ProgramRun run = RunProgram(exe, L"\"" + exe + L"\" \"" + HelperDllPath() + L"\"");
    if (!run.started) {
        ADD_FAILURE() << "cannot start " << Narrow(exe) << ": error " << run.startError;
        return ~0u;
    }
    ::DeleteFileW(exe.c_str());
    return run.exitCode;
}

TEST(HelperLoad, RefusedWhereverTheHostPathContainsExplorerExe) {
    const struct {
        const wchar_t* where;  // the loader's folders and name
        bool loads;
    } cases[] = {
        // The shell's executable, in any letter case.
        {L"Windows\\explorer.exe", false},
        {L"WINDOWS\\EXPLORER.EXE", false},
        {L"Windows\\Explorer.Exe", false},
        // A folder whose name contains it, or a name that merely ends in it.
        {L"explorer.exe tools\\host.exe", false},
        {L"Backup.Explorer.EXE.d\\loader.exe", false},
        {L"myexplorer.exe", false},
        {L"S\u00e9lection\\EXPLORER.EXE", false},
        // The browser and other hosts load it.
        {L"Program Files\\Internet Explorer\\iexplore.exe", true},
        {L"IEXPLORE.EXE", true},
        {L"explorer\\host.exe", true},
        {L"explorer.ex\\host.exe", true},
        {L"explorer2.exe", true},
        {L"S\u00e9lection\\iexplore.exe", true},
    };
    int number = 0;
    for (const auto& c : cases) {
        const DWORD code = LoadFrom(c.where, ++number);
        if (c.loads) {
            EXPECT_EQ(0u, code) << Narrow(c.where) << " should load the helper";
        } else {
            EXPECT_EQ(static_cast<DWORD>(ERROR_DLL_INIT_FAILED), code)
                << Narrow(c.where) << " should be refused";
        }
    }
}

}  // namespace
