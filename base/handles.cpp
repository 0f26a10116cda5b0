#include "base/handles.h"

namespace corv {

namespace {
std::atomic<long> g_live[static_cast<int>(HandleKind::Count)];
}

long LiveHandles(HandleKind kind) {
    return g_live[static_cast<int>(kind)].load();
}

void CountHandle(HandleKind kind, int delta) {
    g_live[static_cast<int>(kind)] += delta;
}

} // namespace corv
