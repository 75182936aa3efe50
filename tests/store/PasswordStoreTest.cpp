#include "StoreText.h"

#include "store/PasswordStore.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>
#include <vector>

using namespace keyvale;
using namespace keyvale::testing;

namespace {

class StoreRecords : public ::testing::Test {
protected:
    void SetUp() override { SetPreferences({}); }
    void TearDown() override { SetPreferences({}); }

    static MarkupDoc Parse(const std::u16string& text) {
        MarkupDoc doc;
        EXPECT_TRUE(doc.AssignText(text)) << std::string(text.begin(), text.end());
        return doc;
    }
    static MarkupDoc SiteDocument(const std::u16string& title, const std::u16string& url,
                                  const std::u16string& value = u"typed") {
        MarkupDoc site = NewSiteDocument();
        site.AppendChild(u"title", title);
        site.AppendChild(u"url", url);
        site.AppendChild(u"input");
        site.Descend();
        site.AppendChild(u"type", u"password");
        site.AppendChild(u"name", u"pass");
        site.AppendChild(u"value", value);
        return site;
    }
};

void ExpectPreferences(const Preferences& expected, const char* what) {
    const Preferences actual = GetPreferences();
    EXPECT_EQ(expected.autosignon, actual.autosignon) << what;
    EXPECT_EQ(expected.exportpassword, actual.exportpassword) << what;
}

const std::u16string kThreeSites = StoreText(PreferencesText(u"1", u"") + SiteText(u"Alpha", u"http://a.example/login") +
                                             SiteText(u"Beta", u"http://b.example/") +
                                             SiteText(u"Gamma", u"https://c.example/x?y=1&amp;z"));

}  // namespace

TEST_F(StoreRecords, ReadPreferencesTakesWhatTheStoreHoldsAndKeepsWhatIsMissing) {
    struct Case {
        const char* what;
        std::u16string text;
        Preferences before;
        Preferences after;
    };
    const std::u16string long300(300, u'p');
    const Case cases[] = {
        {"Preferences after the sites", StoreText(SiteText(u"A", u"http://a/") + PreferencesText(u"1", u"pw")),
         {false, u""}, {true, u"pw"}},
        {"exportpassword before autosignon is not read",
         StoreText(Lines({u"<Preferences>", u"<exportpassword>new</exportpassword>", u"<autosignon>1</autosignon>",
                          u"</Preferences>"})),
         {false, u"old"}, {true, u"old"}},
        {"autosignon 2", StoreText(PreferencesText(u"2", u"")), {false, u"x"}, {true, u""}},
        {"autosignon -1", StoreText(PreferencesText(u"-1", u"")), {false, u""}, {true, u""}},
        {"autosignon blanks, sign, digits, rest", StoreText(PreferencesText(u" \t+7x", u"")), {false, u""}, {true, u""}},
        {"autosignon starting with a letter", StoreText(PreferencesText(u"a1", u"")), {true, u""}, {false, u""}},
        {"autosignon empty", StoreText(PreferencesText(u"", u"")), {true, u""}, {false, u""}},
        {"autosignon -00", StoreText(PreferencesText(u"-00", u"")), {true, u""}, {false, u""}},
        {"autosignon missing", StoreText(Lines({u"<Preferences>", u"<exportpassword>pw</exportpassword>",
                                                u"</Preferences>"})),
         {true, u"old"}, {true, u"pw"}},
        {"empty exportpassword", StoreText(PreferencesText(u"0", u"")), {true, u"old"}, {false, u""}},
        {"no Preferences", StoreText(SiteText(u"A", u"http://a/")), {true, u"old"}, {true, u"old"}},
        {"escaped password", StoreText(PreferencesText(u"1", u"&lt;a&amp;b&gt;\"'")), {false, u""}, {true, u"<a&b>\"'"}},
        {"password over 259 characters is cut", StoreText(PreferencesText(u"1", long300)), {false, u""},
         {true, std::u16string(259, u'p')}},
        {"another root", u"<Other>\r\n" + PreferencesText(u"1", u"pw") + u"</Other>\r\n", {false, u""}, {true, u"pw"}},
    };
    for (const Case& c : cases) {
        SetPreferences(c.before);
        MarkupDoc store = Parse(c.text);
        ReadPreferences(store);
        ExpectPreferences(c.after, c.what);
    }
}

