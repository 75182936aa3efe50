// The one header through which Win32 glue sees the platform: fixed macros first, then
// <windows.h>, then the few conversions between the core's UTF-16 strings and wchar_t.
#pragma once

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef UNICODE
#define UNICODE
#endif
#ifndef _UNICODE
#define _UNICODE
#endif
#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#endif
#ifndef _WIN32_IE
#define _WIN32_IE 0x0800
#endif

#include <windows.h>

#include <string>
#include <string_view>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide characters are UTF-16 code units");

namespace keyvale::win {

inline const wchar_t* WStr(const std::u16string& s) {
    return reinterpret_cast<const wchar_t*>(s.c_str());
}

inline std::wstring_view WView(std::u16string_view s) {
    return {reinterpret_cast<const wchar_t*>(s.data()), s.size()};
}

inline std::u16string U16(const wchar_t* s, std::size_t n) {
    return s ? std::u16string(reinterpret_cast<const char16_t*>(s), n) : std::u16string();
}

inline std::u16string U16(const wchar_t* s) {
    return s ? std::u16string(reinterpret_cast<const char16_t*>(s)) : std::u16string();
}

inline std::u16string U16(std::wstring_view s) { return U16(s.data(), s.size()); }

}  // namespace keyvale::win
