#include "diag/Utf8.h"

#include <gtest/gtest.h>

using namespace keyvale;

TEST(Utf8, RoundTripsEveryPlaneAndMarksUnpairedSurrogates) {
    const std::u16string text = u"a\u00e9\u20ac\U0001F511\r\n";
    const std::string bytes = ToUtf8(text);
    EXPECT_EQ("a\xC3\xA9\xE2\x82\xAC\xF0\x9F\x94\x91\r\n", bytes);
    EXPECT_EQ(text, FromUtf8(bytes));
    EXPECT_EQ("\xEF\xBF\xBD" "x\xEF\xBF\xBD", ToUtf8(std::u16string{char16_t(0xD800), u'x', char16_t(0xDC00)}));
}

TEST(Utf8, RejectsMalformedBytes) {
    for (const char* bad : {"\x80", "\xC3", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80",
                            "\xF8\x88\x80\x80\x80", "a\xE2\x82"}) {
        EXPECT_FALSE(FromUtf8(bad)) << bad;
    }
    EXPECT_EQ(u"", FromUtf8(""));
}
