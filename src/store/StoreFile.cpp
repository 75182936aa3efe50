#include "store/StoreFile.h"

#include "diag/Log.h"
#include "diag/Messages.h"
#include "store/PasswordStore.h"
#include "store/StoreServices.h"
#include "store/Wipe.h"

#include <chrono>
#include <mutex>
#include <thread>

namespace keyvale {

namespace {

std::mutex g_servicesMutex;
StoreServices g_services;

StoreServices CurrentServices() {
    StoreServices platform = PlatformStoreServices();
    std::lock_guard lock(g_servicesMutex);
    return {g_services.protection ? g_services.protection : platform.protection,
            g_services.location ? g_services.location : platform.location,
            g_services.files ? g_services.files : platform.files};
}

// How many names are tried for a temporary file or a kept copy before giving up.
constexpr int kMaxNumberedNames = 1000;

// The store cannot be replaced while another window or process is reading it; reads
// hold the file only for a moment, so the replacement is tried a few times.
constexpr int kReplaceAttempts = 5;
constexpr auto kReplacePause = std::chrono::milliseconds(20);

bool ReplaceWithRetries(const StoreServices& services, const std::u16string& from, const std::u16string& to) {
    for (int attempt = 1;; ++attempt) {
        if (services.files->ReplaceFile(from, to)) return true;
        if (attempt == kReplaceAttempts) return false;
        std::this_thread::sleep_for(kReplacePause);
    }
}

std::u16string Number(int n) {
    std::u16string digits;
    do {
        digits.insert(digits.begin(), static_cast<char16_t>(u'0' + n % 10));
        n /= 10;
    } while (n > 0);
    return digits;
}

// The store's folder ("...\orvane\"), created when missing; none without app data.
std::optional<std::u16string> PrepareFolder(const StoreServices& services) {
    std::optional<std::u16string> appData = services.location->AppDataFolder();
    if (!appData) return std::nullopt;
    std::u16string folder = *appData + u'\\' + std::u16string(kStoreFolder) + u'\\';
    services.files->CreateFolder(folder);
    return folder;
}

// The document's text as the file's clear text: UTF-16LE and one NUL code unit.
std::vector<std::uint8_t> ClearTextOf(const MarkupDoc& store) {
    std::u16string text = store.DocumentText();
    WipeOnExit wipeText(text);
    std::vector<std::uint8_t> clear;
    clear.reserve(2 * (text.size() + 1));
    for (char16_t unit : text) {
        clear.push_back(static_cast<std::uint8_t>(unit & 0xFF));
        clear.push_back(static_cast<std::uint8_t>(unit >> 8));
    }
    clear.push_back(0);
    clear.push_back(0);
    return clear;
}

// The clear text read as UTF-16LE up to the first NUL code unit or the end of the data.
std::u16string TextOfClear(const std::vector<std::uint8_t>& clear) {
    std::u16string text;
    text.reserve(clear.size() / 2);
    for (std::size_t i = 0; i + 1 < clear.size(); i += 2) {
        const auto unit = static_cast<char16_t>(clear[i] | (clear[i + 1] << 8));
        if (unit == 0) break;
        text.push_back(unit);
    }
    return text;
}

bool Unprotects(const StoreServices& services, const std::vector<std::uint8_t>& blob, std::int32_t& error) {
    const auto entropy = StoreEntropy();
    std::vector<std::uint8_t> clear;
    WipeOnExit wipe(clear);
    return services.protection->Unprotect(blob, entropy, clear, error);
}

void LogCantWrite(const std::u16string& path) {
    WriteLog(kLogCantOpenForWriting, LogText(path).c_str());
}

// Writes bytes to the first free name made by name(n); the written file's path, or none
// after a failure (which removes what was written).
template <typename Name>
std::optional<std::u16string> WriteNumbered(const StoreServices& services, Name name,
                                            std::span<const std::uint8_t> bytes) {
    for (int n = 1; n <= kMaxNumberedNames; ++n) {
        std::u16string path = name(n);
        switch (services.files->WriteNewFile(path, bytes)) {
            case NewFileResult::written:
                return path;
            case NewFileResult::exists:
                continue;
            case NewFileResult::failed:
                services.files->RemoveFile(path);
                LogCantWrite(path);
                return std::nullopt;
        }
    }
    LogCantWrite(name(kMaxNumberedNames));
    return std::nullopt;
}

}  // namespace

void SetStoreServices(const StoreServices& services) {
    std::lock_guard lock(g_servicesMutex);
    g_services = services;
}

std::array<std::uint8_t, 128> StoreEntropy() {
    // A xorshift sequence from fixed seeds; these values are part of every store file.
    std::array<std::uint8_t, 128> entropy{};
    std::uint32_t x = 0x4C756D6Fu;  // "Lumo"
    for (std::size_t i = 0; i < entropy.size(); ++i) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        entropy[i] = static_cast<std::uint8_t>((x >> 24) ^ (i * 0x3Du) ^ 0xA7u);
    }
    return entropy;
}

