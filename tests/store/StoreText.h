// Store texts for tests, in the layout the system writes: one element a line, CR LF.
#pragma once

#include <initializer_list>
#include <string>

namespace keyvale::testing {

inline std::u16string Lines(std::initializer_list<std::u16string> lines) {
    std::u16string text;
    for (const auto& line : lines) text += line + u"\r\n";
    return text;
}

inline std::u16string StoreText(const std::u16string& body) {
    return u"<KVPassword Version=\"1\">\r\n" + body + u"</KVPassword>\r\n";
}

inline std::u16string Tagged(const std::u16string& name, const std::u16string& text) {
    return text.empty() ? u"<" + name + u"/>" : u"<" + name + u">" + text + u"</" + name + u">";
}

inline std::u16string PreferencesText(const std::u16string& autosignon, const std::u16string& password) {
    return Lines({u"<Preferences>", Tagged(u"autosignon", autosignon), Tagged(u"exportpassword", password),
                  u"</Preferences>"});
}

inline std::u16string SiteText(const std::u16string& title, const std::u16string& url,
                               const std::u16string& value = u"secret") {
    return Lines({u"<Site>", Tagged(u"title", title), Tagged(u"url", url), u"<input>", u"<type>password</type>",
                  u"<name>pass</name>", Tagged(u"value", value), u"</input>", u"</Site>"});
}

}  // namespace keyvale::testing
