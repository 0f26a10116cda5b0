#include "settings/system.h"

#include "base/mainwindow.h"
#include "base/wide.h"

#include <shellapi.h>

#include <vector>

namespace corv {

namespace {
MessageBoxHandler& Handler() {
    static MessageBoxHandler handler;
    return handler;
}
} // namespace

std::string GetWindowsDir() {
    // Sized by asking first: a long Windows directory must not be cut.
    std::vector<wchar_t> buffer(MAX_PATH + 1);
    for (;;) {
        const UINT length = GetWindowsDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
        if (length == 0) return {};
        if (length < buffer.size()) return Utf8(std::wstring_view(buffer.data(), length));
        buffer.resize(length + 1);
    }
}

int BeepMessageBox(HWND owner, UINT beepType, UINT buttons, const std::string& text,
                   const std::string& caption) {
    MessageBeep(beepType);
    if (const MessageBoxHandler& handler = Handler())
        return handler(MessageBoxRequest{owner, beepType, buttons, text, caption});
    return MessageBoxW(owner, Wide(text).c_str(), Wide(caption).c_str(), beepType + buttons);
}

MessageBoxHandler SetMessageBoxHandler(MessageBoxHandler handler) {
    MessageBoxHandler previous = std::move(Handler());
    Handler() = std::move(handler);
    return previous;
}

int ShellExecuteFile(const std::string& fileName, const std::string& parameters, const std::string& directory,
                     int showCommand) {
    const HINSTANCE result = ShellExecuteW(MainWindowHandle(), nullptr, Wide(fileName).c_str(),
                                           Wide(parameters).c_str(), Wide(directory).c_str(), showCommand);
    return static_cast<int>(reinterpret_cast<INT_PTR>(result) & 0xFFFF);
}

} // namespace corv
