#include "fileops/shellfileop.h"

#include <shellapi.h>

namespace corv {

std::string SourceFiles;
std::string DestFiles;

namespace {
FileOpList* g_list = nullptr;

UINT ShellCode(int kind) {
    switch (kind) {
    case foDelete:
        return FO_DELETE;
    case foRename:
        return FO_RENAME;
    case foMove:
        return FO_MOVE;
    default:
        return FO_COPY;
    }
}
} // namespace

void SetFileOpList(FileOpList* list) {
    g_list = list;
}

std::string MakeShellFileList(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) {
        list += name;
        list.push_back('\0');
    }
    list.push_back('\0');
    if (names.empty()) list.push_back('\0');
    return list;
}

void ShellFileOp(HWND owner, int kind, const std::string* readyList) {
    const int remembered = g_list ? g_list->ItemIndex() : -1;

    const std::string source = readyList ? *readyList : MakeShellFileList({SourceFiles});
    const std::string dest = kind == foDelete ? MakeShellFileList({}) : MakeShellFileList({DestFiles});

    SHFILEOPSTRUCTA request{};
    request.hwnd = owner;
    request.wFunc = ShellCode(kind);
    request.pFrom = source.c_str();
    request.pTo = dest.c_str();
    request.fFlags = FOF_ALLOWUNDO;
    request.fAnyOperationsAborted = FALSE;
    request.hNameMappings = nullptr;
    request.lpszProgressTitle = "";
    // The shell reports its own failures to the user; the list is refreshed whatever happened.
    SHFileOperationA(&request);

    if (!g_list) return;
    g_list->Update();
    int index = remembered;
    if (index > g_list->Count() - 1) --index;
    g_list->SelectIndex(index);
}

} // namespace corv
