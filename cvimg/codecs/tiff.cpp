// TIFF through libtiff: every compression it is built with (none, LZW, PackBits, Deflate, JPEG, CCITT
// G3 and G4), strips and tiles, 1 to 16 bits, grey, palette, RGB, CMYK, YCbCr, predictors; of several
// pages the first. libtiff's RGBA reader does the conversions; alpha is flattened onto the neutral
// background.
#include "cvimg/decoder.h"

#include <cstring>
#include <memory>
#include <new>

#include <tiffio.h>

namespace cvimg {

namespace {

struct Source {
    Bytes file;
    toff_t pos = 0;
};

tmsize_t ReadProc(thandle_t h, void* buf, tmsize_t size) {
    auto* s = static_cast<Source*>(h);
    if (size <= 0 || s->pos >= s->file.size) return 0;
    const size_t n = std::min<size_t>(static_cast<size_t>(size), s->file.size - static_cast<size_t>(s->pos));
    std::memcpy(buf, s->file.data + s->pos, n);
    s->pos += n;
    return static_cast<tmsize_t>(n);
}
tmsize_t WriteProc(thandle_t, void*, tmsize_t) {
    return 0;
}
toff_t SeekProc(thandle_t h, toff_t off, int whence) {
    auto* s = static_cast<Source*>(h);
    toff_t base = whence == SEEK_CUR ? s->pos : whence == SEEK_END ? s->file.size : 0;
    if (off > UINT64_MAX - base) return static_cast<toff_t>(-1);
    s->pos = base + off;
    return s->pos;
}
int CloseProc(thandle_t) {
    return 0;
}
toff_t SizeProc(thandle_t h) {
    return static_cast<Source*>(h)->file.size;
}
int MapProc(thandle_t h, void** base, toff_t* size) {
    auto* s = static_cast<Source*>(h);
    *base = const_cast<uint8_t*>(s->file.data);
    *size = s->file.size;
    return 1;
}
void UnmapProc(thandle_t, void*, toff_t) {}

// libtiff would print its complaints; the module reports through its result codes instead.
void Quiet(const char*, const char*, va_list) {}

// libtiff drops tags whose data lie beyond the end of the file and carries on, e.g. reading a palette
// picture whose colour map was cut off as grey. A cut file is broken: such a warning fails the read.
thread_local bool t_cutShort = false;
void OnWarning(const char*, const char* format, va_list) {
    if (std::strstr(format, "IO error")) t_cutShort = true;
}

class TiffDecoder final : public Decoder {
  public:
    explicit TiffDecoder(Bytes file) : source_{file} {}
    ~TiffDecoder() override {
        if (tif_) TIFFClose(tif_);
    }

    Status ReadHeader(Layout& layout) override {
        const Bytes& f = source_.file;
        if (f.size < 4 || !((std::memcmp(f.data, "II*\0", 4) == 0) || std::memcmp(f.data, "MM\0*", 4) == 0))
            return Status::NotThisType;
        TIFFSetErrorHandler(Quiet);
        TIFFSetWarningHandler(OnWarning);
        t_cutShort = false;
        // Mapped: the file is in memory already, and libtiff reads uncompressed tiles best that way.
        tif_ = TIFFClientOpen("picture", "r", &source_, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                              MapProc, UnmapProc);
        if (!tif_ || t_cutShort) return Status::Corrupt;
        uint32_t w = 0, h = 0;
        uint16_t compression = COMPRESSION_NONE;
        TIFFGetField(tif_, TIFFTAG_IMAGEWIDTH, &w);
        TIFFGetField(tif_, TIFFTAG_IMAGELENGTH, &h);
        TIFFGetFieldDefaulted(tif_, TIFFTAG_COMPRESSION, &compression);
        if (Status s = CheckPictureSize(w, h); Failed(s)) return s;
        if (!TIFFIsCODECConfigured(compression)) return Status::TiffCompression;
        char message[1024];
        if (!TIFFRGBAImageOK(tif_, message)) return Status::TiffLayout;
        layout = {static_cast<int>(w), static_cast<int>(h), PixelFormat::Bgr24};
        return Status::Ok;
    }

    Status Decode(Raster& out) override {
        const int w = out.Width(), h = out.Height();
        char message[1024];
        TIFFRGBAImage image{};
        if (!TIFFRGBAImageBegin(&image, tif_, 1, message)) return Status::Corrupt;
        struct End {
            TIFFRGBAImage* image;
            ~End() { TIFFRGBAImageEnd(image); }
        } end{&image};
        image.req_orientation = ORIENTATION_TOPLEFT;
        // A band of rows at a time, each a whole number of strips or tiles, so that no more than one
        // band of 32-bit pixels is held beside the picture.
        uint32_t band = 0;
        if (TIFFIsTiled(tif_))
            TIFFGetField(tif_, TIFFTAG_TILELENGTH, &band);
        else
            TIFFGetFieldDefaulted(tif_, TIFFTAG_ROWSPERSTRIP, &band);
        if (band == 0 || band > static_cast<uint32_t>(h)) band = static_cast<uint32_t>(h);
        std::unique_ptr<uint32_t[]> rgba(new (std::nothrow) uint32_t[static_cast<size_t>(w) * band]);
        if (!rgba) return Status::OutOfMemory;
        for (uint32_t top = 0; top < static_cast<uint32_t>(h); top += band) {
            const uint32_t rows = std::min(band, static_cast<uint32_t>(h) - top);
            image.row_offset = static_cast<int>(top);
            image.col_offset = 0;
            if (!TIFFRGBAImageGet(&image, rgba.get(), static_cast<uint32_t>(w), rows) || t_cutShort)
                return Status::Corrupt;
            // The RGBA reader gives premultiplied alpha: add the background's share.
            for (uint32_t r = 0; r < rows; ++r) {
                const uint32_t* src = rgba.get() + static_cast<size_t>(r) * w;
                uint8_t* dst = out.Row(static_cast<int>(top + r));
                for (int x = 0; x < w; ++x, dst += 3) {
                    const uint32_t p = src[x];
                    const unsigned rest = 255 - TIFFGetA(p);
                    dst[0] = static_cast<uint8_t>(
                        std::min(255u, TIFFGetB(p) + (kBackground.b * rest + 127) / 255));
                    dst[1] = static_cast<uint8_t>(
                        std::min(255u, TIFFGetG(p) + (kBackground.g * rest + 127) / 255));
                    dst[2] = static_cast<uint8_t>(
                        std::min(255u, TIFFGetR(p) + (kBackground.r * rest + 127) / 255));
                }
            }
        }
        return Status::Ok;
    }

  private:
    Source source_;
    TIFF* tif_ = nullptr;
};

} // namespace

std::unique_ptr<Decoder> MakeTiffDecoder(Bytes file) {
    return std::make_unique<TiffDecoder>(file);
}

} // namespace cvimg
