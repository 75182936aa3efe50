// Helpers shared by the markup tests.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "markup/MarkupDoc.h"

namespace keyvale {

// A UTF-16 text for failure messages: ASCII as it is, line breaks and the rest escaped.
inline std::string Narrow(std::u16string_view s) {
    std::string out;
    for (char16_t c : s) {
        if (c == u'\r') out += "\\r";
        else if (c == u'\n') out += "\\n";
        else if (c >= 0x20 && c < 0x7F) out += char(c);
        else out += "\\u{" + std::to_string(unsigned(c)) + "}";
    }
    return out;
}

}  // namespace keyvale
