#include "image/picture.h"

#include "base/dibstride.h"
#include "base/files.h"
#include "base/gdi.h"
#include "base/wide.h"
#include "image/extkey.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace corv {

namespace {

constexpr std::uint32_t kPlaceableKey = 0x9AC6CDD7;

// The whole file of exactly this name. A metafile is drawn from memory whole; one of a gigabyte is no
// metafile to show.
std::string ReadFileBytes(const std::string& name) {
    std::string bytes;
    if (!ReadWholeFile(name, bytes, (1ULL << 30) - 1)) throw PictureLoadError("Cannot open " + name);
    return bytes;
}

// An icon from the bytes of its file. The system's own loader takes a file by an ordinary name only, so the
// picture is chosen from the file's directory as that loader chooses (the system's icon size) and made
// from its bytes.
IconHandle IconFromFileBytes(std::string bytes) {
    const auto word = [&bytes](std::size_t at) {
        std::uint16_t v = 0;
        std::memcpy(&v, bytes.data() + at, 2);
        return v;
    };
    const auto dword = [&bytes](std::size_t at) {
        std::uint32_t v = 0;
        std::memcpy(&v, bytes.data() + at, 4);
        return v;
    };
    if (bytes.size() < 6 || word(0) != 0 || word(2) != 1 || word(4) == 0) return {};
    const std::size_t count = word(4);
    if (bytes.size() < 6 + 16 * count) return {};
    // The directory as a resource holds it (an id where the file has an offset), for the system's choice.
    std::vector<BYTE> group(6 + 14 * count);
    std::memcpy(group.data(), bytes.data(), 6);
    for (std::size_t i = 0; i < count; ++i) {
        std::memcpy(group.data() + 6 + 14 * i, bytes.data() + 6 + 16 * i, 12);
        const auto id = static_cast<std::uint16_t>(i + 1);
        std::memcpy(group.data() + 6 + 14 * i + 12, &id, 2);
    }
    const int id = LookupIconIdFromDirectoryEx(group.data(), TRUE, 0, 0, LR_DEFAULTCOLOR);
    if (id < 1 || static_cast<std::size_t>(id) > count) return {};
    const std::size_t entry = 6 + 16 * static_cast<std::size_t>(id - 1);
    const std::size_t size = dword(entry + 8), offset = dword(entry + 12);
    if (offset > bytes.size() || size > bytes.size() - offset || size == 0) return {};
    return IconHandle(CreateIconFromResourceEx(reinterpret_cast<BYTE*>(bytes.data() + offset),
                                               static_cast<DWORD>(size), TRUE, 0x00030000, 0, 0,
                                               LR_DEFAULTCOLOR));
}

int ScreenPixelsPerInch() {
    WindowDc screen(nullptr);
    return GetDeviceCaps(screen.Get(), LOGPIXELSY);
}

// A logical palette made of a colour table.
PaletteHandle PaletteFromColors(const RGBQUAD* colors, int count) {
    if (count <= 0 || count > 256) return {};
    PALETTEENTRY entries[256];
    for (int i = 0; i < count; ++i)
        entries[i] = {colors[i].rgbRed, colors[i].rgbGreen, colors[i].rgbBlue, 0};
    return CreateLogicalPalette(entries, static_cast<std::size_t>(count));
}

// An independent copy of a palette: the clipboard takes ownership of what it is given.
PaletteHandle CopyPalette(HPALETTE source) {
    if (!source) return {};
    PALETTEENTRY entries[256];
    const UINT count = GetPaletteEntries(source, 0, 256, entries);
    if (count == 0) return {};
    return CreateLogicalPalette(entries, count);
}

// Bytes of the colour table that follows a header in a packed bitmap.
std::size_t ColorTableBytes(const BITMAPINFOHEADER& header) {
    if (header.biCompression == BI_BITFIELDS) return 3 * sizeof(DWORD);
    if (header.biBitCount > 8) return 0;
    const std::size_t colors = header.biClrUsed ? header.biClrUsed : (std::size_t{1} << header.biBitCount);
    return colors * sizeof(RGBQUAD);
}

struct DibResult {
    BitmapHandle bitmap;
    PaletteHandle palette;
};

// A DIB section made from a packed device-independent bitmap; checks every size against the data.
DibResult FromPackedDib(const BYTE* data, std::size_t size) {
    DibResult result;
    if (size < sizeof(BITMAPINFOHEADER)) return result;
    BITMAPINFOHEADER header;
    std::memcpy(&header, data, sizeof header);
    if (header.biSize < sizeof(BITMAPINFOHEADER) || header.biSize > size || header.biWidth <= 0 ||
        header.biHeight == 0 || header.biWidth > 32767 || header.biHeight > 32767 ||
        header.biHeight < -32767 || header.biPlanes != 1 || header.biClrUsed > 256)
        return result;
    const std::size_t tableBytes = ColorTableBytes(header);
    const std::size_t pixelsOffset = header.biSize + tableBytes;
    if (pixelsOffset > size) return result;
    if (header.biCompression == BI_RGB || header.biCompression == BI_BITFIELDS) {
        const std::uint64_t stride = DibRowStride(std::uint64_t(header.biWidth), header.biBitCount);
        const std::uint64_t rows = header.biHeight < 0 ? -std::int64_t(header.biHeight) : header.biHeight;
        if (stride * rows > size - pixelsOffset) return result;
    }

    // The copy keeps a palette picture's colour table, and turns deeper ones into 24-bit.
    const bool paletted = header.biBitCount <= 8 && header.biCompression != BI_BITFIELDS;
    std::vector<BYTE> targetInfo(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* target = reinterpret_cast<BITMAPINFO*>(targetInfo.data());
    target->bmiHeader = BITMAPINFOHEADER{};
    target->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    target->bmiHeader.biWidth = header.biWidth;
    target->bmiHeader.biHeight = header.biHeight < 0 ? -header.biHeight : header.biHeight;
    target->bmiHeader.biPlanes = 1;
    target->bmiHeader.biBitCount = paletted ? header.biBitCount : 24;
    target->bmiHeader.biCompression = BI_RGB;
    int colorCount = 0;
    if (paletted) {
        colorCount = static_cast<int>(tableBytes / sizeof(RGBQUAD));
        target->bmiHeader.biClrUsed = static_cast<DWORD>(colorCount);
        std::memcpy(target->bmiColors, data + header.biSize, tableBytes);
    }
    void* bits = nullptr;
    result.bitmap.Reset(CreateDIBSection(nullptr, target, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!result.bitmap) return result;
    WindowDc screen(nullptr);
    std::vector<BYTE> sourceInfo(data, data + pixelsOffset);
    if (SetDIBits(screen.Get(), result.bitmap.Get(), 0, static_cast<UINT>(target->bmiHeader.biHeight),
                  data + pixelsOffset, reinterpret_cast<BITMAPINFO*>(sourceInfo.data()),
                  DIB_RGB_COLORS) == 0) {
        result.bitmap.Reset();
        return result;
    }
    if (paletted) result.palette = PaletteFromColors(target->bmiColors, colorCount);
    return result;
}

// Draws an icon into a fresh 24-bit bitmap on white, for the clipboard.
BitmapHandle IconAsBitmap(HICON icon, int width, int height) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    BitmapHandle bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    if (!bitmap) return bitmap;
    MemoryDcHandle dc(CreateCompatibleDC(nullptr));
    ScopedSelect select(dc.Get(), bitmap.Get());
    RECT all{0, 0, width, height};
    FillRect(dc.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    DrawIconEx(dc.Get(), 0, 0, icon, width, height, 0, nullptr, DI_NORMAL);
    return bitmap;
}

// Hands a block of bytes to the clipboard, which then owns it.
bool PutOnClipboard(UINT format, const std::string& bytes) {
    GlobalMemoryHandle block(GlobalAlloc(GMEM_MOVEABLE, bytes.size()));
    if (!block) return false;
    void* target = GlobalLock(block.Get());
    if (!target) return false;
    std::memcpy(target, bytes.data(), bytes.size());
    GlobalUnlock(block.Get());
    if (!SetClipboardData(format, block.Get())) return false;
    block.Release(); // the clipboard owns it now
    return true;
}

// The clipboard is open for the lifetime of the scope.
class ClipboardScope {
  public:
    explicit ClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~ClipboardScope() {
        if (open_) CloseClipboard();
    }
    ClipboardScope(const ClipboardScope&) = delete;
    ClipboardScope& operator=(const ClipboardScope&) = delete;
    bool Open() const { return open_; }

  private:
    bool open_;
};

} // namespace

std::string PackedDib(HBITMAP bitmap, HPALETTE palette) {
    BITMAP info{};
    if (!bitmap || !GetObjectW(bitmap, sizeof info, &info) || info.bmWidth <= 0 || info.bmHeight <= 0)
        return {};
    const int bitsPerPixel = info.bmBitsPixel * info.bmPlanes;
    std::vector<BYTE> headerStorage(sizeof(BITMAPINFOHEADER) + 256 * sizeof(RGBQUAD));
    auto* header = reinterpret_cast<BITMAPINFO*>(headerStorage.data());
    header->bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    header->bmiHeader.biWidth = info.bmWidth;
    header->bmiHeader.biHeight = info.bmHeight;
    header->bmiHeader.biPlanes = 1;
    header->bmiHeader.biBitCount = static_cast<WORD>(bitsPerPixel <= 8 ? bitsPerPixel : 24);
    header->bmiHeader.biCompression = BI_RGB;
    const std::uint64_t stride = DibRowStride(std::uint64_t(info.bmWidth), header->bmiHeader.biBitCount);
    const std::uint64_t pixelBytes = stride * static_cast<std::uint64_t>(info.bmHeight);
    if (pixelBytes > 0x7FFFFFFF) return {};
    header->bmiHeader.biSizeImage = static_cast<DWORD>(pixelBytes);
    const int colors = header->bmiHeader.biBitCount <= 8 ? 1 << header->bmiHeader.biBitCount : 0;
    header->bmiHeader.biClrUsed = static_cast<DWORD>(colors);

    std::string packed(sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD) + pixelBytes, '\0');
    WindowDc screen(nullptr);
    ScopedPalette selectPalette(screen.Get(), palette, FALSE);
    if (palette) RealizePalette(screen.Get());
    BYTE* pixels =
        reinterpret_cast<BYTE*>(packed.data()) + sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD);
    if (GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(info.bmHeight), pixels, header,
                  DIB_RGB_COLORS) == 0)
        return {};
    std::memcpy(packed.data(), header, sizeof(BITMAPINFOHEADER) + colors * sizeof(RGBQUAD));
    return packed;
}

