// The design of the full-screen view.
#pragma once
#include "ui/layout.h"

namespace corv {

const ui::FormDesign& FullViewFormDesign();

} // namespace corv
