// The log where the platform gives no module name: keyvale.log in the current folder,
// opened through the C library with a UTF-8 path.
#include "diag/Log.h"

#include "diag/Utf8.h"

namespace keyvale {

namespace {

class StdLogHost final : public LogHost {
public:
    std::optional<std::u16string> ModuleFileName() override { return std::nullopt; }
    std::FILE* OpenEmptied(const std::u16string& path) override {
        return std::fopen(ToUtf8(path).c_str(), "w+");
    }
};

}  // namespace

LogHost& PlatformLogHost() {
    static StdLogHost host;
    return host;
}

}  // namespace keyvale
