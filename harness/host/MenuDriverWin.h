// Reads and drives the menu that is open on the screen, as a user would: the items are read
// from the real menu, and a choice is made with the keyboard through the open menu, so the
// command reaches its owner the way a user's choice does.
#pragma once

#include "win/WinPrelude.h"

#include <string>
#include <vector>

namespace keyvale::harness {

struct MenuEntry {
    std::wstring text;  // "-" for a separator
    HMENU submenu = nullptr;
    UINT command = 0;
};

std::vector<MenuEntry> ReadMenu(HMENU menu);

// The open menu's top level (the first visible menu window's menu); null when none is open.
HMENU OpenMenu();
bool AnyMenuOpen();

// Waits until a menu is open, or is closed; false when the time runs out.
bool WaitForMenu(bool open, DWORD timeoutMs);

// Compares the open menu with an expectation such as
//   "&Edit Password | - | Sites[Mail | Bank] | Ex&port"
// ("-" a separator, ITEM[...] also checks the submenu's items). Empty when they match,
// otherwise what differs.
std::wstring CompareMenu(HMENU menu, const std::wstring& expected);

// Moves through the open menu with the keyboard to the item at `path` ("Sites>Mail"): with
// `choose` it then presses Enter and waits for the menu to close; without, it leaves the
// item highlighted and opens its submenu if it has one. Empty on success, otherwise why it
// could not.
std::wstring GoToMenuItem(const std::wstring& path, bool choose, DWORD timeoutMs);

}  // namespace keyvale::harness
