#include "diag/Log.h"

#include "diag/Messages.h"
#include "diag/Utf8.h"

#include <algorithm>
#include <mutex>

namespace keyvale {

namespace {

// The stream and its host, shared by every thread of the process; each message is
// opened, written and flushed whole.
std::mutex g_mutex;
LogHost* g_host = nullptr;
std::FILE* g_stream = nullptr;

}  // namespace

std::u16string LogFilePath(const std::optional<std::u16string>& moduleFileName) {
    if (moduleFileName) {
        const std::size_t slash = moduleFileName->rfind(u'\\');
        if (slash != std::u16string::npos) {
            return moduleFileName->substr(0, slash + 1) + std::u16string(kLogFileName);
        }
    }
    return std::u16string(kLogFileName);
}

std::string LogText(std::u16string_view text) { return ToUtf8(text); }

void SetLogHost(LogHost* host) {
    std::lock_guard lock(g_mutex);
    if (g_stream) std::fclose(g_stream);
    g_stream = nullptr;
    g_host = host;
}

void WriteLogV(const char* format, std::va_list args) {
    char buffer[kMaxLogMessage + 1];
    const int written = std::vsnprintf(buffer, sizeof buffer, format, args);
    if (written < 0) return;
    const std::size_t length = std::min<std::size_t>(static_cast<std::size_t>(written), kMaxLogMessage);

    std::lock_guard lock(g_mutex);
    if (!g_stream) {
        LogHost& host = g_host ? *g_host : PlatformLogHost();
        g_stream = host.OpenEmptied(LogFilePath(host.ModuleFileName()));
        if (!g_stream) return;  // dropped; the next message tries again
    }
    std::fwrite(buffer, 1, length, g_stream);
    std::fflush(g_stream);
}

void WriteLog(const char* format, ...) {
    std::va_list args;
    va_start(args, format);
    WriteLogV(format, args);
    va_end(args);
}

}  // namespace keyvale
