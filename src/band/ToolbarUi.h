// What the toolbar asks of its window and of the shell: the fill timer, the drop-down menu
// and opening a web page outside the band. The band's window glue implements it on
// Windows; tests implement it in memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace keyvale {

// One item of the "Sites" submenu: a stored site's title and the command that opens it.
struct SiteMenuItem {
    std::u16string text;
    std::uint32_t command = 0;

    bool operator==(const SiteMenuItem&) const = default;
};

using SiteMenu = std::vector<SiteMenuItem>;

// The caption of the submenu, which stands before the export command in the band's menu.
inline constexpr std::u16string_view kSitesMenuText = u"Sites";

class ToolbarUi {
public:
    virtual ~ToolbarUi() = default;

    // Starts (or restarts) the timer on the toolbar window; returns the identifier the
    // platform gave, 0 when it refused.
    virtual std::uint32_t StartTimer(std::uint32_t id, std::uint32_t periodMs) = 0;
    virtual void StopTimer(std::uint32_t timer) = 0;

    // Shows the band's menu with the "Sites" submenu below the button and returns when it
    // closes. A chosen item reaches the toolbar afterwards as a command.
    virtual void TrackMenu(const SiteMenu& sites) = 0;

    // Opens a page in the user's default web browser, not in the band's own.
    virtual void OpenWebPage(std::u16string_view url) = 0;
};

}  // namespace keyvale
