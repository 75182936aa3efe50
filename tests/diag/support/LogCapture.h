// A log host for tests: the log goes into a file of a temporary folder, which the test
// reads back. Installing it closes the process's log stream; so does the destructor.
#pragma once

#include "diag/Log.h"

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace keyvale::testing {

class LogCapture final : public LogHost {
public:
    // moduleFileName is what ModuleFileName answers.
    explicit LogCapture(std::optional<std::u16string> moduleFileName = u"C:\\Lumora\\keyvale.dll");
    ~LogCapture() override;
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::optional<std::u16string> ModuleFileName() override { return moduleFileName_; }
    std::FILE* OpenEmptied(const std::u16string& path) override;

    // What the log file holds now ("" before the first message).
    std::string Text() const;
    // Writes text into the log file, as an earlier process would have left it.
    void Seed(const std::string& text) const;
    // Closes the log stream and empties the file, as if a new process began.
    void Restart();
    // The paths the log asked to open, in order.
    const std::vector<std::u16string>& Opened() const { return opened_; }
    // While set, the log file cannot be opened.
    void FailOpens(bool fail) { failOpens_ = fail; }

private:
    std::optional<std::u16string> moduleFileName_;
    std::filesystem::path folder_;
    std::filesystem::path file_;
    std::vector<std::u16string> opened_;
    bool failOpens_ = false;
};

}  // namespace keyvale::testing
