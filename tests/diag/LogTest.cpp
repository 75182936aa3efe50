#include "LogCapture.h"

#include "diag/Log.h"
#include "diag/Messages.h"

#include <gtest/gtest.h>

#include <string>
#include <thread>
#include <vector>

using namespace keyvale;
using keyvale::testing::LogCapture;

TEST(LogFilePath, IsBesideTheModuleOrAloneWithoutAFolder) {
    struct Case {
        std::optional<std::u16string> module;
        std::u16string log;
    };
    const Case cases[] = {
        {u"C:\\Program Files\\Orvane\\keyvale.dll", u"C:\\Program Files\\Orvane\\keyvale.log"},
        {u"\\\\server\\share\\x\\keyvale.dll", u"\\\\server\\share\\x\\keyvale.log"},
        {u"C:\\Orvane\\", u"C:\\Orvane\\keyvale.log"},
        {u"keyvale.dll", u"keyvale.log"},  // no backslash: the current folder
        {u"/usr/lib/keyvale.so", u"keyvale.log"},
        {std::nullopt, u"keyvale.log"},
    };
    for (const Case& c : cases) EXPECT_EQ(c.log, LogFilePath(c.module));
}

TEST(Log, FirstMessageEmptiesTheFileAndMessagesAreWrittenAsFormatted) {
    LogCapture log;
    log.Seed("an earlier process's messages\n");
    EXPECT_TRUE(log.Opened().empty());  // nothing is opened before a message

    WriteLog(kLogUnprotectFailed, -2146893819);
    WriteLog(kLogCantSetupEncryption);  // no line end: the next message continues the line
    WriteLog(kLogCantOpenForWriting, LogText(u"C:\\Users\\Zo\u00eb\\orvane\\keyvale.kvp").c_str());
    WriteLog("%s", "");

    EXPECT_EQ("Decryption failed with error = -2146893819\n"
              "Can't setup encryption environmentCan't open file <C:\\Users\\Zo\xC3\xAB\\orvane\\keyvale.kvp> for writing\n",
              log.Text());
    ASSERT_EQ(1u, log.Opened().size());  // one stream for the process
    EXPECT_EQ(u"C:\\Lumora\\keyvale.log", log.Opened()[0]);
}

TEST(Log, LongMessagesAreCutTo4095Characters) {
    LogCapture log;
    const std::string longText(5000, 'x');
    WriteLog("%s", longText.c_str());
    WriteLog("|");
    EXPECT_EQ(std::string(4095, 'x') + "|", log.Text());
}

TEST(Log, MessagesAreDroppedWhileTheFileCannotBeOpenedAndTheNextOneTriesAgain) {
    LogCapture log;
    log.FailOpens(true);
    WriteLog("lost\n");
    WriteLog("lost too\n");
    EXPECT_EQ("", log.Text());
    log.FailOpens(false);
    WriteLog("kept\n");
    EXPECT_EQ("kept\n", log.Text());
    EXPECT_EQ(3u, log.Opened().size());
}

TEST(Log, MessagesFromManyThreadsStayWhole) {
    LogCapture log;
    std::vector<std::thread> threads;
    for (char c : std::string("abcd")) {
        threads.emplace_back([c] {
            const std::string line(200, c);
            for (int i = 0; i < 50; ++i) WriteLog("%s\n", line.c_str());
        });
    }
    for (auto& t : threads) t.join();
    const std::string text = log.Text();
    ASSERT_EQ(4u * 50u * 201u, text.size());
    for (std::size_t at = 0; at < text.size(); at += 201) {
        EXPECT_EQ(std::string(200, text[at]) + "\n", text.substr(at, 201)) << "at " << at;
    }
    EXPECT_EQ(1u, log.Opened().size());
}
