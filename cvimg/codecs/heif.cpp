// HEIF through libheif: HEIC (HEVC, by libde265) and AVIF (AV1, by dav1d). The primary image of the
// file, with the container's transformations (rotation, mirroring, cropping) applied by libheif, at 8
// bits whatever its coded depth and subsampling; alpha is flattened onto the module's neutral background.
// The embedded ICC profile is kept for the colour conversion.
#include "cvimg/decoder.h"

#include <cstring>
#include <memory>
#include <new>
#include <vector>

#include <libheif/heif.h>

namespace cvimg {

namespace {

Status StatusOf(const heif_error& error) {
    switch (error.code) {
    case heif_error_Ok:
        return Status::Ok;
    case heif_error_Memory_allocation_error:
        return Status::OutOfMemory;
    case heif_error_Unsupported_filetype:
        return Status::NotThisType;
    case heif_error_Unsupported_feature:
        return Status::HeifVariant;
    default:
        // Truncated, inconsistent, or refused by the coded stream's decoder.
        return Status::Corrupt;
    }
}

struct ContextFree {
    void operator()(heif_context* c) const { heif_context_free(c); }
};
struct HandleFree {
    void operator()(heif_image_handle* h) const { heif_image_handle_release(h); }
};
struct ImageFree {
    void operator()(heif_image* i) const { heif_image_release(i); }
};
struct OptionsFree {
    void operator()(heif_decoding_options* o) const { heif_decoding_options_free(o); }
};

class HeifDecoder final : public Decoder {
  public:
    explicit HeifDecoder(Bytes file) : file_(file) {}

    Status ReadHeader(Layout& layout) override {
        const int probe = file_.size > 64 ? 64 : static_cast<int>(file_.size);
        switch (heif_check_filetype(file_.data, probe)) {
        case heif_filetype_no:
            return Status::NotThisType;
        case heif_filetype_yes_unsupported:
            return Status::HeifVariant;
        default:
            break;
        }
        context_.reset(heif_context_alloc());
        if (!context_) return Status::OutOfMemory;
        // libheif refuses larger pictures itself before it decodes anything.
        heif_context_set_maximum_image_size_limit(context_.get(), kMaxSide);
        if (Status s = StatusOf(
                heif_context_read_from_memory_without_copy(context_.get(), file_.data, file_.size, nullptr));
            Failed(s))
            return s;
        heif_image_handle* handle = nullptr;
        if (Status s = StatusOf(heif_context_get_primary_image_handle(context_.get(), &handle)); Failed(s))
            return s;
        handle_.reset(handle);
        const int width = heif_image_handle_get_width(handle), height = heif_image_handle_get_height(handle);
        if (Status s = CheckPictureSize(width, height); Failed(s)) return s;
        layout = {width, height, PixelFormat::Bgr24};
        KeepColorProfile();
        return Status::Ok;
    }

    Status Decode(Raster& out) override {
        std::unique_ptr<heif_decoding_options, OptionsFree> options(heif_decoding_options_alloc());
        if (!options) return Status::OutOfMemory;
        options->ignore_transformations = 0;
        options->convert_hdr_to_8bit = 1;
        // Strict decoding would only refuse colour descriptions with values out of range, and both
        // decoders' glue in libheif 1.15 then leaks the decoded picture: leave it off.
        options->strict_decoding = 0;
        const bool alpha = heif_image_handle_has_alpha_channel(handle_.get()) != 0;
        heif_image* decoded = nullptr;
        if (Status s = StatusOf(heif_decode_image(
                handle_.get(), &decoded, heif_colorspace_RGB,
                alpha ? heif_chroma_interleaved_RGBA : heif_chroma_interleaved_RGB, options.get()));
            Failed(s))
            return s;
        std::unique_ptr<heif_image, ImageFree> image(decoded);
        if (heif_image_get_width(decoded, heif_channel_interleaved) != out.Width() ||
            heif_image_get_height(decoded, heif_channel_interleaved) != out.Height() ||
            heif_image_get_bits_per_pixel_range(decoded, heif_channel_interleaved) != 8)
            return Status::Corrupt;
        int stride = 0;
        const uint8_t* rows = heif_image_get_plane_readonly(decoded, heif_channel_interleaved, &stride);
        if (!rows || stride < out.Width() * (alpha ? 4 : 3)) return Status::Corrupt;
        for (int y = 0; y < out.Height(); ++y) {
            const uint8_t* in = rows + static_cast<size_t>(y) * static_cast<size_t>(stride);
            uint8_t* to = out.Row(y);
            if (alpha) {
                FlattenRow(in, out.Width(), true, to);
            } else {
                for (int x = 0; x < out.Width(); ++x, in += 3, to += 3)
                    to[0] = in[2], to[1] = in[1], to[2] = in[0];
            }
        }
        return Status::Ok;
    }

    Bytes ColorProfile() const override { return {profile_.data(), profile_.size()}; }

  private:
    void KeepColorProfile() {
        const heif_color_profile_type type = heif_image_handle_get_color_profile_type(handle_.get());
        if (type != heif_color_profile_type_prof && type != heif_color_profile_type_rICC) return;
        const size_t size = heif_image_handle_get_raw_color_profile_size(handle_.get());
        if (size == 0) return;
        profile_.resize(size);
        if (heif_image_handle_get_raw_color_profile(handle_.get(), profile_.data()).code != heif_error_Ok)
            profile_.clear();
    }

    Bytes file_;
    std::unique_ptr<heif_context, ContextFree> context_;
    std::unique_ptr<heif_image_handle, HandleFree> handle_;
    std::vector<uint8_t> profile_;
};

} // namespace

std::unique_ptr<Decoder> MakeHeifDecoder(Bytes file) {
    // libheif registers its decoders once per process; workers may ask for the first decoder together.
    static const bool ready = heif_init(nullptr).code == heif_error_Ok;
    (void)ready;
    return std::make_unique<HeifDecoder>(file);
}

} // namespace cvimg
