#include "ui/layoutmath.h"

#include <algorithm>

namespace corv {

int WholeItemHeight(int height, int itemHeight, int borders) {
    if (itemHeight <= 0) return height;
    const int items = std::max(1, (height - borders) / itemHeight);
    return items * itemHeight + borders;
}

ScrollNeed ComputeScrollNeed(int contentWidth, int contentHeight, int clientWidth, int clientHeight,
                             int barWidth, int barHeight) {
    ScrollNeed need;
    need.clientWidth = clientWidth;
    need.clientHeight = clientHeight;
    // Two rounds settle it: a bar can only make the other one needed, never unneeded.
    for (int round = 0; round < 2; ++round) {
        need.horizontal = contentWidth > need.clientWidth;
        need.vertical = contentHeight > need.clientHeight;
        need.clientWidth = clientWidth - (need.vertical ? barWidth : 0);
        need.clientHeight = clientHeight - (need.horizontal ? barHeight : 0);
    }
    need.horizontal = contentWidth > need.clientWidth;
    need.vertical = contentHeight > need.clientHeight;
    return need;
}

int ClampScrollPosition(int position, int range, int page) {
    return std::max(0, std::min(position, range - page));
}

int LeastScrollToShow(int start, int end, int page) {
    if (start < 0) return start;
    if (end > page) return std::min(end - page, start);
    return 0;
}

Extent AtLeast(Extent size, Extent minimum) {
    return {std::max(size.width, minimum.width), std::max(size.height, minimum.height)};
}

} // namespace corv
