// Where a picture lands in a control: centred, or fitted with its aspect kept. Portable.
#pragma once

namespace corv {

struct PlaceRect {
    int left = 0, top = 0, width = 0, height = 0;
    bool operator==(const PlaceRect&) const = default;
};

// The picture at its own size, centred in the client (cut on all sides when larger).
PlaceRect CenteredPlacement(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight);

// The picture scaled to the client with its aspect kept; the picture's own orientation decides which side
// fits. Rounding is to nearest, halves to even. A picture without size fills the whole client.
PlaceRect AspectFitPlacement(int clientWidth, int clientHeight, int pictureWidth, int pictureHeight);

} // namespace corv
