#include "image/placement.h"

#include <cmath>

namespace corv {

namespace {
// Nearest integer, halves to even, whatever rounding mode the process runs in.
int RoundHalfEven(long double value) {
    const long double floor = std::floor(value);
    const long double fraction = value - floor;
    long double result = floor;
    if (fraction > 0.5L || (fraction == 0.5L && std::fmod(floor, 2.0L) != 0)) result += 1;
    return static_cast<int>(result);
}
} // namespace

PlaceRect CenteredPlacement(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight) {
    // Truncating division: a larger picture is moved up and left by half its excess.
    return {(clientWidth - pictureWidth) / 2, (clientHeight - pictureHeight) / 2, pictureWidth,
            pictureHeight};
}

PlaceRect AspectFitPlacement(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight) {
    const long double cw = clientWidth, ch = clientHeight, w = pictureWidth, h = pictureHeight;
    if (pictureHeight >= pictureWidth) {
        if (pictureHeight == 0) return {0, 0, clientWidth, clientHeight};
        const long double margin = cw - w * (ch / h);
        return {RoundHalfEven(margin / 2), 0, RoundHalfEven(cw - margin), clientHeight};
    }
    if (pictureWidth == 0) return {0, 0, clientWidth, clientHeight};
    const long double margin = ch - h * (cw / w);
    return {0, RoundHalfEven(margin / 2), clientWidth, RoundHalfEven(ch - margin)};
}

} // namespace corv
