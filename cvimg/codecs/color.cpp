// Colour conversion with Little CMS. Almost every photo's profile and almost every display's is a matrix
// with three tone curves (sRGB, Adobe RGB, Display P3, ProPhoto): for those the conversion is three table
// look-ups, a 3 x 3 matrix in fixed point and three more look-ups per pixel, built from the profiles that
// Little CMS has read. Anything else (table-based profiles) goes through a Little CMS transform.
#include "cvimg/color.h"

#include <cmath>
#include <cstring>
#include <memory>
#include <mutex>

#if defined(__x86_64__) || defined(__i386__)
#include <emmintrin.h>
#endif
#include <lcms2.h>
#include <zlib.h>

namespace cvimg {

namespace {

struct Profile {
    cmsHPROFILE h = nullptr;
    explicit Profile(cmsHPROFILE p = nullptr) : h(p) {}
    ~Profile() {
        if (h) cmsCloseProfile(h);
    }
    Profile(const Profile&) = delete;
    Profile& operator=(const Profile&) = delete;
};

constexpr int kLinearBits = 14;
constexpr int kLinearOne = 1 << kLinearBits;
// The display's curves are looked up at 12 bits of linear light: three tables of 4 KB stay in the first-level
// cache beside the rows, where 16 KB each would not; the step is under one output level even in the darks.
constexpr int kEncodeBits = 12;
constexpr int kEncodeShift = kLinearBits - kEncodeBits;
constexpr int kEncodeSize = (1 << kEncodeBits) + 1;

struct MatrixShaper {
    double toXyz[3][3]; // columns: the red, green and blue colorants
    const cmsToneCurve* curves[3];
};

bool ReadMatrixShaper(cmsHPROFILE p, MatrixShaper& m) {
    if (cmsGetColorSpace(p) != cmsSigRgbData || !cmsIsMatrixShaper(p)) return false;
    const cmsTagSignature colorants[3] = {cmsSigRedColorantTag, cmsSigGreenColorantTag,
                                          cmsSigBlueColorantTag};
    const cmsTagSignature trcs[3] = {cmsSigRedTRCTag, cmsSigGreenTRCTag, cmsSigBlueTRCTag};
    for (int c = 0; c < 3; ++c) {
        const auto* xyz = static_cast<const cmsCIEXYZ*>(cmsReadTag(p, colorants[c]));
        m.curves[c] = static_cast<const cmsToneCurve*>(cmsReadTag(p, trcs[c]));
        if (!xyz || !m.curves[c]) return false;
        m.toXyz[0][c] = xyz->X, m.toXyz[1][c] = xyz->Y, m.toXyz[2][c] = xyz->Z;
    }
    return true;
}

bool Invert(const double a[3][3], double out[3][3]) {
    const double det = a[0][0] * (a[1][1] * a[2][2] - a[1][2] * a[2][1]) -
                       a[0][1] * (a[1][0] * a[2][2] - a[1][2] * a[2][0]) +
                       a[0][2] * (a[1][0] * a[2][1] - a[1][1] * a[2][0]);
    if (std::fabs(det) < 1e-9) return false;
    for (int r = 0; r < 3; ++r)
        for (int c = 0; c < 3; ++c) {
            const int r1 = (c + 1) % 3, r2 = (c + 2) % 3, c1 = (r + 1) % 3, c2 = (r + 2) % 3;
            out[r][c] = (a[r1][c1] * a[r2][c2] - a[r1][c2] * a[r2][c1]) / det;
        }
    return true;
}

// The profile a PNG's colour chunks describe, or none.
cmsHPROFILE PngChunkProfile(const PhotoMeta& meta) {
    if (meta.srgb) return cmsCreate_sRGBProfile();
    if (meta.gamma == 0 && !meta.hasChromaticities) return nullptr;
    // Encoders write gAMA 1/2.2, alone or with sRGB's chromaticities, for "the usual": sRGB in all but name.
    static constexpr uint32_t kSrgbChromaticities[8] = {31270, 32900, 64000, 33000,
                                                        30000, 60000, 15000, 6000};
    bool srgbPrimaries = true;
    for (int k = 0; k < 8 && meta.hasChromaticities; ++k)
        if (meta.chromaticities[k] + 1000 < kSrgbChromaticities[k] ||
            meta.chromaticities[k] > kSrgbChromaticities[k] + 1000)
            srgbPrimaries = false;
    if (srgbPrimaries && (meta.gamma == 0 || (meta.gamma >= 45000 && meta.gamma <= 46000))) return nullptr;
    cmsCIExyY white{0.3127, 0.3290, 1.0};
    cmsCIExyYTRIPLE primaries{{0.64, 0.33, 1.0}, {0.30, 0.60, 1.0}, {0.15, 0.06, 1.0}};
    if (meta.hasChromaticities) {
        const uint32_t* c = meta.chromaticities;
        for (int k = 0; k < 8; ++k)
            if (c[k] == 0 || c[k] > 100000) return nullptr;
        white = {c[0] / 1e5, c[1] / 1e5, 1.0};
        primaries = {
            {c[2] / 1e5, c[3] / 1e5, 1.0}, {c[4] / 1e5, c[5] / 1e5, 1.0}, {c[6] / 1e5, c[7] / 1e5, 1.0}};
    }
    // Without cHRM libpng's own gamma handling (to its 8-bit output, gamma 1/2.2) is all there is to do.
    if (!meta.hasChromaticities) return nullptr;
    cmsToneCurve* curve = nullptr;
    if (meta.gamma) {
        curve = cmsBuildGamma(nullptr, 2.2);
    } else {
        // libpng leaves the values alone: they are taken as sRGB's curve.
        const double srgb[5] = {2.4, 1 / 1.055, 0.055 / 1.055, 1 / 12.92, 0.04045};
        curve = cmsBuildParametricToneCurve(nullptr, 4, srgb);
    }
    if (!curve) return nullptr;
    cmsToneCurve* curves[3] = {curve, curve, curve};
    cmsHPROFILE p = cmsCreateRGBProfile(&white, &primaries, curves);
    cmsFreeToneCurve(curve);
    return p;
}

// The display's curves inverted, from linear light in 1/4096 to its values. Thousands of evaluations of
// the curves, each a pow: done once for the display, whose profile is the same picture after picture.
bool DisplayEncoding(const std::string& displayProfile, const MatrixShaper& to,
                     uint8_t (&encode)[3][kEncodeSize]) {
    struct Cached {
        std::string profile;
        uint8_t encode[3][kEncodeSize];
    };
    static std::mutex mutex;
    static std::unique_ptr<Cached> cached;
    std::lock_guard<std::mutex> lock(mutex);
    if (cached && cached->profile == displayProfile) {
        std::memcpy(encode, cached->encode, sizeof encode);
        return true;
    }
    for (int c = 0; c < 3; ++c) {
        cmsToneCurve* reverse = cmsReverseToneCurve(to.curves[c]);
        if (!reverse) return false;
        for (int v = 0; v < kEncodeSize; ++v) {
            const double e =
                cmsEvalToneCurveFloat(reverse, static_cast<cmsFloat32Number>(double(v) / (kEncodeSize - 1)));
            encode[c][v] = static_cast<uint8_t>(std::lround(std::fmin(std::fmax(e, 0.0), 1.0) * 255));
        }
        cmsFreeToneCurve(reverse);
    }
    if (!cached) cached = std::make_unique<Cached>();
    cached->profile = displayProfile;
    std::memcpy(cached->encode, encode, sizeof encode);
    return true;
}

#if defined(__x86_64__) || defined(__i386__)
bool HasSse2() {
    return __builtin_cpu_supports("sse2");
}

// The sum of one pixel's three shares (blue-green-red in), in the low half of a register.
__attribute__((target("sse2"))) inline __m128i ShareSum(const int16_t (*shares)[256][4], const uint8_t* px) {
    const auto* r = reinterpret_cast<const __m128i*>(shares[0][px[2]]);
    const auto* g = reinterpret_cast<const __m128i*>(shares[1][px[1]]);
    const auto* b = reinterpret_cast<const __m128i*>(shares[2][px[0]]);
    return _mm_add_epi16(_mm_add_epi16(_mm_loadl_epi64(r), _mm_loadl_epi64(g)), _mm_loadl_epi64(b));
}

// The matrix-and-curves conversion of a row with SSE2. The shares are 16-bit, already at the 12 bits the
// display's tables are looked up with: one 8-byte load per input channel, and two pixels' sums and clamps in
// one register.
__attribute__((target("sse2"))) void
VectorRow(const int16_t (*shares)[256][4], const uint8_t (*encode)[kEncodeSize], uint8_t* bgr, int width) {
    const __m128i zero = _mm_setzero_si128(), top = _mm_set1_epi16(kEncodeSize - 1);
    int x = 0;
    for (; x + 2 <= width; x += 2, bgr += 6) {
        __m128i w = _mm_unpacklo_epi64(ShareSum(shares, bgr), ShareSum(shares, bgr + 3));
        w = _mm_min_epi16(_mm_max_epi16(w, zero), top);
        bgr[0] = encode[2][_mm_extract_epi16(w, 2)], bgr[1] = encode[1][_mm_extract_epi16(w, 1)];
        bgr[2] = encode[0][_mm_extract_epi16(w, 0)];
        bgr[3] = encode[2][_mm_extract_epi16(w, 6)], bgr[4] = encode[1][_mm_extract_epi16(w, 5)];
        bgr[5] = encode[0][_mm_extract_epi16(w, 4)];
    }
    if (x < width) {
        __m128i w = _mm_min_epi16(_mm_max_epi16(ShareSum(shares, bgr), zero), top);
        bgr[0] = encode[2][_mm_extract_epi16(w, 2)], bgr[1] = encode[1][_mm_extract_epi16(w, 1)];
        bgr[2] = encode[0][_mm_extract_epi16(w, 0)];
    }
}
#else
bool HasSse2() {
    return false;
}
void VectorRow(const int16_t (*)[256][4], const uint8_t (*)[kEncodeSize], uint8_t*, int) {}
#endif

} // namespace

std::string InflateProfile(const std::string& compressed, size_t limit) {
    std::string out;
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return {};
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(compressed.data()));
    z.avail_in = static_cast<uInt>(compressed.size());
    char buffer[16384];
    int rc = Z_OK;
    while (rc == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        rc = inflate(&z, Z_NO_FLUSH);
        if (rc != Z_OK && rc != Z_STREAM_END) break;
        out.append(buffer, sizeof buffer - z.avail_out);
        if (out.size() > limit) {
            rc = Z_DATA_ERROR;
            break;
        }
        if (rc == Z_OK && z.avail_in == 0 && z.avail_out != 0) rc = Z_BUF_ERROR; // truncated
    }
    inflateEnd(&z);
    return rc == Z_STREAM_END ? out : std::string();
}

