// Message boxes where the platform has none: a recorder that answers OK.
#include "diag/MessageBox.h"

namespace keyvale {

MessageBoxHost& PlatformMessageBoxHost() {
    static MessageBoxRecorder recorder;
    return recorder;
}

}  // namespace keyvale
