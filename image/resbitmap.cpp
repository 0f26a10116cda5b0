#include "image/resbitmap.h"

#include "base/dibstride.h"
#include "base/gdi.h"
#include "base/text.h"
#include "base/wide.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace corv {

std::string ResourceNameOf(const std::string& fileName) {
    const std::size_t slash = fileName.find_last_of(":\\");
    std::string name = slash == std::string::npos ? fileName : fileName.substr(slash + 1);
    name = Utf8Prefix(name, 64); // characters, never a piece of one
    return name.substr(0, name.find('.'));
}

namespace {

bool IsDecimal(const std::string& text) {
    if (text.empty() || text.size() > 5) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// The header of a resource bitmap in its long (Windows) form; the short (OS/2) form is widened.
struct DibHeader {
    std::uint32_t headerSize = 0;
    std::int32_t width = 0, height = 0;
    std::uint16_t bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t colorsUsed = 0;
    bool shortForm = false;
};

bool ParseHeader(const BYTE* data, std::size_t size, DibHeader& header) {
    if (size < 4) return false;
    std::memcpy(&header.headerSize, data, 4);
    if (header.headerSize == sizeof(BITMAPCOREHEADER) && size >= sizeof(BITMAPCOREHEADER)) {
        BITMAPCOREHEADER core;
        std::memcpy(&core, data, sizeof core);
        header.width = core.bcWidth;
        header.height = core.bcHeight;
        header.bitCount = core.bcBitCount;
        header.shortForm = true;
        return true;
    }
    if (header.headerSize < sizeof(BITMAPINFOHEADER) || header.headerSize > size) return false;
    BITMAPINFOHEADER info;
    std::memcpy(&info, data, sizeof info);
    header.width = info.biWidth;
    header.height = info.biHeight;
    header.bitCount = info.biBitCount;
    header.compression = info.biCompression;
    header.colorsUsed = info.biClrUsed;
    return true;
}

} // namespace

ResourceBitmap LoadResourceBitmap(HMODULE module, const std::string& resourceName, HWND window) {
    ResourceBitmap result;
    const std::wstring name = Wide(resourceName);
    LPCWSTR id = name.c_str();
    if (IsDecimal(resourceName)) {
        const unsigned long number = std::stoul(resourceName);
        if (number > 0xFFFF) return result;
        id = MAKEINTRESOURCEW(number);
    }
    HRSRC found = FindResourceW(module, id, MAKEINTRESOURCEW(2) /* RT_BITMAP */);
    if (!found) return result;
    HGLOBAL loaded = LoadResource(module, found);
    const auto* data = loaded ? static_cast<const BYTE*>(LockResource(loaded)) : nullptr;
    const std::size_t size = SizeofResource(module, found);
    DibHeader header;
    if (!data || !ParseHeader(data, size, header) || header.width <= 0 || header.height == 0) return result;

    // The colour count: the long header's colours-used field when set, else two to the bit count;
    // true colour has no table.
    std::size_t colors = 0;
    if (header.bitCount <= 8)
        colors = (!header.shortForm && header.colorsUsed) ? header.colorsUsed : 1u << header.bitCount;
    if (colors > 256) return result;
    const std::size_t entrySize = header.shortForm ? 3 : 4;
    const std::size_t tableBytes = colors * entrySize + (header.compression == BI_BITFIELDS ? 12 : 0);
    const std::size_t pixelsOffset = header.headerSize + tableBytes;
    if (pixelsOffset > size) return result;
    if (header.compression == BI_RGB) {
        const std::uint64_t stride = DibRowStride(std::uint64_t(header.width), header.bitCount);
        const std::uint64_t rows = header.height < 0 ? -std::int64_t(header.height) : header.height;
        if (stride * rows > size - pixelsOffset) return result;
    }

    if (colors > 0) {
        PALETTEENTRY entries[256];
        const BYTE* table = data + header.headerSize;
        for (std::size_t i = 0; i < colors; ++i) {
            const BYTE* entry = table + i * entrySize; // blue, green, red
            entries[i] = {entry[2], entry[1], entry[0], 0};
        }
        result.palette = CreateLogicalPalette(entries, colors);
    }

    WindowDc dc(window);
    ScopedPalette selectPalette(dc.Get(), result.palette.Get(), FALSE);
    if (result.palette) RealizePalette(dc.Get());
    result.bitmap.Reset(CreateDIBitmap(dc.Get(), reinterpret_cast<const BITMAPINFOHEADER*>(data), CBM_INIT,
                                       data + pixelsOffset, reinterpret_cast<const BITMAPINFO*>(data),
                                       DIB_RGB_COLORS));
    if (!result.bitmap) result.palette.Reset();
    return result;
}

} // namespace corv
