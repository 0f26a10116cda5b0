// The seven operations of CVIMG32.DLL as the program binds them, by ordinal, and their wide-name forms.
// Shared by the module and by the program's binding, so both sides agree on every argument.
#pragma once
#include <windows.h>

#include <cstdint>

namespace cvimg {

// Ordinals of the exports.
enum Ordinal : int {
    kOrdImageInfo = 1,
    kOrdReadJpeg = 5,
    kOrdReadGif = 7,
    kOrdReadPcx = 8,
    kOrdReadBmp = 15,
    kOrdReadPng = 17,
    kOrdReadTiff = 25,
    // Beyond the seven: a picture decoded straight to a small size (thumbnails).
    kOrdReadScaled = 40,
    // The same operations with the file name as wide (UTF-16) text, each 100 above its ANSI form. The name
    // reaches the file system exactly: names outside the ANSI code page, names the ordinary path rules
    // would change (a trailing blank or dot) and names longer than MAX_PATH.
    kOrdImageInfoW = 101,
    kOrdReadJpegW = 105,
    kOrdReadGifW = 107,
    kOrdReadPcxW = 108,
    kOrdReadBmpW = 115,
    kOrdReadPngW = 117,
    kOrdReadTiffW = 125,
    kOrdReadScaledW = 140,
    // The newer picture types, each with its wide form one above it: WebP; HEIF (HEIC and AVIF alike);
    // and the header information that also knows them (LibImageInfo keeps to the seven's types).
    kOrdReadWebp = 170,
    kOrdReadWebpW = 171,
    kOrdReadHeif = 172,
    kOrdReadHeifW = 173,
    kOrdImageInfoAll = 174,
    kOrdImageInfoAllW = 175,
    // Photos as they were taken: the header's upright size, and any read with orientation, colour and the
    // camera's preview as the flags ask. Wide names only.
    kOrdImageInfoEx = 150,
    kOrdReadEx = 151,
};

// What the two photo operations apply; each is asked for by the caller, so that threads with different
// wishes can share the module.
enum PhotoFlag : int32_t {
    kPhotoUpright = 1,  // turn the picture by its EXIF orientation (sizes are the upright ones)
    kPhotoColor = 2,    // convert an embedded profile to the display's
    kPhotoPreview = 4,  // a reduced read may take a JPEG's EXIF thumbnail where it is big enough
    kPhotoAllTypes = 8, // the header information knows the newer types too (WebP, HEIF)
};

// The longest wide file name the module takes, in UTF-16 units without its NUL: the extended-length limit.
// The ANSI forms keep their old limit of MAX_PATH - 1 characters.
constexpr int kMaxWideName = 32767;

// Sizes of the text buffers of LibImageInfo, terminating NUL included.
constexpr int kTypeTextSize = 6;
constexpr int kCompressionTextSize = 26;

// file name; type text; width, height, depth factor 1, depth factor 2, frames or pages; compression
// text; reserved (0).
using LibImageInfoFn = int16_t(__stdcall*)(const char* fileName, char* typeText, int16_t* width,
                                           int16_t* height, int16_t* bits, int16_t* planes, int16_t* frames,
                                           char* compressionText, int32_t reserved);
// file name; depth code; 1; dither flag; bitmap (out); palette (in/out); reserved; reserved.
using LibReadJpegFn = int16_t(__stdcall*)(const char* fileName, int32_t depth, int32_t one, int32_t dither,
                                          HBITMAP* bitmap, HPALETTE* palette, int32_t reserved1,
                                          int32_t reserved2);
// file name; depth code; dither flag; bitmap (out); palette (in/out); reserved; reserved.
using LibReadFn = int16_t(__stdcall*)(const char* fileName, int32_t depth, int32_t dither, HBITMAP* bitmap,
                                      HPALETTE* palette, int32_t reserved1, int32_t reserved2);

// The newer types' reads take LibReadFn / LibReadWFn, their information LibImageInfoFn / LibImageInfoWFn.

// file name; format (the ordinal of the format's read operation: kOrdReadJpeg ... kOrdReadTiff,
// kOrdReadWebp, kOrdReadHeif); depth
// code; dither flag; width and height of the result; bitmap (out); palette (out). The picture is decoded at
// the smallest size the format allows that still covers width x height, then reduced to exactly that size
// by area averaging.
using LibReadScaledFn = int16_t(__stdcall*)(const char* fileName, int32_t format, int32_t depth,
                                            int32_t dither, int32_t width, int32_t height, HBITMAP* bitmap,
                                            HPALETTE* palette);

// The wide-name counterparts: the same arguments and results, the file name as wide text. The scaled read
// names its format by the ANSI read's ordinal, as LibReadScaled does.
using LibImageInfoWFn = int16_t(__stdcall*)(const wchar_t* fileName, char* typeText, int16_t* width,
                                            int16_t* height, int16_t* bits, int16_t* planes, int16_t* frames,
                                            char* compressionText, int32_t reserved);
using LibReadJpegWFn = int16_t(__stdcall*)(const wchar_t* fileName, int32_t depth, int32_t one,
                                           int32_t dither, HBITMAP* bitmap, HPALETTE* palette,
                                           int32_t reserved1, int32_t reserved2);
using LibReadWFn = int16_t(__stdcall*)(const wchar_t* fileName, int32_t depth, int32_t dither,
                                       HBITMAP* bitmap, HPALETTE* palette, int32_t reserved1,
                                       int32_t reserved2);
using LibReadScaledWFn = int16_t(__stdcall*)(const wchar_t* fileName, int32_t format, int32_t depth,
                                             int32_t dither, int32_t width, int32_t height, HBITMAP* bitmap,
                                             HPALETTE* palette);

// wide file name; photo flags; then as LibImageInfo. With kPhotoUpright, width and height are the upright
// ones.
using LibImageInfoExFn = int16_t(__stdcall*)(const wchar_t* fileName, int32_t flags, char* typeText,
                                             int16_t* width, int16_t* height, int16_t* bits, int16_t* planes,
                                             int16_t* frames, char* compressionText);
// wide file name; format (as for LibReadScaled); depth code; dither flag; width and height of the result
// (0 x 0: the picture's own size; else reduced to exactly that, upright); photo flags; the display's ICC
// profile file (null: sRGB); bitmap (out); palette (out).
using LibReadExFn = int16_t(__stdcall*)(const wchar_t* fileName, int32_t format, int32_t depth,
                                        int32_t dither, int32_t width, int32_t height, int32_t flags,
                                        const wchar_t* displayProfile, HBITMAP* bitmap, HPALETTE* palette);

} // namespace cvimg
