// TIFF through libtiff: every compression it is built with, strips and tiles, classic TIFF and BigTIFF;
// of several pages the first. Grey, palette, RGB, CMYK and CIE L*a*b* samples of 1 to 32 bits or in
// floating point, contiguous or in planes, are unpacked here and taken to 8 bits per channel, and so is
// YCbCr that is not subsampled; libtiff's RGBA reader does what it unpacks itself (subsampled YCbCr,
// old-style JPEG, log-encoded luminance).
// Alpha is flattened onto the neutral background.
#include "cvimg/decoder.h"
#include "cvimg/samples.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <memory>
#include <new>
#include <vector>

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

// libtiff would print its complaints; the module reports through its result codes instead. It also drops
// tags whose data lie beyond the end of the file and carries on, e.g. reading a palette picture whose
// colour map was cut off as grey. A cut file is broken: such a warning fails the read.
int OnError(TIFF*, void*, const char*, const char*, va_list) {
    return 1;
}
int OnWarning(TIFF*, void* user, const char*, const char* format, va_list) {
    if (std::strstr(format, "IO error")) *static_cast<bool*>(user) = true;
    return 1;
}

// No single buffer, libtiff's or ours, larger than this: a 32-bit process has no more to give in one
// piece beside the picture, and a hostile header must not make us try.
constexpr tmsize_t kMaxBuffer = 256 << 20;
// A strip larger than this is read a row at a time where libtiff can (contiguous samples), so that a
// picture stored in one strip is not held twice.
constexpr tmsize_t kLargeStrip = 16 << 20;

// The sRGB display libtiff's RGBA reader shows CIE L*a*b* on.
const TIFFDisplay kSrgbDisplay = {
    {{3.2410F, -1.5374F, -0.4986F}, {-0.9692F, 1.8760F, 0.0416F}, {0.0556F, -0.2040F, 1.0570F}},
    100.0F,
    100.0F,
    100.0F,
    255,
    255,
    255,
    1.0F,
    1.0F,
    1.0F,
    2.4F,
    2.4F,
    2.4F,
};

enum class Colour { Grey, GreyInverted, Palette, Rgb, Cmyk, Lab, YCbCr };

uint8_t Blend(unsigned colour, unsigned alpha, unsigned background, bool premultiplied) {
    const unsigned rest = 255 - alpha;
    if (premultiplied) return static_cast<uint8_t>(std::min(255u, colour + (background * rest + 127) / 255));
    return static_cast<uint8_t>((colour * alpha + background * rest + 127) / 255);
}

class TiffDecoder final : public Decoder {
  public:
    explicit TiffDecoder(Bytes file) : source_{file} {}
    ~TiffDecoder() override {
        if (tif_) TIFFClose(tif_);
    }

    // The decoder mirrors and turns upside down by the orientation tag (Prepare); what a quarter turn needs
    // on top of that is a transposition: across the main diagonal (5) or the other one (7).
    int ResidualOrientation(int orientation) const override {
        static constexpr int kLeft[9] = {1, 1, 1, 1, 1, 5, 7, 5, 7};
        return orientation >= 1 && orientation <= 8 ? kLeft[orientation] : 1;
    }

    Status ReadHeader(Layout& layout) override {
        const Bytes& f = source_.file;
        const bool classic =
            f.size >= 4 && (std::memcmp(f.data, "II*\0", 4) == 0 || std::memcmp(f.data, "MM\0*", 4) == 0);
        const bool big =
            f.size >= 4 && (std::memcmp(f.data, "II+\0", 4) == 0 || std::memcmp(f.data, "MM\0+", 4) == 0);
        if (!classic && !big) return Status::NotThisType;
        if (Status s = Open(); Failed(s)) return s;
        uint32_t w = 0, h = 0;
        uint16_t compression = COMPRESSION_NONE;
        TIFFGetField(tif_, TIFFTAG_IMAGEWIDTH, &w);
        TIFFGetField(tif_, TIFFTAG_IMAGELENGTH, &h);
        TIFFGetFieldDefaulted(tif_, TIFFTAG_COMPRESSION, &compression);
        jbig_ = compression == COMPRESSION_JBIG;
        if (Status s = CheckPictureSize(w, h); Failed(s)) return s;
        if (!TIFFIsCODECConfigured(compression)) return Status::TiffCompression;
        width_ = static_cast<int>(w);
        height_ = static_cast<int>(h);
        if (Status s = Plan(compression); Failed(s)) return s;
        layout = {width_, height_, PixelFormat::Bgr24};
        return Status::Ok;
    }

