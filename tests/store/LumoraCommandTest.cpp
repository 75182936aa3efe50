#include "LogCapture.h"
#include "StoreFakes.h"
#include "StoreText.h"

#include "LumoraCommand.h"
#include "diag/Utf8.h"
#include "store/PasswordStore.h"
#include "store/StoreFile.h"

#include <gtest/gtest.h>

#include <map>

using namespace keyvale;
using namespace keyvale::testing;

namespace {

class FakeConsole final : public cli::Console {
public:
    void Out(std::string_view bytes) override { out += bytes; }
    void Err(std::string_view bytes) override { err += bytes; }
    bool ReadFile(const std::u16string& path, std::string& bytes) override {
        const auto found = files.find(path);
        if (found == files.end()) return false;
        bytes = found->second;
        return true;
    }

    std::map<std::u16string, std::string> files;
    std::string out;
    std::string err;
};

class LumoraCommand : public ::testing::Test {
protected:
    void SetUp() override { SetPreferences({}); }
    void TearDown() override { SetPreferences({}); }

    int Run(std::vector<std::u16string> args) {
        console.out.clear();
        console.err.clear();
        return cli::RunLumora(args, console);
    }
    void Store(const std::u16string& text) { env.WriteFile(env.StoreFile(), env.Protected(text)); }

    FakeStoreEnvironment env;
    LogCapture log;
    FakeConsole console;
};

const std::u16string kDocument =
    StoreText(PreferencesText(u"1", u"p&amp;w") + SiteText(u"Caf\u00e9 \U0001F511", u"http://a/?x=1&amp;y=2", u"s3cret") +
              Lines({u"<Site>", u"<url>http://untitled/</url>", u"<input>", u"<type>text</type>", u"<name>user</name>",
                     u"<value/>", u"</input>", u"</Site>"}));

}  // namespace

TEST_F(LumoraCommand, ReplaceThenTextGivesTheSameDocument) {
    console.files[u"C:\\in.xml"] = ToUtf8(kDocument);
    ASSERT_EQ(cli::kExitOk, Run({u"replace", u"C:\\in.xml"})) << console.err;
    EXPECT_EQ("", console.out);
    ASSERT_EQ(cli::kExitOk, Run({u"text"})) << console.err;
    EXPECT_EQ(ToUtf8(kDocument), console.out);
    EXPECT_EQ("", console.err);
}

TEST_F(LumoraCommand, ReplaceTakesTheFilesPreferencesAndKeepsTheStoresWhereTheFileHasNone) {
    Store(StoreText(PreferencesText(u"1", u"kept")));
    console.files[u"f"] = "\xEF\xBB\xBF" + ToUtf8(StoreText(SiteText(u"A", u"http://a/")));  // with a byte-order mark
    ASSERT_EQ(cli::kExitOk, Run({u"replace", u"f"})) << console.err;
    ASSERT_EQ(cli::kExitOk, Run({u"text"}));
    EXPECT_EQ(ToUtf8(StoreText(PreferencesText(u"1", u"kept") + SiteText(u"A", u"http://a/"))), console.out);
}

TEST_F(LumoraCommand, SitesListsTitlesAddressesAndFieldsWithValuesMasked) {
    Store(kDocument);
    ASSERT_EQ(cli::kExitOk, Run({u"sites"})) << console.err;
    EXPECT_EQ("1. \"Caf\xC3\xA9 \xF0\x9F\x94\x91\"\n"
              "   url: \"http://a/?x=1&y=2\"\n"
              "   input: type \"password\", name \"pass\", value ********\n"
              "2. \"\"\n"
              "   url: \"http://untitled/\"\n"
              "   input: type \"text\", name \"user\", value (empty)\n",
              console.out);
    EXPECT_EQ(std::string::npos, console.out.find("s3cret"));

    Store(StoreText(PreferencesText(u"0", u"")));
    ASSERT_EQ(cli::kExitOk, Run({u"sites"}));
    EXPECT_EQ("no sites\n", console.out);
}

