// A minimal PNG writer for the host's screenshots: 8-bit RGB, stored (uncompressed)
// deflate blocks. No dependency beyond the standard library.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace keyvale::harness {

// `rgb` holds height rows of width pixels, 3 bytes each, top row first.
std::vector<std::uint8_t> EncodePng(int width, int height, const std::vector<std::uint8_t>& rgb);
bool WritePng(const std::string& path, int width, int height, const std::vector<std::uint8_t>& rgb);

}  // namespace keyvale::harness
