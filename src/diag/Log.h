// The diagnostic log: failures the user need not see, one message at a time, in the
// file keyvale.log beside the module that holds this code. The stream is one for the
// process; the first message of a process opens it and so empties the file, and it stays
// open until the process ends. Messages are written as formatted: no time stamp, no
// prefix, no line end but those in the message.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <optional>
#include <string>

namespace keyvale {

// A formatted message is cut to this many narrow characters.
inline constexpr std::size_t kMaxLogMessage = 4095;

void WriteLog(const char* format, ...) __attribute__((format(gnu_printf, 1, 2)));
void WriteLogV(const char* format, std::va_list args) __attribute__((format(gnu_printf, 1, 0)));

// Where the log goes and how its stream opens.
class LogHost {
public:
    virtual ~LogHost() = default;
    // The full path of the file the code was loaded from; none when it cannot be had.
    virtual std::optional<std::u16string> ModuleFileName() = 0;
    // Opens the file for reading and writing as text, emptying it ("w+"); null on failure.
    virtual std::FILE* OpenEmptied(const std::u16string& path) = 0;
};

// The platform's: our own module's file name on Windows; elsewhere no module name.
LogHost& PlatformLogHost();
// Sends later messages through host (null: the platform's). The open stream is closed, so
// the next message opens the log anew.
void SetLogHost(LogHost* host);

// The log file for a module file name: the name cut after its last backslash, then
// "keyvale.log"; with no name, or one without a backslash, "keyvale.log" alone.
std::u16string LogFilePath(const std::optional<std::u16string>& moduleFileName);

// Wide text (a file's path) as the narrow characters of the log: UTF-8.
std::string LogText(std::u16string_view text);

}  // namespace keyvale
