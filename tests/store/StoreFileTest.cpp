#include "LogCapture.h"
#include "StoreFakes.h"
#include "StoreText.h"

#include "diag/Utf8.h"
#include "store/PasswordStore.h"
#include "store/StoreFile.h"
#include "store/StoreServices.h"

#include <gtest/gtest.h>

using namespace keyvale;
using namespace keyvale::testing;

namespace {

class StoreFileTest : public ::testing::Test {
protected:
    void SetUp() override { SetPreferences({}); }
    void TearDown() override { SetPreferences({}); }

    std::string StorePathForLog() const { return ToUtf8(*StoreFilePath()); }
    std::string FolderForLog() const {
        const std::string path = StorePathForLog();
        return path.substr(0, path.size() - std::string("keyvale.kvp").size());
    }
    void SaveFirstStore() {
        MarkupDoc doc;
        ASSERT_TRUE(doc.AssignText(kFirst));
        ASSERT_TRUE(SaveStore(doc));
        firstBytes = *env.ReadFile(env.StoreFile());
    }

    FakeStoreEnvironment env;
    LogCapture log;
    const std::u16string kFirst = StoreText(PreferencesText(u"0", u"") + SiteText(u"A", u"http://a/"));
    Bytes firstBytes;
};

}  // namespace

TEST_F(StoreFileTest, WithNoFileOrAnEmptyOneTheLoadFailsQuietlyButMakesTheFolder) {
    MarkupDoc doc;
    doc.AssignText(u"<kept/>");
    EXPECT_FALSE(LoadStore(doc));
    EXPECT_TRUE(std::filesystem::is_directory(env.StoreFolder()));
    env.WriteFile(env.StoreFile(), {});
    EXPECT_EQ(StoreLoadStatus::missing, LoadStoreFile(doc).status);
    EXPECT_EQ(u"<kept/>", doc.DocumentText());
    EXPECT_EQ(0, env.protection.unprotects);
    EXPECT_EQ("", log.Text());
}

TEST_F(StoreFileTest, SaveProtectsTheTextAndOneNulWithTheDescriptionAndTheEntropy) {
    SetPreferences({true, u"pw"});
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(StoreText(SiteText(u"Caf\u00e9", u"http://a/"))));
    ASSERT_TRUE(SaveStore(doc));

    const std::u16string expected = StoreText(PreferencesText(u"1", u"pw") + SiteText(u"Caf\u00e9", u"http://a/"));
    EXPECT_EQ(expected, doc.DocumentText());  // the record went into the document too
    EXPECT_EQ(env.Protected(expected), env.ReadFile(env.StoreFile()));
    EXPECT_EQ(u"Protect Password", env.protection.lastDescription);
    EXPECT_EQ(128u, env.protection.lastEntropy.size());
    EXPECT_EQ(std::set<std::string>{"keyvale.kvp"}, env.FolderFiles());

    SetPreferences({});
    MarkupDoc loaded;
    ASSERT_TRUE(LoadStore(loaded));
    EXPECT_EQ(expected, loaded.DocumentText());
    const Preferences prefs = GetPreferences();
    EXPECT_TRUE(prefs.autosignon);
    EXPECT_EQ(u"pw", prefs.exportpassword);
    EXPECT_EQ("", log.Text());
}

TEST_F(StoreFileTest, TheEntropyIsTheSameEveryTimeAndNotTrivial) {
    const auto entropy = StoreEntropy();
    EXPECT_EQ(entropy, StoreEntropy());
    std::set<std::uint8_t> distinct(entropy.begin(), entropy.end());
    EXPECT_GT(distinct.size(), 64u);
}

TEST_F(StoreFileTest, AFileThatDoesNotUnprotectFailsAndIsLoggedWithTheSystemsCode) {
    struct Case {
        const char* what;
        Bytes file;
        std::int32_t error;
    };
    std::array<std::uint8_t, 128> otherEntropy{};
    otherEntropy.fill(7);
    const Case cases[] = {
        {"other entropy", FakeStoreEnvironment::Protected(u"<KVPassword/>", otherEntropy),
         FakeProtection::kOtherEntropyError},
        {"damaged", Bytes{1, 2, 3, 4, 5}, FakeProtection::kDamagedError},
    };
    std::string expectedLog;
    for (const Case& c : cases) {
        SetPreferences({true, u"local"});
        env.WriteFile(env.StoreFile(), c.file);
        MarkupDoc doc;
        doc.AssignText(u"<previous><x/></previous>");
        doc.NextChild(u"x");
        const StoreLoadResult result = LoadStoreFile(doc);
        EXPECT_EQ(StoreLoadStatus::unreadable, result.status) << c.what;
        EXPECT_EQ(c.error, result.error) << c.what;
        EXPECT_EQ(u"<previous><x/></previous>", doc.DocumentText()) << c.what;
        EXPECT_EQ(u"", doc.ChildName()) << c.what;  // rewound
        EXPECT_EQ(u"local", GetPreferences().exportpassword) << c.what;
        expectedLog += "Decryption failed with error = " + std::to_string(c.error) + "\n";
        EXPECT_EQ(expectedLog, log.Text()) << c.what;
    }
}

