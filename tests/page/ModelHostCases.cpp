// The behaviour tests over the page model's own browser seam.
#include "PageHost.h"
#include "harness/ModelBrowser.h"

namespace keyvale::testing {
namespace {

class ModelHost final : public PageHost {
public:
    std::unique_ptr<Browser> MakeBrowser(harness::ModelBrowserState& state,
                                         bool pageWindowReachable) override {
        auto browser = std::make_unique<harness::ModelBrowser>(state);
        browser->hasPageWindow = pageWindowReachable;
        browser_ = browser.get();
        return browser;
    }
    std::vector<KeyStroke> ReceivedKeys() override {
        return browser_ ? browser_->receivedKeys : std::vector<KeyStroke>();
    }

private:
    harness::ModelBrowser* browser_ = nullptr;
};

const PageHostKind kModel{"Model", []() -> std::unique_ptr<PageHost> {
                              return std::make_unique<ModelHost>();
                          }};

}  // namespace

std::vector<const PageHostKind*> PageHostKinds() { return {&kModel}; }

}  // namespace keyvale::testing
