// The behaviour tests through the Windows adapter, over the COM page objects, the browser's
// windows and the stand-in browser object.
#include "PageHost.h"
#include "harness/HostBrowserWin.h"
#include "harness/HostWindowsWin.h"
#include "page/BrowserHostWin.h"
#include "win/WinRaii.h"

namespace keyvale::testing {
namespace {

class ComHost final : public PageHost {
public:
    ComHost() : apartment_(SUCCEEDED(::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {}
    ~ComHost() override {
        windows_.reset();
        if (apartment_) ::CoUninitialize();
    }

    std::unique_ptr<Browser> MakeBrowser(harness::ModelBrowserState& state,
                                         bool pageWindowReachable) override {
        windows_ = harness::HostWindows::Create(pageWindowReachable
                                                    ? harness::HostLayout::Browser
                                                    : harness::HostLayout::NoDocumentView);
        if (!windows_) {
            ADD_FAILURE() << "the browser's windows were not made";
            return nullptr;
        }
        win::com_ptr<IWebBrowser2> browser;
        if (FAILED(harness::HostBrowser::Create(state, windows_->TopLevel(), browser.put()))) {
            ADD_FAILURE() << "the browser object was not made";
            return nullptr;
        }
        return MakeWebBrowserHost(browser.get());
    }

    std::vector<KeyStroke> ReceivedKeys() override {
        std::vector<KeyStroke> keys;
        if (!windows_) return keys;
        for (const harness::ReceivedKey& k : windows_->ReceivedKeys()) {
            keys.push_back(KeyStroke{static_cast<KeyMessage>(k.message),
                                     static_cast<std::uint32_t>(k.wParam),
                                     static_cast<std::uint32_t>(k.lParam)});
        }
        return keys;
    }

private:
    bool apartment_;
    std::unique_ptr<harness::HostWindows> windows_;
};

const PageHostKind kCom{"Com", []() -> std::unique_ptr<PageHost> {
                            return std::make_unique<ComHost>();
                        }};

}  // namespace

std::vector<const PageHostKind*> PageHostKinds() { return {&kCom}; }

}  // namespace keyvale::testing
