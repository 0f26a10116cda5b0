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
    module_.Reset();
}

bool CvImgLib::Load(const char* moduleName) {
    Unload();
    module_.Reset(LoadLibraryA(moduleName));
    if (!module_) return false;
    const HMODULE module = module_.Get();
    const bool all =
        Bind(module, cvimg::kOrdImageInfo, LibImageInfo) && Bind(module, cvimg::kOrdReadJpeg, LibReadJPEG) &&
        Bind(module, cvimg::kOrdReadGif, LibReadGIF) && Bind(module, cvimg::kOrdReadPcx, LibReadPCX) &&
        Bind(module, cvimg::kOrdReadBmp, LibReadBMP) && Bind(module, cvimg::kOrdReadPng, LibReadPNG) &&
        Bind(module, cvimg::kOrdReadTiff, LibReadTIFF);
    if (!all) {
        Unload();
        return false;
    }
    Bind(module, cvimg::kOrdReadScaled, LibReadScaled);
    return true;
}

std::string CvImgLib::Message(int16_t code) const {
    if (!module_) return {};
    char text[256] = "";
    const int n = LoadStringA(module_.Get(), static_cast<uint16_t>(code), text, sizeof text);
    return std::string(text, n > 0 ? static_cast<size_t>(n) : 0);
}

} // namespace corv
