// What a decoder hands each finished row of blue-green-red triples to.
#pragma once
#include <cstdint>

namespace cvimg {

class RowFilter {
  public:
    virtual ~RowFilter() = default;
    virtual void Row(uint8_t* bgr, int width) const = 0;
};

} // namespace cvimg