    Status Decode(Raster& out) override {
        if (byLibtiff_) return DecodeRgba(out);
        return TIFFIsTiled(tif_) ? DecodeTiles(out) : DecodeStrips(out);
    }

  private:
    Status Open() {
        struct Options {
            TIFFOpenOptions* o = TIFFOpenOptionsAlloc();
            ~Options() { TIFFOpenOptionsFree(o); }
        } options;
        if (!options.o) return Status::OutOfMemory;
        TIFFOpenOptionsSetMaxSingleMemAlloc(options.o, kMaxBuffer);
        TIFFOpenOptionsSetErrorHandlerExtR(options.o, OnError, nullptr);
        TIFFOpenOptionsSetWarningHandlerExtR(options.o, OnWarning, &cutShort_);
        // Mapped: the file is in memory already, and libtiff reads uncompressed strips best that way. (The
        // codecs that write into what they decode, JBIG's, have libtiff copy it instead.)
        tif_ = TIFFClientOpenExt("picture", "r", &source_, ReadProc, WriteProc, SeekProc, CloseProc, SizeProc,
                                 MapProc, UnmapProc, options.o);
        return !tif_ || cutShort_ ? Status::Corrupt : Status::Ok;
    }

    // JBIG-KIT allocates what a strip's own header asks for and aborts the process when it cannot have
    // it: that header must ask for no more than the strip holds. libtiff keeps the stream's bits in the
    // reverse order of the file's fill order (so the common order has them reversed).
    bool JbigStripOk(uint32_t strip, uint32_t rows) const {
        const uint64_t at = TIFFGetStrileOffset(tif_, strip), size = TIFFGetStrileByteCount(tif_, strip);
        const Bytes& f = source_.file;
        if (size < 20 || at > f.size || f.size - at < 20) return false;
        uint8_t bih[20];
        std::memcpy(bih, f.data + at, sizeof bih);
        uint16_t fillOrder = FILLORDER_MSB2LSB;
        TIFFGetFieldDefaulted(tif_, TIFFTAG_FILLORDER, &fillOrder);
        if (fillOrder == FILLORDER_MSB2LSB) TIFFReverseBits(bih, sizeof bih);
        const uint32_t xd = Be32(bih + 4), yd = Be32(bih + 8);
        return bih[2] == 1 && xd >= 1 && xd <= static_cast<uint32_t>(width_) && yd >= 1 && yd <= rows;
    }

