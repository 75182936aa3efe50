// Fakes of the store file's services for native tests: a reversible protection, an
// application-data folder in a temporary folder, and real files there with a writer that
// can be told to fail. FakeStoreEnvironment installs all three for its lifetime.
#pragma once

#include "store/StoreServices.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <set>
#include <string>
#include <vector>

namespace keyvale::testing {

using Bytes = std::vector<std::uint8_t>;

// Seals bytes into a blob that names its description and entropy; only the same entropy
// opens it again.
class FakeProtection final : public StoreProtection {
public:
    static constexpr std::int32_t kDamagedError = 13;                 // ERROR_INVALID_DATA
    static constexpr std::int32_t kOtherEntropyError = -2146893819;  // NTE_BAD_DATA

    static Bytes Seal(const Bytes& clear, std::u16string_view description, std::span<const std::uint8_t> entropy);

    bool Protect(std::span<const std::uint8_t> clear, std::u16string_view description,
                 std::span<const std::uint8_t> entropy, Bytes& blob, std::int32_t& error) override;
    bool Unprotect(std::span<const std::uint8_t> blob, std::span<const std::uint8_t> entropy, Bytes& clear,
                   std::int32_t& error) override;

    // When set, Protect fails with this code.
    std::optional<std::int32_t> failProtect;
    int protects = 0;
    int unprotects = 0;
    std::u16string lastDescription;
    Bytes lastEntropy;
};

class TempAppData final : public StoreLocation {
public:
    TempAppData();
    ~TempAppData() override;
    TempAppData(const TempAppData&) = delete;
    TempAppData& operator=(const TempAppData&) = delete;

    std::optional<std::u16string> AppDataFolder() override;
    const std::filesystem::path& Folder() const { return folder_; }
    // While set, the folder cannot be determined.
    bool unknown = false;

private:
    std::filesystem::path folder_;
};

// Files on the disk; backslashes in paths are taken as separators.
class DiskFiles final : public StoreFiles {
public:
    static std::filesystem::path PathOf(const std::u16string& path);

    void CreateFolder(const std::u16string& path) override;
    bool ReadFile(const std::u16string& path, Bytes& bytes) override;
    NewFileResult WriteNewFile(const std::u16string& path, std::span<const std::uint8_t> bytes) override;
    bool ReplaceFile(const std::u16string& from, const std::u16string& to) override;
    void RemoveFile(const std::u16string& path) override;

    // When set, each new file gets only this many bytes before the write fails.
    std::optional<std::size_t> failWriteAfter;
    // While set, no new file can be created.
    bool failCreate = false;
    // While set, the replacement of the store fails.
    bool failReplace = false;
    // The number of replacements still to fail before they succeed again.
    int failNextReplaces = 0;
    int replaces = 0;
};

class FakeStoreEnvironment {
public:
    FakeStoreEnvironment();  // installs the fakes
    ~FakeStoreEnvironment();  // restores the platform's services, removes the folder
    FakeStoreEnvironment(const FakeStoreEnvironment&) = delete;
    FakeStoreEnvironment& operator=(const FakeStoreEnvironment&) = delete;

    std::filesystem::path StoreFolder() const { return location.Folder() / "orvane"; }
    std::filesystem::path StoreFile() const { return StoreFolder() / "keyvale.kvp"; }
    // The names of the files in the store's folder.
    std::set<std::string> FolderFiles() const;
    std::optional<Bytes> ReadFile(const std::filesystem::path& path) const;
    void WriteFile(const std::filesystem::path& path, const Bytes& bytes) const;
    // The store file as the system writes it for this clear text (UTF-16LE as given, then NUL).
    static Bytes Protected(std::u16string_view text, std::span<const std::uint8_t> entropy);
    Bytes Protected(std::u16string_view text) const;

    FakeProtection protection;
    TempAppData location;
    DiskFiles files;
};

}  // namespace keyvale::testing
