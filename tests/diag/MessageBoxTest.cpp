#include "diag/MessageBox.h"
#include "diag/Messages.h"

#include <gtest/gtest.h>

using namespace keyvale;

TEST(MessageBoxes, CarryTheCaptionTheTextAndTheTypeAndReturnTheButton) {
    MessageBoxRecorder boxes;
    ScopedMessageBoxHost scope(boxes);

    ShowErrorBox(kNoticeCantSaveSite.text);
    boxes.Answer(kIdCancel);
    EXPECT_EQ(kIdCancel, ShowMessageBox(kNoticeConfirmOverwrite));
    EXPECT_EQ(kIdOk, ShowMessageBox(u"no answer queued", kBoxOk | kBoxIconInformation));

    const auto shown = boxes.Boxes();
    ASSERT_EQ(3u, shown.size());
    for (const auto& box : shown) EXPECT_EQ(u"Orvane Lumora", box.caption);
    EXPECT_EQ(u"Can't save the captured website", shown[0].text);
    EXPECT_EQ(0x10u, shown[0].type);  // MB_OK | MB_ICONERROR
    EXPECT_EQ(u"Are you sure you want to overwrite the current Lumora information?", shown[1].text);
    EXPECT_EQ(0x21u, shown[1].type);  // MB_OKCANCEL | MB_ICONQUESTION
}

TEST(MessageBoxes, TextsAreCutTo1023Characters) {
    MessageBoxRecorder boxes;
    ScopedMessageBoxHost scope(boxes);
    ShowErrorBox(std::u16string(2000, u'y'));
    EXPECT_EQ(std::u16string(1023, u'y'), boxes.Boxes().at(0).text);
}

TEST(MessageBoxes, CatalogueTypesAreTheDocumentedOnes) {
    struct Case {
        Notice notice;
        unsigned type;
    };
    const Case cases[] = {
        {kNoticeCantSaveSite, 0x10},         {kNoticeExportPasswordWrong, 0x30}, {kNoticeOldPasswordWrong, 0x30},
        {kNoticeConfirmOverwrite, 0x21},     {kNoticeExported, 0x40},            {kNoticeImported, 0x40},
        {kNoticeCantImport, 0x10},           {kNoticeWeakEncryption, 0x40},
    };
    for (const Case& c : cases) EXPECT_EQ(c.type, c.notice.type);
}
