// JPEG through libjpeg-turbo: baseline, extended, progressive and arithmetic coding; grey, YCbCr, RGB,
// CMYK and YCCK. libjpeg reports fatal errors with longjmp, so every setjmp sits in a plain function
// that holds no object with a destructor, and all state lives in one heap block that outlives it.
#include "cvimg/color.h"
#include "cvimg/decoder.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>

#include <jerror.h>
#include <jpeglib.h>

namespace cvimg {

namespace {

struct JpegState {
    jpeg_decompress_struct cinfo;
    jpeg_error_mgr err;
    jpeg_progress_mgr progress;
    std::jmp_buf jump;
    Status failure = Status::Corrupt;
    bool truncated = false, damaged = false, created = false;
    JSAMPLE* cmykRow = nullptr;
    const RowFilter* filter = nullptr; // applied to each blue-green-red row as it is decoded
};

JpegState* StateOf(j_common_ptr c) {
    return static_cast<JpegState*>(c->client_data);
}

void OnError(j_common_ptr c) {
    JpegState* s = StateOf(c);
    switch (c->err->msg_code) {
    case JERR_OUT_OF_MEMORY:
        s->failure = Status::OutOfMemory;
        break;
    case JERR_BAD_PRECISION:
        s->failure = Status::JpegPrecision;
        break;
    case JERR_NOTIMPL:
    case JERR_ARITH_NOTIMPL:
        s->failure = Status::JpegProcess;
        break;
    case JERR_CONVERSION_NOTIMPL:
    case JERR_BAD_J_COLORSPACE:
        s->failure = Status::JpegColorSpace;
        break;
    case JERR_IMAGE_TOO_BIG:
    case JERR_WIDTH_OVERFLOW:
        s->failure = Status::TooLarge;
        break;
    default:
        s->failure = Status::Corrupt;
        break;
    }
    std::longjmp(s->jump, 1);
}

// Warnings are how libjpeg reports damaged or missing data; a picture with holes is not a success.
void OnMessage(j_common_ptr c, int level) {
    if (level >= 0) return; // trace messages
    JpegState* s = StateOf(c);
    switch (c->err->msg_code) {
    case JWRN_JPEG_EOF:
        s->truncated = true;
        break;
    case JWRN_EXTRANEOUS_DATA: // stray bytes between segments: harmless, common in the wild
    case JWRN_ADOBE_XFORM:
    case JWRN_JFIF_MAJOR:
    case JWRN_BOGUS_ICC:
        break;
    default:
        s->damaged = true;
        break;
    }
}

// A hostile progressive file can hold thousands of tiny scans; no real encoder writes more than a few dozen.
void OnProgress(j_common_ptr c) {
    auto* d = reinterpret_cast<j_decompress_ptr>(c);
    if (d->input_scan_number > 1000) {
        StateOf(c)->failure = Status::Corrupt;
        std::longjmp(StateOf(c)->jump, 1);
    }
}

int StartJpeg(JpegState* s, const uint8_t* data, size_t size) {
    if (setjmp(s->jump)) return 0;
    s->cinfo.err = jpeg_std_error(&s->err);
    s->err.error_exit = OnError;
    s->err.emit_message = OnMessage;
    s->cinfo.client_data = s;
    jpeg_create_decompress(&s->cinfo);
    s->created = true;
    s->progress.progress_monitor = OnProgress;
    s->cinfo.progress = &s->progress;
    jpeg_mem_src(&s->cinfo, data, static_cast<unsigned long>(size));
    jpeg_read_header(&s->cinfo, TRUE);
    return 1;
}

// The output size at 1/denom of the picture, as libjpeg will decode it.
int ScaleJpeg(JpegState* s, unsigned denom) {
    if (setjmp(s->jump)) return 0;
    s->cinfo.scale_num = 1;
    s->cinfo.scale_denom = denom;
    jpeg_calc_output_dimensions(&s->cinfo);
    return 1;
}

// Rows go straight into `top` (blue-green-red, or grey indices), `step` apart.
int DecodeJpeg(JpegState* s, uint8_t* top, ptrdiff_t step, int cmyk, int invert) {
    if (setjmp(s->jump)) return 0;
    jpeg_decompress_struct& ci = s->cinfo;
    jpeg_start_decompress(&ci);
    if (cmyk) {
        s->cmykRow = static_cast<JSAMPLE*>((*ci.mem->alloc_large)(
            reinterpret_cast<j_common_ptr>(&ci), JPOOL_IMAGE, static_cast<size_t>(ci.output_width) * 4));
    }
    while (ci.output_scanline < ci.output_height) {
        uint8_t* dst = top + static_cast<ptrdiff_t>(ci.output_scanline) * step;
        if (!cmyk) {
            JSAMPROW row = dst;
            jpeg_read_scanlines(&ci, &row, 1);
            if (s->filter) s->filter->Row(dst, static_cast<int>(ci.output_width));
            continue;
        }
        JSAMPROW row = s->cmykRow;
        jpeg_read_scanlines(&ci, &row, 1);
        // Adobe writes CMYK inverted (0 is full ink); either way the colour is ink-free part times black.
        for (JDIMENSION x = 0; x < ci.output_width; ++x) {
            int c = row[4 * x], m = row[4 * x + 1], y = row[4 * x + 2], k = row[4 * x + 3];
            if (!invert) c = 255 - c, m = 255 - m, y = 255 - y, k = 255 - k;
            dst[3 * x] = static_cast<uint8_t>((y * k + 127) / 255);
            dst[3 * x + 1] = static_cast<uint8_t>((m * k + 127) / 255);
            dst[3 * x + 2] = static_cast<uint8_t>((c * k + 127) / 255);
        }
    }
    jpeg_finish_decompress(&ci);
    return 1;
}

class JpegDecoder final : public Decoder {
  public:
    explicit JpegDecoder(Bytes file) : file_(file) {}
    ~JpegDecoder() override {
        if (state_ && state_->created) jpeg_destroy_decompress(&state_->cinfo);
        delete state_;
    }

