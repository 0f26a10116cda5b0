// One decoder per file format. A decoder reads the header first, so that the caller can choose where
// the pixels go (its own memory or a DIB section), then decodes into a raster of that size and format.
#pragma once
#include "cvimg/raster.h"

#include <memory>

namespace cvimg {

class RowFilter;

struct Layout {
    int width = 0, height = 0;
    PixelFormat format = PixelFormat::Bgr24;
};

class Decoder {
  public:
    virtual ~Decoder() = default;
    // Reads what comes before the pixels. A decoder whose header succeeded is ready for Decode.
    virtual Status ReadHeader(Layout& layout) = 0;
    // After ReadHeader: a decoder that can decode at reduced size picks the smallest size that still
    // covers minWidth x minHeight and changes the layout to it. The others decode at full size.
    virtual Status ReduceToCover(int minWidth, int minHeight, Layout& layout) {
        (void)minWidth, (void)minHeight, (void)layout;
        return Status::Ok;
    }
    // Fills `into`, which has the width, height and format of the layout (and the palette, if indexed).
    virtual Status Decode(Raster& into) = 0;
    // After Decode: the picture's embedded ICC profile, empty when it has none (the colour conversion's
    // input for the formats that carry one in their container).
    virtual Bytes ColorProfile() const { return {}; }
    // A decoder that can pass each blue-green-red row through the filter as it decodes it, while the row is
    // still in the cache, takes the filter and says so. The others leave the filtering to the caller.
    virtual bool TakeRowFilter(const RowFilter* filter) {
        (void)filter;
        return false;
    }
    // What is left to do of an EXIF orientation (1..8) after the decoder's own handling of it: all of it,
    // unless the format's decoder turns pictures itself.
    virtual int ResidualOrientation(int orientation) const { return orientation; }
};

enum class Format { Jpeg, Gif, Pcx, Bmp, Png, Tiff, Webp, Heif };

// The file's bytes must outlive the decoder.
std::unique_ptr<Decoder> MakeBmpDecoder(Bytes file);
std::unique_ptr<Decoder> MakePcxDecoder(Bytes file);
// The codec libraries' decoders (codecs/), built where the libraries are.
std::unique_ptr<Decoder> MakeJpegDecoder(Bytes file);
std::unique_ptr<Decoder> MakePngDecoder(Bytes file);
std::unique_ptr<Decoder> MakeGifDecoder(Bytes file);
std::unique_ptr<Decoder> MakeTiffDecoder(Bytes file);
// WebP (still, or the first frame of an animation) and HEIF (HEIC and AVIF: the primary image).
std::unique_ptr<Decoder> MakeWebpDecoder(Bytes file);
std::unique_ptr<Decoder> MakeHeifDecoder(Bytes file);

} // namespace cvimg