    // Decides who unpacks the samples, and how they become colours.
    Status Plan(uint16_t compression) {
        uint16_t photometric = 0, planar = PLANARCONFIG_CONTIG;
        TIFFGetFieldDefaulted(tif_, TIFFTAG_PLANARCONFIG, &planar);
        const bool hasPhotometric = TIFFGetField(tif_, TIFFTAG_PHOTOMETRIC, &photometric) == 1;
        planar_ = planar == PLANARCONFIG_SEPARATE;
        if (hasPhotometric && photometric == PHOTOMETRIC_YCBCR && compression == COMPRESSION_JPEG &&
            !planar_) {
            // libjpeg turns the colours into RGB itself, subsampled or not.
            TIFFSetField(tif_, TIFFTAG_JPEGCOLORMODE, JPEGCOLORMODE_RGB);
            photometric = PHOTOMETRIC_RGB;
        } else if (compression == COMPRESSION_OJPEG ||
                   (hasPhotometric && (photometric == PHOTOMETRIC_LOGL || photometric == PHOTOMETRIC_LOGLUV ||
                                       (photometric == PHOTOMETRIC_YCBCR && Subsampled())))) {
            byLibtiff_ = true;
            char message[1024];
            return TIFFRGBAImageOK(tif_, message) ? Status::Ok : Status::TiffLayout;
        }

        uint16_t bits = 1, spp = 1, format = SAMPLEFORMAT_UINT, extras = 0;
        uint16_t* extraKinds = nullptr;
        TIFFGetFieldDefaulted(tif_, TIFFTAG_BITSPERSAMPLE, &bits);
        TIFFGetFieldDefaulted(tif_, TIFFTAG_SAMPLESPERPIXEL, &spp);
        TIFFGetFieldDefaulted(tif_, TIFFTAG_SAMPLEFORMAT, &format);
        TIFFGetFieldDefaulted(tif_, TIFFTAG_EXTRASAMPLES, &extras, &extraKinds);
        switch (format) {
        case SAMPLEFORMAT_UINT:
        case SAMPLEFORMAT_VOID:
            format_ = {SampleType::Unsigned, bits};
            break;
        case SAMPLEFORMAT_INT:
            format_ = {SampleType::Signed, bits};
            break;
        case SAMPLEFORMAT_IEEEFP:
            format_ = {SampleType::Float, bits};
            break;
        default:
            return Status::TiffLayout;
        }
        if (!SampleFormatOk(format_) || spp == 0 || extras > spp) return Status::TiffLayout;
        samplesPerPixel_ = spp;
        if (!hasPhotometric) {
            // As libtiff's own reader guesses.
            if (spp - extras == 1)
                photometric = PHOTOMETRIC_MINISBLACK;
            else if (spp - extras == 3)
                photometric = PHOTOMETRIC_RGB;
            else
                return Status::TiffLayout;
        }
        switch (photometric) {
        case PHOTOMETRIC_MINISBLACK:
            colour_ = Colour::Grey, channels_ = 1;
            break;
        case PHOTOMETRIC_MINISWHITE:
            colour_ = Colour::GreyInverted, channels_ = 1;
            break;
        case PHOTOMETRIC_PALETTE:
            colour_ = Colour::Palette, channels_ = 1;
            if (format_.type == SampleType::Float || bits > 16) return Status::TiffLayout;
            if (Status s = ReadColourMap(); Failed(s)) return s;
            break;
        case PHOTOMETRIC_RGB:
            colour_ = Colour::Rgb, channels_ = 3;
            break;
        case PHOTOMETRIC_SEPARATED: {
            uint16_t inks = INKSET_CMYK;
            TIFFGetFieldDefaulted(tif_, TIFFTAG_INKSET, &inks);
            if (inks != INKSET_CMYK) return Status::TiffLayout;
            colour_ = Colour::Cmyk, channels_ = 4;
            break;
        }
        case PHOTOMETRIC_YCBCR:
            colour_ = Colour::YCbCr, channels_ = 3;
            PrepareYCbCr(bits);
            break;
        case PHOTOMETRIC_CIELAB:
        case PHOTOMETRIC_ICCLAB:
            colour_ = Colour::Lab, channels_ = 3;
            if (format_.type != SampleType::Float && bits < 8) return Status::TiffLayout;
            if (Status s = PrepareLab(); Failed(s)) return s;
            break;
        default:
            return Status::TiffLayout;
        }
        if (spp < channels_) return Status::TiffLayout;
        // The first extra sample may be alpha. Without a word on its kind, libtiff's reader takes a fourth
        // sample of RGB as premultiplied alpha; so do we.
        const int firstExtra = spp - extras;
        if (extras > 0 && firstExtra >= channels_) {
            const uint16_t kind = extraKinds[0];
            if (kind == EXTRASAMPLE_ASSOCALPHA || kind == EXTRASAMPLE_UNASSALPHA ||
                (kind == EXTRASAMPLE_UNSPECIFIED && spp > 3)) {
                alpha_ = firstExtra;
                premultiplied_ = kind != EXTRASAMPLE_UNASSALPHA;
            }
        } else if (extras == 0 && colour_ == Colour::Rgb && spp == 4) {
            alpha_ = 3;
            premultiplied_ = true;
        }
        MakeReducers(photometric == PHOTOMETRIC_CIELAB);
        plain8_ = (colour_ == Colour::Rgb || colour_ == Colour::Grey) && bits == 8 &&
                  format_.type == SampleType::Unsigned && alpha_ < 0 && !planar_;
        return Status::Ok;
    }