struct ColorConversion::Impl {
    bool fast = false;
    uint16_t linear[3][256]; // the picture's value to linear light, in 1/kLinearOne
    int32_t matrix[3][3];    // the picture's linear RGB to the display's, in 1/kLinearOne
    // matrix[r][c] x linear[c][v]: a row of the matrix product is three look-ups and two additions.
    int32_t product[3][3][256];
    // The same by input channel, in 1/4096: the three outputs' shares of one input value side by side (and
    // a 0), so that one 8-byte load fetches what three scalar loads would.
    int16_t shares[3][256][4];
    bool vector = false;            // the processor has SSE2
    uint8_t encode[3][kEncodeSize]; // the display's linear light, in 1/4096, to its value
    cmsHTRANSFORM transform = nullptr;
    bool grey = false; // an Indexed8 picture with a grey profile: its palette is converted as grey levels
    ~Impl() {
        if (transform) cmsDeleteTransform(transform);
    }
};

ColorConversion::ColorConversion() = default;
ColorConversion::~ColorConversion() = default;

bool ColorConversion::Prepare(const PhotoMeta& meta, const std::string& displayProfile, PixelFormat format) {
    impl_.reset();
    std::string inflated;
    const std::string* icc = &meta.icc;
    if (icc->empty() && !meta.iccZlib.empty()) {
        inflated = InflateProfile(meta.iccZlib);
        icc = &inflated;
    }
    Profile source(!icc->empty()
                       ? cmsOpenProfileFromMem(icc->data(), static_cast<cmsUInt32Number>(icc->size()))
                       : PngChunkProfile(meta));
    if (!source.h) return false;
    Profile display(displayProfile.empty()
                        ? cmsCreate_sRGBProfile()
                        : cmsOpenProfileFromMem(displayProfile.data(),
                                                static_cast<cmsUInt32Number>(displayProfile.size())));
    if (display.h &&
        (cmsGetColorSpace(display.h) != cmsSigRgbData || cmsGetDeviceClass(display.h) == cmsSigLinkClass)) {
        cmsCloseProfile(display.h);
        display.h = nullptr;
    }
    if (!display.h) display.h = cmsCreate_sRGBProfile(); // a display profile we cannot use: the standard one
    if (!display.h) return false;
    const cmsColorSpaceSignature space = cmsGetColorSpace(source.h);
    const bool grey = format == PixelFormat::Indexed8 && space == cmsSigGrayData;
    if (!grey && space != cmsSigRgbData) return false; // CMYK, Lab and the like are not what the rows hold
    if (cmsGetDeviceClass(source.h) == cmsSigLinkClass || cmsGetDeviceClass(source.h) == cmsSigAbstractClass)
        return false;

    auto impl = std::make_unique<Impl>();
    impl->grey = grey;
    MatrixShaper from, to;
    double toInverse[3][3];
    if (!grey && ReadMatrixShaper(source.h, from) && ReadMatrixShaper(display.h, to) &&
        Invert(to.toXyz, toInverse)) {
        for (int c = 0; c < 3; ++c) {
            for (int v = 0; v < 256; ++v) {
                const double lin =
                    cmsEvalToneCurveFloat(from.curves[c], static_cast<cmsFloat32Number>(v / 255.0));
                impl->linear[c][v] =
                    static_cast<uint16_t>(std::lround(std::fmin(std::fmax(lin, 0.0), 1.0) * kLinearOne));
            }
        }
        bool ok = DisplayEncoding(displayProfile, to, impl->encode);
        for (int r = 0; r < 3 && ok; ++r)
            for (int c = 0; c < 3; ++c) {
                double sum = 0;
                for (int k = 0; k < 3; ++k)
                    sum += toInverse[r][k] * from.toXyz[k][c];
                // Within 2.5 the fixed-point sums of the product tables cannot overflow; wider gamuts'
                // matrices go to Little CMS.
                if (std::fabs(sum) > 2.5) ok = false;
                impl->matrix[r][c] = static_cast<int32_t>(std::lround(sum * kLinearOne));
            }
        for (int r = 0; r < 3 && ok; ++r)
            for (int c = 0; c < 3; ++c)
                for (int v = 0; v < 256; ++v)
                    impl->product[r][c][v] = impl->matrix[r][c] * impl->linear[c][v];
        constexpr int kDown = kLinearBits + kEncodeShift;
        for (int c = 0; c < 3 && ok; ++c)
            for (int v = 0; v < 256; ++v) {
                for (int r = 0; r < 3; ++r)
                    impl->shares[c][v][r] =
                        static_cast<int16_t>((impl->product[r][c][v] + (1 << (kDown - 1))) >> kDown);
                impl->shares[c][v][3] = 0;
            }
        impl->vector = HasSse2();
        impl->fast = ok;
    }
    if (!impl->fast) {
        impl->transform =
            cmsCreateTransform(source.h, grey ? TYPE_GRAY_8 : TYPE_BGR_8, display.h,
                               grey ? TYPE_RGB_8 : TYPE_BGR_8, INTENT_PERCEPTUAL, cmsFLAGS_NOCACHE);
        if (!impl->transform) return false;
    }
    impl_ = std::move(impl);
    return true;
}

