// The lumora command-line tool, which inspects and repairs the current user's store
// without the browser:
//   lumora sites          every site: title, address, each field's type and name (values masked)
//   lumora text           the store document's text, as UTF-8
//   lumora replace FILE   replaces the store with the KVPassword document in a UTF-8 file
// Errors go to the error stream with a non-zero exit, and change nothing.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace keyvale::cli {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;  // no store, an unreadable store, a bad file, a failed save
inline constexpr int kExitUsage = 2;

// What the tool needs from its process: two output streams (bytes, UTF-8) and reading
// the file named on the command line.
class Console {
public:
    virtual ~Console() = default;
    virtual void Out(std::string_view bytes) = 0;
    virtual void Err(std::string_view bytes) = 0;
    // The whole file; false when it cannot be read.
    virtual bool ReadFile(const std::u16string& path, std::string& bytes) = 0;
};

// Runs one command; args are the command-line arguments after the program's name.
int RunLumora(const std::vector<std::u16string>& args, Console& console);

}  // namespace keyvale::cli
