#include "image/cvimglib.h"

#include "base/wide.h"

#include <iterator>

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
    LibImageInfoW = nullptr;
    LibReadJPEGW = nullptr;
    LibReadGIFW = LibReadPCXW = LibReadBMPW = LibReadPNGW = LibReadTIFFW = nullptr;
    LibReadScaledW = nullptr;
    LibReadWEBPW = LibReadHEIFW = nullptr;
    LibReadWEBP = LibReadHEIF = nullptr;
    LibImageInfoAllW = nullptr;
    LibImageInfoAll = nullptr;
    LibImageInfoEx = nullptr;
    LibReadEx = nullptr;
    module_.Reset();
}

bool CvImgLib::Load(const std::string& moduleName) {
    Unload();
    // A bare name is searched for; a path is the module of exactly that name.
    const bool bare = moduleName.find_first_of(":\\") == std::string::npos;
    module_.Reset(LoadLibraryW((bare ? Wide(moduleName) : FileSystemPath(moduleName)).c_str()));
    if (!module_) return false;
    const HMODULE module = module_.Get();
    const bool all =
        Bind(module, cvimg::kOrdImageInfo, LibImageInfo) && Bind(module, cvimg::kOrdReadJpeg, LibReadJPEG) &&
        Bind(module, cvimg::kOrdReadGif, LibReadGIF) && Bind(module, cvimg::kOrdReadPcx, LibReadPCX) &&
        Bind(module, cvimg::kOrdReadBmp, LibReadBMP) && Bind(module, cvimg::kOrdReadPng, LibReadPNG) &&
        Bind(module, cvimg::kOrdReadTiff, LibReadTIFF) &&
        Bind(module, cvimg::kOrdImageInfoW, LibImageInfoW) &&
        Bind(module, cvimg::kOrdReadJpegW, LibReadJPEGW) && Bind(module, cvimg::kOrdReadGifW, LibReadGIFW) &&
        Bind(module, cvimg::kOrdReadPcxW, LibReadPCXW) && Bind(module, cvimg::kOrdReadBmpW, LibReadBMPW) &&
        Bind(module, cvimg::kOrdReadPngW, LibReadPNGW) && Bind(module, cvimg::kOrdReadTiffW, LibReadTIFFW);
    if (!all) {
        Unload();
        return false;
    }
    // The scaled read is optional; its two forms come together or not at all.
    if (!Bind(module, cvimg::kOrdReadScaled, LibReadScaled) ||
        !Bind(module, cvimg::kOrdReadScaledW, LibReadScaledW)) {
        LibReadScaled = nullptr;
        LibReadScaledW = nullptr;
    }
    if (!Bind(module, cvimg::kOrdReadWebpW, LibReadWEBPW) ||
        !Bind(module, cvimg::kOrdReadHeifW, LibReadHEIFW) ||
        !Bind(module, cvimg::kOrdImageInfoAllW, LibImageInfoAllW) ||
        !Bind(module, cvimg::kOrdReadWebp, LibReadWEBP) || !Bind(module, cvimg::kOrdReadHeif, LibReadHEIF) ||
        !Bind(module, cvimg::kOrdImageInfoAll, LibImageInfoAll)) {
        LibReadWEBPW = LibReadHEIFW = nullptr;
        LibReadWEBP = LibReadHEIF = nullptr;
        LibImageInfoAllW = nullptr;
        LibImageInfoAll = nullptr;
    }
    if (!Bind(module, cvimg::kOrdImageInfoEx, LibImageInfoEx) ||
        !Bind(module, cvimg::kOrdReadEx, LibReadEx)) {
        LibImageInfoEx = nullptr;
        LibReadEx = nullptr;
    }
    return true;
}

std::string CvImgLib::Message(int16_t code) const {
    if (!module_) return {};
    // At most 255 characters, counted as the system counts them (UTF-16 units).
    wchar_t text[256] = L"";
    const int n =
        LoadStringW(module_.Get(), static_cast<uint16_t>(code), text, static_cast<int>(std::size(text)));
    return Utf8(std::wstring_view(text, n > 0 ? static_cast<size_t>(n) : 0));
}

} // namespace corv
