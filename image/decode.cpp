#include "image/decode.h"

#include "base/wide.h"
#include "cvimg/status.h"
#include "image/extkey.h"
#include "settings/store.h"

namespace corv {

namespace {

// Tried in this order; at most one matches.
constexpr FormatEntry kFormats[] = {
    {".BMP", ReadKind::Bmp, "Reading bmp file failed"},
    {".THB", ReadKind::Bmp, "Reading bmp file failed"},
    {".THJ", ReadKind::Jpeg, "Reading jpg file failed"},
    {".RES", ReadKind::Resource, "Reading resource file failed"},
    {".PNG", ReadKind::Png, "Reading png file failed"},
    {".GIF", ReadKind::Gif, "Reading gif file failed"},
    {".TIF", ReadKind::Tiff, "Reading tif file failed"},
    {".PCX", ReadKind::Pcx, "Reading pcx file failed"},
    {".JPG", ReadKind::Jpeg, "Reading jpg file failed"},
};

// With AllPictureTypes, by the whole extension, before the keys above (".JPEG" would be no key of them).
constexpr FormatEntry kExtraFormats[] = {
    {".JPEG", ReadKind::Jpeg, "Reading jpg file failed"},
    {".JPE", ReadKind::Jpeg, "Reading jpg file failed"},
    {".TIFF", ReadKind::Tiff, "Reading tif file failed"},
    {".WEBP", ReadKind::Webp, "Reading webp file failed"},
    {".AVIF", ReadKind::Heif, "Reading avif file failed"},
    {".HEIC", ReadKind::Heif, "Reading heic file failed"},
    {".HEIF", ReadKind::Heif, "Reading heic file failed"},
};

int16_t ReadFull(const CvImgLib& library, ReadKind kind, const wchar_t* name, int depth, int dither,
                 HBITMAP* bitmap, HPALETTE* palette) {
    switch (kind) {
    case ReadKind::Bmp:
        return library.LibReadBMPW(name, depth, dither, bitmap, palette, 0, 0);
    case ReadKind::Jpeg:
        return library.LibReadJPEGW(name, depth, 1, dither, bitmap, palette, 0, 0);
    case ReadKind::Png:
        return library.LibReadPNGW(name, depth, dither, bitmap, palette, 0, 0);
    case ReadKind::Gif:
        return library.LibReadGIFW(name, depth, dither, bitmap, palette, 0, 0);
    case ReadKind::Tiff:
        return library.LibReadTIFFW(name, depth, dither, bitmap, palette, 0, 0);
    case ReadKind::Pcx:
        return library.LibReadPCXW(name, depth, dither, bitmap, palette, 0, 0);
    // A module without the newer types' reads: none of their files is of a type it reads.
    case ReadKind::Webp:
        if (!library.LibReadWEBPW) return static_cast<int16_t>(cvimg::Status::UnknownType);
        return library.LibReadWEBPW(name, depth, dither, bitmap, palette, 0, 0);
    case ReadKind::Heif:
        if (!library.LibReadHEIFW) return static_cast<int16_t>(cvimg::Status::UnknownType);
        return library.LibReadHEIFW(name, depth, dither, bitmap, palette, 0, 0);
    case ReadKind::Resource:
        break;
    }
    return 0;
}

// A module without the scaled read: the full picture, shrunk by GDI's own averaging (HALFTONE) into a
// true-colour section of the size asked for. Memory contexts only, so no window is involved.
BitmapHandle Shrink(HBITMAP source, int width, int height) {
    BITMAP info{};
    if (!GetObjectW(source, sizeof info, &info)) return {};
    BITMAPINFO header{};
    header.bmiHeader = {sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    BitmapHandle small(CreateDIBSection(nullptr, &header, DIB_RGB_COLORS, &bits, nullptr, 0));
    MemoryDcHandle from(CreateCompatibleDC(nullptr)), to(CreateCompatibleDC(nullptr));
    if (!small || !from || !to) return {};
    ScopedSelect selectFrom(from.Get(), source);
    ScopedSelect selectTo(to.Get(), small.Get());
    SetStretchBltMode(to.Get(), HALFTONE);
    SetBrushOrgEx(to.Get(), 0, 0, nullptr);
    StretchBlt(to.Get(), 0, 0, width, height, from.Get(), 0, 0, info.bmWidth, info.bmHeight, SRCCOPY);
    return small;
}

} // namespace

const FormatEntry* FindFormat(const std::string& fileName) {
    if (AllPictureTypes) {
        const std::string extension = FullExtension(fileName);
        for (const FormatEntry& entry : kExtraFormats)
            if (extension == entry.key) return &entry;
    }
    const std::string key = ExtensionKey(fileName);
    for (const FormatEntry& entry : kFormats)
        if (key == entry.key) return &entry;
    return nullptr;
}

int ReadOrdinal(ReadKind kind) {
    switch (kind) {
    case ReadKind::Bmp:
        return cvimg::kOrdReadBmp;
    case ReadKind::Jpeg:
        return cvimg::kOrdReadJpeg;
    case ReadKind::Png:
        return cvimg::kOrdReadPng;
    case ReadKind::Gif:
        return cvimg::kOrdReadGif;
    case ReadKind::Tiff:
        return cvimg::kOrdReadTiff;
    case ReadKind::Pcx:
        return cvimg::kOrdReadPcx;
    case ReadKind::Webp:
        return cvimg::kOrdReadWebp;
    case ReadKind::Heif:
        return cvimg::kOrdReadHeif;
    case ReadKind::Resource:
        break;
    }
    return 0;
}

int FileSizeOf(const std::string& name) {
    FileHandle file(CreateFileW(FileSystemPath(name).c_str(), GENERIC_READ,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.Get(), &size)) return -1;
    return size.QuadPart > 0x7FFFFFFF ? 0x7FFFFFFF : static_cast<int>(size.QuadPart);
}

PhotoOptions PhotoOptionsFor(HWND window) {
    PhotoOptions photo;
    photo.flags = cvimg::kPhotoColor | (AutoRotate ? cvimg::kPhotoUpright : 0);
    // The profile Windows gives the screen the window is on, when the user has set one.
    WindowDc dc(window);
    wchar_t name[MAX_PATH + 1] = L"";
    DWORD size = MAX_PATH;
    if (dc.Get() && GetICMProfileW(dc.Get(), &size, name)) photo.displayProfile = Utf8(name);
    return photo;
}

HeaderInfo ReadHeader(const CvImgLib& library, const std::string& fileName, const PhotoOptions& photo) {
    HeaderInfo header;
    char type[cvimg::kTypeTextSize] = {};
    char compression[cvimg::kCompressionTextSize] = {};
    int16_t width = 0, height = 0, bits = 0, planes = 0, frames = 0;
    if (photo.flags && library.LibImageInfoEx) {
        const int32_t flags = photo.flags | (AllPictureTypes ? cvimg::kPhotoAllTypes : 0);
        header.code = library.LibImageInfoEx(Wide(fileName).c_str(), flags, type, &width, &height, &bits,
                                             &planes, &frames, compression);
    } else {
        const cvimg::LibImageInfoWFn info =
            AllPictureTypes && library.LibImageInfoAllW ? library.LibImageInfoAllW : library.LibImageInfoW;
        header.code =
            info(Wide(fileName).c_str(), type, &width, &height, &bits, &planes, &frames, compression, 0);
    }
    type[sizeof type - 1] = compression[sizeof compression - 1] = '\0';
    header.type = type;
    header.compression = compression;
    header.width = width;
    header.height = height;
    header.bits = bits;
    header.planes = planes;
    header.fileSize = FileSizeOf(fileName);
    return header;
}

DecodedPicture DecodePicture(const CvImgLib& library, const FormatEntry& format, const std::string& fileName,
                             int depth, bool dither, int width, int height, const PhotoOptions& photo) {
    DecodedPicture result;
    HBITMAP bitmap = nullptr;
    HPALETTE palette = nullptr;
    // The module takes the name exactly as the file system has it.
    const std::wstring wide = Wide(fileName);
    const wchar_t* name = wide.c_str();
    const bool reduce = width > 0 && height > 0;
    // A module without the scaled read (either form of it) gets the fallback below.
    const bool scaled = library.LibReadScaled && library.LibReadScaledW;
    if (photo.flags && library.LibReadEx) {
        const std::wstring profile = Wide(photo.displayProfile);
        result.code = library.LibReadEx(name, ReadOrdinal(format.kind), depth, dither ? 1 : 0,
                                        reduce ? width : 0, reduce ? height : 0, photo.flags,
                                        profile.empty() ? nullptr : profile.c_str(), &bitmap, &palette);
    } else if (reduce && scaled) {
        result.code = library.LibReadScaledW(name, ReadOrdinal(format.kind), depth, dither ? 1 : 0, width,
                                             height, &bitmap, &palette);
    } else {
        result.code =
            ReadFull(library, format.kind, name, reduce ? 24 : depth, dither ? 1 : 0, &bitmap, &palette);
    }
    // Whatever came back is ours, success or not.
    result.bitmap.Reset(bitmap);
    result.palette.Reset(palette);
    if (result.code < 1) {
        result.bitmap.Reset();
        result.palette.Reset();
        return result;
    }
    if (reduce && !scaled && !(photo.flags && library.LibReadEx)) {
        result.bitmap = Shrink(result.bitmap.Get(), width, height);
        result.palette.Reset();
    }
    return result;
}

} // namespace corv