void ColorConversion::Row(uint8_t* bgr, int width) const {
    if (!impl_) return;
    const Impl& m = *impl_;
    if (!m.fast) {
        if (!m.grey) cmsDoTransform(m.transform, bgr, bgr, static_cast<cmsUInt32Number>(width));
        return;
    }
    if (m.vector) {
        VectorRow(m.shares, m.encode, bgr, width);
        return;
    }
    constexpr int kShift = kLinearBits + kEncodeShift;
    constexpr int32_t round = 1 << (kShift - 1), top = kEncodeSize - 1;
    const int32_t(*p)[3][256] = m.product;
    for (int x = 0; x < width; ++x, bgr += 3) {
        const uint8_t r = bgr[2], g = bgr[1], b = bgr[0];
        int32_t R = (p[0][0][r] + p[0][1][g] + p[0][2][b] + round) >> kShift;
        int32_t G = (p[1][0][r] + p[1][1][g] + p[1][2][b] + round) >> kShift;
        int32_t B = (p[2][0][r] + p[2][1][g] + p[2][2][b] + round) >> kShift;
        R = R < 0 ? 0 : R > top ? top : R;
        G = G < 0 ? 0 : G > top ? top : G;
        B = B < 0 ? 0 : B > top ? top : B;
        bgr[0] = m.encode[2][B], bgr[1] = m.encode[1][G], bgr[2] = m.encode[0][R];
    }
}

void ColorConversion::Apply(Raster& raster) const {
    if (!impl_) return;
    if (raster.Format() == PixelFormat::Bgr24) {
        for (int y = 0; y < raster.Height(); ++y)
            Row(raster.Row(y), raster.Width());
        return;
    }
    Palette& p = raster.palette;
    uint8_t in[256 * 3], out[256 * 3];
    for (int i = 0; i < p.count; ++i) {
        if (impl_->grey) {
            in[i] = p.colors[i].r;
        } else {
            in[3 * i] = p.colors[i].b, in[3 * i + 1] = p.colors[i].g, in[3 * i + 2] = p.colors[i].r;
        }
    }
    if (impl_->grey) {
        cmsDoTransform(impl_->transform, in, out, static_cast<cmsUInt32Number>(p.count));
        for (int i = 0; i < p.count; ++i)
            p.colors[i] = {out[3 * i], out[3 * i + 1], out[3 * i + 2]};
        return;
    }
    std::memcpy(out, in, sizeof in);
    Row(out, p.count);
    for (int i = 0; i < p.count; ++i)
        p.colors[i] = {out[3 * i + 2], out[3 * i + 1], out[3 * i]};
}

} // namespace cvimg
