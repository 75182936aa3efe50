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
