// The exports of CVIMG32.DLL: header information and one read operation per format. Every read
// returns a DIB section and, for 8 bits and fewer, a palette; on failure both handles are 0.
#include "cvimg/api.h"
#include "cvimg/color.h"
#include "cvimg/concurrentrows.h"
#include "cvimg/decoder.h"
#include "cvimg/info.h"
#include "cvimg/photometa.h"
#include "cvimg/reduce.h"
#include "cvimg/scale.h"
#include "cvimg/win/mappedfile.h"
#include "cvimg/win/output.h"

#include <cmath>
#include <cstring>
#include <cwchar>
#include <utility>
#include <new>
#include <string>
#include <type_traits>

namespace cvimg {

namespace {

// From about a megapixel a thread of its own for the colour conversion pays for its start.
constexpr int64_t kConcurrentPixels = int64_t{1} << 20;

// The ANSI forms keep their old limit; the wide forms take what the extended-length form takes.
bool NameOk(const char* name) {
    return name && name[0] && strnlen(name, MAX_PATH) < MAX_PATH;
}
bool NameOk(const wchar_t* name) {
    return name && name[0] && wcsnlen(name, kMaxWideName + 1) <= static_cast<size_t>(kMaxWideName);
}

// An ANSI caller's name as it meant it: text of the ANSI code page, widened. Empty when it is no name.
std::wstring WidenAnsi(const char* name) {
    if (!NameOk(name)) return {};
    const int length = static_cast<int>(std::strlen(name));
    const int wideLength = MultiByteToWideChar(CP_ACP, 0, name, length, nullptr, 0);
    if (wideLength <= 0) return {};
    std::wstring wide(static_cast<size_t>(wideLength), L'\0');
    MultiByteToWideChar(CP_ACP, 0, name, length, wide.data(), wideLength);
    return wide;
}
// What the wide forms get for a name the conversion refused: nothing, which they refuse in turn.
const wchar_t* NameOrNull(const std::wstring& wide) {
    return wide.empty() ? nullptr : wide.c_str();
}

std::unique_ptr<Decoder> MakeDecoder(Format format, Bytes file) {
    switch (format) {
    case Format::Jpeg:
        return MakeJpegDecoder(file);
    case Format::Gif:
        return MakeGifDecoder(file);
    case Format::Pcx:
        return MakePcxDecoder(file);
    case Format::Bmp:
        return MakeBmpDecoder(file);
    case Format::Png:
        return MakePngDecoder(file);
    case Format::Tiff:
        return MakeTiffDecoder(file);
    case Format::Webp:
        return MakeWebpDecoder(file);
    case Format::Heif:
        return MakeHeifDecoder(file);
    }
    return nullptr;
}

// The picture as the caller asked for it: true colour straight into the section, fewer bits through a
// palette of the picture's colours.
Status Output(const Raster& raster, int depth, bool dither, DibSection& dib, corv::PaletteHandle& palette) {
    Target target;
    if (Status s = PlanTarget(raster, depth, target); Failed(s)) return s;
    if (Status s = CreateDib(raster.Width(), raster.Height(), target.bits,
                             target.bits <= 8 ? &target.palette : nullptr, dib);
        Failed(s))
        return s;
    if (Status s = Render(raster, target, dither, dib.top, dib.step); Failed(s)) return s;
    if (target.bits <= 8) {
        if (Status s = CreateLogicalPalette(target.palette, palette); Failed(s)) return s;
    }
    return Status::Ok;
}

// The camera's preview stands in for the picture when it covers the box and has the picture's shape: the
// cell then differs from a reduced decode by no more than the preview's own detail.
bool PreviewServes(const Layout& preview, const Layout& picture, int width, int height) {
    if (preview.width < width || preview.height < height) return false;
    const double shape = double(picture.width) / picture.height;
    const double previewShape = double(preview.width) / preview.height;
    return std::fabs(previewShape - shape) <= 0.02 * shape;
}

// The display profile's bytes; empty (sRGB) when none is named or it cannot be read.
std::string ReadDisplayProfile(const wchar_t* name) {
    if (!name || !name[0] || !NameOk(name)) return {};
    MappedFile file;
    if (Failed(file.Open(name)) || file.View().size > (4u << 20)) return {};
    return std::string(reinterpret_cast<const char*>(file.View().data), file.View().size);
}

// Reads the picture of `width` x `height` (0 x 0: its own size) into a DIB section of that size. The photo
// flags turn it upright, convert its colours to the display's and let a reduced read take the camera's
// preview; broken metadata is read as far as it goes and never fails the picture.
Status ReadPicture(Format format, const wchar_t* name, int depth, bool dither, int width, int height,
                   int flags, const wchar_t* displayProfile, DibSection& dib, corv::PaletteHandle& palette) {
    const BusyThread busy;
    if (depth != 0 && depth != 1 && depth != 4 && depth != 8 && depth != 24) return Status::BadDepth;
    const bool reduce = width > 0 || height > 0;
    if (reduce) {
        if (Status s = CheckPictureSize(width, height); Failed(s)) return Status::BadArgument;
    }
    MappedFile file;
    if (Status s = file.Open(name); Failed(s)) return s;
    if (file.View().size == 0) return Status::Corrupt;
    // The header parser knows the size before any library is asked: a picture too large for the
    // 16-bit sizes or the address space is refused as such, whatever else may be wrong with it.
    PictureInfo info;
    // The seven's reads keep to the seven's types here too, as before the newer ones came.
    const bool newType = format == Format::Webp || format == Format::Heif;
    if (ReadPictureInfo(file.View(), info, newType) == Status::TooLarge) return Status::TooLarge;
    PhotoMeta meta;
    if (flags & (kPhotoUpright | kPhotoColor | kPhotoPreview)) ReadPhotoMeta(file.View(), meta);
    std::unique_ptr<Decoder> decoder = MakeDecoder(format, file.View());
    const int orientation = (flags & kPhotoUpright) ? decoder->ResidualOrientation(meta.orientation) : 1;
    // What the decode must cover before the picture is turned.
    if (SwapsSides(orientation)) std::swap(width, height);
    Layout layout;
    if (Status s = decoder->ReadHeader(layout); Failed(s)) return s;
    if (Status s = CheckPictureSize(layout.width, layout.height); Failed(s)) return s;
    // HEIF and WebP keep their profiles in their containers, where the decoders read them.
    if (const Bytes profile = decoder->ColorProfile();
        (flags & kPhotoColor) && profile.size && meta.icc.empty() && meta.iccZlib.empty())
        meta.icc.assign(reinterpret_cast<const char*>(profile.data), profile.size);
    if (reduce && (flags & kPhotoPreview) && format == Format::Jpeg && meta.preview.size) {
        std::unique_ptr<Decoder> preview = MakeJpegDecoder(meta.preview);
        Layout small;
        if (!Failed(preview->ReadHeader(small)) && small.format == layout.format &&
            PreviewServes(small, layout, width, height)) {
            decoder = std::move(preview);
            layout = small;
        }
    }
    ColorConversion color;
    const bool convert =
        (flags & kPhotoColor) && color.Prepare(meta, ReadDisplayProfile(displayProfile), layout.format);
    if (reduce) {
        if (Status s = decoder->ReduceToCover(width, height, layout); Failed(s)) return s;
    }

    Raster raster;
    const bool exact = !reduce || (layout.width == width && layout.height == height);
    const bool direct = depth == 24 && layout.format == PixelFormat::Bgr24 && exact && orientation == 1;
    if (direct) {
        // True colour in, true colour out: the decoder writes straight into the section.
        if (Status s = CreateDib(layout.width, layout.height, 24, nullptr, dib); Failed(s)) return s;
        raster.Attach(layout.width, layout.height, layout.format, dib.top, dib.step);
    } else if (Status s = raster.Allocate(layout.width, layout.height, layout.format); Failed(s)) {
        return s;
    }
    // A large picture's rows are converted beside the decode, on a core the module is not using.
    ConcurrentRows rows(color, static_cast<int64_t>(layout.width) * layout.height >= kConcurrentPixels
                                   ? static_cast<std::size_t>(layout.height)
                                   : 0);
    const bool filtered = convert && layout.format == PixelFormat::Bgr24 && decoder->TakeRowFilter(&rows);
    if (Status s = decoder->Decode(raster); Failed(s)) return s;
    rows.Finish();
    if (convert && !filtered) color.Apply(raster);
    if (direct) return Status::Ok;
    decoder.reset();

    const Raster* current = &raster;
    Raster small;
    if (!exact) {
        if (depth == 24 && orientation == 1) {
            if (Status s = CreateDib(width, height, 24, nullptr, dib); Failed(s)) return s;
            small.Attach(width, height, PixelFormat::Bgr24, dib.top, dib.step);
            return ResizeArea(raster, small);
        }
        if (Status s = small.Allocate(width, height, PixelFormat::Bgr24); Failed(s)) return s;
        if (Status s = ResizeArea(raster, small); Failed(s)) return s;
        current = &small;
    }
    if (orientation == 1) return Output(*current, depth, dither, dib, palette);
    const bool swap = SwapsSides(orientation);
    const int uprightWidth = swap ? current->Height() : current->Width();
    const int uprightHeight = swap ? current->Width() : current->Height();
    Raster upright;
    if (depth == 24 && current->Format() == PixelFormat::Bgr24) {
        if (Status s = CreateDib(uprightWidth, uprightHeight, 24, nullptr, dib); Failed(s)) return s;
        upright.Attach(uprightWidth, uprightHeight, PixelFormat::Bgr24, dib.top, dib.step);
        return Orient(*current, orientation, upright);
    }
    if (Status s = upright.Allocate(uprightWidth, uprightHeight, current->Format()); Failed(s)) return s;
    if (Status s = Orient(*current, orientation, upright); Failed(s)) return s;
    return Output(upright, depth, dither, dib, palette);
}

// An incoming palette belongs to the caller: it is neither used nor freed, and the out value replaces it.
int16_t Read(Format format, const wchar_t* name, int32_t depth, int32_t dither, HBITMAP* bitmap,
             HPALETTE* palette, int32_t width = 0, int32_t height = 0, int32_t flags = 0,
             const wchar_t* displayProfile = nullptr) {
    if (bitmap) *bitmap = nullptr;
    if (palette) *palette = nullptr;
    if (!bitmap || !palette || !NameOk(name)) return static_cast<int16_t>(Status::BadArgument);
    Status status;
    DibSection dib;
    corv::PaletteHandle pal;
    try {
        status =
            ReadPicture(format, name, depth, dither != 0, width, height, flags, displayProfile, dib, pal);
        // A camera's preview that turns out broken only costs the picture its shortcut.
        if (Failed(status) && (flags & kPhotoPreview)) {
            dib = {};
            pal.Reset();
            status = ReadPicture(format, name, depth, dither != 0, width, height, flags & ~kPhotoPreview,
                                 displayProfile, dib, pal);
        }
    } catch (const std::bad_alloc&) {
        status = Status::OutOfMemory;
    } catch (...) {
        status = Status::Corrupt;
    }
    if (Failed(status)) return static_cast<int16_t>(status); // the owners free whatever was made
    *bitmap = static_cast<HBITMAP>(dib.bitmap.Release());
    *palette = static_cast<HPALETTE>(pal.Release());
    return static_cast<int16_t>(Status::Ok);
}

void Put16(int16_t* out, int value) {
    if (out) *out = static_cast<int16_t>(value > 32767 ? 32767 : value < -32768 ? -32768 : value);
}

// allTypes: the newer types too; the seven's LibImageInfo knows only its own.
int16_t Info(const wchar_t* fileName, char* typeText, int16_t* width, int16_t* height, int16_t* bits,
             int16_t* planes, int16_t* frames, char* compressionText, bool allTypes = false,
             int32_t flags = 0) {
    PictureInfo info;
    Status status = Status::BadArgument;
    if (NameOk(fileName)) {
        try {
            MappedFile file;
            status = file.Open(fileName);
            if (!Failed(status)) status = ReadPictureInfo(file.View(), info, allTypes);
            if (!Failed(status) && (flags & kPhotoUpright)) {
                PhotoMeta meta;
                ReadPhotoMeta(file.View(), meta);
                if (SwapsSides(meta.orientation)) std::swap(info.width, info.height);
            }
        } catch (...) {
            status = Status::OutOfMemory;
        }
    }
    if (Failed(status)) info = {};
    if (typeText) std::memcpy(typeText, info.type, kTypeTextSize);
    if (compressionText) std::memcpy(compressionText, info.compression, kCompressionTextSize);
    Put16(width, info.width);
    Put16(height, info.height);
    Put16(bits, info.bits);
    Put16(planes, info.planes);
    Put16(frames, info.frames);
    return static_cast<int16_t>(status);
}

// The format named by its read operation's ordinal; false for any other number.
bool FormatOfOrdinal(int32_t ordinal, Format& which) {
    switch (ordinal) {
    case kOrdReadJpeg:
        which = Format::Jpeg;
        return true;
    case kOrdReadGif:
        which = Format::Gif;
        return true;
    case kOrdReadPcx:
        which = Format::Pcx;
        return true;
    case kOrdReadBmp:
        which = Format::Bmp;
        return true;
    case kOrdReadPng:
        which = Format::Png;
        return true;
    case kOrdReadTiff:
        which = Format::Tiff;
        return true;
    case kOrdReadWebp:
        which = Format::Webp;
        return true;
    case kOrdReadHeif:
        which = Format::Heif;
        return true;
    }
    return false;
}

int16_t ReadScaled(const wchar_t* fileName, int32_t format, int32_t depth, int32_t dither, int32_t width,
                   int32_t height, HBITMAP* bitmap, HPALETTE* palette) {
    Format which;
    if (!FormatOfOrdinal(format, which)) {
        if (bitmap) *bitmap = nullptr;
        if (palette) *palette = nullptr;
        return static_cast<int16_t>(Status::BadArgument);
    }
    // A size of 0 would mean the picture's own: this operation always reduces.
    if (width < 1 || height < 1) {
        if (bitmap) *bitmap = nullptr;
        if (palette) *palette = nullptr;
        return static_cast<int16_t>(Status::BadArgument);
    }
    return Read(which, fileName, depth, dither, bitmap, palette, width, height);
}

} // namespace

} // namespace cvimg