    Status ReadColourMap() {
        uint16_t *r = nullptr, *g = nullptr, *b = nullptr;
        if (!TIFFGetField(tif_, TIFFTAG_COLORMAP, &r, &g, &b) || !r || !g || !b) return Status::Corrupt;
        const size_t n = size_t{1} << format_.bits;
        // Some writers store 8-bit colours in the 16-bit entries, as libtiff's reader also allows for.
        bool eightBit = true;
        for (size_t i = 0; i < n && eightBit; ++i)
            eightBit = r[i] < 256 && g[i] < 256 && b[i] < 256;
        colourMap_.resize(n);
        for (size_t i = 0; i < n; ++i) {
            auto to8 = [&](uint16_t v) {
                return static_cast<uint8_t>(eightBit ? v : (v * 255u + 32767) / 65535);
            };
            colourMap_[i] = {to8(r[i]), to8(g[i]), to8(b[i])};
        }
        return Status::Ok;
    }

    bool Subsampled() const {
        uint16_t h = 1, v = 1;
        TIFFGetFieldDefaulted(tif_, TIFFTAG_YCBCRSUBSAMPLING, &h, &v);
        return h != 1 || v != 1;
    }

    // YCbCr to RGB with the file's reference black and white, on the samples taken to 8 bits: the reference
    // values are scaled alike (libtiff's default for a file without them is already in 8 bits).
    void PrepareYCbCr(int bits) {
        float* luma = nullptr;
        TIFFGetFieldDefaulted(tif_, TIFFTAG_YCBCRCOEFFICIENTS, &luma);
        float* reference = nullptr;
        const bool given = TIFFGetField(tif_, TIFFTAG_REFERENCEBLACKWHITE, &reference) == 1;
        if (!given) TIFFGetFieldDefaulted(tif_, TIFFTAG_REFERENCEBLACKWHITE, &reference);
        const double scale =
            given && format_.type != SampleType::Float ? 255.0 / ((uint64_t{1} << bits) - 1) : 1.0;
        for (int i = 0; i < 3; ++i)
            luma_[i] = luma && luma[i] > 0 ? luma[i] : (i == 0 ? 0.299 : i == 1 ? 0.587 : 0.114);
        for (int i = 0; i < 6; ++i)
            reference_[i] = reference ? reference[i] * scale : (i == 0 ? 0 : i == 2 || i == 4 ? 128 : 255);
    }

    void YCbCrToRgb(unsigned y, unsigned cb, unsigned cr, unsigned& r, unsigned& g, unsigned& b) const {
        auto code = [&](unsigned v, int i, double range) {
            const double span = reference_[2 * i + 1] - reference_[2 * i];
            return (v - reference_[2 * i]) * range / (span != 0 ? span : 1);
        };
        const double Y = code(y, 0, 255), Cb = code(cb, 1, 127), Cr = code(cr, 2, 127);
        const double R = Cr * (2 - 2 * luma_[0]) + Y, B = Cb * (2 - 2 * luma_[2]) + Y;
        const double G = (Y - luma_[2] * B - luma_[0] * R) / luma_[1];
        auto clamp = [](double v) {
            return !(v > 0) ? 0u : v >= 255 ? 255u : static_cast<unsigned>(std::lround(v));
        };
        r = clamp(R), g = clamp(G), b = clamp(B);
    }

