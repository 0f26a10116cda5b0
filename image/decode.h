// Decoding away from the windows: header reads and picture decodes through CVIMG32.DLL that show no message,
// touch no window and share no state, so that they can run on worker threads. What failed is told by the
// library's code; the caller on the user-interface thread shows the library's message for it.
#pragma once
#include "image/cvimglib.h"
#include "base/handles.h"

#include <cstdint>
#include <string>

namespace corv {

// How a picture type is read, by extension key, in the order the picture view tries them.
enum class ReadKind { Bmp, Jpeg, Resource, Png, Gif, Tiff, Pcx, Webp, Heif };
struct FormatEntry {
    const char* key;
    ReadKind kind;
    const char* failureMessage; // shown after a failed decode, after the library's own message
};
// The entry for a file's extension key, or nullptr. With AllPictureTypes, the whole extension first.
const FormatEntry* FindFormat(const std::string& fileName);
// The ordinal of the library's read operation for the kind; 0 for pictures the library does not read.
int ReadOrdinal(ReadKind kind);

// The size of a file in bytes, -1 when it cannot be opened.
int FileSizeOf(const std::string& name);

// How photos are read: the module's photo flags (cvimg::PhotoFlag) and the display's colour profile (a file
// name; empty: sRGB). The default reads pictures as the module's seven operations do.
struct PhotoOptions {
    int flags = 0;
    std::string displayProfile;
    bool operator==(const PhotoOptions&) const = default;
};
// Upright (while the AutoRotate setting is on) and in the colours of the screen the window is on. Read on the
// user-interface thread; the workers get what it gave.
PhotoOptions PhotoOptionsFor(HWND window);

struct HeaderInfo {
    int16_t code = 0; // the library's result: 1 or more is success
    std::string type, compression;
    int width = 0, height = 0, bits = 0, planes = 0;
    int fileSize = -1;
};
// The header through the library's information operation, and the file's size; with the upright flag the
// size is the upright one. With AllPictureTypes the operation knows the newer types too, where the module
// has it.
HeaderInfo ReadHeader(const CvImgLib& library, const std::string& fileName, const PhotoOptions& photo = {});

struct DecodedPicture {
    int16_t code = 0; // the library's result: 1 or more is success; on failure no handles
    BitmapHandle bitmap;
    PaletteHandle palette;
};
// Decodes one of the library's pictures by its extension key to the depth code: at its own size, or, with a
// width and height, reduced to exactly that size (decoded small where the format allows, then averaged).
// The photo options apply where the module has its photo operations.
DecodedPicture DecodePicture(const CvImgLib& library, const FormatEntry& format, const std::string& fileName,
                             int depth, bool dither, int width = 0, int height = 0,
                             const PhotoOptions& photo = {});

} // namespace corv
