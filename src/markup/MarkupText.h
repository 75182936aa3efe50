// Character-level rules of the markup engine: white space, the fast unit search, the token
// scanner, name matching, escaping and decoding. Internal to src/markup/.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace keyvale::markup {

// Space, tab, line feed and carriage return.
inline bool IsSpace(char16_t c) { return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r'; }

// Ask for the cache line that holds `p` ahead of its use, to be read or to be written:
// hints that change nothing else.
inline void Prefetch(const void* p) {
#if defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
}

inline void PrefetchForWrite(void* p) {
#if defined(__GNUC__)
    __builtin_prefetch(p, 1);
#else
    (void)p;
#endif
}

// The first offset at or after `from` that holds `unit`, or `length` when none does. Reads
// four units at a time where the platform stores them low unit first.
inline std::size_t FindUnit(const char16_t* text, std::size_t from, std::size_t length, char16_t unit) {
    const char16_t* p = text + from;
    const char16_t* const end = text + length;
    if constexpr (std::endian::native == std::endian::little) {
        constexpr std::uint64_t kOnes = 0x0001000100010001ull;
        constexpr std::uint64_t kHighs = 0x8000800080008000ull;
        const std::uint64_t pattern = kOnes * unit;
        while (end - p >= 4) {
            std::uint64_t word;
            std::memcpy(&word, p, sizeof word);
            std::uint64_t x = word ^ pattern;
            std::uint64_t hits = (x - kOnes) & ~x & kHighs;
            if (hits) return std::size_t(p - text) + (std::countr_zero(hits) >> 4);
            p += 4;
        }
    }
    while (p < end && *p != unit) ++p;
    return std::size_t(p - text);
}

// Whether the `count` units at a and b are the same.
inline bool SameUnits(const char16_t* a, const char16_t* b, std::size_t count) {
    while (count >= 4) {
        std::uint64_t x, y;
        std::memcpy(&x, a, sizeof x);
        std::memcpy(&y, b, sizeof y);
        if (x != y) return false;
        a += 4;
        b += 4;
        count -= 4;
    }
    while (count--)
        if (*a++ != *b++) return false;
    return true;
}

// --- Token scanner ---------------------------------------------------------------------

struct Token {
    std::size_t start = 0;  // first unit
    std::size_t end = 0;    // one past the last unit
    std::size_t next = 0;   // where reading goes on
    bool quoted = false;
    bool none = true;       // the text ended before a token
    std::size_t Length() const { return end - start; }
};

// Units that end an unquoted token (and are tokens of one unit themselves).
inline bool EndsToken(char16_t c) {
    constexpr std::uint64_t kStops = (1ull << ' ') | (1ull << '\t') | (1ull << '\n') | (1ull << '\r') |
                                     (1ull << '<') | (1ull << '>') | (1ull << '=') | (1ull << '/') |
                                     (1ull << '?') | (1ull << '!');
    return (c < 64 && ((kStops >> c) & 1)) || c == u'\\';
}

Token ReadToken(std::u16string_view text, std::size_t from);

// The tag name of the element whose '<' is at `start`: the first token after the '<'.
inline std::u16string_view TagNameAt(std::u16string_view text, std::size_t start) {
    Token t = ReadToken(text, start + 1);
    return text.substr(t.start, t.Length());
}

// A token matches a requested name when the name begins with the token's units and the
// name's next unit is its end, a space, '=', '/' or '['.
inline bool NameMatches(std::u16string_view token, std::u16string_view name) {
    if (token.size() > name.size() || name.compare(0, token.size(), token) != 0) return false;
    if (token.size() == name.size()) return true;
    char16_t c = name[token.size()];
    return c == u' ' || c == u'=' || c == u'/' || c == u'[';
}

// --- Escaping and decoding -------------------------------------------------------------

// Length of `text` once '<', '&', '>' (and, for attributes, apostrophe and double quote)
// are written as references.
std::size_t EscapedLength(std::u16string_view text, bool attribute);
// Writes the escaped form of `text` at `out` (EscapedLength units) and returns the end.
char16_t* WriteEscaped(char16_t* out, std::u16string_view text, bool attribute);

// Decodes [begin, end) of `text`; numeric references may look up to the end of the text
// for their ';'.
std::u16string UnescapeMarkup(std::u16string_view text, std::size_t begin, std::size_t end);

// The value of `digits` read as the C library's wide string-to-long conversion reads them
// in base 10 or 16: leading white space, an optional sign, for base 16 an optional "0x",
// then digits up to the first other unit. Only ASCII digits and letters count, whatever
// the host. The digits handed in are at most 7 units, so the value always fits.
std::int32_t ReferenceNumber(std::u16string_view digits, int base);

// "%d" of a 32-bit signed integer.
std::u16string DecimalText(std::int32_t value);

}  // namespace keyvale::markup