std::optional<std::u16string> StoreFilePath() {
    std::optional<std::u16string> appData = CurrentServices().location->AppDataFolder();
    if (!appData) return std::nullopt;
    return *appData + u'\\' + std::u16string(kStoreFolder) + u'\\' + std::u16string(kStoreFileName);
}

StoreLoadResult LoadStoreFile(MarkupDoc& store) {
    const StoreServices services = CurrentServices();
    StoreLoadResult result{StoreLoadStatus::missing};
    std::optional<std::u16string> folder = PrepareFolder(services);
    std::vector<std::uint8_t> blob;
    if (folder && services.files->ReadFile(*folder + std::u16string(kStoreFileName), blob) && !blob.empty()) {
        const auto entropy = StoreEntropy();
        std::vector<std::uint8_t> clear;
        WipeOnExit wipeClear(clear);
        if (services.protection->Unprotect(blob, entropy, clear, result.error)) {
            std::u16string text = TextOfClear(clear);
            WipeOnExit wipeText(text);
            store.AssignText(text);
            ReadPreferences(store);
            result = {StoreLoadStatus::loaded};
        } else {
            WriteLog(kLogUnprotectFailed, static_cast<int>(result.error));
            result.status = StoreLoadStatus::unreadable;
        }
    }
    store.Rewind();
    return result;
}

bool LoadStore(MarkupDoc& store) { return LoadStoreFile(store).status == StoreLoadStatus::loaded; }

bool SaveStore(MarkupDoc& store) {
    WritePreferences(store);
    const StoreServices services = CurrentServices();
    std::optional<std::u16string> folder = PrepareFolder(services);
    if (!folder) {
        LogCantWrite(std::u16string(kStoreFolder) + u'\\' + std::u16string(kStoreFileName));
        return false;
    }
    const std::u16string path = *folder + std::u16string(kStoreFileName);

    std::vector<std::uint8_t> blob;
    {
        std::vector<std::uint8_t> clear = ClearTextOf(store);
        WipeOnExit wipeClear(clear);
        const auto entropy = StoreEntropy();
        std::int32_t error = 0;
        if (!services.protection->Protect(clear, kStoreDescription, entropy, blob, error)) {
            WriteLog(kLogProtectFailed, static_cast<int>(error));
            return false;  // the previous file stays
        }
    }

    // A previous file that does not unprotect may be the user's only copy: keep it.
    std::vector<std::uint8_t> previous;
    std::int32_t previousError = 0;
    if (services.files->ReadFile(path, previous) && !previous.empty() &&
        !Unprotects(services, previous, previousError)) {
        auto keptName = [&](int n) { return *folder + u"keyvale-unreadable-" + Number(n) + u".kvp"; };
        if (!WriteNumbered(services, keptName, previous)) return false;
    }

    auto tempName = [&](int n) { return path + u'.' + Number(n) + u".tmp"; };
    std::optional<std::u16string> temp = WriteNumbered(services, tempName, blob);
    if (!temp) return false;
    if (!ReplaceWithRetries(services, *temp, path)) {
        services.files->RemoveFile(*temp);
        LogCantWrite(path);
        return false;
    }
    return true;
}

}  // namespace keyvale
