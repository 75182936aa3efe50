#include "page/PageFill.h"

#include "store/StoreSchema.h"
#include "page/FormWalk.h"

namespace keyvale {
namespace {

constexpr bool IsAsciiLetter(char16_t c) {
    return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}

constexpr bool IsSchemeChar(char16_t c) {
    return IsAsciiLetter(c) || (c >= u'0' && c <= u'9') || c == u'+' || c == u'-' || c == u'.';
}

// The length of the scheme before the address's first ':'; 0 when it has none.
std::size_t SchemeLength(std::u16string_view url) {
    if (url.empty() || !IsAsciiLetter(url[0])) return 0;
    for (std::size_t i = 1; i < url.size(); ++i) {
        if (url[i] == u':') return i;
        if (!IsSchemeChar(url[i])) return 0;
    }
    return 0;
}

}  // namespace

std::u16string HostName(std::u16string_view url) {
    const std::size_t scheme = SchemeLength(url);
    if (scheme == 0) return {};
    std::u16string_view rest = url.substr(scheme + 1);
    if (rest.substr(0, 2) != u"//") return {};
    rest.remove_prefix(2);

    std::u16string_view authority = rest.substr(0, rest.find_first_of(u"/?#"));
    if (const std::size_t at = authority.rfind(u'@'); at != std::u16string_view::npos) {
        authority.remove_prefix(at + 1);
    }
    if (!authority.empty() && authority[0] == u'[') {
        const std::size_t close = authority.find(u']');
        return std::u16string(close == std::u16string_view::npos ? authority
                                                                 : authority.substr(0, close + 1));
    }
    return std::u16string(authority.substr(0, authority.find(u':')));
}

bool FillCurrentPage(Browser* browser, MarkupDoc& store) {
    if (!browser) return false;
    std::unique_ptr<PageDocument> document = browser->Document();
    if (!document) return true;
    const std::optional<std::u16string> url = document->Url();
    if (!url) return false;
    const std::u16string host = HostName(*url);

    store.Rewind();
    while (store.NextChild(u"Site")) {
        store.Descend();
        if (store.NextChild(u"url")) {
            const std::u16string stored = store.ChildText();
            if (SameTextIgnoringCase(stored, *url) || SameTextIgnoringCase(HostName(stored), host)) {
                if (std::unique_ptr<ElementCollection> elements = document->All()) {
                    WalkFormFields(*document, *elements, store, false);
                }
                return true;
            }
        }
        store.Ascend();
    }
    return false;
}

void SubmitCurrentPage(Browser* browser) {
    if (!browser) return;
    std::unique_ptr<PageWindow> window = browser->FindPageWindow();
    if (!window) return;
    for (const KeyStroke& stroke : kSubmitKeys) window->Send(stroke);
}

}  // namespace keyvale
