#include "band/PasswordToolbar.h"

#include "page/PageFill.h"
#include "store/PasswordStore.h"
#include "store/StoreFile.h"

namespace keyvale {

std::atomic<std::int32_t>& FillTicks() {
    static std::atomic<std::int32_t> ticks{0};
    return ticks;
}

const PasswordToolbar::CommandRoute PasswordToolbar::kCommandRoutes[] = {
    {ID_MAIN_BUTTON, &PasswordToolbar::FillOrRecord},
    {ID_EDIT_PASSWORD, &PasswordToolbar::EditPasswords},
    {ID_IMPORT, &PasswordToolbar::ImportStore},
    {ID_EXPORT, &PasswordToolbar::ExportStore},
    {ID_PREFERENCES, &PasswordToolbar::ShowPreferences},
    {ID_HELP_TUTORIAL, &PasswordToolbar::OpenTutorial},
};

PasswordToolbar::PasswordToolbar(ToolbarUi& ui) : ui(ui) {}

void PasswordToolbar::SetBrowser(std::unique_ptr<Browser> newBrowser) {
    browser = std::move(newBrowser);
}

void PasswordToolbar::OnCommand(std::uint32_t commandParam) {
    // Menu choices and button clicks carry notification code 0; anything else (an
    // accelerator, a control's notification) is not a command of the band.
    if ((commandParam >> 16) != 0) return;
    const auto command = static_cast<std::uint16_t>(commandParam & 0xFFFF);
    for (const CommandRoute& route : kCommandRoutes) {
        if (route.command == command) {
            (this->*route.handler)();
            return;
        }
    }
    if (command >= ID_SITE_FIRST && command <= ID_SITE_LAST) OpenSite(command);
}

std::intptr_t PasswordToolbar::ShowToolbarMenu() {
    const SiteMenu sites = BuildSiteMenu();
    ui.TrackMenu(sites);
    return 0;
}

SiteMenu PasswordToolbar::BuildSiteMenu() {
    SiteMenu sites;
    if (!LoadStore(menuStore)) return sites;
    // Every Site counts, titled or not, so an item's command finds its Site again. Items
    // past the last site command are listed but do nothing; those whose command would not
    // fit the 16 bits a command message carries would reach another command, and are left out.
    std::uint32_t position = 0;
    while (menuStore.NextChild(u"Site")) {
        ++position;
        if (ID_SITE_FIRST - 1 + position > kLastMenuCommand) break;
        menuStore.Descend();
        if (menuStore.NextChild(u"title")) {
            sites.push_back({menuStore.ChildText(), ID_SITE_FIRST - 1 + position});
        }
        menuStore.Ascend();
    }
    return sites;
}

void PasswordToolbar::OnFillTimer() {
    std::atomic<std::int32_t>& ticks = FillTicks();
    const std::optional<std::int32_t> state = browser ? browser->ReadyState() : std::nullopt;
    if (state == kReadyStateComplete) {
        ui.StopTimer(fillTimer);
        if (FillCurrentPage(browser.get(), fillStore) && GetPreferences().autosignon) {
            SubmitCurrentPage(browser.get());
        }
        ticks.store(1);
        return;
    }
    if (ticks.fetch_add(1) == kFillTickLimit) {
        ui.StopTimer(fillTimer);
        ticks.store(0);
    }
}

void PasswordToolbar::OpenSite(std::uint32_t command) {
    // Nothing could be opened or filled without a browser.
    if (!browser) return;
    const int position = static_cast<int>(command) - (ID_SITE_FIRST - 1);
    const std::optional<std::u16string> address = PickSite(menuStore, position);
    if (!address) return;
    fillStore.CopyFrom(menuStore);
    browser->Navigate(*address);
    fillTimer = ui.StartTimer(kFillTimerId, kFillTimerPeriodMs);
}

void PasswordToolbar::OpenTutorial() { ui.OpenWebPage(kTutorialUrl); }

void PasswordToolbar::FillOrRecord() {
    MarkupDoc store;
    if (LoadStore(store) && FillCurrentPage(browser.get(), store)) {
        if (GetPreferences().autosignon) SubmitCurrentPage(browser.get());
        return;
    }
    CaptureAndEdit(0);
}

// Recording a page and editing the stored sites open the site editing dialog.
void PasswordToolbar::CaptureAndEdit(std::uint8_t) {}

// The export and import commands and the Preferences dialog.
void PasswordToolbar::ImportStore() {}
void PasswordToolbar::ExportStore() {}
void PasswordToolbar::ShowPreferences() {}

}  // namespace keyvale
