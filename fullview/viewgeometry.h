// The full-screen view's arithmetic: the zoom steps and moving a window larger than the screen over it.
// Portable: no Windows headers.
#pragma once
#include <algorithm>

namespace corv {

inline constexpr int MinZoomLevel = -4;
inline constexpr int MaxZoomLevel = 4;
// Pixels the window moves per key: the arrow keys, and Page Up, Page Down, Home and End.
inline constexpr int ScrollStepSmall = 5;
inline constexpr int ScrollStepLarge = 40;

struct ZoomedExtent {
    int width = 0, height = 0;
    bool operator==(const ZoomedExtent&) const = default;
};

// A picture's size at a zoom level (clamped to the limits), each side truncated. The factors 1/3, 0.4,
// 0.5, 2/3, 1, 1.5, 2, 2.5 and 3 are exact fractions, so that a third of 300 is 100, not 99.
constexpr ZoomedExtent ZoomedSize(int level, int width, int height) {
    struct Fraction {
        long long numerator, denominator;
    };
    constexpr Fraction factors[] = {{1, 3}, {2, 5}, {1, 2}, {2, 3}, {1, 1}, {3, 2}, {2, 1}, {5, 2}, {3, 1}};
    const Fraction f = factors[std::clamp(level, MinZoomLevel, MaxZoomLevel) - MinZoomLevel];
    return {static_cast<int>(width * f.numerator / f.denominator),
            static_cast<int>(height * f.numerator / f.denominator)};
}

// The window's left (or top) after a step that shows more of its right (or bottom) part: its far edge
// never comes inside the screen, and a window no larger than the screen stays where it is.
constexpr int ScrollTowardsEnd(int position, int size, int screenSize, int step) {
    const int end = position + size;
    if (screenSize + step <= end) return position - step;
    if (screenSize < end) return screenSize - size;
    return position;
}

// The window's left (or top) after a step that shows more of its left (or top) part: it never moves
// past the screen's edge.
constexpr int ScrollTowardsStart(int position, int step) {
    if (position <= -step) return position + step;
    if (position < 0) return 0;
    return position;
}

} // namespace corv
