// The page behaviour tests run over two hosts: natively over the page model's own browser
// seam, and on Windows through the adapter over the COM page objects, the windows and the
// stand-in browser. A host kind makes the browser for a test and reports what the page window
// received.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "harness/PageModel.h"
#include "page/BrowserHost.h"

namespace keyvale::testing {

class PageHost {
public:
    virtual ~PageHost() = default;
    // The browser over `state`. With `pageWindowReachable` false the page window exists but
    // not where a browser puts it, so it must not be found.
    virtual std::unique_ptr<Browser> MakeBrowser(harness::ModelBrowserState& state,
                                                 bool pageWindowReachable) = 0;
    // The keystrokes the page window received.
    virtual std::vector<KeyStroke> ReceivedKeys() = 0;
};

struct PageHostKind {
    const char* name;
    std::unique_ptr<PageHost> (*make)();
};

// The host kinds this test program runs the behaviour tests over.
std::vector<const PageHostKind*> PageHostKinds();

inline void PrintTo(const PageHostKind* kind, std::ostream* os) { *os << kind->name; }

inline std::string HostKindName(const ::testing::TestParamInfo<const PageHostKind*>& info) {
    return info.param->name;
}

class PageTest : public ::testing::TestWithParam<const PageHostKind*> {
protected:
    void SetUp() override { host_ = GetParam()->make(); }
    void TearDown() override {
        browser_.reset();
        host_.reset();
    }

    Browser& browser(bool pageWindowReachable = true) {
        if (!browser_) browser_ = host_->MakeBrowser(state, pageWindowReachable);
        return *browser_;
    }
    PageHost& host() { return *host_; }

    harness::PageModel model;
    harness::ModelBrowserState state{model};

private:
    std::unique_ptr<PageHost> host_;
    std::unique_ptr<Browser> browser_;
};

}  // namespace keyvale::testing