    // L*a*b* is relative to a white. It is shown relative to the display's own (D65), whatever white the
    // file names, so that neutral colours stay neutral (Photoshop's files name D50, which libtiff's
    // reader shows yellowish).
    Status PrepareLab() {
        float white[3] = {95.047F, 100.0F, 108.883F};
        lab_.reset(new TIFFCIELabToRGB);
        if (TIFFCIELabToRGBInit(lab_.get(), &kSrgbDisplay, white) < 0) return Status::OutOfMemory;
        return Status::Ok;
    }

    // One reducer for each sample that is used: the colour channels and alpha.
    void MakeReducers(bool signedDifferences) {
        double low = 0, high = 1;
        if (format_.type == SampleType::Float) {
            double lo, hi;
            if (TIFFGetField(tif_, TIFFTAG_SMINSAMPLEVALUE, &lo) &&
                TIFFGetField(tif_, TIFFTAG_SMAXSAMPLEVALUE, &hi) && hi > lo)
                low = lo, high = hi;
        }
        const int count = alpha_ >= 0 ? channels_ + 1 : channels_;
        for (int c = 0; c < count; ++c) {
            if (colour_ == Colour::Lab && c > 0 && c < 3) {
                // a* and b*: signed in CIE L*a*b*, centred on half the range in the ICC's form.
                SampleFormat f = format_;
                if (f.type != SampleType::Float)
                    f.type = signedDifferences ? SampleType::Signed : SampleType::Unsigned;
                reducers_.emplace_back(f, SampleMeaning::Difference);
            } else if (colour_ == Colour::Lab && c == 0) {
                SampleFormat f = format_;
                if (f.type == SampleType::Signed) f.type = SampleType::Unsigned; // L* is never negative
                reducers_.emplace_back(f, SampleMeaning::Level, 0, 100);
            } else {
                reducers_.emplace_back(format_, SampleMeaning::Level, low, high);
            }
        }
    }

    int SampleOf(int channel) const { return channel < channels_ ? channel : alpha_; }
    int UsedSamples() const { return alpha_ >= 0 ? channels_ + 1 : channels_; }

