#include "StoreFakes.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>

namespace keyvale::testing {

namespace {

constexpr std::uint8_t kMagic[4] = {'F', 'A', 'K', 'E'};
constexpr std::uint8_t kMask = 0x5C;

void PutSize(Bytes& out, std::size_t n) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<std::uint8_t>(n >> (8 * i)));
}

bool TakeSize(std::span<const std::uint8_t>& in, std::size_t& n) {
    if (in.size() < 4) return false;
    n = 0;
    for (int i = 0; i < 4; ++i) n |= static_cast<std::size_t>(in[i]) << (8 * i);
    in = in.subspan(4);
    return n <= in.size();
}

}  // namespace

// Layout: "FAKE", description (size, UTF-16LE), entropy (size, bytes), masked clear bytes.
Bytes FakeProtection::Seal(const Bytes& clear, std::u16string_view description, std::span<const std::uint8_t> entropy) {
    Bytes blob(std::begin(kMagic), std::end(kMagic));
    PutSize(blob, description.size() * 2);
    for (char16_t c : description) {
        blob.push_back(static_cast<std::uint8_t>(c & 0xFF));
        blob.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    PutSize(blob, entropy.size());
    blob.insert(blob.end(), entropy.begin(), entropy.end());
    for (std::uint8_t b : clear) blob.push_back(b ^ kMask);
    return blob;
}

bool FakeProtection::Protect(std::span<const std::uint8_t> clear, std::u16string_view description,
                             std::span<const std::uint8_t> entropy, Bytes& blob, std::int32_t& error) {
    ++protects;
    lastDescription = description;
    lastEntropy.assign(entropy.begin(), entropy.end());
    if (failProtect) {
        error = *failProtect;
        return false;
    }
    blob = Seal(Bytes(clear.begin(), clear.end()), description, entropy);
    return true;
}

bool FakeProtection::Unprotect(std::span<const std::uint8_t> blob, std::span<const std::uint8_t> entropy,
                               Bytes& clear, std::int32_t& error) {
    ++unprotects;
    lastEntropy.assign(entropy.begin(), entropy.end());
    std::span<const std::uint8_t> in = blob;
    std::size_t n = 0;
    if (in.size() < 4 || !std::equal(std::begin(kMagic), std::end(kMagic), in.begin()) ||
        !TakeSize(in = in.subspan(4), n)) {
        error = kDamagedError;
        return false;
    }
    in = in.subspan(n);
    if (!TakeSize(in, n)) {
        error = kDamagedError;
        return false;
    }
    if (!std::equal(entropy.begin(), entropy.end(), in.begin(), in.begin() + n)) {
        error = kOtherEntropyError;
        return false;
    }
    in = in.subspan(n);
    clear.clear();
    for (std::uint8_t b : in) clear.push_back(b ^ kMask);
    return true;
}

TempAppData::TempAppData() {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (;;) {
        folder_ = std::filesystem::temp_directory_path() /
                  ("kv-appdata-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        if (std::filesystem::create_directory(folder_)) break;
    }
}

TempAppData::~TempAppData() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::optional<std::u16string> TempAppData::AppDataFolder() {
    if (unknown) return std::nullopt;
    return folder_.generic_u16string();
}

std::filesystem::path DiskFiles::PathOf(const std::u16string& path) {
    std::u16string generic = path;
    std::replace(generic.begin(), generic.end(), u'\\', u'/');
    return std::filesystem::path(generic);
}

void DiskFiles::CreateFolder(const std::u16string& path) {
    std::error_code ignored;
    std::filesystem::create_directory(PathOf(path), ignored);
}

bool DiskFiles::ReadFile(const std::u16string& path, Bytes& bytes) {
    std::ifstream in(PathOf(path), std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

NewFileResult DiskFiles::WriteNewFile(const std::u16string& path, std::span<const std::uint8_t> bytes) {
    const std::filesystem::path target = PathOf(path);
    if (std::filesystem::exists(target)) return NewFileResult::exists;
    if (failCreate) return NewFileResult::failed;
    std::ofstream out(target, std::ios::binary);
    if (!out) return NewFileResult::failed;
    const std::size_t count = failWriteAfter ? std::min(*failWriteAfter, bytes.size()) : bytes.size();
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(count));
    out.close();
    if (failWriteAfter || !out) return NewFileResult::failed;
    return NewFileResult::written;
}

bool DiskFiles::ReplaceFile(const std::u16string& from, const std::u16string& to) {
    ++replaces;
    if (failReplace) return false;
    if (failNextReplaces > 0) {
        --failNextReplaces;
        return false;
    }
    std::error_code error;
    std::filesystem::rename(PathOf(from), PathOf(to), error);
    return !error;
}

void DiskFiles::RemoveFile(const std::u16string& path) {
    std::error_code ignored;
    std::filesystem::remove(PathOf(path), ignored);
}

FakeStoreEnvironment::FakeStoreEnvironment() { SetStoreServices({&protection, &location, &files}); }

FakeStoreEnvironment::~FakeStoreEnvironment() { SetStoreServices({}); }

std::set<std::string> FakeStoreEnvironment::FolderFiles() const {
    std::set<std::string> names;
    std::error_code ignored;
    for (const auto& entry : std::filesystem::directory_iterator(StoreFolder(), ignored)) {
        names.insert(entry.path().filename().string());
    }
    return names;
}

std::optional<Bytes> FakeStoreEnvironment::ReadFile(const std::filesystem::path& path) const {
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void FakeStoreEnvironment::WriteFile(const std::filesystem::path& path, const Bytes& bytes) const {
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

Bytes FakeStoreEnvironment::Protected(std::u16string_view text, std::span<const std::uint8_t> entropy) {
    Bytes clear;
    for (char16_t c : text) {
        clear.push_back(static_cast<std::uint8_t>(c & 0xFF));
        clear.push_back(static_cast<std::uint8_t>(c >> 8));
    }
    clear.push_back(0);
    clear.push_back(0);
    return FakeProtection::Seal(clear, kStoreDescription, entropy);
}

Bytes FakeStoreEnvironment::Protected(std::u16string_view text) const {
    return Protected(text, StoreEntropy());
}

}  // namespace keyvale::testing
