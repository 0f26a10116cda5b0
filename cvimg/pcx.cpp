// PCX, versions 0 to 5: 1 bit in 1 to 4 planes, 2 and 4 bits packed, 8 bits with the 256-colour
// palette at the end of the file, 24 bits in three planes; run-length coded or plain.
#include "cvimg/pcx.h"
#include "cvimg/decoder.h"

#include <cstring>
#include <vector>

namespace cvimg {

namespace {

// The colours an EGA showed when a file carries no palette of its own (version 3).
constexpr uint8_t kEgaDefault[16][3] = {{0, 0, 0},     {0, 0, 170},    {0, 170, 0},    {0, 170, 170},
                                        {170, 0, 0},   {170, 0, 170},  {170, 85, 0},   {170, 170, 170},
                                        {85, 85, 85},  {85, 85, 255},  {85, 255, 85},  {85, 255, 255},
                                        {255, 85, 85}, {255, 85, 255}, {255, 255, 85}, {255, 255, 255}};

class PcxDecoder final : public Decoder {
  public:
    explicit PcxDecoder(Bytes file) : file_(file) {}

    Status ReadHeader(Layout& layout) override {
        if (Status s = ParsePcxHeader(file_, h_); Failed(s)) return s;
        if (Status s = CheckPictureSize(h_.width, h_.height); Failed(s)) return s;
        const bool rgb = h_.bitsPerPixel == 8 && h_.planes >= 3;
        layout = {h_.width, h_.height, rgb ? PixelFormat::Bgr24 : PixelFormat::Indexed8};
        return Status::Ok;
    }

    Status Decode(Raster& out) override {
        const size_t lineBytes = static_cast<size_t>(h_.planes) * static_cast<size_t>(h_.bytesPerLine);
        std::vector<uint8_t> line;
        try {
            line.resize(lineBytes);
        } catch (const std::bad_alloc&) {
            return Status::OutOfMemory;
        }
        size_t pos = 128;
        // Runs may carry on from one line into the next; the leftover of a run is kept here.
        size_t pending = 0;
        uint8_t pendingValue = 0;
        for (int y = 0; y < h_.height; ++y) {
            size_t n = 0;
            while (n < lineBytes) {
                if (pending) {
                    const size_t take = std::min(pending, lineBytes - n);
                    std::memset(line.data() + n, pendingValue, take);
                    n += take, pending -= take;
                    continue;
                }
                if (pos >= file_.size) return Status::Corrupt;
                const uint8_t b = file_.data[pos++];
                if (h_.encoding == 1 && b >= 0xC0) {
                    if (pos >= file_.size) return Status::Corrupt;
                    pending = b & 0x3F;
                    pendingValue = file_.data[pos++];
                } else {
                    line[n++] = b;
                }
            }
            Unpack(line.data(), out.Row(y));
        }
        if (out.Format() == PixelFormat::Indexed8 && !ReadPalette(pos, out.palette)) return Status::Corrupt;
        return Status::Ok;
    }

  private:
    bool ReadPalette(size_t end, Palette& pal) const {
        const uint8_t* p = file_.data;
        const int bits = h_.bitsPerPixel * h_.planes;
        if (bits == 8) {
            pal.count = 256;
            // Version 5 puts 256 colours after a 12 at the very end; older versions have none: grey.
            if (h_.version < 5) {
                for (int i = 0; i < 256; ++i)
                    pal.colors[i] = {uint8_t(i), uint8_t(i), uint8_t(i)};
                return true;
            }
            if (file_.size < end + 769 || p[file_.size - 769] != 12) return false; // cut off
            const uint8_t* c = p + file_.size - 768;
            for (int i = 0; i < 256; ++i)
                pal.colors[i] = {c[3 * i], c[3 * i + 1], c[3 * i + 2]};
            return true;
        }
        pal.count = 1 << bits;
        if (bits == 1) {
            pal.colors[0] = {0, 0, 0};
            pal.colors[1] = {255, 255, 255};
            return true;
        }
        // Up to 16 colours stand in the header, except in version 3, which relies on the EGA's own.
        for (int i = 0; i < pal.count; ++i) {
            if (h_.version == 3) {
                pal.colors[i] = {kEgaDefault[i][0], kEgaDefault[i][1], kEgaDefault[i][2]};
            } else {
                const uint8_t* c = p + 16 + 3 * i;
                pal.colors[i] = {c[0], c[1], c[2]};
            }
        }
        return true;
    }

    void Unpack(const uint8_t* line, uint8_t* dst) const {
        const int w = h_.width, bpl = h_.bytesPerLine;
        if (h_.bitsPerPixel == 8 && h_.planes >= 3) {
            for (int x = 0; x < w; ++x) {
                dst[3 * x + 0] = line[2 * bpl + x];
                dst[3 * x + 1] = line[bpl + x];
                dst[3 * x + 2] = line[x];
            }
        } else if (h_.planes == 1) {
            const int bits = h_.bitsPerPixel, per = 8 / bits, mask = (1 << bits) - 1;
            for (int x = 0; x < w; ++x) {
                const int shift = 8 - bits * (x % per + 1);
                dst[x] = static_cast<uint8_t>((line[x / per] >> shift) & mask);
            }
        } else { // 1 bit in 2 to 4 planes: plane k gives bit k of the index
            for (int x = 0; x < w; ++x) {
                uint8_t v = 0;
                for (int k = 0; k < h_.planes; ++k)
                    v |= ((line[k * bpl + (x >> 3)] >> (7 - (x & 7))) & 1) << k;
                dst[x] = v;
            }
        }
    }

    Bytes file_;
    PcxHeader h_;
};

} // namespace

Status ParsePcxHeader(Bytes file, PcxHeader& h) {
    const uint8_t* p = file.data;
    if (file.size < 4 || p[0] != 0x0A || p[1] > 5 || p[1] == 1 || p[2] > 1) return Status::NotThisType;
    if (file.size < 128) return Status::Corrupt;
    h = {};
    h.version = p[1];
    h.encoding = p[2];
    h.bitsPerPixel = p[3];
    const int xmin = static_cast<int16_t>(Le16(p + 4)), ymin = static_cast<int16_t>(Le16(p + 6));
    const int xmax = static_cast<int16_t>(Le16(p + 8)), ymax = static_cast<int16_t>(Le16(p + 10));
    h.planes = p[65];
    h.bytesPerLine = Le16(p + 66);
    h.width = xmax - xmin + 1;
    h.height = ymax - ymin + 1;
    if (h.width <= 0 || h.height <= 0) return Status::Corrupt;
    const int b = h.bitsPerPixel, n = h.planes;
    const bool known = (b == 1 && n >= 1 && n <= 4) || ((b == 2 || b == 4) && n == 1) ||
                       (b == 8 && (n == 1 || n == 3 || n == 4));
    if (!known) return Status::PcxLayout;
    if (static_cast<int64_t>(h.bytesPerLine) * 8 < static_cast<int64_t>(h.width) * b) return Status::Corrupt;
    return Status::Ok;
}

std::unique_ptr<Decoder> MakePcxDecoder(Bytes file) {
    return std::make_unique<PcxDecoder>(file);
}

} // namespace cvimg