    // Converts `count` pixels of one row: `rows` holds where the row starts in each used sample's plane
    // (colour channels, then alpha), or the one row of all samples (contiguous). Writes blue-green-red
    // triples `step` apart.
    void ConvertRow(const uint8_t* const* rows, size_t count, uint8_t* dst, ptrdiff_t step) {
        if (plain8_) {
            // The common case, contiguous 8-bit grey or RGB, straight across.
            const uint8_t* src = rows[0];
            const size_t spp = static_cast<size_t>(samplesPerPixel_);
            if (colour_ == Colour::Rgb) {
                for (size_t x = 0; x < count; ++x, src += spp, dst += step)
                    dst[0] = src[2], dst[1] = src[1], dst[2] = src[0];
            } else {
                for (size_t x = 0; x < count; ++x, src += spp, dst += step)
                    dst[0] = dst[1] = dst[2] = src[0];
            }
            return;
        }
        const int used = UsedSamples();
        uint8_t* chan[5];
        for (int c = 0; c < used; ++c) {
            chan[c] = scratch_.data() + static_cast<size_t>(c) * segment_;
            const int s = SampleOf(c);
            const uint8_t* row = planar_ ? rows[c] : rows[0];
            const size_t first = planar_ ? 0 : static_cast<size_t>(s);
            const size_t stride = planar_ ? 1 : static_cast<size_t>(samplesPerPixel_);
            if (colour_ == Colour::Palette && c == 0)
                SampleReducer::Raw(row, format_.bits, first, stride, count, indices_.data());
            else
                reducers_[static_cast<size_t>(c)].Reduce(row, first, stride, count, chan[c]);
        }
        uint8_t* out = dst;
        auto put = [&](unsigned r, unsigned g, unsigned b) {
            out[0] = static_cast<uint8_t>(b), out[1] = static_cast<uint8_t>(g),
            out[2] = static_cast<uint8_t>(r);
            out += step;
        };
        switch (colour_) {
        case Colour::Grey:
            for (size_t x = 0; x < count; ++x)
                put(chan[0][x], chan[0][x], chan[0][x]);
            break;
        case Colour::GreyInverted:
            for (size_t x = 0; x < count; ++x)
                put(255u - chan[0][x], 255u - chan[0][x], 255u - chan[0][x]);
            break;
        case Colour::Palette:
            for (size_t x = 0; x < count; ++x) {
                const Rgb& c = colourMap_[indices_[x]];
                put(c.r, c.g, c.b);
            }
            break;
        case Colour::Rgb:
            for (size_t x = 0; x < count; ++x)
                put(chan[0][x], chan[1][x], chan[2][x]);
            break;
        case Colour::YCbCr:
            for (size_t x = 0; x < count; ++x) {
                unsigned r, g, b;
                YCbCrToRgb(chan[0][x], chan[1][x], chan[2][x], r, g, b);
                put(r, g, b);
            }
            break;
        case Colour::Cmyk:
            for (size_t x = 0; x < count; ++x) {
                const unsigned k = 255u - chan[3][x];
                put(((255u - chan[0][x]) * k + 127) / 255, ((255u - chan[1][x]) * k + 127) / 255,
                    ((255u - chan[2][x]) * k + 127) / 255);
            }
            break;
        case Colour::Lab:
            for (size_t x = 0; x < count; ++x) {
                float X, Y, Z;
                uint32_t r, g, b;
                TIFFCIELabToXYZ(lab_.get(), chan[0][x], static_cast<int8_t>(chan[1][x]),
                                static_cast<int8_t>(chan[2][x]), &X, &Y, &Z);
                TIFFXYZToRGB(lab_.get(), X, Y, Z, &r, &g, &b);
                put(r, g, b);
            }
            break;
        }
        if (alpha_ < 0) return;
        out = dst;
        for (size_t x = 0; x < count; ++x, out += step) {
            const unsigned a = chan[channels_][x];
            out[0] = Blend(out[0], a, kBackground.b, premultiplied_);
            out[1] = Blend(out[1], a, kBackground.g, premultiplied_);
            out[2] = Blend(out[2], a, kBackground.r, premultiplied_);
        }
    }

    // Scratch for one row segment of `width` pixels, and the picture's orientation.
    void Prepare(size_t width) {
        segment_ = width;
        scratch_.resize(width * static_cast<size_t>(UsedSamples()));
        if (colour_ == Colour::Palette) indices_.resize(width);
        uint16_t orientation = ORIENTATION_TOPLEFT;
        TIFFGetFieldDefaulted(tif_, TIFFTAG_ORIENTATION, &orientation);
        // Mirrored and upside-down pictures are turned round; those stored on their side stay as they
        // are, as libtiff's own reader leaves them.
        flipX_ = orientation == ORIENTATION_TOPRIGHT || orientation == ORIENTATION_BOTRIGHT ||
                 orientation == ORIENTATION_RIGHTTOP || orientation == ORIENTATION_RIGHTBOT;
        flipY_ = orientation == ORIENTATION_BOTRIGHT || orientation == ORIENTATION_BOTLEFT ||
                 orientation == ORIENTATION_RIGHTBOT || orientation == ORIENTATION_LEFTBOT;
    }

    // Where pixel x of row y goes.
    uint8_t* Target(Raster& out, int x, int y) const {
        const int ty = flipY_ ? height_ - 1 - y : y, tx = flipX_ ? width_ - 1 - x : x;
        return out.Row(ty) + 3 * static_cast<ptrdiff_t>(tx);
    }
    ptrdiff_t Step() const { return flipX_ ? -3 : 3; }

