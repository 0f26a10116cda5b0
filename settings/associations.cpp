#include "settings/associations.h"

#include "base/files.h"
#include "settings/registry.h"
#include "settings/system.h"

#include <windows.h>
#include <shlobj.h>

namespace corv {

const char* const AssocExtensions[AssocCount] = {".BMP", ".GIF", ".JPG", ".PCX", ".TIF"};
int AssocState[AssocCount] = {asNone, asNone, asNone, asNone, asNone};

namespace {
bool NamesUs(const std::string& fileType) {
    return UpperCase(fileType) == UpperCase(FileTypeName);
}
} // namespace

int AssocStateOf(const std::string& fileType) {
    if (fileType.empty()) return asNone;
    return NamesUs(fileType) ? asThis : asOther;
}

void ReadAssociations() {
    for (int i = 0; i < AssocCount; ++i)
        AssocState[i] = AssocStateOf(RegReadString(HKEY_CLASSES_ROOT, AssocExtensions[i], ""));
}

void WriteAssociations() {
    bool changed = false;
    for (int i = 0; i < AssocCount; ++i) {
        const char* extension = AssocExtensions[i];
        const std::string fileType = RegReadString(HKEY_CLASSES_ROOT, extension, "");
        if (AssocState[i] == asThis) {
            if (fileType != FileTypeName)
                changed |= RegWriteString(HKEY_CLASSES_ROOT, extension, "", FileTypeName);
        } else if (AssocState[i] == asNone && NamesUs(fileType)) {
            changed |= RegRemoveValue(HKEY_CLASSES_ROOT, extension, "");
            if (RegKeyIsEmpty(HKEY_CLASSES_ROOT, extension)) RegRemoveKey(HKEY_CLASSES_ROOT, extension);
        }
    }
    if (changed) SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
}

} // namespace corv