TEST_F(LumoraCommand, AMissingOrUnreadableStoreIsAnErrorForSitesAndText) {
    for (const char16_t* command : {u"sites", u"text"}) {
        std::error_code ignored;
        std::filesystem::remove(env.StoreFile(), ignored);
        EXPECT_EQ(cli::kExitFailed, Run({command}));
        EXPECT_EQ("lumora: there is no store file at " + ToUtf8(*StoreFilePath()) + "\n", console.err);
        EXPECT_EQ("", console.out);

        env.WriteFile(env.StoreFile(), {1, 2, 3});
        EXPECT_EQ(cli::kExitFailed, Run({command}));
        EXPECT_NE(std::string::npos, console.err.find("cannot be unprotected (error 13)")) << console.err;
        EXPECT_EQ("", console.out);
    }
    env.location.unknown = true;
    EXPECT_EQ(cli::kExitFailed, Run({u"text"}));
    EXPECT_EQ("lumora: the application-data folder cannot be determined\n", console.err);
}

TEST_F(LumoraCommand, ABadFileChangesNothing) {
    Store(kDocument);
    const Bytes before = *env.ReadFile(env.StoreFile());
    struct Case {
        std::string bytes;
        std::string error;
    };
    const Case cases[] = {
        {"<KVPassword><Site></KVPassword>",
         "lumora: bad.xml does not parse: End tag 'KVPassword' at offset 18 does not match start tag 'Site' at offset 12\n"},
        {"", "lumora: bad.xml does not parse\n"},
        {"just text", "lumora: bad.xml does not parse: Root element not found\n"},
        {"<Other/>", "lumora: the root element of bad.xml is not KVPassword\n"},
        {"<KVPasswordX/>", "lumora: the root element of bad.xml is not KVPassword\n"},
        {"<KVPassword>\xC3</KVPassword>", "lumora: bad.xml is not UTF-8 text\n"},
        {std::string("<KVPassword/>\0x", 15), "lumora: bad.xml holds a NUL character, which a store cannot keep\n"},
    };
    for (const Case& c : cases) {
        console.files[u"bad.xml"] = c.bytes;
        EXPECT_EQ(cli::kExitFailed, Run({u"replace", u"bad.xml"}));
        EXPECT_EQ(c.error, console.err);
        EXPECT_EQ(before, env.ReadFile(env.StoreFile()));
    }
    EXPECT_EQ(cli::kExitFailed, Run({u"replace", u"absent.xml"}));
    EXPECT_EQ("lumora: cannot read absent.xml\n", console.err);
    EXPECT_EQ(std::set<std::string>{"keyvale.kvp"}, env.FolderFiles());
}

TEST_F(LumoraCommand, AFailedSaveIsAnError) {
    Store(kDocument);
    const Bytes before = *env.ReadFile(env.StoreFile());
    env.files.failWriteAfter = 2;
    console.files[u"in"] = ToUtf8(StoreText(u""));
    EXPECT_EQ(cli::kExitFailed, Run({u"replace", u"in"}));
    EXPECT_NE(std::string::npos, console.err.find("could not be written; it is unchanged")) << console.err;
    EXPECT_EQ(before, env.ReadFile(env.StoreFile()));
}

TEST_F(LumoraCommand, ReplacingAnUnreadableStoreKeepsIt) {
    env.WriteFile(env.StoreFile(), {1, 2, 3});
    console.files[u"in"] = ToUtf8(kDocument);
    EXPECT_EQ(cli::kExitOk, Run({u"replace", u"in"}));
    EXPECT_NE(std::string::npos, console.err.find("kept beside the new one")) << console.err;
    EXPECT_EQ((Bytes{1, 2, 3}), env.ReadFile(env.StoreFolder() / "keyvale-unreadable-1.kvp"));
    ASSERT_EQ(cli::kExitOk, Run({u"text"}));
    EXPECT_EQ(ToUtf8(kDocument), console.out);
}

TEST_F(LumoraCommand, AnythingElseShowsTheUsage) {
    for (const auto& args : std::vector<std::vector<std::u16string>>{
             {}, {u"help"}, {u"replace"}, {u"text", u"extra"}, {u"Sites"}, {u"replace", u"a", u"b"}}) {
        EXPECT_EQ(cli::kExitUsage, Run(args));
        EXPECT_EQ(0u, console.err.find("usage: lumora sites"));
    }
}
