// The lumora console program on Windows: the command line as wide arguments, binary
// standard streams (so the store's own CR LF line ends pass unchanged) and Win32 files.
#include "win/WinPrelude.h"
#include "win/WinRaii.h"

#include "LumoraCommand.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <new>

namespace {

using namespace keyvale;

class WinConsole final : public cli::Console {
public:
    void Out(std::string_view bytes) override { Put(stdout, bytes); }
    void Err(std::string_view bytes) override { Put(stderr, bytes); }

    bool ReadFile(const std::u16string& path, std::string& bytes) override {
        win::unique_hfile file(::CreateFileW(win::WStr(path), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                             OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        LARGE_INTEGER size{};
        if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart > 0x7FFFFFFF) return false;
        try {
            bytes.resize(static_cast<std::size_t>(size.QuadPart));
        } catch (const std::bad_alloc&) {
            return false;
        }
        DWORD got = 0;
        if (!bytes.empty() && !::ReadFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr)) {
            return false;
        }
        bytes.resize(got);
        return true;
    }

private:
    static void Put(std::FILE* stream, std::string_view bytes) {
        std::fwrite(bytes.data(), 1, bytes.size(), stream);
        std::fflush(stream);
    }
};

}  // namespace

int wmain(int argc, wchar_t** argv) {
    _setmode(_fileno(stdout), _O_BINARY);
    _setmode(_fileno(stderr), _O_BINARY);
    std::vector<std::u16string> args;
    for (int i = 1; i < argc; ++i) args.push_back(win::U16(argv[i]));
    WinConsole console;
    return cli::RunLumora(args, console);
}