    // Buffers for the planes that are read: one for contiguous samples, one per used sample otherwise.
    bool Allocate(std::vector<std::unique_ptr<uint8_t[]>>& buffers, tmsize_t size) const {
        const int count = planar_ ? UsedSamples() : 1;
        for (int i = 0; i < count; ++i) {
            buffers.emplace_back(new (std::nothrow) uint8_t[static_cast<size_t>(size)]);
            if (!buffers.back()) return false;
        }
        return true;
    }
    uint16_t PlaneOf(int i) const { return static_cast<uint16_t>(planar_ ? SampleOf(i) : 0); }

    Status DecodeStrips(Raster& out) {
        uint32_t band = 0;
        TIFFGetFieldDefaulted(tif_, TIFFTAG_ROWSPERSTRIP, &band);
        if (band == 0 || band > static_cast<uint32_t>(height_)) band = static_cast<uint32_t>(height_);
        const tmsize_t rowBytes = TIFFScanlineSize(tif_), stripBytes = TIFFVStripSize(tif_, band);
        if (rowBytes <= 0 || stripBytes <= 0) return Status::Corrupt;
        if (rowBytes > kMaxBuffer || (stripBytes > kMaxBuffer && planar_)) return Status::TooLarge;
        Prepare(static_cast<size_t>(width_));
        std::vector<std::unique_ptr<uint8_t[]>> buffers;
        const int planes = planar_ ? UsedSamples() : 1;
        std::vector<const uint8_t*> rows(static_cast<size_t>(planes));
        if (!planar_ && stripBytes > kLargeStrip && !jbig_) { // (JBIG decodes whole strips only)
            if (!Allocate(buffers, rowBytes)) return Status::OutOfMemory;
            rows[0] = buffers[0].get();
            for (int y = 0; y < height_; ++y) {
                if (TIFFReadScanline(tif_, buffers[0].get(), static_cast<uint32_t>(y), 0) < 0 || cutShort_)
                    return Status::Corrupt;
                ConvertRow(rows.data(), static_cast<size_t>(width_), Target(out, 0, y), Step());
            }
            return Status::Ok;
        }
        if (!Allocate(buffers, stripBytes)) return Status::OutOfMemory;
        for (uint32_t top = 0; top < static_cast<uint32_t>(height_); top += band) {
            const uint32_t count = std::min(band, static_cast<uint32_t>(height_) - top);
            const tmsize_t want = static_cast<tmsize_t>(count) * rowBytes;
            for (int p = 0; p < planes; ++p) {
                const uint32_t strip = TIFFComputeStrip(tif_, top, PlaneOf(p));
                if (jbig_ && !JbigStripOk(strip, count)) return Status::Corrupt;
                if (TIFFReadEncodedStrip(tif_, strip, buffers[static_cast<size_t>(p)].get(), want) < want ||
                    cutShort_)
                    return Status::Corrupt;
            }
            for (uint32_t r = 0; r < count; ++r) {
                for (int p = 0; p < planes; ++p)
                    rows[static_cast<size_t>(p)] = buffers[static_cast<size_t>(p)].get() + r * rowBytes;
                ConvertRow(rows.data(), static_cast<size_t>(width_),
                           Target(out, 0, static_cast<int>(top + r)), Step());
            }
        }
        return Status::Ok;
    }

