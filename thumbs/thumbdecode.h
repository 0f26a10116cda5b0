// One thumbnail's decode, as a worker runs it: the header, the picture box that follows from it, and the
// picture reduced to exactly that box. Shows nothing and touches no window; the thumbnail window reports
// failures when the cell's turn comes.
#pragma once
#include "image/decode.h"
#include "thumbs/thumbgrid.h"

#include <string>
#include <utility>

namespace corv {

struct ThumbRequest {
    ThumbRequest() = default;
    ThumbRequest(std::string name, ThumbSizes boxSizes, int depthCode, bool ditherFlag,
                 PhotoOptions options = {})
        : fileName(std::move(name)), sizes(boxSizes), depth(depthCode), dither(ditherFlag),
          photo(std::move(options)) {}

    std::string fileName;
    ThumbSizes sizes;
    int depth = 24; // the depth code of the display
    bool dither = true;
    PhotoOptions photo; // with the preview flag, a camera JPEG's own preview may make the cell
};

// The photo options of the thumbnail cells on the window's screen: those of the pictures, and the camera's
// preview where it is big enough.
PhotoOptions ThumbPhotoOptions(HWND window);

struct ThumbResult {
    HeaderInfo header;      // header.code < 1: the probe failed, nothing was decoded
    ThumbBox box;           // valid after a good probe
    DecodedPicture picture; // the reduced picture (code < 1: the decode failed)
};

ThumbResult DecodeThumb(const CvImgLib& library, const ThumbRequest& request);

} // namespace corv