    Status ReadHeader(Layout& layout) override {
        if (file_.size < 3 || file_.data[0] != 0xFF || file_.data[1] != 0xD8) return Status::NotThisType;
        state_ = new (std::nothrow) JpegState();
        if (!state_) return Status::OutOfMemory;
        if (!StartJpeg(state_, file_.data, file_.size)) return state_->failure;
        jpeg_decompress_struct& ci = state_->cinfo;
        if (Status s = CheckPictureSize(ci.image_width, ci.image_height); Failed(s)) return s;
        PixelFormat format = PixelFormat::Bgr24;
        switch (ci.jpeg_color_space) {
        case JCS_GRAYSCALE:
            ci.out_color_space = JCS_GRAYSCALE;
            format = PixelFormat::Indexed8;
            break;
        case JCS_CMYK:
        case JCS_YCCK:
            ci.out_color_space = JCS_CMYK;
            break;
        default:
            ci.out_color_space = JCS_EXT_BGR;
            break;
        }
        layout = {static_cast<int>(ci.image_width), static_cast<int>(ci.image_height), format};
        return Status::Ok;
    }

    // libjpeg-turbo scales by 1/2, 1/4 and 1/8 inside the inverse DCT, on its SIMD path: decoding a photo
    // for a small box at 1/8 costs a fraction of the full decode.
    Status ReduceToCover(int minWidth, int minHeight, Layout& layout) override {
        const jpeg_decompress_struct& ci = state_->cinfo;
        unsigned denom = 1;
        for (unsigned candidate : {8u, 4u, 2u}) {
            // libjpeg rounds scaled sizes up.
            if ((ci.image_width + candidate - 1) / candidate >= static_cast<unsigned>(minWidth) &&
                (ci.image_height + candidate - 1) / candidate >= static_cast<unsigned>(minHeight)) {
                denom = candidate;
                break;
            }
        }
        if (!ScaleJpeg(state_, denom)) return state_->failure;
        layout.width = static_cast<int>(state_->cinfo.output_width);
        layout.height = static_cast<int>(state_->cinfo.output_height);
        return Status::Ok;
    }

    Status Decode(Raster& out) override {
        jpeg_decompress_struct& ci = state_->cinfo;
        const bool cmyk = ci.out_color_space == JCS_CMYK;
        if (out.Format() == PixelFormat::Indexed8) {
            for (int i = 0; i < 256; ++i)
                out.palette.colors[i] = {uint8_t(i), uint8_t(i), uint8_t(i)};
            out.palette.count = 256;
        }
        if (!DecodeJpeg(state_, out.Row(0), out.Step(), cmyk, ci.saw_Adobe_marker)) return state_->failure;
        if (state_->truncated || state_->damaged) return Status::Corrupt;
        return Status::Ok;
    }

    bool TakeRowFilter(const RowFilter* filter) override {
        if (!state_ || state_->cinfo.out_color_space != JCS_EXT_BGR) return false;
        state_->filter = filter;
        return true;
    }

  private:
    Bytes file_;
    JpegState* state_ = nullptr;
};

} // namespace

std::unique_ptr<Decoder> MakeJpegDecoder(Bytes file) {
    return std::make_unique<JpegDecoder>(file);
}

} // namespace cvimg