TPicture& TPicture::operator=(const TPicture& other) {
    if (this != &other) Replace(other.graphic_);
    return *this;
}

void TPicture::Replace(std::shared_ptr<const Graphic> graphic) {
    graphic_ = std::move(graphic);
    if (OnChange) OnChange();
}

void TPicture::Clear() {
    Replace(nullptr);
}

void TPicture::SetBitmap(BitmapHandle bitmap, PaletteHandle palette) {
    auto graphic = std::make_shared<Graphic>();
    graphic->kind = GraphicKind::Bitmap;
    BITMAP info{};
    if (bitmap && GetObjectW(bitmap.Get(), sizeof info, &info)) {
        graphic->width = info.bmWidth;
        graphic->height = info.bmHeight;
    }
    graphic->bitmap = std::move(bitmap);
    graphic->palette = std::move(palette);
    Replace(std::move(graphic));
}

void TPicture::LoadFromFile(const std::string& fileName) {
    const std::string key = ExtensionKey(fileName);
    auto graphic = std::make_shared<Graphic>();
    if (key == ".ICO") {
        graphic->kind = GraphicKind::Icon;
        graphic->icon = IconFromFileBytes(ReadFileBytes(fileName));
        if (!graphic->icon) throw PictureLoadError("Invalid icon file " + fileName);
        ICONINFO info{};
        if (GetIconInfo(graphic->icon.Get(), &info)) {
            BitmapHandle color(info.hbmColor), mask(info.hbmMask);
            BITMAP bits{};
            GetObjectW(color ? color.Get() : mask.Get(), sizeof bits, &bits);
            graphic->width = bits.bmWidth;
            graphic->height = color ? bits.bmHeight : bits.bmHeight / 2;
        }
    } else if (key == ".WMF" || key == ".EMF") {
        graphic->kind = GraphicKind::Metafile;
        const std::string bytes = ReadFileBytes(fileName);
        std::uint32_t signature = 0;
        if (bytes.size() >= 4) std::memcpy(&signature, bytes.data(), 4);
        if (key == ".EMF" || signature == 1 /* EMR_HEADER */) {
            graphic->metafile.Reset(SetEnhMetaFileBits(static_cast<UINT>(bytes.size()),
                                                       reinterpret_cast<const BYTE*>(bytes.data())));
        } else {
            std::size_t offset = 0;
            METAFILEPICT picture{MM_ANISOTROPIC, 0, 0, nullptr};
            const METAFILEPICT* extent = nullptr;
            if (signature == kPlaceableKey && bytes.size() >= 22) {
                // The placeable header gives the size: a bounding box in units of 1/inch.
                std::int16_t box[4];
                std::uint16_t inch = 0;
                std::memcpy(box, bytes.data() + 6, sizeof box);
                std::memcpy(&inch, bytes.data() + 14, sizeof inch);
                if (inch == 0) inch = 1440;
                const int ppi = ScreenPixelsPerInch();
                graphic->width = MulDiv(box[2] - box[0], ppi, inch);
                graphic->height = MulDiv(box[3] - box[1], ppi, inch);
                picture.xExt = MulDiv(box[2] - box[0], 2540, inch);
                picture.yExt = MulDiv(box[3] - box[1], 2540, inch);
                extent = &picture;
                offset = 22;
            }
            if (bytes.size() > offset)
                graphic->metafile.Reset(SetWinMetaFileBits(
                    static_cast<UINT>(bytes.size() - offset),
                    reinterpret_cast<const BYTE*>(bytes.data() + offset), nullptr, extent));
        }
        if (!graphic->metafile) throw PictureLoadError("Invalid metafile " + fileName);
        if (graphic->width <= 0 || graphic->height <= 0) {
            ENHMETAHEADER header{};
            GetEnhMetaFileHeader(graphic->metafile.Get(), sizeof header, &header);
            graphic->width = header.rclBounds.right - header.rclBounds.left + 1;
            graphic->height = header.rclBounds.bottom - header.rclBounds.top + 1;
        }
    } else {
        throw PictureLoadError("Unknown picture file extension " + key);
    }
    Replace(std::move(graphic));
}

