// The store file on Windows: real DPAPI, the prefix's roaming application-data folder,
// Win32 files, and the log beside this program.
#include "win/WinPrelude.h"
#include "win/WinRaii.h"

#include <shlobj.h>

#include "markup/MarkupDoc.h"
#include "store/PasswordStore.h"
#include "store/StoreFile.h"
#include "store/StoreServices.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <thread>
#include <vector>

using namespace keyvale;
using namespace keyvale::win;
using Bytes = std::vector<std::uint8_t>;

namespace {

std::wstring AppData() {
    wchar_t path[MAX_PATH] = {};
    EXPECT_EQ(S_OK, ::SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, SHGFP_TYPE_CURRENT, path));
    return path;
}

const std::wstring kFolder = AppData() + L"\\orvane";
const std::wstring kStore = kFolder + L"\\keyvale.kvp";

std::wstring ModuleFolder() {
    wchar_t path[MAX_PATH] = {};
    const DWORD n = ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring full(path, n);
    return full.substr(0, full.rfind(L'\\') + 1);
}

std::optional<Bytes> ReadBytes(const std::wstring& path) {
    // Shared like the log's own stream, which stays open for writing.
    unique_hfile file(::CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, 0, nullptr));
    if (!file) return std::nullopt;
    Bytes bytes(::GetFileSize(file.get(), nullptr));
    DWORD got = 0;
    if (!bytes.empty()) {
        EXPECT_TRUE(::ReadFile(file.get(), bytes.data(), DWORD(bytes.size()), &got, nullptr));
    }
    bytes.resize(got);
    return bytes;
}

