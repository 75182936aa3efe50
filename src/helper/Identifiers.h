// The helper's identifiers and its one interface of its own.
#pragma once

#include "helper/HelperPrelude.h"

namespace navlatch {

// {3F8D61C2-A4E9-4B05-97C3-5E2A0D8B71F6}
inline constexpr CLSID CLSID_IEHelper = {
    0x3F8D61C2, 0xA4E9, 0x4B05, {0x97, 0xC3, 0x5E, 0x2A, 0x0D, 0x8B, 0x71, 0xF6}};
// {8B41C6E2-93D5-4A07-B62F-0E7C35A9D184}
inline constexpr IID IID_IIEHelper = {
    0x8B41C6E2, 0x93D5, 0x4A07, {0xB6, 0x2F, 0x0E, 0x7C, 0x35, 0xA9, 0xD1, 0x84}};
// {B70E4F93-2D6A-4C18-9F5B-A3C81E0D2467}
inline constexpr GUID LIBID_NAVLATCHLib = {
    0xB70E4F93, 0x2D6A, 0x4C18, {0x9F, 0x5B, 0xA3, 0xC8, 0x1E, 0x0D, 0x24, 0x67}};

// The band the helper asks every browser window to show, named only by its class
// identifier text: the one link between the helper and the band server.
inline constexpr const wchar_t* kBandClassIdText = L"{6A0C3E51-9B27-4D8E-B1F4-2C7D95E0A318}";

// IIEHelper: dual, derived from IDispatch, no members of its own.
struct IIEHelper : public IDispatch {};

}  // namespace navlatch