void TPicture::Draw(HDC dc, const RECT& rect) const {
    const int width = rect.right - rect.left, height = rect.bottom - rect.top;
    switch (Kind()) {
    case GraphicKind::None:
        return;
    case GraphicKind::Icon:
        DrawIconEx(dc, rect.left, rect.top, Icon(), width, height, 0, nullptr, DI_NORMAL);
        return;
    case GraphicKind::Metafile:
        PlayEnhMetaFile(dc, Metafile(), &rect);
        return;
    case GraphicKind::Bitmap: {
        if (!Bitmap()) return;
        MemoryDcHandle memory(CreateCompatibleDC(dc));
        if (!memory) return;
        ScopedSelect selectBitmap(memory.Get(), Bitmap());
        ScopedPalette selectPalette(dc, Palette(), FALSE);
        if (Palette()) RealizePalette(dc);
        if (width == Width() && height == Height()) {
            BitBlt(dc, rect.left, rect.top, width, height, memory.Get(), 0, 0, SRCCOPY);
        } else {
            const int previous = SetStretchBltMode(dc, COLORONCOLOR);
            StretchBlt(dc, rect.left, rect.top, width, height, memory.Get(), 0, 0, Width(), Height(),
                       SRCCOPY);
            SetStretchBltMode(dc, previous);
        }
        return;
    }
    }
}

