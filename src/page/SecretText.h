// Texts that held a secret (a typed password, a stored value) are overwritten before their
// buffer is given back.
#pragma once

#include <string>

namespace keyvale {

inline void WipeText(std::u16string& text) noexcept {
    volatile char16_t* p = text.data();
    for (std::size_t i = 0; i < text.size(); ++i) p[i] = 0;
    text.clear();
}

// Owns a text and wipes it when it goes.
class SecretText {
public:
    SecretText() = default;
    explicit SecretText(std::u16string text) noexcept : text_(std::move(text)) {}
    SecretText(const SecretText&) = delete;
    SecretText& operator=(const SecretText&) = delete;
    ~SecretText() { WipeText(text_); }

    const std::u16string& get() const noexcept { return text_; }

private:
    std::u16string text_;
};

}  // namespace keyvale
