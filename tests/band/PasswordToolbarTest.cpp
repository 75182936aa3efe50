// The toolbar's command dispatch, site menu, site opening and timed fill, over the page
// model and the store's fakes.
#include "band/PasswordToolbar.h"

#include "harness/ModelBrowser.h"
#include "harness/PageModel.h"
#include "page/PageFill.h"
#include "store/PasswordStore.h"
#include "StoreFakes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace keyvale {
namespace {

using harness::ModelBrowser;
using harness::ModelBrowserState;
using harness::PageModel;

// The toolbar's window as tests see it: timers, menus and opened pages are recorded.
class FakeUi final : public ToolbarUi {
public:
    std::uint32_t StartTimer(std::uint32_t id, std::uint32_t periodMs) override {
        starts.push_back({id, periodMs});
        running = grant != 0;
        return grant;
    }
    void StopTimer(std::uint32_t timer) override {
        stops.push_back(timer);
        running = false;
    }
    void TrackMenu(const SiteMenu& sites) override { menus.push_back(sites); }
    void OpenWebPage(std::u16string_view url) override { pages.emplace_back(url); }

    struct Start {
        std::uint32_t id, period;
    };
    std::uint32_t grant = 7;  // the identifier the platform hands out
    bool running = false;
    std::vector<Start> starts;
    std::vector<std::uint32_t> stops;
    std::vector<SiteMenu> menus;
    std::vector<std::u16string> pages;
};

std::u16string Number(int n) {
    const std::string digits = std::to_string(n);
    return std::u16string(digits.begin(), digits.end());
}

std::u16string Site(std::u16string_view title, std::u16string_view url, std::u16string_view user = u"ann") {
    std::u16string s = u"<Site>\r\n<title>" + std::u16string(title) + u"</title>\r\n";
    s += u"<url>" + std::u16string(url) + u"</url>\r\n";
    s += u"<input>\r\n<type>text</type>\r\n<name>user</name>\r\n<value>" + std::u16string(user) +
         u"</value>\r\n</input>\r\n</Site>\r\n";
    return s;
}

std::u16string Store(const std::u16string& sites, bool autosignon = false) {
    return u"<KVPassword Version=\"1\">\r\n<Preferences>\r\n<autosignon>" + std::u16string(autosignon ? u"1" : u"0") +
           u"</autosignon>\r\n<exportpassword/>\r\n</Preferences>\r\n" + sites + u"</KVPassword>\r\n";
}

class ToolbarTest : public ::testing::Test {
protected:
    ToolbarTest() {
        FillTicks().store(0);
        auto owned = std::make_unique<ModelBrowser>(state);
        browser = owned.get();
        toolbar.SetBrowser(std::move(owned));
        login = &model.AddDocument(u"https://mail.example.com/login", u"Mail");
        login->AddInput(u"text", u"user");
    }

    void WriteStore(std::u16string_view text) { env.WriteFile(env.StoreFile(), env.Protected(text)); }

    // The user drops the menu down and picks an item, as the window delivers it.
    void Choose(std::uint32_t command) {
        toolbar.ShowToolbarMenu();
        toolbar.OnCommand(command);
    }

