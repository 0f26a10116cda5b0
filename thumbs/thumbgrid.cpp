#include "thumbs/thumbgrid.h"

namespace corv {

namespace {
constexpr int kGap = 4; // between cells, and between the window's edge and the first cell
} // namespace

ThumbBox PictureBox(int width, int height, const ThumbSizes& sizes) {
    const double r = height == 0 ? 1.0 : static_cast<double>(width) / height;
    if (r >= 1) {
        const int h = static_cast<int>(sizes.imageHeight / r);
        return {2, (sizes.imageHeight - h) / 2 + 2, sizes.imageWidth, h};
    }
    // A negative ratio (a header with nonsense in it) gives no box at all rather than a negative one.
    const int w = r > 0 ? static_cast<int>(r * sizes.imageWidth) : 0;
    return {(sizes.imageWidth - w) / 2 + 2, 2, w, sizes.imageHeight};
}

CellPlace CellPosition(int index, int cols, const ThumbSizes& sizes) {
    if (cols < 1) cols = 1;
    return {(index % cols) * (sizes.cellWidth + kGap) + kGap,
            (index / cols) * (sizes.cellHeight + kGap) + kGap};
}

int ColumnsFor(int clientWidth, const ThumbSizes& sizes) {
    return (clientWidth - kGap) / (sizes.cellWidth + kGap);
}

ClientMinimum MinimumClient(const ThumbSizes& sizes) {
    return {2 * sizes.cellWidth + 12, 2 * sizes.cellHeight + 12};
}

int PageUpTarget(int a, int count, int cols) {
    if (cols < 1 || a < 1 || a > count) return a;
    if (a - cols >= 1) return a - cols;
    const int r = count % cols;
    const int k = a % cols;
    const int target = (k == 0 || k > r) ? a + count - r - cols : a + count - r;
    return target >= 1 && target <= count ? target : a;
}

int PageDownTarget(int a, int count, int cols) {
    if (cols < 1 || a < 1 || a > count) return a;
    if (a + cols <= count) return a + cols;
    const int target = a % cols == 0 ? cols : a % cols;
    return target <= count ? target : a;
}

} // namespace corv
