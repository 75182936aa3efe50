// Screenshots of what is on the (virtual) screen: a browser window together with any menu
// that is open over it.
#pragma once

#include "win/WinPrelude.h"

#include <string>

namespace keyvale::harness {

// Captures the screen area of `window` and of every open menu, as a PNG file. Empty on
// success, otherwise why not.
std::string CaptureScreenshot(HWND window, const std::string& path);

}  // namespace keyvale::harness
