// The lumora console program on Windows: the command line as wide arguments, binary
// standard streams (so the store's own CR LF line ends pass unchanged) and the store's own
// Win32 file reading.
#include "win/WinPrelude.h"
#include "win/WinRaii.h"

#include "LumoraCommand.h"
#include "store/StoreServices.h"

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <vector>

namespace {

using namespace keyvale;

class WinConsole final : public cli::Console {
public:
    void Out(std::string_view bytes) override { Put(stdout, bytes); }
    void Err(std::string_view bytes) override { Put(stderr, bytes); }

    // The same Win32 file reading the store itself uses.
    bool ReadFile(const std::u16string& path, std::string& bytes) override {
        std::vector<std::uint8_t> content;
        if (!PlatformStoreServices().files->ReadFile(path, content)) return false;
        bytes.assign(content.begin(), content.end());
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
