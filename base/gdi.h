// GDI helpers every layer shares.
#pragma once
#include "base/handles.h"

#include <cstddef>
#include <string>

namespace corv {

// The version word every logical palette carries.
inline constexpr WORD kLogPaletteVersion = 0x300;

// A logical palette of up to 256 entries; an empty owner for more than 256 or when the system refuses.
PaletteHandle CreateLogicalPalette(const PALETTEENTRY* entries, std::size_t count);

// The bytes a bitmap takes as a device-independent bitmap: header, colour table and pixels; 0 for none.
std::size_t DibSizeOf(HBITMAP bitmap);

// Text output of UTF-8 text through the wide calls.
int DrawUtf8Text(HDC dc, const std::string& text, RECT& rect, UINT format);
BOOL TextOutUtf8(HDC dc, int x, int y, const std::string& text);
SIZE Utf8TextExtent(HDC dc, const std::string& text);

} // namespace corv