    Status DecodeTiles(Raster& out) {
        uint32_t tw = 0, th = 0;
        TIFFGetField(tif_, TIFFTAG_TILEWIDTH, &tw);
        TIFFGetField(tif_, TIFFTAG_TILELENGTH, &th);
        const tmsize_t tileBytes = TIFFTileSize(tif_), rowBytes = TIFFTileRowSize(tif_);
        if (tw == 0 || th == 0 || tileBytes <= 0 || rowBytes <= 0) return Status::Corrupt;
        if (tileBytes > kMaxBuffer) return Status::TooLarge;
        Prepare(tw);
        std::vector<std::unique_ptr<uint8_t[]>> buffers;
        if (!Allocate(buffers, tileBytes)) return Status::OutOfMemory;
        const int planes = planar_ ? UsedSamples() : 1;
        std::vector<const uint8_t*> rows(static_cast<size_t>(planes));
        const uint32_t w = static_cast<uint32_t>(width_), h = static_cast<uint32_t>(height_);
        for (uint32_t ty = 0; ty < h; ty += th) {
            for (uint32_t tx = 0; tx < w; tx += tw) {
                for (int p = 0; p < planes; ++p) {
                    const uint32_t tile = TIFFComputeTile(tif_, tx, ty, 0, PlaneOf(p));
                    if (TIFFReadEncodedTile(tif_, tile, buffers[static_cast<size_t>(p)].get(), tileBytes) <
                            0 ||
                        cutShort_)
                        return Status::Corrupt;
                }
                const uint32_t count = std::min(th, h - ty), cols = std::min(tw, w - tx);
                for (uint32_t r = 0; r < count; ++r) {
                    for (int p = 0; p < planes; ++p)
                        rows[static_cast<size_t>(p)] = buffers[static_cast<size_t>(p)].get() + r * rowBytes;
                    ConvertRow(rows.data(), cols, Target(out, static_cast<int>(tx), static_cast<int>(ty + r)),
                               Step());
                }
            }
        }
        return Status::Ok;
    }

    Status DecodeRgba(Raster& out) {
        const int w = out.Width(), h = out.Height();
        char message[1024];
        TIFFRGBAImage image{};
        // It reads no pixels yet: what it refuses is a layout it has no routine for.
        if (!TIFFRGBAImageBegin(&image, tif_, 1, message)) return Status::TiffLayout;
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
            if (!TIFFRGBAImageGet(&image, rgba.get(), static_cast<uint32_t>(w), rows) || cutShort_)
                return Status::Corrupt;
            // The RGBA reader gives premultiplied alpha.
            for (uint32_t r = 0; r < rows; ++r) {
                const uint32_t* src = rgba.get() + static_cast<size_t>(r) * w;
                uint8_t* dst = out.Row(static_cast<int>(top + r));
                for (int x = 0; x < w; ++x, dst += 3) {
                    const uint32_t p = src[x];
                    const unsigned a = TIFFGetA(p);
                    dst[0] = Blend(TIFFGetB(p), a, kBackground.b, true);
                    dst[1] = Blend(TIFFGetG(p), a, kBackground.g, true);
                    dst[2] = Blend(TIFFGetR(p), a, kBackground.r, true);
                }
            }
        }
        return Status::Ok;
    }

    Source source_;
    TIFF* tif_ = nullptr;
    bool cutShort_ = false; // libtiff met the end of the file
    bool jbig_ = false;
    int width_ = 0, height_ = 0;
    bool byLibtiff_ = false; // libtiff's RGBA reader unpacks the samples
    // Our own unpacking.
    SampleFormat format_;
    Colour colour_ = Colour::Grey;
    int channels_ = 1, samplesPerPixel_ = 1, alpha_ = -1;
    bool planar_ = false, premultiplied_ = false;
    bool plain8_ = false; // contiguous 8-bit grey or RGB without alpha
    std::vector<SampleReducer> reducers_;
    std::vector<Rgb> colourMap_;
    std::unique_ptr<TIFFCIELabToRGB> lab_;
    double luma_[3] = {}, reference_[6] = {};
    size_t segment_ = 0;
    std::vector<uint8_t> scratch_;
    std::vector<uint32_t> indices_;
    bool flipX_ = false, flipY_ = false;
};

} // namespace

std::unique_ptr<Decoder> MakeTiffDecoder(Bytes file) {
    return std::make_unique<TiffDecoder>(file);
}

} // namespace cvimg