    testing::FakeStoreEnvironment env;
    PageModel model;
    ModelBrowserState state{model};
    FakeUi ui;
    PasswordToolbar toolbar{ui};
    ModelBrowser* browser = nullptr;
    harness::ModelDocument* login = nullptr;
};

TEST_F(ToolbarTest, MenuListsTitledSitesNumberedByEverySite) {
    WriteStore(Store(Site(u"Mail", u"https://mail.example.com/login") +
                     u"<Site>\r\n<url>https://untitled.example.com/</url>\r\n</Site>\r\n" +
                     Site(u"", u"https://bank.example.com/")));
    EXPECT_EQ(0, toolbar.ShowToolbarMenu());
    ASSERT_EQ(1u, ui.menus.size());
    const SiteMenu expected{{u"Mail", 10000}, {u"", 10002}};
    EXPECT_EQ(expected, ui.menus[0]);

    // The item with the empty title still opens its site.
    toolbar.OnCommand(10002);
    ASSERT_EQ(1u, state.navigations.size());
    EXPECT_EQ(u"https://bank.example.com/", state.navigations[0]);
}

TEST_F(ToolbarTest, MenuListsSitesBeyondTheSiteCommandsButNoneWhoseCommandWouldWrap) {
    std::u16string sites;
    for (int i = 1; i <= 55540; ++i) sites += u"<Site>\r\n<title>S</title>\r\n</Site>\r\n";
    WriteStore(Store(sites));
    const SiteMenu menu = toolbar.BuildSiteMenu();
    ASSERT_EQ(55536u, menu.size());
    EXPECT_EQ(20000u, menu[10000].command);  // listed, though choosing it does nothing
    EXPECT_EQ(0xFFFFu, menu.back().command);
}

TEST_F(ToolbarTest, MenuWithoutStoreFileHasNoSites) {
    toolbar.ShowToolbarMenu();
    ASSERT_EQ(1u, ui.menus.size());
    EXPECT_TRUE(ui.menus[0].empty());
}

TEST_F(ToolbarTest, MenuIsReadAfreshAtEveryDropDown) {
    WriteStore(Store(Site(u"Mail", u"https://mail.example.com/login")));
    toolbar.ShowToolbarMenu();
    WriteStore(Store(Site(u"Bank", u"https://bank.example.com/") + Site(u"Mail", u"https://mail.example.com/login")));
    toolbar.ShowToolbarMenu();
    ASSERT_EQ(2u, ui.menus.size());
    EXPECT_EQ((SiteMenu{{u"Bank", 10000}, {u"Mail", 10001}}), ui.menus[1]);
}

TEST_F(ToolbarTest, DispatchFollowsNotificationCodeAndIdentifierRange) {
    std::u16string sites;
    for (int i = 1; i <= 10001; ++i) sites += Site(u"S", u"https://site" + Number(i) + u".example/");
    WriteStore(Store(sites));
    toolbar.ShowToolbarMenu();

    struct Case {
        std::uint32_t param;
        bool navigates;
        std::u16string url;
    };
    const Case cases[] = {
        {9999, false, {}},
        {20000, false, {}},
        {(1u << 16) | 10000, false, {}},  // an accelerator's notification code
        {10000, true, u"https://site1.example/"},
        {19999, true, u"https://site10000.example/"},  // the ten-thousandth site
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.param);
        state.navigations.clear();
        toolbar.OnCommand(c.param);
        if (c.navigates) {
            ASSERT_EQ(1u, state.navigations.size());
            EXPECT_EQ(c.url, state.navigations[0]);
        } else {
            EXPECT_TRUE(state.navigations.empty());
        }
    }

    toolbar.OnCommand((1u << 16) | ID_HELP_TUTORIAL);
    EXPECT_TRUE(ui.pages.empty());
    toolbar.OnCommand(ID_HELP_TUTORIAL);
    ASSERT_EQ(1u, ui.pages.size());
    EXPECT_EQ(kTutorialUrl, ui.pages[0]);
}

TEST_F(ToolbarTest, OpenSiteCopiesTheStoreNavigatesAndStartsTheTimer) {
    WriteStore(Store(Site(u"Mail", u"https://mail.example.com/login")));
    Choose(ID_SITE_FIRST);
    ASSERT_EQ(1u, state.navigations.size());
    EXPECT_EQ(u"https://mail.example.com/login", state.navigations[0]);
    EXPECT_EQ(toolbar.MenuStore().DocumentText(), toolbar.FillStore().DocumentText());
    ASSERT_EQ(1u, ui.starts.size());
    EXPECT_EQ(kFillTimerId, ui.starts[0].id);
    EXPECT_EQ(500u, ui.starts[0].period);
    EXPECT_EQ(7u, toolbar.FillTimer());
}

TEST_F(ToolbarTest, SiteWithoutUrlChangesNothingAndAnEmptyUrlIsStillOpened) {
    WriteStore(Store(Site(u"Mail", u"https://mail.example.com/login") +
                     u"<Site>\r\n<title>No address</title>\r\n</Site>\r\n" + Site(u"Blank", u"")));
    Choose(ID_SITE_FIRST);
    const std::u16string filled = toolbar.FillStore().DocumentText();
    state.navigations.clear();

    // The store changes on disk; a Site without url opens nothing and keeps fillStore.
    WriteStore(Store(Site(u"Other", u"https://other.example/") + u"<Site>\r\n<title>No address</title>\r\n</Site>\r\n" +
                     Site(u"Blank", u"")));
    Choose(ID_SITE_FIRST + 1);
    EXPECT_TRUE(state.navigations.empty());
    EXPECT_EQ(1u, ui.starts.size());
    EXPECT_EQ(filled, toolbar.FillStore().DocumentText());

    Choose(ID_SITE_FIRST + 2);
    ASSERT_EQ(1u, state.navigations.size());
    EXPECT_EQ(u"", state.navigations[0]);
    EXPECT_EQ(2u, ui.starts.size());
}

TEST_F(ToolbarTest, SecondChoiceReplacesThePendingFill) {
    auto& bank = model.AddDocument(u"https://bank.example.com/", u"Bank");
    bank.AddInput(u"text", u"user");
    WriteStore(Store(Site(u"Mail", u"https://mail.example.com/login", u"mailer") +
                     Site(u"Bank", u"https://bank.example.com/", u"banker")));
    Choose(ID_SITE_FIRST);
    Choose(ID_SITE_FIRST + 1);
    EXPECT_EQ(2u, ui.starts.size());
    EXPECT_TRUE(ui.stops.empty());

    toolbar.OnFillTimer();  // the bank page has loaded
    EXPECT_EQ(u"banker", bank.FindField(u"user")->value);
    EXPECT_EQ(u"", login->FindField(u"user")->value);
    EXPECT_EQ(std::vector<std::uint32_t>{7}, ui.stops);
}

