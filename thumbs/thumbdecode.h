// One thumbnail's decode, as a worker runs it: the header, the picture box that follows from it, and the
// picture reduced to exactly that box. Shows nothing and touches no window; the thumbnail window reports
// failures when the cell's turn comes.
#pragma once
#include "image/decode.h"
#include "thumbs/thumbgrid.h"

#include <string>

namespace corv {

struct ThumbRequest {
    std::string fileName;
    ThumbSizes sizes;
    int depth = 24; // the depth code of the display
    bool dither = true;
};

struct ThumbResult {
    HeaderInfo header;      // header.code < 1: the probe failed, nothing was decoded
    ThumbBox box;           // valid after a good probe
    DecodedPicture picture; // the reduced picture (code < 1: the decode failed)
};

ThumbResult DecodeThumb(const CvImgLib& library, const ThumbRequest& request);

} // namespace corv
