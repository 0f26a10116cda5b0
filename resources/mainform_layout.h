// The designs of the main window and its About box.
#pragma once
#include "ui/layout.h"

namespace corv {

const ui::FormDesign& MainFormDesign();
const ui::FormDesign& AboutBoxDesign();

} // namespace corv
