// PNG through libpng's simplified reader, which handles every colour type and depth, palettes, tRNS,
// alpha and interlacing, and keeps its own setjmp inside the library. Alpha is flattened onto the
// module's neutral background (kBackground). Palette pictures keep their colours as indices;
// everything else comes as blue-green-red.
#include "cvimg/decoder.h"

#include <cstring>
#include <memory>
#include <new>

#include <png.h>

namespace cvimg {

namespace {

Status FailureOf(const png_image& image) {
    if (std::strstr(image.message, "memory")) return Status::OutOfMemory;
    return Status::Corrupt;
}

class PngDecoder final : public Decoder {
  public:
    explicit PngDecoder(Bytes file) : file_(file) {}
    ~PngDecoder() override { png_image_free(&image_); }

    Status ReadHeader(Layout& layout) override {
        if (file_.size < 8 || png_sig_cmp(file_.data, 0, 8) != 0) return Status::NotThisType;
        std::memset(&image_, 0, sizeof image_);
        image_.version = PNG_IMAGE_VERSION;
        if (!png_image_begin_read_from_memory(&image_, file_.data, file_.size)) return FailureOf(image_);
        if (Status s = CheckPictureSize(image_.width, image_.height); Failed(s)) return s;
        // Colour-mapped output only where the file has at most 256 colours of its own: libpng would
        // otherwise reduce a true-colour picture to a fixed cube.
        indexed_ = (image_.format & PNG_FORMAT_FLAG_COLORMAP) != 0 && image_.colormap_entries <= 256;
        image_.format = indexed_ ? PNG_FORMAT_BGR_COLORMAP : PNG_FORMAT_BGR;
        layout = {static_cast<int>(image_.width), static_cast<int>(image_.height),
                  indexed_ ? PixelFormat::Indexed8 : PixelFormat::Bgr24};
        return Status::Ok;
    }

    Status Decode(Raster& out) override {
        // libpng takes the lowest address of the buffer; a negative stride means bottom-up rows.
        void* buffer = out.Step() < 0 ? out.Row(out.Height() - 1) : out.Row(0);
        png_color background{kBackground.r, kBackground.g, kBackground.b};
        if (!indexed_) {
            if (!png_image_finish_read(&image_, &background, buffer, static_cast<png_int_32>(out.Step()),
                                       nullptr))
                return FailureOf(image_);
            return Status::Ok;
        }
        uint8_t colormap[256 * 3];
        if (!png_image_finish_read(&image_, &background, buffer, static_cast<png_int_32>(out.Step()),
                                   colormap))
            return FailureOf(image_);
        out.palette.count = static_cast<int>(image_.colormap_entries);
        for (int i = 0; i < out.palette.count; ++i)
            out.palette.colors[i] = {colormap[3 * i + 2], colormap[3 * i + 1], colormap[3 * i]};
        return Status::Ok;
    }

  private:
    Bytes file_;
    png_image image_{};
    bool indexed_ = false;
};

} // namespace

std::unique_ptr<Decoder> MakePngDecoder(Bytes file) {
    return std::make_unique<PngDecoder>(file);
}

} // namespace cvimg