TEST_F(StoreRecords, SetPreferencesCutsTheExportPasswordTo259Characters) {
    SetPreferences({true, std::u16string(400, u'q')});
    ExpectPreferences({true, std::u16string(259, u'q')}, "cut");
}

TEST_F(StoreRecords, ThePreferencesRecordIsReadAndWrittenWhole) {
    const Preferences a{true, std::u16string(200, u'a')};
    const Preferences b{false, u"b"};
    std::atomic<bool> torn{false};
    std::vector<std::thread> threads;
    for (int w = 0; w < 2; ++w) {
        threads.emplace_back([&, w] {
            for (int i = 0; i < 2000; ++i) SetPreferences(w == 0 ? a : b);
        });
    }
    threads.emplace_back([&] {
        for (int i = 0; i < 4000; ++i) {
            const Preferences p = GetPreferences();
            const bool isA = p.autosignon == a.autosignon && p.exportpassword == a.exportpassword;
            const bool isB = p.autosignon == b.autosignon && p.exportpassword == b.exportpassword;
            const bool isInitial = !p.autosignon && p.exportpassword.empty();
            if (!isA && !isB && !isInitial) torn = true;
        }
    });
    for (auto& t : threads) t.join();
    EXPECT_FALSE(torn);
}

TEST_F(StoreRecords, FindSiteComparesWholeTextsIgnoringAsciiCaseAndLeavesTheChildOnTheSite) {
    MarkupDoc store = Parse(StoreText(PreferencesText(u"1", u"") + Lines({u"<Site>", u"<title>No url</title>", u"</Site>"}) +
                                      SiteText(u"Caf\u00e9", u"HTTP://B.Example/Path") + SiteText(u"Last", u"http://c/")));
    struct Case {
        bool byUrl;
        std::u16string text;
        bool found;
        std::u16string title;  // of the site the child position is on
    };
    const Case cases[] = {
        {true, u"http://b.example/path", true, u"Caf\u00e9"},
        {true, u"http://b.example/pat", false, u""},
        {true, u"http://c/", true, u"Last"},
        {true, u"", false, u""},
        {false, u"CAF\u00e9", true, u"Caf\u00e9"},
        {false, u"CAF\u00c9", false, u""},  // only A to Z fold
        {false, u"no URL", true, u"No url"},
        {false, u"Missing", false, u""},
    };
    for (const Case& c : cases) {
        const bool found = c.byUrl ? FindSiteByUrl(store, c.text) : FindSiteByTitle(store, c.text);
        EXPECT_EQ(c.found, found) << std::string(c.text.begin(), c.text.end());
        if (!found) continue;
        EXPECT_EQ(u"Site", store.ChildName());
        store.Descend();
        ASSERT_TRUE(store.NextChild(u"title"));
        EXPECT_EQ(c.title, store.ChildText());
    }
}

