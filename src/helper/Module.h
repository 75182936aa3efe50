// Module state of the helper DLL: its handle and the one count of living objects (class
// factories and helpers) and server locks that keeps it loaded.
#pragma once

#include "helper/HelperPrelude.h"

#include <string>

namespace navlatch {

HMODULE ModuleHandle() noexcept;
void ModuleAddRef() noexcept;
void ModuleRelease() noexcept;

// The full path of the helper's file, as the module-file-name query gives it; empty on
// failure.
std::wstring ModulePath();

}  // namespace navlatch
