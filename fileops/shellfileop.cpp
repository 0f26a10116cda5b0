#include "fileops/shellfileop.h"

#include "base/pathrules.h"
#include "base/wide.h"
#include "settings/system.h"

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

// The names of a shell file list, up to its closing second NUL.
std::vector<std::string> SplitShellFileList(const std::string& list) {
    std::vector<std::string> names;
    std::size_t start = 0;
    while (start < list.size() && list[start] != '\0') {
        std::size_t end = list.find('\0', start);
        if (end == std::string::npos) end = list.size();
        names.push_back(list.substr(start, end - start));
        start = end + 1;
    }
    return names;
}

// The same list as the wide text SHFileOperationW takes.
std::wstring WideShellFileList(const std::vector<std::string>& names) {
    std::wstring list;
    for (const std::string& name : names) {
        list += Wide(name);
        list.push_back(L'\0');
    }
    list.push_back(L'\0');
    if (names.empty()) list.push_back(L'\0');
    return list;
}

// Why the shell would act on another file than the one named, one line per fault; "" when it would not.
// The shell takes no "\\?\" form, so such a name cannot be handed to it exactly. A pattern's last name
// is matched by the shell against the real names, so only the folders before it count there.
std::string WhyNotExact(const std::string& name) {
    const std::size_t lastSlash = name.find_last_of('\\');
    const bool pattern =
        name.find_first_of("*?", lastSlash == std::string::npos ? 0 : lastSlash) != std::string::npos;
    const std::string folders = lastSlash == std::string::npos ? std::string() : name.substr(0, lastSlash);
    std::string why;
    const auto add = [&why, &name](const char* reason) {
        if (!why.empty()) why += '\r';
        why += "Cannot act on " + name + " exactly: " + reason + " !";
    };
    if (PathRulesWouldChange(pattern ? folders : name)) add("its name ends with a blank or a dot");
    if (TooLongForOrdinaryCalls(name)) add("the path is too long");
    return why;
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

    const std::vector<std::string> sources =
        readyList ? SplitShellFileList(*readyList) : std::vector<std::string>{SourceFiles};
    const std::vector<std::string> dests =
        kind == foDelete ? std::vector<std::string>{} : std::vector<std::string>{DestFiles};

    // Refused before anything is done: nothing is changed, the list included.
    std::string refusal;
    for (const std::vector<std::string>* names : {&sources, &dests})
        for (const std::string& name : *names)
            if (const std::string why = WhyNotExact(name); !why.empty())
                refusal += (refusal.empty() ? "" : "\r") + why;
    if (!refusal.empty()) {
        BeepMessageBox(owner, MB_ICONSTOP, MB_OK, refusal, "Error");
        return;
    }

    const std::wstring source = WideShellFileList(sources);
    const std::wstring dest = WideShellFileList(dests);

    SHFILEOPSTRUCTW request{};
    request.hwnd = owner;
    request.wFunc = ShellCode(kind);
    request.pFrom = source.c_str();
    request.pTo = dest.c_str();
    request.fFlags = FOF_ALLOWUNDO;
    request.fAnyOperationsAborted = FALSE;
    request.hNameMappings = nullptr;
    request.lpszProgressTitle = L"";
    // The shell reports its own failures to the user; the list is refreshed whatever happened.
    SHFileOperationW(&request);

    if (!g_list) return;
    g_list->Update();
    int index = remembered;
    if (index > g_list->Count() - 1) --index;
    g_list->SelectIndex(index);
}

} // namespace corv