using namespace cvimg;

extern "C" {

// The ANSI forms: the name is text of the ANSI code page; widened, it takes the wide forms' road.

int16_t __stdcall LibImageInfo(const char* fileName, char* typeText, int16_t* width, int16_t* height,
                               int16_t* bits, int16_t* planes, int16_t* frames, char* compressionText,
                               int32_t /*reserved*/) {
    return Info(NameOrNull(WidenAnsi(fileName)), typeText, width, height, bits, planes, frames,
                compressionText);
}

int16_t __stdcall LibReadJPEG(const char* fileName, int32_t depth, int32_t /*one*/, int32_t dither,
                              HBITMAP* bitmap, HPALETTE* palette, int32_t, int32_t) {
    return Read(Format::Jpeg, NameOrNull(WidenAnsi(fileName)), depth, dither, bitmap, palette);
}
int16_t __stdcall LibReadGIF(const char* fileName, int32_t depth, int32_t dither, HBITMAP* bitmap,
                             HPALETTE* palette, int32_t, int32_t) {
    return Read(Format::Gif, NameOrNull(WidenAnsi(fileName)), depth, dither, bitmap, palette);
}
int16_t __stdcall LibReadPCX(const char* fileName, int32_t depth, int32_t dither, HBITMAP* bitmap,
                             HPALETTE* palette, int32_t, int32_t) {
    return Read(Format::Pcx, NameOrNull(WidenAnsi(fileName)), depth, dither, bitmap, palette);
}
int16_t __stdcall LibReadBMP(const char* fileName, int32_t depth, int32_t dither, HBITMAP* bitmap,
                             HPALETTE* palette, int32_t, int32_t) {
    return Read(Format::Bmp, NameOrNull(WidenAnsi(fileName)), depth, dither, bitmap, palette);
}
int16_t __stdcall LibReadPNG(const char* fileName, int32_t depth, int32_t dither, HBITMAP* bitmap,
                             HPALETTE* palette, int32_t, int32_t) {
    return Read(Format::Png, NameOrNull(WidenAnsi(fileName)), depth, dither, bitmap, palette);
}
int16_t __stdcall LibReadTIFF(const char* fileName, int32_t depth, int32_t dither, HBITMAP* bitmap,
                              HPALETTE* palette, int32_t, int32_t) {
    return Read(Format::Tiff, NameOrNull(WidenAnsi(fileName)), depth, dither, bitmap, palette);
}
int16_t __stdcall LibReadScaled(const char* fileName, int32_t format, int32_t depth, int32_t dither,
                                int32_t width, int32_t height, HBITMAP* bitmap, HPALETTE* palette) {
    return ReadScaled(NameOrNull(WidenAnsi(fileName)), format, depth, dither, width, height, bitmap, palette);
}

// The wide forms: the name is taken exactly as given.

int16_t __stdcall LibImageInfoW(const wchar_t* fileName, char* typeText, int16_t* width, int16_t* height,
                                int16_t* bits, int16_t* planes, int16_t* frames, char* compressionText,
                                int32_t /*reserved*/) {
    return Info(fileName, typeText, width, height, bits, planes, frames, compressionText);
}
int16_t __stdcall LibReadJPEGW(const wchar_t* fileName, int32_t depth, int32_t /*one*/, int32_t dither,
                               HBITMAP* bitmap, HPALETTE* palette, int32_t, int32_t) {
    return Read(Format::Jpeg, fileName, depth, dither, bitmap, palette);
}
int16_t __stdcall LibReadGIFW(const wchar_t* fileName, int32_t depth, int32_t dither, HBITMAP* bitmap,
                              HPALETTE* palette, int32_t, int32_t) {
    return Read(Format::Gif, fileName, depth, dither, bitmap, palette);
}
int16_t __stdcall LibReadPCXW(const wchar_t* fileName, int32_t depth, int32_t dither, HBITMAP* bitmap,
                              HPALETTE* palette, int32_t, int32_t) {
    return Read(Format::Pcx, fileName, depth, dither, bitmap, palette);
}
int16_t __stdcall LibReadBMPW(const wchar_t* fileName, int32_t depth, int32_t dither, HBITMAP* bitmap,
                              HPALETTE* palette, int32_t, int32_t) {
    return Read(Format::Bmp, fileName, depth, dither, bitmap, palette);
}
int16_t __stdcall LibReadPNGW(const wchar_t* fileName, int32_t depth, int32_t dither, HBITMAP* bitmap,
                              HPALETTE* palette, int32_t, int32_t) {
    return Read(Format::Png, fileName, depth, dither, bitmap, palette);
}
int16_t __stdcall LibReadTIFFW(const wchar_t* fileName, int32_t depth, int32_t dither, HBITMAP* bitmap,
                               HPALETTE* palette, int32_t, int32_t) {
    return Read(Format::Tiff, fileName, depth, dither, bitmap, palette);
}
int16_t __stdcall LibReadScaledW(const wchar_t* fileName, int32_t format, int32_t depth, int32_t dither,
                                 int32_t width, int32_t height, HBITMAP* bitmap, HPALETTE* palette) {
    return ReadScaled(fileName, format, depth, dither, width, height, bitmap, palette);
}

// The newer types: WebP, HEIF (HEIC and AVIF), and the information that knows them too.

int16_t __stdcall LibReadWEBP(const char* fileName, int32_t depth, int32_t dither, HBITMAP* bitmap,
                              HPALETTE* palette, int32_t, int32_t) {
    return Read(Format::Webp, NameOrNull(WidenAnsi(fileName)), depth, dither, bitmap, palette);
}
int16_t __stdcall LibReadWEBPW(const wchar_t* fileName, int32_t depth, int32_t dither, HBITMAP* bitmap,
                               HPALETTE* palette, int32_t, int32_t) {
    return Read(Format::Webp, fileName, depth, dither, bitmap, palette);
}
int16_t __stdcall LibReadHEIF(const char* fileName, int32_t depth, int32_t dither, HBITMAP* bitmap,
                              HPALETTE* palette, int32_t, int32_t) {
    return Read(Format::Heif, NameOrNull(WidenAnsi(fileName)), depth, dither, bitmap, palette);
}
int16_t __stdcall LibReadHEIFW(const wchar_t* fileName, int32_t depth, int32_t dither, HBITMAP* bitmap,
                               HPALETTE* palette, int32_t, int32_t) {
    return Read(Format::Heif, fileName, depth, dither, bitmap, palette);
}
int16_t __stdcall LibImageInfoAll(const char* fileName, char* typeText, int16_t* width, int16_t* height,
                                  int16_t* bits, int16_t* planes, int16_t* frames, char* compressionText,
                                  int32_t /*reserved*/) {
    return Info(NameOrNull(WidenAnsi(fileName)), typeText, width, height, bits, planes, frames,
                compressionText, true);
}
int16_t __stdcall LibImageInfoAllW(const wchar_t* fileName, char* typeText, int16_t* width, int16_t* height,
                                   int16_t* bits, int16_t* planes, int16_t* frames, char* compressionText,
                                   int32_t /*reserved*/) {
    return Info(fileName, typeText, width, height, bits, planes, frames, compressionText, true);
}

// The photo operations.

int16_t __stdcall LibImageInfoEx(const wchar_t* fileName, int32_t flags, char* typeText, int16_t* width,
                                 int16_t* height, int16_t* bits, int16_t* planes, int16_t* frames,
                                 char* compressionText) {
    return Info(fileName, typeText, width, height, bits, planes, frames, compressionText,
                (flags & kPhotoAllTypes) != 0, flags);
}
int16_t __stdcall LibReadEx(const wchar_t* fileName, int32_t format, int32_t depth, int32_t dither,
                            int32_t width, int32_t height, int32_t flags, const wchar_t* displayProfile,
                            HBITMAP* bitmap, HPALETTE* palette) {
    Format which;
    // Both sides 0 is the picture's own size; one side alone is no size.
    if (!FormatOfOrdinal(format, which) || width < 0 || height < 0 || (width == 0) != (height == 0)) {
        if (bitmap) *bitmap = nullptr;
        if (palette) *palette = nullptr;
        return static_cast<int16_t>(Status::BadArgument);
    }
    return Read(which, fileName, depth, dither, bitmap, palette, width, height, flags, displayProfile);
}

} // extern "C"