TEST_F(StoreRecords, PickSiteCountsEverySiteAndStopsAtTheLast) {
    MarkupDoc store = Parse(StoreText(PreferencesText(u"1", u"") + SiteText(u"Alpha", u"http://a/") +
                                      Lines({u"<Site>", u"<url>http://untitled/</url>", u"</Site>"}) +
                                      SiteText(u"Gamma", u"https://c.example/x?y=1&amp;z")));
    struct Case {
        int n;
        std::optional<std::u16string> url;
    };
    const Case cases[] = {
        {1, u"http://a/"}, {2, u"http://untitled/"}, {3, u"https://c.example/x?y=1&z"}, {5, u"https://c.example/x?y=1&z"},
        {0, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(c.url, PickSite(store, c.n)) << c.n;
        if (c.url) {
            // The child position is back on the picked site.
            EXPECT_EQ(u"Site", store.ChildName());
            store.Descend();
            EXPECT_TRUE(store.NextChild(u"url"));
            EXPECT_EQ(*c.url, store.ChildText());
        }
    }
}

TEST_F(StoreRecords, PickSiteWithoutAnAddressOrWithoutSitesGivesNone) {
    MarkupDoc noUrl = Parse(StoreText(PreferencesText(u"1", u"") + Lines({u"<Site>", u"<title>T</title>", u"</Site>"})));
    EXPECT_EQ(std::nullopt, PickSite(noUrl, 1));
    MarkupDoc noSites = Parse(StoreText(PreferencesText(u"1", u"")));
    EXPECT_EQ(std::nullopt, PickSite(noSites, 1));
    MarkupDoc empty;
    EXPECT_EQ(std::nullopt, PickSite(empty, 1));
}

TEST_F(StoreRecords, WritePreferencesPutsTheRecordFirstInTheRoot) {
    SetPreferences({true, u"a<b&c"});
    MarkupDoc store = Parse(StoreText(SiteText(u"A", u"http://a/") + PreferencesText(u"0", u"old") +
                                      SiteText(u"B", u"http://b/")));
    WritePreferences(store);
    EXPECT_EQ(StoreText(PreferencesText(u"1", u"a&lt;b&amp;c") + SiteText(u"A", u"http://a/") + SiteText(u"B", u"http://b/")),
              store.DocumentText());
    // Writing again changes nothing.
    WritePreferences(store);
    EXPECT_EQ(StoreText(PreferencesText(u"1", u"a&lt;b&amp;c") + SiteText(u"A", u"http://a/") + SiteText(u"B", u"http://b/")),
              store.DocumentText());
}

TEST_F(StoreRecords, WritePreferencesIntoAnotherRootOnlyRemovesTheFirstPreferences) {
    SetPreferences({true, u""});
    MarkupDoc other = Parse(u"<Other>\r\n" + PreferencesText(u"0", u"a") + PreferencesText(u"0", u"b") + u"</Other>\r\n");
    WritePreferences(other);
    EXPECT_EQ(u"<Other>\r\n" + PreferencesText(u"0", u"b") + u"</Other>\r\n", other.DocumentText());

    MarkupDoc empty;
    WritePreferences(empty);
    EXPECT_EQ(u"", empty.DocumentText());
    EXPECT_FALSE(empty.HasRoot());
}

TEST_F(StoreRecords, NewSiteDocumentGivesTheElevenLineLayout) {
    MarkupDoc site = SiteDocument(u"Sign in", u"http://a/?x=1&y=2", u"");
    EXPECT_EQ(Lines({u"<KVPassword Version=\"1\">", u"<Site>", u"<title>Sign in</title>", u"<url>http://a/?x=1&amp;y=2</url>",
                     u"<input>", u"<type>password</type>", u"<name>pass</name>", u"<value/>", u"</input>", u"</Site>",
                     u"</KVPassword>"}),
              site.DocumentText());
}

TEST_F(StoreRecords, AddCapturedSiteGoesDirectlyAfterPreferences) {
    MarkupDoc store = Parse(kThreeSites);
    MarkupDoc site = SiteDocument(u"New", u"http://new/");
    AddCapturedSite(store, site);
    EXPECT_EQ(StoreText(PreferencesText(u"1", u"") + SiteText(u"New", u"http://new/", u"typed") +
                        SiteText(u"Alpha", u"http://a.example/login") + SiteText(u"Beta", u"http://b.example/") +
                        SiteText(u"Gamma", u"https://c.example/x?y=1&amp;z")),
              store.DocumentText());
    EXPECT_EQ(u"http://new/", PickSite(store, 1));  // the first site of the menu
}

TEST_F(StoreRecords, AddCapturedSiteAddsNothingForAKnownOrEmptyAddressOrWithoutPreferences) {
    struct Case {
        const char* what;
        std::u16string store;
        std::u16string url;
    };
    const Case cases[] = {
        {"same address in other letter case", kThreeSites, u"HTTP://B.EXAMPLE/"},
        {"empty address", kThreeSites, u""},
        {"no Preferences", StoreText(SiteText(u"A", u"http://a/")), u"http://new/"},
    };
    for (const Case& c : cases) {
        MarkupDoc store = Parse(c.store);
        MarkupDoc site = SiteDocument(u"New", c.url);
        AddCapturedSite(store, site);
        EXPECT_EQ(c.store, store.DocumentText()) << c.what;
    }
}

TEST_F(StoreRecords, AddCapturedSiteStartsANewStoreWhenThereIsNone) {
    SetPreferences({false, u"old"});
    MarkupDoc store;
    store.AssignText(u"garbage that never parsed");
    MarkupDoc site = SiteDocument(u"First", u"http://first/");
    AddCapturedSite(store, site);
    EXPECT_EQ(StoreText(PreferencesText(u"1", u"") + SiteText(u"First", u"http://first/", u"typed")), store.DocumentText());
    ExpectPreferences({true, u""}, "a new store's preferences");
}

TEST_F(StoreRecords, ReplaceSiteTakesTheRemovedSitesPlace) {
    MarkupDoc store = Parse(kThreeSites);
    MarkupDoc edited = SiteDocument(u"Beta 2", u"http://b.example/", u"changed");
    ReplaceSite(store, u"http://B.example/", edited);
    EXPECT_EQ(StoreText(PreferencesText(u"1", u"") + SiteText(u"Alpha", u"http://a.example/login") +
                        SiteText(u"Beta 2", u"http://b.example/", u"changed") +
                        SiteText(u"Gamma", u"https://c.example/x?y=1&amp;z")),
              store.DocumentText());
}

TEST_F(StoreRecords, ReplacingTheRootsFirstChildPutsTheEditedSiteLast) {
    MarkupDoc store = Parse(StoreText(SiteText(u"A", u"http://a/") + SiteText(u"B", u"http://b/")));
    MarkupDoc edited = SiteDocument(u"A2", u"http://a/");
    ReplaceSite(store, u"http://a/", edited);
    EXPECT_EQ(StoreText(SiteText(u"B", u"http://b/") + SiteText(u"A2", u"http://a/", u"typed")), store.DocumentText());
}

TEST_F(StoreRecords, ReplaceSiteChangesNothingWithoutAMatchOrWithoutAnEditedSite) {
    MarkupDoc store = Parse(kThreeSites);
    MarkupDoc edited = SiteDocument(u"X", u"http://x/");
    ReplaceSite(store, u"http://nowhere/", edited);
    EXPECT_EQ(kThreeSites, store.DocumentText());

    // A site document without a Site must not lose the stored site.
    MarkupDoc noSite;
    noSite.AssignText(u"<KVPassword/>");
    ReplaceSite(store, u"http://b.example/", noSite);
    EXPECT_EQ(kThreeSites, store.DocumentText());
}

TEST_F(StoreRecords, RemoveSiteLeavesTheChildOnTheElementBefore) {
    MarkupDoc store = Parse(kThreeSites);
    EXPECT_FALSE(RemoveSite(store, u"http://nowhere/"));
    EXPECT_EQ(kThreeSites, store.DocumentText());

    ASSERT_TRUE(RemoveSite(store, u"HTTP://A.EXAMPLE/LOGIN"));
    EXPECT_EQ(u"Preferences", store.ChildName());
    ASSERT_TRUE(RemoveSite(store, u"https://c.example/x?y=1&z"));
    EXPECT_EQ(u"Site", store.ChildName());
    EXPECT_EQ(StoreText(PreferencesText(u"1", u"") + SiteText(u"Beta", u"http://b.example/")), store.DocumentText());
}
