// The browser seam over the page model, for native tests: the same answers the Windows
// adapter gives over the COM page objects, faults included.
#pragma once

#include <memory>
#include <vector>

#include "harness/PageModel.h"
#include "page/BrowserHost.h"

namespace keyvale::harness {

class ModelBrowser final : public Browser {
public:
    explicit ModelBrowser(ModelBrowserState& state) : state_(state) {}

    void Navigate(std::u16string_view url) override;
    std::optional<std::int32_t> ReadyState() override;
    std::unique_ptr<PageDocument> Document() override;
    std::unique_ptr<PageWindow> FindPageWindow() override;

    // Whether the window chain down to the page window exists.
    bool hasPageWindow = true;
    // The keystrokes the page window received, in order.
    std::vector<KeyStroke> receivedKeys;

private:
    ModelBrowserState& state_;
};

// The seam's view of one model document (null when it does not answer as an HTML document).
std::unique_ptr<PageDocument> MakeModelDocument(ModelDocument& document);

}  // namespace keyvale::harness
