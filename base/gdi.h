// GDI helpers every layer shares.
#pragma once
#include "base/handles.h"

#include <cstddef>

namespace corv {

// The version word every logical palette carries.
inline constexpr WORD kLogPaletteVersion = 0x300;

// A logical palette of up to 256 entries; an empty owner for more than 256 or when the system refuses.
PaletteHandle CreateLogicalPalette(const PALETTEENTRY* entries, std::size_t count);

// The bytes a bitmap takes as a device-independent bitmap: header, colour table and pixels; 0 for none.
std::size_t DibSizeOf(HBITMAP bitmap);

} // namespace corv
