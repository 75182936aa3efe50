// Matching the page the browser shows against the store, filling it, and submitting it.
#pragma once

#include <array>
#include <string>
#include <string_view>

#include "markup/MarkupDoc.h"
#include "page/BrowserHost.h"

namespace keyvale {

// The host name of an address: the text after "scheme://" and any user information (up to
// the last '@' of the authority), ending at the port's colon, '/', '?', '#' or the end, in
// the letter case written. A bracketed IPv6 literal keeps its brackets and ends at ']'.
// Empty for an address with no scheme, or whose scheme is not followed by "//".
std::u16string HostName(std::u16string_view url);

// Finds the first Site of `store` whose url equals the page's address, or whose host name
// equals the page's host name (both ignoring letter case), and fills the page and its frames
// from it; the store's main element is then that Site.
//   false: no browser, the page's address cannot be read, or no site matched;
//   true:  a site matched (and the fill was done), or the browser shows no HTML document.
bool FillCurrentPage(Browser* browser, MarkupDoc& store);

// The keystrokes that submit a page: Tab pressed and released, then Enter pressed, its
// character, and Enter released. Key data: repeat count 1, the key's scan code in bits 16 to
// 23; key-up messages also set bits 30 (previous state) and 31 (transition).
inline constexpr std::uint32_t KeyData(std::uint32_t scanCode, bool keyUp) {
    return 1u | (scanCode << 16) | (keyUp ? 0xC0000000u : 0u);
}
inline constexpr std::uint32_t kTabKey = 9, kTabScanCode = 15;
inline constexpr std::uint32_t kReturnKey = 13, kReturnScanCode = 28;
inline constexpr std::array<KeyStroke, 5> kSubmitKeys{{
    {KeyMessage::KeyDown, kTabKey, KeyData(kTabScanCode, false)},
    {KeyMessage::KeyUp, kTabKey, KeyData(kTabScanCode, true)},
    {KeyMessage::KeyDown, kReturnKey, KeyData(kReturnScanCode, false)},
    {KeyMessage::Char, u'\r', KeyData(kReturnScanCode, false)},
    {KeyMessage::KeyUp, kReturnKey, KeyData(kReturnScanCode, true)},
}};

// Sends the submit keystrokes to the browser's page window, synchronously. Without a
// browser or a page window nothing happens.
void SubmitCurrentPage(Browser* browser);

}  // namespace keyvale
