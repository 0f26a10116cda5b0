// GIF through giflib: 87a and 89a, interlaced, global and local colour tables, transparency; of an
// animation the first frame. The picture is the logical screen; the frame stands at its place on it,
// clipped to it. Transparent pixels and the screen around the frame show the module's neutral
// background. A GIF without any colour table shows its indices as a grey ramp, black to white over the
// range its LZW minimum code size gives them.
#include "cvimg/decoder.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include <gif_lib.h>

namespace cvimg {

namespace {

struct Reader {
    Bytes file;
    size_t pos = 0;
};

int ReadFromMemory(GifFileType* gif, GifByteType* buf, int size) {
    auto* r = static_cast<Reader*>(gif->UserData);
    const size_t n = std::min<size_t>(static_cast<size_t>(size < 0 ? 0 : size), r->file.size - r->pos);
    std::memcpy(buf, r->file.data + r->pos, n);
    r->pos += n;
    return static_cast<int>(n);
}

// For the background, in a table of 256 colours without a transparent one: an entry the frame does not
// use, made the background colour; if it uses them all, the one nearest the background colour.
int SpareEntry(Palette& pal, const bool (&used)[256]) {
    for (int i = 0; i < 256; ++i) {
        if (!used[i]) {
            pal.colors[i] = kBackground;
            return i;
        }
    }
    int best = 0, bestDistance = 1 << 30;
    for (int i = 0; i < 256; ++i) {
        const int dr = pal.colors[i].r - kBackground.r, dg = pal.colors[i].g - kBackground.g,
                  db = pal.colors[i].b - kBackground.b;
        if (dr * dr + dg * dg + db * db < bestDistance) best = i, bestDistance = dr * dr + dg * dg + db * db;
    }
    return best;
}

Status Failure(int error) {
    return error == D_GIF_ERR_NOT_ENOUGH_MEM ? Status::OutOfMemory : Status::Corrupt;
}

class GifDecoder final : public Decoder {
  public:
    explicit GifDecoder(Bytes file) : reader_{file} {}
    ~GifDecoder() override {
        if (gif_) DGifCloseFile(gif_, nullptr);
    }

    Status ReadHeader(Layout& layout) override {
        const Bytes& f = reader_.file;
        if (f.size < 6 || (std::memcmp(f.data, "GIF87a", 6) != 0 && std::memcmp(f.data, "GIF89a", 6) != 0))
            return Status::NotThisType;
        int error = 0;
        gif_ = DGifOpen(&reader_, ReadFromMemory, &error);
        if (!gif_) return Failure(error);
        // Find the first image, noting the transparent index of the control block before it.
        while (true) {
            GifRecordType type;
            if (DGifGetRecordType(gif_, &type) == GIF_ERROR) return Failure(gif_->Error);
            if (type == TERMINATE_RECORD_TYPE) return Status::GifNoImage;
            if (type == IMAGE_DESC_RECORD_TYPE) break;
            if (type != EXTENSION_RECORD_TYPE) return Status::Corrupt;
            int code;
            GifByteType* ext;
            if (DGifGetExtension(gif_, &code, &ext) == GIF_ERROR) return Failure(gif_->Error);
            while (ext) {
                if (code == GRAPHICS_EXT_FUNC_CODE && ext[0] >= 4) {
                    transparent_ = (ext[1] & 1) ? ext[4] : -1;
                }
                if (DGifGetExtensionNext(gif_, &ext) == GIF_ERROR) return Failure(gif_->Error);
            }
        }
        if (DGifGetImageDesc(gif_) == GIF_ERROR) return Failure(gif_->Error);
        // giflib reads nothing ahead: the last byte it took is the frame's LZW minimum code size.
        codeSize_ = reader_.pos > 0 ? reader_.file.data[reader_.pos - 1] : 8;
        const GifImageDesc& d = gif_->Image;
        if (d.Width <= 0 || d.Height <= 0) return Status::Corrupt;
        width_ = gif_->SWidth > 0 ? gif_->SWidth : d.Left + d.Width;
        height_ = gif_->SHeight > 0 ? gif_->SHeight : d.Top + d.Height;
        if (Status s = CheckPictureSize(width_, height_); Failed(s)) return s;
        layout = {width_, height_, PixelFormat::Indexed8};
        return Status::Ok;
    }

    Status Decode(Raster& out) override {
        const GifImageDesc& d = gif_->Image;
        const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif_->SColorMap;
        Palette& pal = out.palette;
        if (map) {
            pal.count = std::min(map->ColorCount, 256);
            for (int i = 0; i < pal.count; ++i)
                pal.colors[i] = {map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue};
        } else {
            pal.count = 1 << std::clamp(codeSize_, 1, 8);
            for (int i = 0; i < pal.count; ++i) {
                const auto v = static_cast<uint8_t>(i * 255 / (pal.count - 1));
                pal.colors[i] = {v, v, v};
            }
        }
        // One entry for everything not painted by the frame: the transparent one, or one more. A full
        // table without a transparent entry gives up one the frame does not use, once that is known.
        const int colours = pal.count;
        int background = transparent_ >= 0 && transparent_ < colours ? transparent_ : -1;
        if (background < 0 && colours < 256) background = pal.count++;
        if (background >= 0) pal.colors[background] = kBackground;

        bool used[256] = {};
        std::vector<GifPixelType> line(static_cast<size_t>(d.Width));
        // Interlaced frames arrive in four passes: every 8th row from 0, every 8th from 4, every 4th from
        // 2, every 2nd from 1.
        static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
        const int passes = d.Interlace ? 4 : 1;
        const int visible = std::clamp(width_ - d.Left, 0, d.Width);
        for (int p = 0; p < passes; ++p) {
            const int start = d.Interlace ? kStart[p] : 0, step = d.Interlace ? kStep[p] : 1;
            for (int row = start; row < d.Height; row += step) {
                if (DGifGetLine(gif_, line.data(), d.Width) == GIF_ERROR) return Failure(gif_->Error);
                const int y = d.Top + row;
                if (y >= height_ || visible == 0) continue;
                uint8_t* dst = out.Row(y) + d.Left;
                for (int x = 0; x < visible; ++x) {
                    const int v = line[x];
                    const int index = v == transparent_ ? background : v < colours ? v : 0;
                    dst[x] = static_cast<uint8_t>(index);
                    used[index] = true;
                }
            }
        }
        // The screen around the frame, which it may not cover (nor reach).
        const int top = std::min<int>(d.Top, height_), bottom = std::min(d.Top + d.Height, height_);
        const int left = std::min<int>(d.Left, width_), right = left + visible;
        if (background < 0 && (top > 0 || bottom < height_ || left > 0 || right < width_))
            background = SpareEntry(pal, used);
        for (int y = 0; y < height_ && background >= 0; ++y) {
            uint8_t* row = out.Row(y);
            if (y < top || y >= bottom) {
                std::memset(row, background, static_cast<size_t>(width_));
            } else {
                std::memset(row, background, static_cast<size_t>(left));
                std::memset(row + right, background, static_cast<size_t>(width_ - right));
            }
        }
        return Status::Ok;
    }

  private:
    Reader reader_;
    GifFileType* gif_ = nullptr;
    int transparent_ = -1;
    int codeSize_ = 8;
    int width_ = 0, height_ = 0;
};

} // namespace

std::unique_ptr<Decoder> MakeGifDecoder(Bytes file) {
    return std::make_unique<GifDecoder>(file);
}

} // namespace cvimg
