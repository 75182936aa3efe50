// The store file where the platform offers no per-user protection and no
// application-data folder: there is no store, so loads find none and saves fail. Tests
// install their own services.
#include "store/StoreServices.h"

namespace keyvale {

namespace {

class NoProtection final : public StoreProtection {
public:
    bool Protect(std::span<const std::uint8_t>, std::u16string_view, std::span<const std::uint8_t>,
                 std::vector<std::uint8_t>&, std::int32_t& error) override {
        error = -1;
        return false;
    }
    bool Unprotect(std::span<const std::uint8_t>, std::span<const std::uint8_t>, std::vector<std::uint8_t>&,
                   std::int32_t& error) override {
        error = -1;
        return false;
    }
};

class NoLocation final : public StoreLocation {
public:
    std::optional<std::u16string> AppDataFolder() override { return std::nullopt; }
};

class NoFiles final : public StoreFiles {
public:
    void CreateFolder(const std::u16string&) override {}
    bool ReadFile(const std::u16string&, std::vector<std::uint8_t>&) override { return false; }
    NewFileResult WriteNewFile(const std::u16string&, std::span<const std::uint8_t>) override {
        return NewFileResult::failed;
    }
    bool ReplaceFile(const std::u16string&, const std::u16string&) override { return false; }
    void RemoveFile(const std::u16string&) override {}
};

}  // namespace

StoreServices PlatformStoreServices() {
    static NoProtection protection;
    static NoLocation location;
    static NoFiles files;
    return {&protection, &location, &files};
}

}  // namespace keyvale
