// The exports of CVIMG32.DLL: header information and one read operation per format. Every read
// returns a DIB section and, for 8 bits and fewer, a palette; on failure both handles are 0.
#include "cvimg/api.h"
#include "cvimg/decoder.h"
#include "cvimg/info.h"
#include "cvimg/reduce.h"
#include "cvimg/scale.h"
#include "cvimg/win/mappedfile.h"
#include "cvimg/win/output.h"

#include <cstring>
#include <cwchar>
#include <new>
#include <string>
#include <type_traits>

namespace cvimg {

namespace {

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

// Reads the picture of `width` x `height` (0 x 0: its own size) into a DIB section of that size.
Status ReadPicture(Format format, const wchar_t* name, int depth, bool dither, int width, int height,
                   DibSection& dib, corv::PaletteHandle& palette) {
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
    std::unique_ptr<Decoder> decoder = MakeDecoder(format, file.View());
    Layout layout;
    if (Status s = decoder->ReadHeader(layout); Failed(s)) return s;
    if (Status s = CheckPictureSize(layout.width, layout.height); Failed(s)) return s;
    if (reduce) {
        if (Status s = decoder->ReduceToCover(width, height, layout); Failed(s)) return s;
    }

    Raster raster;
    const bool exact = !reduce || (layout.width == width && layout.height == height);
    if (depth == 24 && layout.format == PixelFormat::Bgr24 && exact) {
        // True colour in, true colour out: the decoder writes straight into the section.
        if (Status s = CreateDib(layout.width, layout.height, 24, nullptr, dib); Failed(s)) return s;
        raster.Attach(layout.width, layout.height, layout.format, dib.top, dib.step);
        return decoder->Decode(raster);
    }
    if (Status s = raster.Allocate(layout.width, layout.height, layout.format); Failed(s)) return s;
    if (Status s = decoder->Decode(raster); Failed(s)) return s;
    decoder.reset();
    if (exact) return Output(raster, depth, dither, dib, palette);

    if (depth == 24) {
        if (Status s = CreateDib(width, height, 24, nullptr, dib); Failed(s)) return s;
        Raster small;
        small.Attach(width, height, PixelFormat::Bgr24, dib.top, dib.step);
        return ResizeArea(raster, small);
    }
    Raster small;
    if (Status s = small.Allocate(width, height, PixelFormat::Bgr24); Failed(s)) return s;
    if (Status s = ResizeArea(raster, small); Failed(s)) return s;
    return Output(small, depth, dither, dib, palette);
}

// An incoming palette belongs to the caller: it is neither used nor freed, and the out value replaces it.
int16_t Read(Format format, const wchar_t* name, int32_t depth, int32_t dither, HBITMAP* bitmap,
             HPALETTE* palette, int32_t width = 0, int32_t height = 0) {
    if (bitmap) *bitmap = nullptr;
    if (palette) *palette = nullptr;
    if (!bitmap || !palette || !NameOk(name)) return static_cast<int16_t>(Status::BadArgument);
    Status status;
    DibSection dib;
    corv::PaletteHandle pal;
    try {
        status = ReadPicture(format, name, depth, dither != 0, width, height, dib, pal);
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
             int16_t* planes, int16_t* frames, char* compressionText, bool allTypes = false) {
    PictureInfo info;
    Status status = Status::BadArgument;
    if (NameOk(fileName)) {
        try {
            MappedFile file;
            status = file.Open(fileName);
            if (!Failed(status)) status = ReadPictureInfo(file.View(), info, allTypes);
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

int16_t ReadScaled(const wchar_t* fileName, int32_t format, int32_t depth, int32_t dither, int32_t width,
                   int32_t height, HBITMAP* bitmap, HPALETTE* palette) {
    Format which;
    switch (format) {
    case kOrdReadJpeg:
        which = Format::Jpeg;
        break;
    case kOrdReadGif:
        which = Format::Gif;
        break;
    case kOrdReadPcx:
        which = Format::Pcx;
        break;
    case kOrdReadBmp:
        which = Format::Bmp;
        break;
    case kOrdReadPng:
        which = Format::Png;
        break;
    case kOrdReadTiff:
        which = Format::Tiff;
        break;
    case kOrdReadWebp:
        which = Format::Webp;
        break;
    case kOrdReadHeif:
        which = Format::Heif;
        break;
    default:
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
