#include <gtest/gtest.h>

#include "page/PageFill.h"

namespace keyvale {
namespace {

std::string Narrow(std::u16string_view text) {
    std::string out;
    for (char16_t c : text) out.push_back(c < 0x80 ? static_cast<char>(c) : '?');
    return out;
}

TEST(HostName, ReadsTheHostAfterSchemeAndUserInformationUpToPortPathQueryOrFragment) {
    const struct {
        const char16_t* url;
        const char16_t* host;
    } cases[]{
        {u"https://www.example.com/login", u"www.example.com"},
        {u"HTTP://WWW.Example.COM", u"WWW.Example.COM"},
        {u"https://example.com:8443/x", u"example.com"},
        {u"https://user:pw@example.com:81/", u"example.com"},
        {u"https://a@b@example.com/", u"example.com"},
        {u"https://example.com?q=1", u"example.com"},
        {u"https://example.com#top", u"example.com"},
        {u"https://example.com/path@x", u"example.com"},
        {u"https://example.com?a=b@c", u"example.com"},
        {u"https://[2001:db8::1]:8080/", u"[2001:db8::1]"},
        {u"ht-tp+s.1://host/", u"host"},
        {u"res://ieframe.dll/dnserror.htm", u"ieframe.dll"},
        {u"file://server/share/x.html", u"server"},
        {u"https://user@/x", u""},
        {u"https://", u""},
        {u"file:///C:/pages/x.html", u""},
        // no "//" after the scheme
        {u"about:blank", u""},
        {u"mailto:bob@example.com", u""},
        {u"javascript:void(0)", u""},
        {u"https:example.com", u""},
        {u"example.com:8080/x", u""},
        {u"C:\\pages\\x.html", u""},
        // no scheme
        {u"www.example.com/login", u""},
        {u"//example.com/x", u""},
        {u"1http://host/", u""},
        {u"", u""},
    };
    for (const auto& c : cases) EXPECT_EQ(HostName(c.url), c.host) << Narrow(c.url);
}

}  // namespace
}  // namespace keyvale
