#include "settings/system.h"

#include "ui/application.h"

#include <shellapi.h>

#include <vector>

namespace corv {

namespace {
MessageBoxHandler& Handler() {
    static MessageBoxHandler handler;
    return handler;
}
} // namespace

bool FileExists(const std::string& name) {
    const DWORD attributes = name.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(name.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool DirectoryExists(const std::string& path) {
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::string UpperCaseAnsi(std::string text) {
    if (!text.empty()) CharUpperBuffA(text.data(), static_cast<DWORD>(text.size()));
    return text;
}

std::string GetWindowsDir() {
    // Sized by asking first: a long Windows directory must not be cut.
    std::vector<char> buffer(MAX_PATH + 1);
    for (;;) {
        const UINT length = GetWindowsDirectoryA(buffer.data(), static_cast<UINT>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return std::string(buffer.data(), length);
        buffer.resize(length + 1);
    }
}

int BeepMessageBox(HWND owner, UINT beepType, UINT buttons, const std::string& text, const std::string& caption) {
    MessageBeep(beepType);
    if (const MessageBoxHandler& handler = Handler())
        return handler(MessageBoxRequest{owner, beepType, buttons, text, caption});
    return MessageBoxA(owner, text.c_str(), caption.c_str(), beepType + buttons);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}

int ShellExecuteFile(const std::string& fileName, const std::string& parameters, const std::string& directory,
                     int showCommand) {
    const HINSTANCE result = ShellExecuteA(MainWindowHandle(), nullptr, fileName.c_str(), parameters.c_str(),
                                           directory.c_str(), showCommand);
    return static_cast<int>(reinterpret_cast<INT_PTR>(result) & 0xFFFF);
}

} // namespace corv
