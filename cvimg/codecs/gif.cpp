// GIF through giflib: 87a and 89a, interlaced, global and local colour tables, transparency; of an
// animation the first frame. The picture is the logical screen; the frame stands at its place on it.
// Transparent pixels and the screen around the frame show the module's neutral background.
#include "cvimg/decoder.h"

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
        const GifImageDesc& d = gif_->Image;
        if (d.Width <= 0 || d.Height <= 0) return Status::Corrupt;
        width_ = gif_->SWidth > 0 ? gif_->SWidth : d.Left + d.Width;
        height_ = gif_->SHeight > 0 ? gif_->SHeight : d.Top + d.Height;
        if (Status s = CheckPictureSize(width_, height_); Failed(s)) return s;
        if (!d.ColorMap && !gif_->SColorMap) return Status::Corrupt;
        layout = {width_, height_, PixelFormat::Indexed8};
        return Status::Ok;
    }

    Status Decode(Raster& out) override {
        const GifImageDesc& d = gif_->Image;
        const ColorMapObject* map = d.ColorMap ? d.ColorMap : gif_->SColorMap;
        Palette& pal = out.palette;
        pal.count = std::min(map->ColorCount, 256);
        for (int i = 0; i < pal.count; ++i)
            pal.colors[i] = {map->Colors[i].Red, map->Colors[i].Green, map->Colors[i].Blue};
        // One entry for everything not painted by the frame: the transparent one, or one more.
        int backgroundIndex = transparent_;
        if (backgroundIndex < 0 || backgroundIndex >= pal.count) {
            backgroundIndex = pal.count < 256 ? pal.count++ : 0;
        }
        pal.colors[backgroundIndex] = kBackground;
        for (int y = 0; y < height_; ++y)
            std::memset(out.Row(y), backgroundIndex, static_cast<size_t>(width_));

        std::vector<GifPixelType> line(static_cast<size_t>(d.Width));
        // Interlaced frames arrive in four passes: every 8th row from 0, every 8th from 4, every 4th from
        // 2, every 2nd from 1.
        static const int kStart[4] = {0, 4, 2, 1}, kStep[4] = {8, 8, 4, 2};
        const int passes = d.Interlace ? 4 : 1;
        for (int p = 0; p < passes; ++p) {
            const int start = d.Interlace ? kStart[p] : 0, step = d.Interlace ? kStep[p] : 1;
            for (int row = start; row < d.Height; row += step) {
                if (DGifGetLine(gif_, line.data(), d.Width) == GIF_ERROR) return Failure(gif_->Error);
                const int y = d.Top + row;
                if (y < 0 || y >= height_) continue;
                uint8_t* dst = out.Row(y);
                for (int x = 0; x < d.Width; ++x) {
                    const int tx = d.Left + x;
                    if (tx >= width_) break;
                    const int v = line[x];
                    if (v == transparent_) continue;
                    dst[tx] = static_cast<uint8_t>(v < pal.count ? v : 0);
                }
            }
        }
        return Status::Ok;
    }

  private:
    Reader reader_;
    GifFileType* gif_ = nullptr;
    int transparent_ = -1;
    int width_ = 0, height_ = 0;
};

} // namespace

std::unique_ptr<Decoder> MakeGifDecoder(Bytes file) {
    return std::make_unique<GifDecoder>(file);
}

} // namespace cvimg
