// The settings that portable code and worker threads read, defined where the native build links them.
#include "settings/store.h"

namespace corv {

std::atomic<bool> AllPictureTypes{false};

} // namespace corv
