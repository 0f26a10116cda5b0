// Header information of any bytes: must never read outside them.
#include "cvimg/info.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    cvimg::PictureInfo info;
    (void)cvimg::ReadPictureInfo({data, size}, info);
    (void)cvimg::ReadPictureInfo({data, size}, info, true);
    return 0;
}