// The exports must keep the exact types the program binds.
static_assert(std::is_same_v<decltype(&LibImageInfo), LibImageInfoFn>);
static_assert(std::is_same_v<decltype(&LibReadJPEG), LibReadJpegFn>);
static_assert(std::is_same_v<decltype(&LibReadGIF), LibReadFn>);
static_assert(std::is_same_v<decltype(&LibReadTIFF), LibReadFn>);
static_assert(std::is_same_v<decltype(&LibReadScaled), LibReadScaledFn>);
static_assert(std::is_same_v<decltype(&LibImageInfoW), LibImageInfoWFn>);
static_assert(std::is_same_v<decltype(&LibReadJPEGW), LibReadJpegWFn>);
static_assert(std::is_same_v<decltype(&LibReadGIFW), LibReadWFn>);
static_assert(std::is_same_v<decltype(&LibReadPCXW), LibReadWFn>);
static_assert(std::is_same_v<decltype(&LibReadBMPW), LibReadWFn>);
static_assert(std::is_same_v<decltype(&LibReadPNGW), LibReadWFn>);
static_assert(std::is_same_v<decltype(&LibReadTIFFW), LibReadWFn>);
static_assert(std::is_same_v<decltype(&LibReadScaledW), LibReadScaledWFn>);
static_assert(std::is_same_v<decltype(&LibReadWEBP), LibReadFn>);
static_assert(std::is_same_v<decltype(&LibReadWEBPW), LibReadWFn>);
static_assert(std::is_same_v<decltype(&LibReadHEIF), LibReadFn>);
static_assert(std::is_same_v<decltype(&LibReadHEIFW), LibReadWFn>);
static_assert(std::is_same_v<decltype(&LibImageInfoAll), LibImageInfoFn>);
static_assert(std::is_same_v<decltype(&LibImageInfoAllW), LibImageInfoWFn>);
static_assert(std::is_same_v<decltype(&LibImageInfoEx), LibImageInfoExFn>);
static_assert(std::is_same_v<decltype(&LibReadEx), LibReadExFn>);
