// Wiping secrets (typed passwords, decrypted store text) from buffers we own once they
// are no longer needed. The writes go through a volatile pointer so they are not dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace keyvale {

inline void WipeMemory(void* data, std::size_t size) {
    volatile unsigned char* p = static_cast<volatile unsigned char*>(data);
    for (std::size_t i = 0; i < size; ++i) p[i] = 0;
}

// Zeroes the whole buffer (up to its capacity) and empties it.
inline void Wipe(std::u16string& text) {
    text.resize(text.capacity());
    WipeMemory(text.data(), text.size() * sizeof(char16_t));
    text.clear();
}

inline void Wipe(std::string& text) {
    text.resize(text.capacity());
    WipeMemory(text.data(), text.size());
    text.clear();
}

inline void Wipe(std::vector<std::uint8_t>& bytes) {
    bytes.resize(bytes.capacity());
    WipeMemory(bytes.data(), bytes.size());
    bytes.clear();
}

// Owns a text that held a secret and wipes it when it goes.
class SecretText {
public:
    SecretText() = default;
    explicit SecretText(std::u16string text) noexcept : text_(std::move(text)) {}
    SecretText(const SecretText&) = delete;
    SecretText& operator=(const SecretText&) = delete;
    ~SecretText() { Wipe(text_); }

    const std::u16string& get() const noexcept { return text_; }

private:
    std::u16string text_;
};

// Wipes a buffer when the scope ends, on every path.
template <typename T>
class WipeOnExit {
public:
    explicit WipeOnExit(T& buffer) noexcept : buffer_(buffer) {}
    ~WipeOnExit() { Wipe(buffer_); }
    WipeOnExit(const WipeOnExit&) = delete;
    WipeOnExit& operator=(const WipeOnExit&) = delete;

private:
    T& buffer_;
};

}  // namespace keyvale
