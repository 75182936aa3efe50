#include "MenuDriverWin.h"

#include <algorithm>

namespace keyvale::harness {
namespace {

constexpr UINT kGetMenuHandle = 0x01E1;  // MN_GETHMENU

std::wstring Trim(const std::wstring& s) {
    const auto first = s.find_first_not_of(L" \t");
    if (first == std::wstring::npos) return {};
    return s.substr(first, s.find_last_not_of(L" \t") - first + 1);
}

// Splits at `separator` outside brackets.
std::vector<std::wstring> SplitTop(const std::wstring& text, wchar_t separator) {
    std::vector<std::wstring> parts;
    std::wstring current;
    int depth = 0;
    for (wchar_t c : text) {
        if (c == L'[') ++depth;
        if (c == L']') --depth;
        if (c == separator && depth == 0) {
            parts.push_back(Trim(current));
            current.clear();
        } else {
            current += c;
        }
    }
    parts.push_back(Trim(current));
    return parts;
}

std::vector<HWND> VisibleMenuWindows() {
    std::vector<HWND> found;
    HWND window = nullptr;
    while ((window = ::FindWindowExW(nullptr, window, L"#32768", nullptr)) != nullptr) {
        if (::IsWindowVisible(window)) found.push_back(window);
    }
    return found;
}

HMENU MenuOf(HWND window) {
    return reinterpret_cast<HMENU>(::SendMessageW(window, kGetMenuHandle, 0, 0));
}

HWND WindowShowing(HMENU menu) {
    for (HWND window : VisibleMenuWindows()) {
        if (MenuOf(window) == menu) return window;
    }
    return nullptr;
}

template <typename Condition>
bool WaitUntil(Condition condition, DWORD timeoutMs) {
    const ULONGLONG end = ::GetTickCount64() + timeoutMs;
    for (;;) {
        if (condition()) return true;
        if (::GetTickCount64() >= end) return false;
        ::Sleep(10);
    }
}

bool Highlighted(HMENU menu, int position) {
    return (::GetMenuState(menu, position, MF_BYPOSITION) & MF_HILITE) != 0;
}

int FindItem(const std::vector<MenuEntry>& entries, const std::wstring& text) {
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (entries[i].text == text) return static_cast<int>(i);
    }
    return -1;
}

std::wstring Listing(const std::vector<MenuEntry>& entries) {
    std::wstring list;
    for (const MenuEntry& entry : entries) {
        if (!list.empty()) list += L" | ";
        list += entry.text;
        if (entry.submenu) list += L"[...]";
    }
    return list;
}

}  // namespace

std::vector<MenuEntry> ReadMenu(HMENU menu) {
    std::vector<MenuEntry> entries;
    const int count = ::GetMenuItemCount(menu);
    for (int i = 0; i < count; ++i) {
        MENUITEMINFOW info{};
        info.cbSize = sizeof info;
        info.fMask = MIIM_FTYPE | MIIM_SUBMENU | MIIM_ID | MIIM_STRING;
        wchar_t text[512] = {};
        info.dwTypeData = text;
        info.cch = 511;
        if (!::GetMenuItemInfoW(menu, i, TRUE, &info)) continue;
        MenuEntry entry;
        entry.text = (info.fType & MFT_SEPARATOR) ? L"-" : text;
        entry.submenu = info.hSubMenu;
        entry.command = info.wID;
        entries.push_back(entry);
    }
    return entries;
}

HMENU OpenMenu() {
    // The top level is the open menu that is no other open menu's submenu.
    const std::vector<HWND> windows = VisibleMenuWindows();
    for (HWND window : windows) {
        HMENU menu = MenuOf(window);
        bool isSubmenu = false;
        for (HWND other : windows) {
            if (other == window) continue;
            for (const MenuEntry& entry : ReadMenu(MenuOf(other))) {
                if (entry.submenu == menu) isSubmenu = true;
            }
        }
        if (!isSubmenu) return menu;
    }
    return nullptr;
}

bool AnyMenuOpen() { return !VisibleMenuWindows().empty(); }

bool WaitForMenu(bool open, DWORD timeoutMs) {
    return WaitUntil([open] { return AnyMenuOpen() == open; }, timeoutMs);
}

std::wstring CompareMenu(HMENU menu, const std::wstring& expected) {
    const std::vector<MenuEntry> actual = ReadMenu(menu);
    const std::vector<std::wstring> wanted = expected.empty() ? std::vector<std::wstring>{} : SplitTop(expected, L'|');
    if (wanted.size() != actual.size()) {
        return L"the menu holds " + std::to_wstring(actual.size()) + L" items (" + Listing(actual) + L"), not " +
               std::to_wstring(wanted.size());
    }
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        std::wstring text = wanted[i];
        std::wstring inner;
        bool checkSubmenu = false;
        const auto open = text.find(L'[');
        if (open != std::wstring::npos && text.back() == L']') {
            inner = text.substr(open + 1, text.size() - open - 2);
            text = Trim(text.substr(0, open));
            checkSubmenu = true;
        }
        if (actual[i].text != text) return L"item " + std::to_wstring(i + 1) + L" is \"" + actual[i].text + L"\", not \"" + text + L"\"";
        if (checkSubmenu) {
            if (!actual[i].submenu) return L"\"" + text + L"\" opens no submenu";
            std::wstring difference = CompareMenu(actual[i].submenu, Trim(inner));
            if (!difference.empty()) return L"in \"" + text + L"\": " + difference;
        }
    }
    return {};
}

std::wstring GoToMenuItem(const std::wstring& path, bool choose, DWORD timeoutMs) {
    HMENU menu = OpenMenu();
    if (!menu) return L"no menu is open";
    const std::vector<std::wstring> steps = SplitTop(path, L'>');
    for (std::size_t level = 0; level < steps.size(); ++level) {
        HWND window = WindowShowing(menu);
        if (!window) return L"the menu for \"" + steps[level] + L"\" is not open";
        const std::vector<MenuEntry> entries = ReadMenu(menu);
        const int position = FindItem(entries, steps[level]);
        if (position < 0) return L"no item \"" + steps[level] + L"\" in " + Listing(entries);

        // Down arrow until the item is highlighted, as a user moves through a menu.
        for (std::size_t presses = 0; !Highlighted(menu, position); ++presses) {
            if (presses > entries.size()) return L"\"" + steps[level] + L"\" could not be reached";
            ::PostMessageW(window, WM_KEYDOWN, VK_DOWN, 0);
            ::Sleep(30);
        }
        const bool last = level + 1 == steps.size();
        HMENU submenu = entries[position].submenu;
        if (last && choose) {
            ::PostMessageW(window, WM_KEYDOWN, VK_RETURN, 0);
            break;
        }
        if (!submenu) {
            if (last) break;
            return L"\"" + steps[level] + L"\" opens no submenu";
        }
        ::PostMessageW(window, WM_KEYDOWN, VK_RIGHT, 0);
        if (!WaitUntil([submenu] { return WindowShowing(submenu) != nullptr; }, timeoutMs)) {
            return L"the submenu \"" + steps[level] + L"\" did not open";
        }
        menu = submenu;
    }
    if (choose && !WaitForMenu(false, timeoutMs)) return L"the menu did not close";
    return {};
}

}  // namespace keyvale::harness