bool TPicture::CopyToClipboard(HWND owner) const {
    if (Empty()) return false;
    std::string dib;
    PaletteHandle palette;
    EnhMetafileHandle metafile;
    switch (Kind()) {
    case GraphicKind::Bitmap:
        dib = PackedDib(Bitmap(), Palette());
        palette = CopyPalette(Palette());
        break;
    case GraphicKind::Icon: {
        BitmapHandle drawn = IconAsBitmap(Icon(), Width(), Height());
        dib = PackedDib(drawn.Get(), nullptr);
        break;
    }
    case GraphicKind::Metafile:
        metafile.Reset(CopyEnhMetaFileW(Metafile(), nullptr));
        break;
    case GraphicKind::None:
        break;
    }
    if (dib.empty() && !metafile) return false;

    ClipboardScope clipboard(owner);
    if (!clipboard.Open() || !EmptyClipboard()) return false;
    bool ok = true;
    if (!dib.empty()) ok = PutOnClipboard(CF_DIB, dib);
    if (ok && palette && SetClipboardData(CF_PALETTE, palette.Get())) palette.Release();
    if (metafile) {
        ok = SetClipboardData(CF_ENHMETAFILE, metafile.Get()) != nullptr;
        if (ok) metafile.Release();
    }
    return ok;
}

