#include "image/cvimglib.h"

namespace corv {

namespace {

template <typename Fn> bool Bind(HMODULE module, int ordinal, Fn& out) {
    // The exports are bound by number, as the module's names are not part of its contract.
    FARPROC p = GetProcAddress(module, MAKEINTRESOURCEA(ordinal));
    out = reinterpret_cast<Fn>(reinterpret_cast<void*>(p));
    return p != nullptr;
}

} // namespace

CvImgLib::~CvImgLib() {
    Unload();
}

void CvImgLib::Unload() {
    LibImageInfo = nullptr;
    LibReadJPEG = nullptr;
    LibReadGIF = LibReadPCX = LibReadBMP = LibReadPNG = LibReadTIFF = nullptr;
    LibReadScaled = nullptr;
    if (module_) FreeLibrary(module_);
    module_ = nullptr;
}

bool CvImgLib::Load(const char* moduleName) {
    Unload();
    module_ = LoadLibraryA(moduleName);
    if (!module_) return false;
    const bool all =
        Bind(module_, cvimg::kOrdImageInfo, LibImageInfo) &&
        Bind(module_, cvimg::kOrdReadJpeg, LibReadJPEG) && Bind(module_, cvimg::kOrdReadGif, LibReadGIF) &&
        Bind(module_, cvimg::kOrdReadPcx, LibReadPCX) && Bind(module_, cvimg::kOrdReadBmp, LibReadBMP) &&
        Bind(module_, cvimg::kOrdReadPng, LibReadPNG) && Bind(module_, cvimg::kOrdReadTiff, LibReadTIFF);
    if (!all) {
        Unload();
        return false;
    }
    Bind(module_, cvimg::kOrdReadScaled, LibReadScaled);
    return true;
}

std::string CvImgLib::Message(int16_t code) const {
    if (!module_) return {};
    char text[256] = "";
    const int n = LoadStringA(module_, static_cast<uint16_t>(code), text, sizeof text);
    return std::string(text, n > 0 ? static_cast<size_t>(n) : 0);
}

} // namespace corv
