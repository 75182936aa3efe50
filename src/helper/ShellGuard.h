// The helper stays out of the operating system's shell process.
#pragma once

namespace navlatch {

// True when the executable of this process has "explorer.exe" anywhere in its path, in any
// letter case (the path in the system's 8-bit character set, lower-cased multibyte-aware).
bool IsShellProcess() noexcept;

}  // namespace navlatch