bool TPicture::ClipboardHasPicture() {
    return IsClipboardFormatAvailable(CF_DIB) || IsClipboardFormatAvailable(CF_BITMAP) ||
           IsClipboardFormatAvailable(CF_ENHMETAFILE) || IsClipboardFormatAvailable(CF_METAFILEPICT);
}

bool TPicture::PasteFromClipboard(HWND owner) {
    if (!ClipboardHasPicture()) return false;
    ClipboardScope clipboard(owner);
    if (!clipboard.Open()) return false;

    if (IsClipboardFormatAvailable(CF_DIB)) {
        HGLOBAL block = GetClipboardData(CF_DIB);
        const auto* data = block ? static_cast<const BYTE*>(GlobalLock(block)) : nullptr;
        if (!data) return false;
        DibResult dib = FromPackedDib(data, GlobalSize(block));
        GlobalUnlock(block);
        if (!dib.bitmap) return false;
        if (IsClipboardFormatAvailable(CF_PALETTE))
            if (PaletteHandle offered = CopyPalette(static_cast<HPALETTE>(GetClipboardData(CF_PALETTE))))
                dib.palette = std::move(offered);
        SetBitmap(std::move(dib.bitmap), std::move(dib.palette));
        return true;
    }
    if (IsClipboardFormatAvailable(CF_ENHMETAFILE)) {
        EnhMetafileHandle copy(
            CopyEnhMetaFileW(static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE)), nullptr));
        if (!copy) return false;
        auto graphic = std::make_shared<Graphic>();
        graphic->kind = GraphicKind::Metafile;
        ENHMETAHEADER header{};
        GetEnhMetaFileHeader(copy.Get(), sizeof header, &header);
        graphic->width = header.rclBounds.right - header.rclBounds.left + 1;
        graphic->height = header.rclBounds.bottom - header.rclBounds.top + 1;
        graphic->metafile = std::move(copy);
        Replace(std::move(graphic));
        return true;
    }
    return false;
}

} // namespace corv
