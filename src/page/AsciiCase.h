// Comparisons that ignore letter case fold only the ASCII letters A to Z; every other code
// unit must match exactly.
#pragma once

#include <string_view>

namespace keyvale {

constexpr char16_t FoldAscii(char16_t c) noexcept {
    return (c >= u'A' && c <= u'Z') ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

constexpr bool EqualIgnoringCase(std::u16string_view a, std::u16string_view b) noexcept {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) return false;
    }
    return true;
}

}  // namespace keyvale
