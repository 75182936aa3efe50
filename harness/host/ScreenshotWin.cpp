#include "ScreenshotWin.h"

#include "Png.h"
#include "win/WinRaii.h"

#include <algorithm>
#include <vector>

namespace keyvale::harness {
namespace {

void DeleteDc(HDC dc) noexcept { ::DeleteDC(dc); }
void DeleteBitmap(HBITMAP bitmap) noexcept { ::DeleteObject(bitmap); }
using unique_hdc = win::unique_any<win::handle_traits<HDC, DeleteDc>>;
using unique_hbitmap = win::unique_any<win::handle_traits<HBITMAP, DeleteBitmap>>;

}  // namespace

std::string CaptureScreenshot(HWND window, const std::string& path) {
    RECT area{};
    if (!::GetWindowRect(window, &area)) return "the window is gone";
    HWND menu = nullptr;
    while ((menu = ::FindWindowExW(nullptr, menu, L"#32768", nullptr)) != nullptr) {
        RECT menuArea{};
        if (::IsWindowVisible(menu) && ::GetWindowRect(menu, &menuArea)) ::UnionRect(&area, &area, &menuArea);
    }
    const int width = area.right - area.left, height = area.bottom - area.top;
    if (width <= 0 || height <= 0) return "the window has no area";

    HDC screen = ::GetDC(nullptr);
    unique_hdc memory(::CreateCompatibleDC(screen));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    unique_hbitmap bitmap(::CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!memory || !bitmap || !bits) {
        ::ReleaseDC(nullptr, screen);
        return "no bitmap for the screenshot";
    }
    HGDIOBJ old = ::SelectObject(memory.get(), bitmap.get());
    const BOOL copied = ::BitBlt(memory.get(), 0, 0, width, height, screen, area.left, area.top, SRCCOPY);
    ::GdiFlush();
    ::SelectObject(memory.get(), old);
    ::ReleaseDC(nullptr, screen);
    if (!copied) return "the screen could not be read";

    std::vector<std::uint8_t> rgb(static_cast<std::size_t>(width) * height * 3);
    const auto* pixels = static_cast<const std::uint8_t*>(bits);
    for (std::size_t i = 0, n = static_cast<std::size_t>(width) * height; i < n; ++i) {
        rgb[i * 3] = pixels[i * 4 + 2];
        rgb[i * 3 + 1] = pixels[i * 4 + 1];
        rgb[i * 3 + 2] = pixels[i * 4];
    }
    if (!WritePng(path, width, height, rgb)) return "cannot write " + path;
    return {};
}

}  // namespace keyvale::harness
