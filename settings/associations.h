// Which of the picture extensions open with this program: read from and written to the extension keys
// under HKEY_CLASSES_ROOT.
#pragma once
#include <string>

namespace corv {

// The file type this program registers; an extension whose default value names it opens with us.
inline constexpr const char* FileTypeName = "Corvane";

inline constexpr int AssocCount = 5;
// ".BMP", ".GIF", ".JPG", ".PCX", ".TIF", in this order.
extern const char* const AssocExtensions[AssocCount];

// What an extension's key says.
inline constexpr int asNone = -1; // no file type (no key, no default value, or an empty one)
inline constexpr int asOther = 0; // another program's file type
inline constexpr int asThis = 1;  // ours, in any case of letters

// One state per extension, in the order of AssocExtensions.
extern int AssocState[AssocCount];

// The state that an extension key's default value means.
int AssocStateOf(const std::string& fileType);

// Fills AssocState from the registry.
void ReadAssociations();

// Writes AssocState: asThis makes the key's default value our file type (nothing else of the key
// changes); asNone takes back our claim only, so a key that names another program, and what other
// programs keep in the key, stay; a key left with nothing in it goes. asOther writes nothing. When an
// extension changed, the shell is told, so that it shows the new icons and open commands.
void WriteAssociations();

} // namespace corv
