// The store document's element names and the text comparison its readers use.
#pragma once

#include <cstddef>
#include <string_view>

namespace keyvale {

inline constexpr std::u16string_view kStoreRoot = u"KVPassword";
inline constexpr std::u16string_view kStoreVersion = u"Version";
inline constexpr std::u16string_view kPreferencesElement = u"Preferences";
inline constexpr std::u16string_view kAutosignonElement = u"autosignon";
inline constexpr std::u16string_view kExportPasswordElement = u"exportpassword";
inline constexpr std::u16string_view kSiteElement = u"Site";
inline constexpr std::u16string_view kTitleElement = u"title";
inline constexpr std::u16string_view kUrlElement = u"url";
inline constexpr std::u16string_view kInputElement = u"input";
inline constexpr std::u16string_view kTypeElement = u"type";
inline constexpr std::u16string_view kNameElement = u"name";
inline constexpr std::u16string_view kValueElement = u"value";
// The bookmark under which PickSite remembers the picked site.
inline constexpr std::u16string_view kCurrentSiteBookmark = u"CurrentSite";

// The longest export password the Preferences record holds; longer text is cut to it.
inline constexpr std::size_t kMaxExportPassword = 259;

// Equal over the whole text, folding only the ASCII letters A to Z.
constexpr bool SameTextIgnoringCase(std::u16string_view a, std::u16string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        char16_t x = a[i], y = b[i];
        if (x >= u'A' && x <= u'Z') x = static_cast<char16_t>(x - u'A' + u'a');
        if (y >= u'A' && y <= u'Z') y = static_cast<char16_t>(y - u'A' + u'a');
        if (x != y) return false;
    }
    return true;
}

}  // namespace keyvale
