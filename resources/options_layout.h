// The options dialog as designed.
#pragma once
#include "ui/layout.h"

namespace corv {

const ui::FormDesign& OptionsFormDesign();

} // namespace corv
