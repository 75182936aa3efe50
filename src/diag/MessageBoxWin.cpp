// Message boxes on Windows: MessageBoxW with no owner window.
#include "win/WinPrelude.h"

#include "diag/MessageBox.h"

namespace keyvale {

static_assert(kBoxOk == MB_OK && kBoxOkCancel == MB_OKCANCEL && kBoxIconError == MB_ICONERROR &&
              kBoxIconQuestion == MB_ICONQUESTION && kBoxIconExclamation == MB_ICONEXCLAMATION &&
              kBoxIconInformation == MB_ICONINFORMATION);
static_assert(kIdOk == IDOK && kIdCancel == IDCANCEL);

namespace {

class WinMessageBoxHost final : public MessageBoxHost {
public:
    int Show(std::u16string_view caption, std::u16string_view text, unsigned type) override {
        const std::u16string captionText(caption);
        const std::u16string bodyText(text);
        return ::MessageBoxW(nullptr, win::WStr(bodyText), win::WStr(captionText), type);
    }
};

}  // namespace

MessageBoxHost& PlatformMessageBoxHost() {
    static WinMessageBoxHost host;
    return host;
}

}  // namespace keyvale
