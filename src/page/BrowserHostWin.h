// The browser seam over Internet Explorer's automation object and HTML document model.
#pragma once

#include "win/WinPrelude.h"

#include <exdisp.h>

#include <memory>

#include "page/BrowserHost.h"

namespace keyvale {

// Wraps the browser of the window that hosts the band; the wrapper holds its own reference.
// Null for a null browser.
std::unique_ptr<Browser> MakeWebBrowserHost(IWebBrowser2* browser);

}  // namespace keyvale