// Ticks until the timer stops, for a page that never loads.
int TicksUntilGivingUp(PasswordToolbar& toolbar, FakeUi& ui) {
    const std::size_t stopsBefore = ui.stops.size();
    for (int tick = 1; tick <= 100; ++tick) {
        toolbar.OnFillTimer();
        if (ui.stops.size() > stopsBefore) return tick;
    }
    return -1;
}

TEST_F(ToolbarTest, FillTimerGivesUpAfterItsTicksCountedAcrossFills) {
    WriteStore(Store(Site(u"Mail", u"https://mail.example.com/login", u"mailer")));

    Choose(ID_SITE_FIRST);
    state.readyState = 1;  // never loads
    EXPECT_EQ(31, TicksUntilGivingUp(toolbar, ui));
    EXPECT_EQ(0, FillTicks().load());

    Choose(ID_SITE_FIRST);
    state.readyState = 1;
    EXPECT_EQ(31, TicksUntilGivingUp(toolbar, ui));

    Choose(ID_SITE_FIRST);  // loads at once: filled on the first tick
    toolbar.OnFillTimer();
    EXPECT_EQ(u"mailer", login->FindField(u"user")->value);
    EXPECT_EQ(1, FillTicks().load());

    Choose(ID_SITE_FIRST);
    state.readyState = 1;
    EXPECT_EQ(30, TicksUntilGivingUp(toolbar, ui));
    EXPECT_EQ(u"mailer", login->FindField(u"user")->value);
}

TEST_F(ToolbarTest, LoadedPageIsFilledAndSubmittedOnlyWithAutomaticSignOn) {
    for (bool autosignon : {false, true}) {
        SCOPED_TRACE(autosignon);
        browser->receivedKeys.clear();
        login->FindField(u"user")->value.clear();
        WriteStore(Store(Site(u"Mail", u"https://mail.example.com/login", u"mailer"), autosignon));
        Choose(ID_SITE_FIRST);
        toolbar.OnFillTimer();
        EXPECT_EQ(u"mailer", login->FindField(u"user")->value);
        EXPECT_EQ(autosignon ? kSubmitKeys.size() : 0u, browser->receivedKeys.size());
    }
}

TEST_F(ToolbarTest, LoadedPageMatchingNoSiteEndsTheFillQuietly) {
    model.AddDocument(u"https://elsewhere.example.org/", u"Elsewhere");
    WriteStore(Store(Site(u"Far", u"https://elsewhere.example.org/"), true));
    Choose(ID_SITE_FIRST);
    state.Navigate(u"https://mail.example.com/login");  // the user went on elsewhere meanwhile
    toolbar.OnFillTimer();
    EXPECT_EQ(1u, ui.stops.size());
    EXPECT_EQ(u"", login->FindField(u"user")->value);
    EXPECT_TRUE(browser->receivedKeys.empty());
}

TEST_F(ToolbarTest, MainButtonFillsAMatchingPageAndSubmitsOnlyWithAutomaticSignOn) {
    state.Navigate(u"https://mail.example.com/login");
    WriteStore(Store(Site(u"Mail", u"https://MAIL.example.com/other", u"mailer")));
    toolbar.OnCommand(ID_MAIN_BUTTON);
    EXPECT_EQ(u"mailer", login->FindField(u"user")->value);
    EXPECT_TRUE(browser->receivedKeys.empty());

    WriteStore(Store(Site(u"Mail", u"https://mail.example.com/login", u"mailer"), true));
    toolbar.OnCommand(ID_MAIN_BUTTON);
    EXPECT_EQ(kSubmitKeys.size(), browser->receivedKeys.size());
    EXPECT_TRUE(ui.starts.empty());  // no pending fill is started or changed
}

TEST_F(ToolbarTest, MainButtonOnSomethingElseThanAPageStillSendsTheKeys) {
    state.Navigate(u"https://mail.example.com/login");
    login->faults.Set(harness::PageOp::NotHtml);
    WriteStore(Store(Site(u"Mail", u"https://other.example/"), true));
    toolbar.OnCommand(ID_MAIN_BUTTON);
    EXPECT_EQ(kSubmitKeys.size(), browser->receivedKeys.size());
}

TEST_F(ToolbarTest, WithoutABrowserNothingIsOpened) {
    WriteStore(Store(Site(u"Mail", u"https://mail.example.com/login")));
    toolbar.SetBrowser(nullptr);
    Choose(ID_SITE_FIRST);
    EXPECT_TRUE(ui.starts.empty());
    toolbar.OnFillTimer();  // a stray tick counts as a page still loading
    EXPECT_EQ(1, FillTicks().load());
}

}  // namespace
}  // namespace keyvale
