// The design of the thumbnail window.
#pragma once
#include "ui/layout.h"

namespace corv {

const ui::FormDesign& ThumbFormDesign();

} // namespace corv
