// Bitmap resources of the program itself, loaded as pictures ("120.RES", "LOGO.RES").
#pragma once
#include "base/handles.h"

#include <windows.h>

#include <string>

namespace corv {

struct ResourceBitmap {
    BitmapHandle bitmap;
    PaletteHandle palette;
};

// The resource name of a ".RES" file name: its name part, at most 64 characters, cut before the first ".".
std::string ResourceNameOf(const std::string& fileName);

// Loads the bitmap resource named (or numbered, when the name is a decimal number) from the module, with a
// palette made from its colour table, as a device-dependent bitmap for the given window's display.
// Both handles are empty when the resource is missing or malformed.
ResourceBitmap LoadResourceBitmap(HMODULE module, const std::string& resourceName, HWND window);

} // namespace corv
