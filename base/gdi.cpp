#include "base/gdi.h"

#include <cstring>
#include <vector>

namespace corv {

PaletteHandle CreateLogicalPalette(const PALETTEENTRY* entries, std::size_t count) {
    if (count > 256) return {};
    // LOGPALETTE declares room for one entry; the storage has room for all of them.
    std::vector<BYTE> storage(sizeof(LOGPALETTE) + sizeof(PALETTEENTRY) * count);
    auto* palette = reinterpret_cast<LOGPALETTE*>(storage.data());
    palette->palVersion = kLogPaletteVersion;
    palette->palNumEntries = static_cast<WORD>(count);
    if (count > 0) std::memcpy(palette->palPalEntry, entries, sizeof(PALETTEENTRY) * count);
    return PaletteHandle(CreatePalette(palette));
}

} // namespace corv
