// WebP through libwebp: a still picture, or the first frame of an animation as its canvas shows it
// (libwebpdemux's animation decoder applies the frame's offset, blending and disposal). Opaque stills
// decode straight into the rows as blue-green-red; alpha is flattened onto the module's neutral
// background, as PNG's is. An ICC profile is handed out for the colour conversion.
#include "cvimg/decoder.h"

#include <cstring>
#include <memory>
#include <new>

#include <webp/decode.h>
#include <webp/demux.h>

namespace cvimg {

namespace {

Status StatusOf(VP8StatusCode code) {
    switch (code) {
    case VP8_STATUS_OK:
        return Status::Ok;
    case VP8_STATUS_OUT_OF_MEMORY:
        return Status::OutOfMemory;
    default:
        // Truncated, a broken bitstream, or a feature this libwebp lacks: the picture cannot be shown.
        return Status::Corrupt;
    }
}

class WebpDecoder final : public Decoder {
  public:
    explicit WebpDecoder(Bytes file) : file_(file) {}

    Status ReadHeader(Layout& layout) override {
        if (file_.size < 12 || std::memcmp(file_.data, "RIFF", 4) != 0 ||
            std::memcmp(file_.data + 8, "WEBP", 4) != 0)
            return Status::NotThisType;
        if (Status s = StatusOf(WebPGetFeatures(file_.data, file_.size, &features_)); Failed(s)) return s;
        if (Status s = CheckPictureSize(features_.width, features_.height); Failed(s)) return s;
        layout = {features_.width, features_.height, PixelFormat::Bgr24};
        FindColorProfile();
        return Status::Ok;
    }

    Bytes ColorProfile() const override { return profile_; }

    Status Decode(Raster& out) override {
        if (features_.has_animation) return DecodeFirstFrame(out);
        return features_.has_alpha ? DecodeFlattened(out) : DecodeInto(out);
    }

  private:
    // The ICCP chunk of an extended file, for the colour conversion; its bytes stay in the file's.
    void FindColorProfile() {
        const WebPData data{file_.data, file_.size};
        std::unique_ptr<WebPDemuxer, decltype(&WebPDemuxDelete)> demux(WebPDemux(&data), &WebPDemuxDelete);
        if (!demux || !(WebPDemuxGetI(demux.get(), WEBP_FF_FORMAT_FLAGS) & ICCP_FLAG)) return;
        WebPChunkIterator chunk;
        if (WebPDemuxGetChunk(demux.get(), "ICCP", 1, &chunk))
            profile_ = {chunk.chunk.bytes, chunk.chunk.size};
        WebPDemuxReleaseChunkIterator(&chunk);
    }

    // Opaque: libwebp writes the rows itself. It takes only a positive stride, so bottom-up rows are
    // given from their lowest address and decoded flipped.
    Status DecodeInto(Raster& out) {
        WebPDecoderConfig config;
        if (!WebPInitDecoderConfig(&config)) return Status::Corrupt;
        const bool bottomUp = out.Step() < 0;
        const size_t stride = static_cast<size_t>(bottomUp ? -out.Step() : out.Step());
        config.options.flip = bottomUp ? 1 : 0;
        config.output.colorspace = MODE_BGR;
        config.output.is_external_memory = 1;
        config.output.u.RGBA.rgba = bottomUp ? out.Row(out.Height() - 1) : out.Row(0);
        config.output.u.RGBA.stride = static_cast<int>(stride);
        config.output.u.RGBA.size = stride * static_cast<size_t>(out.Height() - 1) + out.RowBytes();
        const Status s = StatusOf(WebPDecode(file_.data, file_.size, &config));
        WebPFreeDecBuffer(&config.output);
        return s;
    }

    Status DecodeFlattened(Raster& out) {
        int width = 0, height = 0;
        std::unique_ptr<uint8_t, decltype(&WebPFree)> bgra(
            WebPDecodeBGRA(file_.data, file_.size, &width, &height), &WebPFree);
        if (!bgra) return Status::Corrupt;
        if (width != out.Width() || height != out.Height()) return Status::Corrupt;
        for (int y = 0; y < height; ++y)
            FlattenRow(bgra.get() + static_cast<size_t>(y) * width * 4, width, false, out.Row(y));
        return Status::Ok;
    }

    Status DecodeFirstFrame(Raster& out) {
        WebPAnimDecoderOptions options;
        if (!WebPAnimDecoderOptionsInit(&options)) return Status::Corrupt;
        options.color_mode = MODE_BGRA;
        options.use_threads = 0;
        const WebPData data{file_.data, file_.size};
        std::unique_ptr<WebPAnimDecoder, decltype(&WebPAnimDecoderDelete)> animation(
            WebPAnimDecoderNew(&data, &options), &WebPAnimDecoderDelete);
        if (!animation) return Status::Corrupt;
        WebPAnimInfo info;
        if (!WebPAnimDecoderGetInfo(animation.get(), &info)) return Status::Corrupt;
        if (static_cast<int>(info.canvas_width) != out.Width() ||
            static_cast<int>(info.canvas_height) != out.Height())
            return Status::Corrupt;
        uint8_t* canvas = nullptr;
        int timestamp = 0;
        if (!WebPAnimDecoderGetNext(animation.get(), &canvas, &timestamp) || !canvas) return Status::Corrupt;
        for (int y = 0; y < out.Height(); ++y)
            FlattenRow(canvas + static_cast<size_t>(y) * out.Width() * 4, out.Width(), false, out.Row(y));
        return Status::Ok;
    }

    Bytes file_;
    WebPBitstreamFeatures features_{};
    Bytes profile_;
};

} // namespace

std::unique_ptr<Decoder> MakeWebpDecoder(Bytes file) {
    return std::make_unique<WebpDecoder>(file);
}

} // namespace cvimg
