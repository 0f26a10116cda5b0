// A picture's colours as the display shows them: the profile the picture was made in (embedded ICC, or
// PNG's sRGB, gAMA and cHRM) converted to the display's profile with Little CMS. Prepared once per picture,
// then applied row by row while the decoder's rows are still in the cache.
#pragma once
#include "cvimg/photometa.h"
#include "cvimg/rowfilter.h"

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace cvimg {

class ColorConversion final : public RowFilter {
  public:
    ColorConversion();
    ~ColorConversion() override;
    ColorConversion(const ColorConversion&) = delete;
    ColorConversion& operator=(const ColorConversion&) = delete;

    // Builds the conversion for pictures of `format` from the picture's metadata to the display profile
    // (its bytes; empty: sRGB). False, and nothing converts, for a picture without a profile, a profile
    // Little CMS refuses or one of another colour space than the picture's.
    bool Prepare(const PhotoMeta& meta, const std::string& displayProfile, PixelFormat format);

    void Row(uint8_t* bgr, int width) const override;
    // An Indexed8 raster converts through its palette; a Bgr24 one row by row.
    void Apply(Raster& raster) const;

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// PNG's iCCP profile inflated; empty when the data is broken or larger than `limit`.
std::string InflateProfile(const std::string& compressed, size_t limit = 16u << 20);

} // namespace cvimg