TEST_F(StoreFileTest, AnUnreadableStoreIsKeptBeforeTheSaveReplacesItNeverOverwritingAKeptCopy) {
    const Bytes first{9, 9, 9};
    const Bytes second{8, 8};
    env.WriteFile(env.StoreFolder() / "keyvale-unreadable-2.kvp", {42});  // an earlier copy

    env.WriteFile(env.StoreFile(), first);
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(kFirst));
    ASSERT_TRUE(SaveStore(doc));
    EXPECT_EQ(first, env.ReadFile(env.StoreFolder() / "keyvale-unreadable-1.kvp"));
    MarkupDoc loaded;
    EXPECT_TRUE(LoadStore(loaded));

    // A readable store is replaced without a copy.
    ASSERT_TRUE(SaveStore(doc));
    EXPECT_EQ((std::set<std::string>{"keyvale.kvp", "keyvale-unreadable-1.kvp", "keyvale-unreadable-2.kvp"}),
              env.FolderFiles());

    env.WriteFile(env.StoreFile(), second);
    ASSERT_TRUE(SaveStore(doc));
    EXPECT_EQ(first, env.ReadFile(env.StoreFolder() / "keyvale-unreadable-1.kvp"));
    EXPECT_EQ(Bytes{42}, env.ReadFile(env.StoreFolder() / "keyvale-unreadable-2.kvp"));
    EXPECT_EQ(second, env.ReadFile(env.StoreFolder() / "keyvale-unreadable-3.kvp"));
    EXPECT_TRUE(LoadStore(loaded));
}

TEST_F(StoreFileTest, AFailedWriteLeavesThePreviousStoreAndNoTemporaryFile) {
    SaveFirstStore();
    struct Case {
        const char* what;
        std::optional<std::size_t> writeAfter;
        bool failCreate;
        bool failReplace;
        std::string logged;  // the file named in the log
    };
    const Case cases[] = {
        {"no byte written", 0, false, false, "keyvale.kvp.1.tmp"},
        {"failing part-way", 7, false, false, "keyvale.kvp.1.tmp"},
        {"all but the end", firstBytes.size() - 1, false, false, "keyvale.kvp.1.tmp"},
        {"cannot create", std::nullopt, true, false, "keyvale.kvp.1.tmp"},
        {"cannot replace", std::nullopt, false, true, "keyvale.kvp"},
    };
    for (const Case& c : cases) {
        env.files.failWriteAfter = c.writeAfter;
        env.files.failCreate = c.failCreate;
        env.files.failReplace = c.failReplace;
        MarkupDoc doc;
        ASSERT_TRUE(doc.AssignText(StoreText(SiteText(u"Changed", u"http://changed/"))));
        EXPECT_FALSE(SaveStore(doc)) << c.what;
        EXPECT_EQ(firstBytes, env.ReadFile(env.StoreFile())) << c.what;
        EXPECT_EQ(std::set<std::string>{"keyvale.kvp"}, env.FolderFiles()) << c.what;
        EXPECT_EQ("Can't open file <" + FolderForLog() + c.logged + "> for writing\n", log.Text()) << c.what;
        log.Restart();
    }
    env.files.failWriteAfter.reset();
    env.files.failCreate = false;
    env.files.failReplace = false;
    MarkupDoc loaded;
    ASSERT_TRUE(LoadStore(loaded));
    EXPECT_EQ(kFirst, loaded.DocumentText());
}

TEST_F(StoreFileTest, AReplacementThatFailsForAMomentIsTriedAgain) {
    SaveFirstStore();
    env.files.replaces = 0;
    env.files.failNextReplaces = 2;  // a reader holds the store open for a moment
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(StoreText(SiteText(u"Changed", u"http://changed/"))));
    EXPECT_TRUE(SaveStore(doc));
    EXPECT_EQ(3, env.files.replaces);
    MarkupDoc loaded;
    ASSERT_TRUE(LoadStore(loaded));
    EXPECT_EQ(doc.DocumentText(), loaded.DocumentText());
    EXPECT_EQ(std::set<std::string>{"keyvale.kvp"}, env.FolderFiles());
    EXPECT_EQ("", log.Text());
}

TEST_F(StoreFileTest, TheFirstSaveFailingPartWayLeavesNoFile) {
    env.files.failWriteAfter = 3;
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(kFirst));
    EXPECT_FALSE(SaveStore(doc));
    EXPECT_TRUE(env.FolderFiles().empty());
}

TEST_F(StoreFileTest, AStoreThatCannotBeKeptIsNotReplaced) {
    const Bytes unreadable{1, 2, 3};
    env.WriteFile(env.StoreFile(), unreadable);
    env.files.failWriteAfter = 1;
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(kFirst));
    EXPECT_FALSE(SaveStore(doc));
    EXPECT_EQ(unreadable, env.ReadFile(env.StoreFile()));
    EXPECT_EQ(std::set<std::string>{"keyvale.kvp"}, env.FolderFiles());
    EXPECT_EQ("Can't open file <" + FolderForLog() + "keyvale-unreadable-1.kvp> for writing\n", log.Text());
}

