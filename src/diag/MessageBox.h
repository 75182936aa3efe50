// Message boxes: what the user must see or answer. Every box has the product's caption
// and no owner window. The boxes go through a MessageBoxHost: MessageBoxW on Windows, a
// recorder elsewhere, and whatever a test installs.
#pragma once

#include <cstddef>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace keyvale {

// Message-box types and results, with the values of MessageBoxW.
inline constexpr unsigned kBoxOk = 0x0;
inline constexpr unsigned kBoxOkCancel = 0x1;
inline constexpr unsigned kBoxIconError = 0x10;
inline constexpr unsigned kBoxIconQuestion = 0x20;
inline constexpr unsigned kBoxIconExclamation = 0x30;
inline constexpr unsigned kBoxIconInformation = 0x40;
inline constexpr int kIdOk = 1;
inline constexpr int kIdCancel = 2;

// Texts longer than this are cut to it.
inline constexpr std::size_t kMaxBoxText = 1023;

// An error box: the text with an OK button and the error icon.
void ShowErrorBox(std::u16string_view text);
// A box of the given type; the result is the button pressed (kIdOk, kIdCancel, ...).
int ShowMessageBox(std::u16string_view text, unsigned type);

class MessageBoxHost {
public:
    virtual ~MessageBoxHost() = default;
    // Shows one modal box with no owner window and returns the button pressed.
    virtual int Show(std::u16string_view caption, std::u16string_view text, unsigned type) = 0;
};

// The platform's boxes: MessageBoxW on Windows; elsewhere a MessageBoxRecorder.
MessageBoxHost& PlatformMessageBoxHost();
// Sends every later box to host; null restores the platform's.
void SetMessageBoxHost(MessageBoxHost* host);

// Records every box and answers from a queue of buttons, then with kIdOk.
class MessageBoxRecorder final : public MessageBoxHost {
public:
    struct Box {
        std::u16string caption;
        std::u16string text;
        unsigned type;
    };

    int Show(std::u16string_view caption, std::u16string_view text, unsigned type) override;

    // The button that the next box answers with.
    void Answer(int button);
    std::vector<Box> Boxes() const;
    void Clear();

private:
    mutable std::mutex mutex_;
    std::vector<Box> boxes_;
    std::deque<int> answers_;
};

// Installs a host for the lifetime of a scope (tests).
class ScopedMessageBoxHost {
public:
    explicit ScopedMessageBoxHost(MessageBoxHost& host) { SetMessageBoxHost(&host); }
    ~ScopedMessageBoxHost() { SetMessageBoxHost(nullptr); }
    ScopedMessageBoxHost(const ScopedMessageBoxHost&) = delete;
    ScopedMessageBoxHost& operator=(const ScopedMessageBoxHost&) = delete;
};

}  // namespace keyvale
