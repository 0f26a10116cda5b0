// Arithmetic of window layout: whole-item list heights, scroll ranges, minimum sizes.
// Portable: no Windows headers.
#pragma once

namespace corv {

// A list's outer height cut down so that its inside (height minus the borders) holds whole items.
// Never less than the borders plus one item.
int WholeItemHeight(int height, int itemHeight, int borders);

// What a scrolling client area needs for contents of the given extent.
struct ScrollNeed {
    bool horizontal = false;
    bool vertical = false;
    int clientWidth = 0; // the client area left once the bars are in
    int clientHeight = 0;
};
// Decides both bars together: one bar takes room from the other direction and can make it needed too.
ScrollNeed ComputeScrollNeed(int contentWidth, int contentHeight, int clientWidth, int clientHeight,
                             int barWidth, int barHeight);

// A scroll position kept within 0 .. range - page (never negative).
int ClampScrollPosition(int position, int range, int page);

// The least change of a scroll position that shows the span start..end (relative to the visible page of
// this size): negative back, positive on, 0 when it shows; a span larger than the page shows its start.
int LeastScrollToShow(int start, int end, int page);

// Raises a size to the minimum in each direction on its own.
struct Extent {
    int width = 0;
    int height = 0;
};
Extent AtLeast(Extent size, Extent minimum);

} // namespace corv