TEST_F(StoreFileTest, ATemporaryFileLeftByAnotherSaveIsNotTouched) {
    SaveFirstStore();
    env.WriteFile(env.StoreFolder() / "keyvale.kvp.1.tmp", {5});
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(kFirst));
    ASSERT_TRUE(SaveStore(doc));
    EXPECT_EQ(Bytes{5}, env.ReadFile(env.StoreFolder() / "keyvale.kvp.1.tmp"));
    EXPECT_EQ((std::set<std::string>{"keyvale.kvp", "keyvale.kvp.1.tmp"}), env.FolderFiles());
}

TEST_F(StoreFileTest, AFailedProtectionIsLoggedAndKeepsThePreviousFile) {
    SaveFirstStore();
    env.protection.failProtect = 5;
    SetPreferences({true, u"new"});
    MarkupDoc doc;
    ASSERT_TRUE(doc.AssignText(StoreText(u"")));
    EXPECT_FALSE(SaveStore(doc));
    EXPECT_EQ("Encryption failed with error = 5\n", log.Text());
    EXPECT_EQ(firstBytes, env.ReadFile(env.StoreFile()));
    EXPECT_EQ(StoreText(PreferencesText(u"1", u"new")), doc.DocumentText());  // written in memory first
}

TEST_F(StoreFileTest, WithoutAnApplicationDataFolderNothingIsReadOrWritten) {
    env.location.unknown = true;
    MarkupDoc doc;
    EXPECT_EQ(StoreLoadStatus::missing, LoadStoreFile(doc).status);
    EXPECT_FALSE(SaveStore(doc));
    EXPECT_EQ(std::nullopt, StoreFilePath());
    EXPECT_EQ("Can't open file <orvane\\keyvale.kvp> for writing\n", log.Text());
    EXPECT_FALSE(std::filesystem::exists(env.StoreFolder()));
}

TEST_F(StoreFileTest, TheTextIsReadUpToTheFirstNul) {
    struct Case {
        const char* what;
        Bytes clear;
        std::u16string text;
    };
    auto le = [](std::u16string_view text) {
        Bytes bytes;
        for (char16_t c : text) bytes.insert(bytes.end(), {std::uint8_t(c & 0xFF), std::uint8_t(c >> 8)});
        return bytes;
    };
    auto join = [](Bytes a, const Bytes& b) {
        a.insert(a.end(), b.begin(), b.end());
        return a;
    };
    const Case cases[] = {
        {"NUL inside", le(std::u16string(u"<a/>\0<b/>tail\0", 14)), u"<a/>"},
        {"no NUL at the end", le(u"<a>\u20ac</a>"), u"<a>\u20ac</a>"},
        {"an odd last byte", join(le(u"<a/>"), {0x41}), u"<a/>"},
        {"only the NUL", Bytes{0, 0}, u""},
    };
    for (const Case& c : cases) {
        env.WriteFile(env.StoreFile(), FakeProtection::Seal(c.clear, kStoreDescription, StoreEntropy()));
        MarkupDoc doc;
        EXPECT_TRUE(LoadStore(doc)) << c.what;
        EXPECT_EQ(c.text, doc.DocumentText()) << c.what;
    }
}

TEST_F(StoreFileTest, ADocumentWithNoRootSavesAsTheNulAloneAndLoadsAsAnEmptyStore) {
    SetPreferences({true, u"pw"});
    MarkupDoc empty;
    ASSERT_TRUE(SaveStore(empty));
    EXPECT_EQ(FakeProtection::Seal({0, 0}, kStoreDescription, StoreEntropy()), env.ReadFile(env.StoreFile()));
    MarkupDoc loaded;
    loaded.AssignText(u"<old/>");
    EXPECT_TRUE(LoadStore(loaded));
    EXPECT_FALSE(loaded.HasRoot());
    EXPECT_EQ(u"", loaded.DocumentText());
    EXPECT_EQ(u"pw", GetPreferences().exportpassword);  // no Preferences: the record stays
}

TEST_F(StoreFileTest, AStoreWhoseTextDoesNotParseStillLoads) {
    env.WriteFile(env.StoreFile(), env.Protected(u"<KVPassword><Site>"));
    MarkupDoc doc;
    EXPECT_TRUE(LoadStore(doc));
    EXPECT_FALSE(doc.HasRoot());
    EXPECT_EQ(u"<KVPassword><Site>", doc.DocumentText());
}

TEST_F(StoreFileTest, SavingAfterAnImportWritesTheLocalPreferences) {
    SetPreferences({false, u"local"});
    MarkupDoc imported;
    ASSERT_TRUE(imported.AssignText(StoreText(PreferencesText(u"1", u"theirs") + SiteText(u"A", u"http://a/"))));
    ASSERT_TRUE(SaveStore(imported));
    MarkupDoc loaded;
    ASSERT_TRUE(LoadStore(loaded));
    EXPECT_EQ(StoreText(PreferencesText(u"0", u"local") + SiteText(u"A", u"http://a/")), loaded.DocumentText());
}
