#include "diag/MessageBox.h"

#include "diag/Messages.h"

#include <atomic>

namespace keyvale {

namespace {

std::atomic<MessageBoxHost*> g_host{nullptr};

MessageBoxHost& CurrentHost() {
    MessageBoxHost* host = g_host.load();
    return host ? *host : PlatformMessageBoxHost();
}

}  // namespace

void SetMessageBoxHost(MessageBoxHost* host) { g_host.store(host); }

int ShowMessageBox(std::u16string_view text, unsigned type) {
    return CurrentHost().Show(kProductCaption, text.substr(0, kMaxBoxText), type);
}

void ShowErrorBox(std::u16string_view text) { ShowMessageBox(text, kErrorBoxType); }

int MessageBoxRecorder::Show(std::u16string_view caption, std::u16string_view text,
                             unsigned type) {
    std::lock_guard lock(mutex_);
    boxes_.push_back({std::u16string(caption), std::u16string(text), type});
    if (answers_.empty()) return kIdOk;
    const int answer = answers_.front();
    answers_.pop_front();
    return answer;
}

void MessageBoxRecorder::Answer(int button) {
    std::lock_guard lock(mutex_);
    answers_.push_back(button);
}

std::vector<MessageBoxRecorder::Box> MessageBoxRecorder::Boxes() const {
    std::lock_guard lock(mutex_);
    return boxes_;
}

void MessageBoxRecorder::Clear() {
    std::lock_guard lock(mutex_);
    boxes_.clear();
    answers_.clear();
}

}  // namespace keyvale
