// Picture information from the header alone: the file's type is recognised by its content, and no
// pixel data is read (a file whose pixels are garbage still gives its information).
#pragma once
#include "cvimg/raster.h"

namespace cvimg {

struct PictureInfo {
    char type[6] = "";         // at most 5 characters
    char compression[26] = ""; // at most 25 characters
    int width = 0, height = 0;
    int bits = 0, planes = 0; // their product is the bits per pixel as stored
    int frames = 0;           // frames of an animation or pages of a multi-page file
};

// allTypes: WebP and HEIF (HEIC, AVIF) too; without it they are of no type this reader knows.
Status ReadPictureInfo(Bytes file, PictureInfo& info, bool allTypes = false);

// The format a file's first bytes name, for the information reader; false when none matches.
bool SniffFormat(Bytes file, int& format, bool allTypes = false);

} // namespace cvimg
