// PasswordToolbar: everything the band does with its input. Button clicks, menu choices,
// the drop-down and the fill timer's ticks end here; the window glue only translates
// messages into these calls.
#pragma once

#include "band/ToolbarUi.h"
#include "markup/MarkupDoc.h"
#include "page/BrowserHost.h"
#include "resources/resource.h"

#include <atomic>
#include <cstdint>
#include <memory>
#include <string_view>

namespace keyvale {

// The online tutorial that the Help command opens.
inline constexpr std::u16string_view kTutorialUrl = u"https://orvane.example/lumora/tutorial/";

// The fill timer: identifier and period.
inline constexpr std::uint32_t kFillTimerId = 1;
inline constexpr std::uint32_t kFillTimerPeriodMs = 500;
// The largest command a menu item can carry: command messages hold 16 bits of it.
inline constexpr std::uint32_t kLastMenuCommand = 0xFFFF;

// A pending fill gives up when the tick count it reads reaches this value.
inline constexpr std::int32_t kFillTickLimit = 30;

// Ticks on which a pending fill found the page still loading, shared by every band of the
// process.
std::atomic<std::int32_t>& FillTicks();

class PasswordToolbar {
public:
    explicit PasswordToolbar(ToolbarUi& ui);
    PasswordToolbar(const PasswordToolbar&) = delete;
    PasswordToolbar& operator=(const PasswordToolbar&) = delete;

    // Holds the browser of the window hosting the band, or none.
    void SetBrowser(std::unique_ptr<Browser> browser);
    Browser* GetBrowser() const { return browser.get(); }

    // A command message: its first parameter (notification code in the high 16 bits,
    // identifier in the low 16 bits).
    void OnCommand(std::uint32_t commandParam);
    // The button's drop-down: shows the menu; returns 0, the drop-down being handled.
    std::intptr_t ShowToolbarMenu();
    // Reloads menuStore and lists its titled sites.
    SiteMenu BuildSiteMenu();
    void OnFillTimer();

    void OpenSite(std::uint32_t command);
    void OpenTutorial();
    void FillOrRecord();
    void CaptureAndEdit(std::uint8_t captureMode);
    void ImportStore();
    void ExportStore();
    void ShowPreferences();

    const MarkupDoc& FillStore() const { return fillStore; }
    const MarkupDoc& MenuStore() const { return menuStore; }
    std::uint32_t FillTimer() const { return fillTimer; }

private:
    void EditPasswords() { CaptureAndEdit(1); }

    struct CommandRoute {
        std::uint16_t command;
        void (PasswordToolbar::*handler)();
    };
    static const CommandRoute kCommandRoutes[];

    ToolbarUi& ui;
    std::unique_ptr<Browser> browser;
    std::uint32_t fillTimer = 0;
    MarkupDoc fillStore;
    MarkupDoc menuStore;
};

}  // namespace keyvale
