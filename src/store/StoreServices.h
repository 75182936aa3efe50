// What the store file needs from the platform: per-user protection, the user's
// application-data folder and a few file operations. The platform's services are DPAPI,
// SHGetFolderPathW and Win32 files; tests install their own.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace keyvale {

// Per-user protection: a blob that only the same user can turn back into exactly the
// protected bytes. Failures give the system's error code.
class StoreProtection {
public:
    virtual ~StoreProtection() = default;
    virtual bool Protect(std::span<const std::uint8_t> clear, std::u16string_view description,
                         std::span<const std::uint8_t> entropy, std::vector<std::uint8_t>& blob,
                         std::int32_t& error) = 0;
    // The caller wipes clear once it has used it.
    virtual bool Unprotect(std::span<const std::uint8_t> blob, std::span<const std::uint8_t> entropy,
                           std::vector<std::uint8_t>& clear, std::int32_t& error) = 0;
};

class StoreLocation {
public:
    virtual ~StoreLocation() = default;
    // The user's roaming application-data folder, without a trailing backslash.
    virtual std::optional<std::u16string> AppDataFolder() = 0;
};

enum class NewFileResult { written, exists, failed };

// Paths use backslashes, as on Windows.
class StoreFiles {
public:
    virtual ~StoreFiles() = default;
    virtual void CreateFolder(const std::u16string& path) = 0;  // its result is not needed
    // The whole file; false when it does not open or cannot be read.
    virtual bool ReadFile(const std::u16string& path, std::vector<std::uint8_t>& bytes) = 0;
    // Creates a file that must not exist yet, writes bytes, flushes them to the disk and
    // closes it. After failed a partial file may be left.
    virtual NewFileResult WriteNewFile(const std::u16string& path, std::span<const std::uint8_t> bytes) = 0;
    // Moves from over to, replacing to, written through to the disk.
    virtual bool ReplaceFile(const std::u16string& from, const std::u16string& to) = 0;
    virtual void RemoveFile(const std::u16string& path) = 0;
};

struct StoreServices {
    StoreProtection* protection = nullptr;
    StoreLocation* location = nullptr;
    StoreFiles* files = nullptr;
};

// The platform's services (none of them null).
StoreServices PlatformStoreServices();
// Later loads and saves use these; each null member stands for the platform's.
void SetStoreServices(const StoreServices& services);

inline constexpr std::u16string_view kStoreDescription = u"Protect Password";
inline constexpr std::u16string_view kStoreFolder = u"orvane";
inline constexpr std::u16string_view kStoreFileName = u"keyvale.kvp";

// The 128 bytes passed as the optional entropy of every protection and unprotection of
// the store, built at run time; they are part of the file format and never change.
std::array<std::uint8_t, 128> StoreEntropy();

}  // namespace keyvale
