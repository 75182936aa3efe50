#include "LogCapture.h"

#include <atomic>
#include <chrono>
#include <fstream>
#include <sstream>

namespace keyvale::testing {

namespace {

std::filesystem::path NewTempFolder(const char* prefix) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    for (;;) {
        std::filesystem::path folder = std::filesystem::temp_directory_path() /
            (std::string(prefix) + std::to_string(stamp) + "-" + std::to_string(counter++));
        if (std::filesystem::create_directory(folder)) return folder;
    }
}

}  // namespace

LogCapture::LogCapture(std::optional<std::u16string> moduleFileName)
    : moduleFileName_(std::move(moduleFileName)), folder_(NewTempFolder("kv-log-")), file_(folder_ / "keyvale.log") {
    SetLogHost(this);
}

LogCapture::~LogCapture() {
    SetLogHost(nullptr);
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

std::FILE* LogCapture::OpenEmptied(const std::u16string& path) {
    opened_.push_back(path);
    if (failOpens_) return nullptr;
    // Binary, so the test reads back exactly the bytes of each message on every platform.
    return std::fopen(file_.string().c_str(), "w+b");
}

std::string LogCapture::Text() const {
    std::ifstream in(file_, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

void LogCapture::Restart() {
    SetLogHost(this);
    opened_.clear();
    Seed("");
}

void LogCapture::Seed(const std::string& text) const {
    std::ofstream(file_, std::ios::binary | std::ios::trunc) << text;
}

}  // namespace keyvale::testing
