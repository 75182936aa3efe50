// The catalogue of everything the system tells: the log's format strings and the texts
// and types of its message boxes. Every message is used exactly as it stands here.
#pragma once

#include "diag/MessageBox.h"

#include <string_view>

namespace keyvale {

inline constexpr std::u16string_view kProductCaption = u"Orvane Lumora";
inline constexpr std::u16string_view kLogFileName = u"keyvale.log";

// Log messages: printf formats for WriteLog. %s is a file's path, %d a system error code.
inline constexpr char kLogCantLoadStore[] = "Can't load Lumora file\n";
inline constexpr char kLogCantExport[] = "Can't export Lumora file\n";
inline constexpr char kLogCantOpenFile[] = "Can't open file %s\n";
// Has no line end: the next message continues on the same line.
inline constexpr char kLogCantSetupEncryption[] = "Can't setup encryption environment";
inline constexpr char kLogEncryptFailed[] = "Failed to encrypt the buffer after lengh adjustment\n";
inline constexpr char kLogDecryptFailed[] = "Failed to decrypt the buffer\n";
inline constexpr char kLogUnprotectFailed[] = "Decryption failed with error = %d\n";
inline constexpr char kLogCantOpenForWriting[] = "Can't open file <%s> for writing\n";
inline constexpr char kLogProtectFailed[] = "Encryption failed with error = %d\n";

// A message box: its text and its type (buttons and icon).
struct Notice {
    std::u16string_view text;
    unsigned type;
};

inline constexpr unsigned kErrorBoxType = kBoxOk | kBoxIconError;

inline constexpr Notice kNoticeCantSaveSite{u"Can't save the captured website", kErrorBoxType};
inline constexpr Notice kNoticeExportPasswordWrong{
    u"The export authorization password is not correct", kBoxOk | kBoxIconExclamation};
inline constexpr Notice kNoticeOldPasswordWrong{u"The old password is not correct",
                                                kBoxOk | kBoxIconExclamation};
// Cancel stops the import.
inline constexpr Notice kNoticeConfirmOverwrite{
    u"Are you sure you want to overwrite the current Lumora information?",
    kBoxOkCancel | kBoxIconQuestion};
inline constexpr Notice kNoticeExported{u"Successfully exported the Lumora file",
                                        kBoxOk | kBoxIconInformation};
inline constexpr Notice kNoticeImported{u"Successfully imported the Lumora file",
                                        kBoxOk | kBoxIconInformation};
inline constexpr Notice kNoticeCantImport{
    u"Can't import the Lumora file, most likely the password is not correct", kErrorBoxType};
inline constexpr Notice kNoticeWeakEncryption{
    u"Your operating system doesn't support strong encryption, use 40 bit encryption instead",
    kBoxOk | kBoxIconInformation};

// Shows a notice of the catalogue; the result is the button pressed.
inline int ShowMessageBox(const Notice& notice) { return ShowMessageBox(notice.text, notice.type); }

}  // namespace keyvale
