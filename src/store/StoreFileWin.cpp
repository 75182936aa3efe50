// The store file's platform services on Windows: DPAPI bound to the current user,
// SHGetFolderPathW for the roaming application-data folder and Win32 files.
#include "win/WinPrelude.h"
#include "win/WinRaii.h"

#include <shlobj.h>

#include "store/StoreServices.h"

#include <algorithm>
#include <new>

namespace keyvale {

namespace {

using win::WStr;

DATA_BLOB BlobOf(std::span<const std::uint8_t> bytes) {
    return DATA_BLOB{static_cast<DWORD>(bytes.size()), const_cast<BYTE*>(bytes.data())};
}

std::int32_t LastError() { return static_cast<std::int32_t>(::GetLastError()); }

class DpapiProtection final : public StoreProtection {
public:
    bool Protect(std::span<const std::uint8_t> clear, std::u16string_view description,
                 std::span<const std::uint8_t> entropy, std::vector<std::uint8_t>& blob,
                 std::int32_t& error) override {
        DATA_BLOB in = BlobOf(clear);
        DATA_BLOB extra = BlobOf(entropy);
        const std::u16string descriptionText(description);
        win::unique_local_blob out;
        ::SetLastError(0);  // a failure that sets no code logs 0, not an earlier call's code
        if (!::CryptProtectData(&in, WStr(descriptionText), &extra, nullptr, nullptr, 0, out.put())) {
            error = LastError();
            return false;
        }
        blob.assign(out.data(), out.data() + out.size());
        return true;
    }

    bool Unprotect(std::span<const std::uint8_t> blob, std::span<const std::uint8_t> entropy,
                   std::vector<std::uint8_t>& clear, std::int32_t& error) override {
        DATA_BLOB in = BlobOf(blob);
        DATA_BLOB extra = BlobOf(entropy);
        win::unique_secret_blob out;  // wiped when released
        ::SetLastError(0);  // Wine's entropy check fails without setting a code
        if (!::CryptUnprotectData(&in, nullptr, &extra, nullptr, nullptr, 0, out.put())) {
            error = LastError();
            return false;
        }
        clear.assign(out.data(), out.data() + out.size());
        return true;
    }
};

class ShellLocation final : public StoreLocation {
public:
    std::optional<std::u16string> AppDataFolder() override {
        wchar_t path[MAX_PATH] = {};
        if (FAILED(::SHGetFolderPathW(nullptr, CSIDL_APPDATA | CSIDL_FLAG_CREATE, nullptr,
                                      SHGFP_TYPE_CURRENT, path))) {
            return std::nullopt;
        }
        return win::U16(path);
    }
};

class Win32Files final : public StoreFiles {
public:
    void CreateFolder(const std::u16string& path) override { ::CreateDirectoryW(WStr(path), nullptr); }

    bool ReadFile(const std::u16string& path, std::vector<std::uint8_t>& bytes) override {
        win::unique_hfile file(::CreateFileW(WStr(path), GENERIC_READ,
                                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                             nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
        try {
            bytes.resize(static_cast<std::size_t>(size.QuadPart));
        } catch (const std::bad_alloc&) {
            return false;
        }
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
            if (!::ReadFile(file.get(), bytes.data() + done, want, &got, nullptr)) return false;
            if (got == 0) break;  // the file shrank meanwhile
            done += got;
        }
        bytes.resize(done);
        return true;
    }

    NewFileResult WriteNewFile(const std::u16string& path, std::span<const std::uint8_t> bytes) override {
        win::unique_hfile file(::CreateFileW(WStr(path), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                             FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            const DWORD error = ::GetLastError();
            return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? NewFileResult::exists
                                                                               : NewFileResult::failed;
        }
        std::size_t done = 0;
        while (done < bytes.size()) {
            DWORD put = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
            if (!::WriteFile(file.get(), bytes.data() + done, want, &put, nullptr) || put == 0) {
                return NewFileResult::failed;
            }
            done += put;
        }
        if (!::FlushFileBuffers(file.get())) return NewFileResult::failed;
        if (!::CloseHandle(file.release())) return NewFileResult::failed;
        return NewFileResult::written;
    }

    bool ReplaceFile(const std::u16string& from, const std::u16string& to) override {
        return ::MoveFileExW(WStr(from), WStr(to), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    }

    void RemoveFile(const std::u16string& path) override { ::DeleteFileW(WStr(path)); }
};

}  // namespace

StoreServices PlatformStoreServices() {
    static DpapiProtection protection;
    static ShellLocation location;
    static Win32Files files;
    return {&protection, &location, &files};
}

}  // namespace keyvale
