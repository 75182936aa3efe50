#include "store/PasswordStore.h"

#include "store/StoreSchema.h"
#include "store/Wipe.h"

#include <mutex>

namespace keyvale {

namespace {

std::mutex g_preferencesMutex;
Preferences g_preferences;

void CutExportPassword(std::u16string& password) {
    if (password.size() <= kMaxExportPassword) return;
    WipeMemory(password.data() + kMaxExportPassword,
               (password.size() - kMaxExportPassword) * sizeof(char16_t));
    password.resize(kMaxExportPassword);
}

// The text read as a decimal integer in the manner of the C library (leading blanks, an
// optional sign, digits up to the first other character; no digits read as 0): whether
// that number is non-zero.
bool ReadsAsNonZero(std::u16string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == u' ' || (text[i] >= u'\t' && text[i] <= u'\r'))) ++i;
    if (i < text.size() && (text[i] == u'+' || text[i] == u'-')) ++i;
    for (; i < text.size() && text[i] >= u'0' && text[i] <= u'9'; ++i) {
        if (text[i] != u'0') return true;
    }
    return false;
}

// Leaves the child position on the first Site whose url equals text (or whose title
// does, for field title), ignoring letter case.
bool FindSiteBy(MarkupDoc& store, std::u16string_view field, std::u16string_view text) {
    store.Rewind();
    while (store.NextChild(kSiteElement)) {
        store.Descend();
        const bool match = store.NextChild(field) && SameTextIgnoringCase(store.ChildText(), text);
        store.Ascend();
        if (match) return true;
    }
    return false;
}

}  // namespace

Preferences GetPreferences() {
    std::lock_guard lock(g_preferencesMutex);
    return g_preferences;
}

void SetPreferences(const Preferences& prefs) {
    std::u16string password = prefs.exportpassword;
    CutExportPassword(password);
    std::lock_guard lock(g_preferencesMutex);
    Wipe(g_preferences.exportpassword);
    g_preferences.autosignon = prefs.autosignon;
    g_preferences.exportpassword = std::move(password);
}

void ReadPreferences(MarkupDoc& store) {
    store.Rewind();
    if (!store.NextChild(kPreferencesElement)) return;
    store.Descend();
    std::optional<bool> autosignon;
    std::optional<std::u16string> password;
    if (store.NextChild(kAutosignonElement)) autosignon = ReadsAsNonZero(store.ChildText());
    if (store.NextChild(kExportPasswordElement)) {
        password = store.ChildText();
        CutExportPassword(*password);
    }
    std::lock_guard lock(g_preferencesMutex);
    if (autosignon) g_preferences.autosignon = *autosignon;
    if (password) {
        Wipe(g_preferences.exportpassword);
        g_preferences.exportpassword = std::move(*password);
    }
}

bool FindSiteByUrl(MarkupDoc& store, std::u16string_view url) {
    return FindSiteBy(store, kUrlElement, url);
}

bool FindSiteByTitle(MarkupDoc& store, std::u16string_view title) {
    return FindSiteBy(store, kTitleElement, title);
}

std::optional<std::u16string> PickSite(MarkupDoc& store, int n) {
    store.Rewind();
    // A step that finds nothing leaves the child position on the last site, so a number
    // beyond the last site picks the last one; with no site at all nothing is picked.
    bool picked = false;
    for (int i = 0; i < n && store.NextChild(kSiteElement); ++i) picked = true;
    if (!picked) return std::nullopt;
    store.Bookmark(kCurrentSiteBookmark);
    store.Descend();
    if (!store.NextChild(kUrlElement)) return std::nullopt;
    std::u16string url = store.ChildText();
    store.GoToBookmark(kCurrentSiteBookmark);
    return url;
}

void WritePreferences(MarkupDoc& store) {
    store.Rewind();
    if (store.NextChild(kPreferencesElement)) store.RemoveChild();
    store.Rewind();
    if (!store.NextElement(kStoreRoot)) return;
    Preferences prefs = GetPreferences();
    WipeOnExit wipe(prefs.exportpassword);
    store.InsertChild(kPreferencesElement);
    store.Descend();
    store.AppendChild(kAutosignonElement, prefs.autosignon ? u"1" : u"0");
    store.AppendChild(kExportPasswordElement, prefs.exportpassword);
}

MarkupDoc NewSiteDocument() {
    MarkupDoc doc;
    doc.AppendElement(kStoreRoot);
    doc.SetNumberAttribute(kStoreVersion, 1);
    doc.Descend();
    doc.AppendElement(kSiteElement);
    return doc;
}

void AddCapturedSite(MarkupDoc& store, MarkupDoc& site) {
    if (!store.HasRoot()) {
        // No store yet (or one that failed to load): the site starts a new store.
        store.CopyFrom(site);
        SetPreferences(Preferences{true, {}});
        WritePreferences(store);
        return;
    }
    site.Rewind();
    if (!site.NextChild(kSiteElement)) return;
    site.Descend();
    if (!site.NextChild(kUrlElement)) return;
    const std::u16string url = site.ChildText();
    if (url.empty()) return;
    if (FindSiteByUrl(store, url)) return;  // the stored site stays in its place

    store.Rewind();
    site.Rewind();
    if (!store.NextChild(kPreferencesElement)) return;
    if (!site.NextChild(kSiteElement)) return;
    std::u16string markup = site.ChildMarkup();  // holds the site's passwords
    WipeOnExit wipe(markup);
    store.AppendChildMarkup(markup);  // directly after Preferences
}

void ReplaceSite(MarkupDoc& store, std::u16string_view url, MarkupDoc& site) {
    // The edited site is taken first: a site document without a Site leaves the store
    // unchanged instead of losing the stored site.
    site.Rewind();
    if (!site.NextChild(kSiteElement)) return;
    std::u16string markup = site.ChildMarkup();
    WipeOnExit wipe(markup);
    if (!FindSiteByUrl(store, url)) return;
    // RemoveChild leaves the child position on the previous sibling, so the edited site
    // takes the removed one's place (or goes last when that was the root's first child).
    store.RemoveChild();
    store.AppendChildMarkup(markup);
}

bool RemoveSite(MarkupDoc& store, std::u16string_view url) {
    if (!FindSiteByUrl(store, url)) return false;
    store.RemoveChild();
    return true;
}

}  // namespace keyvale
