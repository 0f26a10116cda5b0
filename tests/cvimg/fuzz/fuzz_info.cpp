// Header information and photo metadata of any bytes: must never read outside them.
#include "cvimg/info.h"
#include "cvimg/photometa.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    cvimg::PictureInfo info;
    (void)cvimg::ReadPictureInfo({data, size}, info);
    (void)cvimg::ReadPictureInfo({data, size}, info, true);
    cvimg::PhotoMeta meta;
    cvimg::ReadPhotoMeta({data, size}, meta);
    // The metadata inside an EXIF block alone, as PNG's eXIf carries it.
    cvimg::ReadExif({data, size}, meta);
    return 0;
}
