#include "thumbs/thumbdecode.h"

namespace corv {

PhotoOptions ThumbPhotoOptions(HWND window) {
    PhotoOptions photo = PhotoOptionsFor(window);
    photo.flags |= cvimg::kPhotoPreview;
    return photo;
}

ThumbResult DecodeThumb(const CvImgLib& library, const ThumbRequest& request) {
    ThumbResult result;
    if (!library.Loaded()) return result; // code 0: the user-interface side says the module is missing
    result.header = ReadHeader(library, request.fileName, request.photo);
    if (result.header.code < 1) return result;
    result.box = PictureBox(result.header.width, result.header.height, request.sizes);
    const FormatEntry* format = FindFormat(request.fileName);
    if (!format || !ReadOrdinal(format->kind)) {
        result.picture.code = 0;
        return result;
    }
    // A box with no area (a picture a thousand times wider than high) has nothing to draw.
    if (result.box.width < 1 || result.box.height < 1) {
        result.picture.code = 1;
        return result;
    }
    result.picture = DecodePicture(library, *format, request.fileName, request.depth, request.dither,
                                   result.box.width, result.box.height, request.photo);
    return result;
}

} // namespace corv
