// The log and the message boxes on Windows.
#include "win/WinPrelude.h"
#include "win/WinRaii.h"

#include "diag/Log.h"
#include "diag/MessageBox.h"
#include "diag/Messages.h"

#include <gtest/gtest.h>

#include <atomic>
#include <fstream>
#include <sstream>
#include <thread>
#include <vector>

using namespace keyvale;
using namespace keyvale::win;

namespace {

std::wstring ProgramFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    const std::wstring full(path, n);
    return full.substr(0, full.rfind(L'\\') + 1);
}

std::string ReadAll(const std::wstring& path) {
    std::ifstream in(path.c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void WriteAll(const std::wstring& path, const std::string& text) {
    std::ofstream(path.c_str(), std::ios::binary | std::ios::trunc) << text;
}

DWORD RunChild(const std::wstring& arguments) {
    const std::wstring program = ProgramFolder() + L"log_child.exe";
    std::wstring commandLine = L"\"" + program + L"\" " + arguments;
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                          &process)) {
        ADD_FAILURE() << "CreateProcessW failed: " << ::GetLastError();
        return 0xFFFFFFFF;
    }
    unique_handle processHandle(process.hProcess);
    unique_handle threadHandle(process.hThread);
    ::WaitForSingleObject(processHandle.get(), 30000);
    DWORD code = 0xFFFFFFFF;
    ::GetExitCodeProcess(processHandle.get(), &code);
    return code;
}

}  // namespace

// All of this process's own log checks stay in this one test: only the first message of
// a process empties the log.
TEST(LogOnWindows, LivesBesideTheModuleAndIsEmptiedByTheFirstMessageOfEachProcess) {
    const std::wstring log = ProgramFolder() + L"keyvale.log";
    WriteAll(log, "from an earlier process\r\n");

    ASSERT_EQ(0u, RunChild(L""));
    EXPECT_EQ("from an earlier process\r\n", ReadAll(log));  // no message: left in place
    ASSERT_EQ(0u, RunChild(L"one two"));
    EXPECT_EQ("one\r\ntwo\r\n", ReadAll(log));

    WriteLog(kLogUnprotectFailed, -2146893819);
    WriteLog(kLogCantSetupEncryption);
    WriteLog(kLogCantOpenFile, "C:\\x.lmr");
    EXPECT_EQ("Decryption failed with error = -2146893819\r\nCan't setup encryption environmentCan't open file C:\\x.lmr\r\n",
              ReadAll(log));
}

TEST(LogOnWindows, ADllLogsBesideItselfNotBesideTheProgram) {
    const std::wstring folder = ProgramFolder() + L"module\\";
    WriteAll(folder + L"keyvale.log", "old\r\n");
    unique_hmodule module(::LoadLibraryW((folder + L"log_module.dll").c_str()));
    ASSERT_TRUE(module) << ::GetLastError();
    using LogFrom = void (*)(const char*);
    auto logFrom = reinterpret_cast<LogFrom>(reinterpret_cast<void*>(::GetProcAddress(module.get(), "LogFromModule")));
    ASSERT_NE(nullptr, logFrom);
    logFrom("in the module\n");
    EXPECT_EQ("in the module\r\n", ReadAll(folder + L"keyvale.log"));
}

namespace {

struct SeenBox {
    bool found = false;
    HWND owner = nullptr;
    std::vector<std::wstring> texts;
    bool hasOk = false;
    bool hasCancel = false;
};

BOOL CALLBACK FindBoxOfThisProcess(HWND window, LPARAM param) {
    DWORD pid = 0;
    ::GetWindowThreadProcessId(window, &pid);
    wchar_t caption[64] = {};
    ::GetWindowTextW(window, caption, 64);
    if (pid == ::GetCurrentProcessId() && std::wstring(caption) == L"Orvane Lumora" && ::IsWindowVisible(window)) {
        *reinterpret_cast<HWND*>(param) = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK NoteChildText(HWND child, LPARAM param) {
    wchar_t text[256] = {};
    ::GetWindowTextW(child, text, 256);
    reinterpret_cast<SeenBox*>(param)->texts.push_back(text);
    return TRUE;
}

HWND FindOurBox() {
    HWND found = nullptr;
    ::EnumWindows(FindBoxOfThisProcess, reinterpret_cast<LPARAM>(&found));
    return found;
}

// Waits for the box, notes what it shows, then presses button.
std::thread Presser(SeenBox& seen, int button) {
    return std::thread([&seen, button] {
        HWND box = nullptr;
        for (int i = 0; i < 400 && !box; ++i) {
            box = FindOurBox();
            if (!box) ::Sleep(25);
        }
        if (!box) return;
        seen.found = true;
        seen.owner = ::GetWindow(box, GW_OWNER);
        ::EnumChildWindows(box, NoteChildText, reinterpret_cast<LPARAM>(&seen));
        seen.hasOk = ::GetDlgItem(box, IDOK) != nullptr;
        seen.hasCancel = ::GetDlgItem(box, IDCANCEL) != nullptr;
        ::PostMessageW(box, WM_COMMAND, MAKEWPARAM(button, BN_CLICKED), reinterpret_cast<LPARAM>(::GetDlgItem(box, button)));
    });
}

bool Shows(const SeenBox& seen, const std::wstring& text) {
    for (const auto& t : seen.texts) {
        if (t == text) return true;
    }
    return false;
}

}  // namespace

TEST(MessageBoxOnWindows, HasTheCaptionNoOwnerAndReturnsTheButtonPressed) {
    SeenBox seen;
    std::thread presser = Presser(seen, IDCANCEL);
    const int result = ShowMessageBox(kNoticeConfirmOverwrite);
    presser.join();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(IDCANCEL, result);
    EXPECT_EQ(nullptr, seen.owner);
    EXPECT_TRUE(Shows(seen, L"Are you sure you want to overwrite the current Lumora information?"));
    EXPECT_TRUE(seen.hasOk);
    EXPECT_TRUE(seen.hasCancel);
}

TEST(MessageBoxOnWindows, AnErrorBoxHasOnlyAnOkButton) {
    SeenBox seen;
    std::thread presser = Presser(seen, IDOK);
    ShowErrorBox(kNoticeCantSaveSite.text);
    presser.join();
    ASSERT_TRUE(seen.found);
    EXPECT_EQ(nullptr, seen.owner);
    EXPECT_TRUE(Shows(seen, L"Can't save the captured website"));
    EXPECT_TRUE(seen.hasOk);
    EXPECT_FALSE(seen.hasCancel);
}
