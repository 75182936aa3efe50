// Identifiers of the band server's class, interface and type library.
#pragma once

#include "win/WinPrelude.h"

#include <oaidl.h>

// The band's automation interface: dual, no members of its own.
MIDL_INTERFACE("5D2E8A41-7C3B-4F96-A0D8-19E4B6C2F753")
IPasswordBar : public IDispatch{};
__CRT_UUID_DECL(IPasswordBar, 0x5d2e8a41, 0x7c3b, 0x4f96, 0xa0, 0xd8, 0x19, 0xe4, 0xb6, 0xc2, 0xf7, 0x53)

namespace keyvale::win {

inline constexpr CLSID kClsidPasswordBar = {
    0x6a0c3e51, 0x9b27, 0x4d8e, {0xb1, 0xf4, 0x2c, 0x7d, 0x95, 0xe0, 0xa3, 0x18}};
inline constexpr GUID kLibidLumora = {
    0xc2e94d07, 0x5f31, 0x4a6b, {0x8e, 0x20, 0x7b, 0x1d, 0x3f, 0x9a, 0x64, 0xc5}};

}  // namespace keyvale::win
