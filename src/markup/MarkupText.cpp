#include "markup/MarkupText.h"

namespace keyvale::markup {

Token ReadToken(std::u16string_view text, std::size_t from) {
    Token t;
    std::size_t i = from;
    while (i < text.size() && IsSpace(text[i])) ++i;
    if (i >= text.size()) {
        t.start = t.end = t.next = text.size();
        return t;
    }
    t.none = false;
    char16_t c = text[i];
    if (c == u'"' || c == u'\'') {
        t.quoted = true;
        t.start = i + 1;
        std::size_t close = text.find(c, t.start);
        if (close == std::u16string_view::npos) {
            t.end = t.next = text.size();
        } else {
            t.end = close;
            t.next = close + 1;
        }
        return t;
    }
    t.start = i;
    if (EndsToken(c)) {
        t.end = t.next = i + 1;
        return t;
    }
    while (i < text.size() && !EndsToken(text[i])) ++i;
    t.end = t.next = i;
    return t;
}

namespace {

const char16_t* ReferenceFor(char16_t c, bool attribute) {
    switch (c) {
    case u'<': return u"&lt;";
    case u'&': return u"&amp;";
    case u'>': return u"&gt;";
    case u'\'': return attribute ? u"&apos;" : nullptr;
    case u'"': return attribute ? u"&quot;" : nullptr;
    default: return nullptr;
    }
}

}  // namespace

std::size_t EscapedLength(std::u16string_view text, bool attribute) {
    std::size_t length = text.size();
    for (char16_t c : text) {
        switch (c) {
        case u'<':
        case u'>': length += 3; break;
        case u'&': length += 4; break;
        case u'\'':
        case u'"':
            if (attribute) length += 5;
            break;
        default: break;
        }
    }
    return length;
}

char16_t* WriteEscaped(char16_t* out, std::u16string_view text, bool attribute) {
    for (char16_t c : text) {
        if (const char16_t* ref = ReferenceFor(c, attribute)) {
            while (*ref) *out++ = *ref++;
        } else {
            *out++ = c;
        }
    }
    return out;
}

std::int32_t ReferenceNumber(std::u16string_view digits, int base) {
    std::size_t i = 0;
    auto space = [](char16_t c) { return c == u' ' || (c >= u'\t' && c <= u'\r'); };
    while (i < digits.size() && space(digits[i])) ++i;
    bool negative = false;
    if (i < digits.size() && (digits[i] == u'+' || digits[i] == u'-')) {
        negative = digits[i] == u'-';
        ++i;
    }
    auto digitValue = [base](char16_t c) -> int {
        int v = 99;
        if (c >= u'0' && c <= u'9') v = c - u'0';
        else if (c >= u'a' && c <= u'z') v = c - u'a' + 10;
        else if (c >= u'A' && c <= u'Z') v = c - u'A' + 10;
        return v < base ? v : -1;
    };
    // Base 16 takes an optional "0x" or "0X" when a hexadecimal digit follows it.
    if (base == 16 && i + 2 < digits.size() && digits[i] == u'0' &&
        (digits[i + 1] == u'x' || digits[i + 1] == u'X') && digitValue(digits[i + 2]) >= 0)
        i += 2;
    std::int64_t value = 0;
    for (; i < digits.size(); ++i) {
        int v = digitValue(digits[i]);
        if (v < 0) break;
        value = value * base + v;
        if (value > INT32_MAX) value = INT32_MAX;  // not reached with at most 7 digits
    }
    return std::int32_t(negative ? -value : value);
}

std::u16string UnescapeMarkup(std::u16string_view text, std::size_t begin, std::size_t end) {
    std::u16string out;
    out.reserve(end - begin);
    std::size_t i = begin;
    while (i < end) {
        const std::size_t amp = FindUnit(text.data(), i, end, u'&');
        if (amp >= end) {
            out.append(text.substr(i, end - i));
            break;
        }
        out.append(text.substr(i, amp - i));
        i = amp;
        if (i + 1 < text.size() && text[i + 1] == u'#') {
            // Numeric: the ';' must be within the eight positions where the digits begin;
            // it may lie past the content (the search stops only at the end of the text).
            std::size_t digits = i + 2;
            int base = 10;
            if (digits < text.size() && text[digits] == u'x') {
                ++digits;
                base = 16;
            }
            std::size_t semicolon = std::u16string_view::npos;
            for (std::size_t k = digits; k < digits + 8 && k < text.size(); ++k) {
                if (text[k] == u';') {
                    semicolon = k;
                    break;
                }
            }
            if (semicolon != std::u16string_view::npos) {
                std::int32_t value = ReferenceNumber(text.substr(digits, semicolon - digits), base);
                if (value != 0) {
                    out.push_back(char16_t(std::uint32_t(value) & 0xFFFF));
                    i = semicolon + 1;
                    continue;
                }
            }
            out.push_back(u'&');
            ++i;
            continue;
        }
        static constexpr struct {
            std::u16string_view name;
            char16_t unit;
        } kNamed[] = {{u"lt;", u'<'}, {u"amp;", u'&'}, {u"gt;", u'>'}, {u"apos;", u'\''}, {u"quot;", u'"'}};
        bool decoded = false;
        for (const auto& ref : kNamed) {
            if (i + 1 + ref.name.size() <= end && text.substr(i + 1, ref.name.size()) == ref.name) {
                out.push_back(ref.unit);
                i += 1 + ref.name.size();
                decoded = true;
                break;
            }
        }
        if (!decoded) {
            out.push_back(u'&');
            ++i;
        }
    }
    return out;
}

std::u16string DecimalText(std::int32_t value) {
    char16_t digits[12];
    std::size_t n = 0;
    std::uint32_t magnitude = value < 0 ? 0u - std::uint32_t(value) : std::uint32_t(value);
    do {
        digits[n++] = char16_t(u'0' + magnitude % 10);
        magnitude /= 10;
    } while (magnitude);
    std::u16string out;
    if (value < 0) out.push_back(u'-');
    while (n) out.push_back(digits[--n]);
    return out;
}

}  // namespace keyvale::markup
