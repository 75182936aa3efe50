// UTF-8 for the narrow edges of the system: the log and the command-line tool.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace keyvale {

// UTF-16 as UTF-8; a code unit that is half of no pair becomes U+FFFD.
std::string ToUtf8(std::u16string_view text);
// UTF-8 as UTF-16; none when the bytes are not well-formed UTF-8 (overlong forms, encoded
// surrogates, values past U+10FFFF and cut sequences included).
std::optional<std::u16string> FromUtf8(std::string_view bytes);

}  // namespace keyvale
