// The seven operations of CVIMG32.DLL as the program binds them, by ordinal. Shared by the module and
// by the program's binding, so both sides agree on every argument.
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
};

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

// file name; format (the ordinal of the format's read operation: kOrdReadJpeg ... kOrdReadTiff); depth
// code; dither flag; width and height of the result; bitmap (out); palette (out). The picture is decoded at
// the smallest size the format allows that still covers width x height, then reduced to exactly that size
// by area averaging.
using LibReadScaledFn = int16_t(__stdcall*)(const char* fileName, int32_t format, int32_t depth,
                                            int32_t dither, int32_t width, int32_t height, HBITMAP* bitmap,
                                            HPALETTE* palette);

} // namespace cvimg
