// The program's side of CVIMG32.DLL: loads the module, binds its seven operations and their wide-name
// forms (and the scaled read where the module has it) by ordinal and looks up the message of a result code
// in its string table. The program calls the wide forms: they take a file's name exactly.
// Once loaded, the bound operations may be called from any thread: the module keeps no shared state.
#pragma once
#include "base/handles.h"
#include "cvimg/api.h"

#include <string>

namespace corv {

class CvImgLib {
  public:
    CvImgLib() = default;
    ~CvImgLib();
    CvImgLib(const CvImgLib&) = delete;
    CvImgLib& operator=(const CvImgLib&) = delete;

    // Loads "CVIMG32.DLL" (the program's folder comes first in the search), or the module of that UTF-8
    // name, and binds every operation. False, with nothing bound, when the module or one of its operations
    // (the seven and their wide forms) is missing.
    bool Load(const std::string& moduleName = "CVIMG32.DLL");
    bool Loaded() const { return module_.Valid(); }

    // The message of a failure code: the string whose number is the code read as an unsigned 16-bit
    // value, at most 255 characters. Empty when the module has no such string.
    std::string Message(int16_t code) const;

    cvimg::LibImageInfoFn LibImageInfo = nullptr;
    cvimg::LibReadJpegFn LibReadJPEG = nullptr;
    cvimg::LibReadFn LibReadGIF = nullptr;
    cvimg::LibReadFn LibReadPCX = nullptr;
    cvimg::LibReadFn LibReadBMP = nullptr;
    cvimg::LibReadFn LibReadPNG = nullptr;
    cvimg::LibReadFn LibReadTIFF = nullptr;
    // Beyond the seven, and optional: null when the module does not offer it.
    cvimg::LibReadScaledFn LibReadScaled = nullptr;

    // The wide-name forms, which the program uses.
    cvimg::LibImageInfoWFn LibImageInfoW = nullptr;
    cvimg::LibReadJpegWFn LibReadJPEGW = nullptr;
    cvimg::LibReadWFn LibReadGIFW = nullptr;
    cvimg::LibReadWFn LibReadPCXW = nullptr;
    cvimg::LibReadWFn LibReadBMPW = nullptr;
    cvimg::LibReadWFn LibReadPNGW = nullptr;
    cvimg::LibReadWFn LibReadTIFFW = nullptr;
    // Optional like LibReadScaled, and bound only together with it.
    cvimg::LibReadScaledWFn LibReadScaledW = nullptr;
    // The photo operations (upright, in the display's colours, the camera's preview): optional, and bound
    // together or not at all.
    cvimg::LibImageInfoExFn LibImageInfoEx = nullptr;
    cvimg::LibReadExFn LibReadEx = nullptr;

    // The newer types (WebP, HEIF) and the information that knows them: optional, bound all together
    // (with their ANSI forms, for other callers) or not at all.
    cvimg::LibReadWFn LibReadWEBPW = nullptr;
    cvimg::LibReadWFn LibReadHEIFW = nullptr;
    cvimg::LibImageInfoWFn LibImageInfoAllW = nullptr;
    cvimg::LibReadFn LibReadWEBP = nullptr;
    cvimg::LibReadFn LibReadHEIF = nullptr;
    cvimg::LibImageInfoFn LibImageInfoAll = nullptr;

  private:
    void Unload();
    LibraryHandle module_;
};

} // namespace corv