void WriteBytes(const std::wstring& path, const Bytes& bytes) {
    ::CreateDirectoryW(kFolder.c_str(), nullptr);
    unique_hfile file(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    ASSERT_TRUE(file);
    DWORD put = 0;
    ASSERT_TRUE(::WriteFile(file.get(), bytes.data(), DWORD(bytes.size()), &put, nullptr));
}

std::set<std::wstring> FolderFiles() {
    std::set<std::wstring> names;
    WIN32_FIND_DATAW found{};
    HANDLE search = ::FindFirstFileW((kFolder + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..") names.insert(name);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return names;
}

void RemoveStoreFolder() {
    for (const auto& name : FolderFiles()) ::DeleteFileW((kFolder + L"\\" + name).c_str());
    ::RemoveDirectoryW(kFolder.c_str());
}

Bytes ClearOf(std::u16string_view text) {
    Bytes clear;
    for (char16_t c : text) clear.insert(clear.end(), {std::uint8_t(c & 0xFF), std::uint8_t(c >> 8)});
    clear.insert(clear.end(), {0, 0});
    return clear;
}

Bytes Protect(Bytes clear, const Bytes* entropy) {
    DATA_BLOB in{DWORD(clear.size()), clear.data()};
    Bytes extraBytes = entropy ? *entropy : Bytes{};
    DATA_BLOB extra{DWORD(extraBytes.size()), extraBytes.data()};
    unique_local_blob out;
    EXPECT_TRUE(::CryptProtectData(&in, L"Protect Password", entropy ? &extra : nullptr, nullptr, nullptr, 0, out.put()));
    return Bytes(out.data(), out.data() + out.size());
}

Bytes StoreEntropyBytes() {
    const auto entropy = StoreEntropy();
    return Bytes(entropy.begin(), entropy.end());
}

// Unprotects a file's bytes as the store does; the clear bytes and the description.
bool Unprotect(Bytes blob, Bytes& clear, std::wstring& description, DWORD& error) {
    Bytes entropy = StoreEntropyBytes();
    DATA_BLOB in{DWORD(blob.size()), blob.data()};
    DATA_BLOB extra{DWORD(entropy.size()), entropy.data()};
    unique_secret_blob out;
    LPWSTR text = nullptr;
    ::SetLastError(0);
    if (!::CryptUnprotectData(&in, &text, &extra, nullptr, nullptr, 0, out.put())) {
        error = ::GetLastError();
        return false;
    }
    unique_hlocal owner(text);
    description = text ? text : L"";
    clear.assign(out.data(), out.data() + out.size());
    return true;
}

std::wstring LogFile() { return ModuleFolder() + L"keyvale.log"; }

// What the log gained since the mark.
class LogTail {
public:
    LogTail() : start_(Current().size()) {}
    std::string Added() const {
        const std::string all = Current();
        return all.size() >= start_ ? all.substr(start_) : all;
    }

private:
    static std::string Current() {
        const auto bytes = ReadBytes(LogFile());
        return bytes ? std::string(bytes->begin(), bytes->end()) : std::string();
    }
    std::size_t start_;
};

class StoreFileOnWindows : public ::testing::Test {
protected:
    // Before this process's first message, so what LogTail reads is this process's log.
    static void SetUpTestSuite() { ::DeleteFileW(LogFile().c_str()); }

    void SetUp() override {
        RemoveStoreFolder();
        SetPreferences({});
    }
    void TearDown() override {
        RemoveStoreFolder();
        SetPreferences({});
    }

    static MarkupDoc SiteStore(const std::u16string& title) {
        MarkupDoc doc = NewSiteDocument();
        doc.AppendChild(u"title", title);
        doc.AppendChild(u"url", u"https://example.test/login");
        doc.AppendChild(u"input");
        doc.Descend();
        doc.AppendChild(u"type", u"password");
        doc.AppendChild(u"name", u"pass");
        doc.AppendChild(u"value", u"s3cret");
        return doc;
    }
};

}  // namespace

TEST_F(StoreFileOnWindows, TheFirstSaveCreatesTheFolderAndTheFile) {
    ASSERT_EQ(INVALID_FILE_ATTRIBUTES, ::GetFileAttributesW(kFolder.c_str()));
    SetPreferences({true, u"pw"});
    MarkupDoc doc = SiteStore(u"Caf\u00e9");
    ASSERT_TRUE(SaveStore(doc));
    EXPECT_EQ(std::set<std::wstring>{L"keyvale.kvp"}, FolderFiles());
    EXPECT_EQ(StoreFilePath(), U16(kStore));

    Bytes clear;
    std::wstring description;
    DWORD error = 0;
    ASSERT_TRUE(Unprotect(*ReadBytes(kStore), clear, description, error)) << error;
    EXPECT_EQ(L"Protect Password", description);
    EXPECT_EQ(ClearOf(doc.DocumentText()), clear);

    SetPreferences({});
    MarkupDoc loaded;
    ASSERT_TRUE(LoadStore(loaded));
    EXPECT_EQ(doc.DocumentText(), loaded.DocumentText());
    EXPECT_EQ(u"pw", GetPreferences().exportpassword);
}

TEST_F(StoreFileOnWindows, FilesThatDoNotUnprotectFailAreLoggedAndKeptBeforeTheNextSave) {
    Bytes otherEntropy(128, 0x11);
    Bytes storeEntropy = StoreEntropyBytes();
    const Bytes valid = Protect(ClearOf(u"<KVPassword/>"), &storeEntropy);
    Bytes flipped = valid;
    flipped.back() ^= 0xFF;
    const Bytes truncated(valid.begin(), valid.begin() + valid.size() / 2);
    struct Case {
        const char* what;
        Bytes file;
    };
    const Case cases[] = {
        {"other entropy", Protect(ClearOf(u"<KVPassword/>"), &otherEntropy)},
        {"no entropy", Protect(ClearOf(u"<KVPassword/>"), nullptr)},
        {"damaged", flipped},
        {"truncated", truncated},
        {"not a blob at all", Bytes(64, 0x5A)},
    };
    int kept = 0;
    for (const Case& c : cases) {
        WriteBytes(kStore, c.file);
        Bytes clear;
        std::wstring description;
        DWORD code = 0;
        ASSERT_FALSE(Unprotect(c.file, clear, description, code)) << c.what;

        LogTail log;
        MarkupDoc doc = SiteStore(u"Previous");
        const std::u16string before = doc.DocumentText();
        EXPECT_FALSE(LoadStore(doc)) << c.what;
        EXPECT_EQ(before, doc.DocumentText()) << c.what;
        EXPECT_EQ("Decryption failed with error = " + std::to_string(int(code)) + "\r\n", log.Added()) << c.what;

        ASSERT_TRUE(SaveStore(doc)) << c.what;
        ++kept;
        EXPECT_EQ(c.file, ReadBytes(kFolder + L"\\keyvale-unreadable-" + std::to_wstring(kept) + L".kvp")) << c.what;
        MarkupDoc loaded;
        EXPECT_TRUE(LoadStore(loaded)) << c.what;
        EXPECT_EQ(doc.DocumentText(), loaded.DocumentText()) << c.what;
    }
    // Each unreadable file has its own copy; nothing else is left in the folder.
    EXPECT_EQ((std::set<std::wstring>{L"keyvale.kvp", L"keyvale-unreadable-1.kvp", L"keyvale-unreadable-2.kvp",
                                      L"keyvale-unreadable-3.kvp", L"keyvale-unreadable-4.kvp",
                                      L"keyvale-unreadable-5.kvp"}),
              FolderFiles());
}

TEST_F(StoreFileOnWindows, AStoreTextWithANulInsideLoadsOnlyUpToIt) {
    const std::u16string loaded = u"<KVPassword Version=\"1\">\r\n</KVPassword>\r\n";
    const std::u16string text = loaded + u'\0' + u"<Site/>";
    Bytes entropy = StoreEntropyBytes();
    WriteBytes(kStore, Protect(ClearOf(text), &entropy));
    MarkupDoc doc;
    ASSERT_TRUE(LoadStore(doc));
    EXPECT_EQ(loaded, doc.DocumentText());
}

TEST_F(StoreFileOnWindows, ASaveOfADocumentWithNoRootLoadsLaterAsAnEmptyStore) {
    MarkupDoc empty;
    ASSERT_TRUE(SaveStore(empty));
    Bytes clear;
    std::wstring description;
    DWORD error = 0;
    ASSERT_TRUE(Unprotect(*ReadBytes(kStore), clear, description, error));
    EXPECT_EQ((Bytes{0, 0}), clear);

    MarkupDoc loaded;
    loaded.AssignText(u"<previous/>");
    EXPECT_TRUE(LoadStore(loaded));
    EXPECT_FALSE(loaded.HasRoot());
    EXPECT_EQ(u"", loaded.DocumentText());
}

TEST_F(StoreFileOnWindows, ASaveWaitsForAReaderThatHoldsTheStoreForAMoment) {
    MarkupDoc first = SiteStore(u"First");
    ASSERT_TRUE(SaveStore(first));
    // Another window reading the store, shared as the load shares it.
    unique_hfile reader(::CreateFileW(kStore.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(reader);
    std::thread release([&reader] {
        ::Sleep(30);
        reader.reset();
    });
    MarkupDoc second = SiteStore(u"Second");
    EXPECT_TRUE(SaveStore(second));
    release.join();
    MarkupDoc loaded;
    ASSERT_TRUE(LoadStore(loaded));
    EXPECT_EQ(second.DocumentText(), loaded.DocumentText());
    EXPECT_EQ(std::set<std::wstring>{L"keyvale.kvp"}, FolderFiles());
}

TEST_F(StoreFileOnWindows, AStoreThatStaysOpenIsNotReplacedAndNothingIsLeftBehind) {
    MarkupDoc first = SiteStore(u"First");
    ASSERT_TRUE(SaveStore(first));
    const Bytes before = *ReadBytes(kStore);
    unique_hfile reader(::CreateFileW(kStore.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(reader);
    LogTail log;
    MarkupDoc second = SiteStore(u"Second");
    EXPECT_FALSE(SaveStore(second));
    reader.reset();
    EXPECT_EQ(before, ReadBytes(kStore));
    EXPECT_EQ(std::set<std::wstring>{L"keyvale.kvp"}, FolderFiles());
    const std::string store(kStore.begin(), kStore.end());  // the prefix's paths are ASCII
    EXPECT_EQ("Can't open file <" + store + "> for writing\r\n", log.Added());
}
