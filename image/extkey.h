// The extension key of a file name: how the viewer tells picture types apart. Portable.
#pragma once
#include <string>

namespace corv {

// The text from the last "." (when no ":" or "\" follows it), upper-cased, cut to four characters (code
// points of the UTF-8 text): "A.TIFF" gives ".TIF", "A.jpeg" gives ".JPE", "C:\MY.DIR\FILE" gives "".
std::string ExtensionKey(const std::string& fileName);
// The same text not cut: "A.TIFF" gives ".TIFF", "B.avif" gives ".AVIF".
std::string FullExtension(const std::string& fileName);

} // namespace corv
