// Reduction of a picture to a given size by area averaging: every output pixel is the mean of the source
// area it covers, each source pixel weighted by the part of it that lies inside. Unlike point sampling
// (which keeps one source pixel in every k and drops the rest), nothing of the source is lost, so fine
// detail turns into its true mean instead of noise. Enlarging works too (each output pixel then covers part
// of one or two source pixels).
#pragma once
#include "cvimg/raster.h"

namespace cvimg {

// Writes `source` resized to the width and height of `into` (which must be Bgr24) into `into`.
// An Indexed8 source is read through its palette. BadArgument for empty rasters.
Status ResizeArea(const Raster& source, Raster& into);

} // namespace cvimg
