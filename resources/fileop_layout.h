// The file-operations dialog as designed.
#pragma once
#include "ui/layout.h"

namespace corv {

const ui::FormDesign& FileOpFormDesign();

} // namespace corv
