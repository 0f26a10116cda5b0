#include "ui/application.h"

#include "base/wide.h"

#include "ui/control.h"
#include "ui/form.h"

namespace corv {

namespace ui {

Application& Application::Instance() {
    static Application application;
    return application;
}

void Application::SetMainForm(Form* form) {
    mainForm_ = form;
    SetMainWindowHandle(form ? form->Handle() : nullptr);
}

void Application::Run(Form& mainForm) {
    SetMainForm(&mainForm);
    mainForm.Show();
    while (HandleMessage()) {
    }
}

namespace {
// What the loop takes while input is held: everything but keyboard and mouse input.
constexpr UINT kHeldPeek = PM_QS_POSTMESSAGE | PM_QS_PAINT | PM_QS_SENDMESSAGE;
constexpr DWORD kHeldWake = QS_POSTMESSAGE | QS_HOTKEY | QS_TIMER | QS_PAINT | QS_SENDMESSAGE;
} // namespace

bool Application::Take(MSG& message) {
    return PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | (InputHeld() ? kHeldPeek : 0)) != FALSE;
}

bool Application::RunIdleTask() {
    if (idleTasks_.empty()) return false;
    std::function<void()> task = std::move(idleTasks_.front());
    idleTasks_.pop_front();
    if (task) task();
    return true;
}

void Application::QueueIdleTask(std::function<void()> task) {
    idleTasks_.push_back(std::move(task));
}

bool Application::HandleMessage() {
    if (terminated_) return false;
    MSG message;
    while (!Take(message)) {
        if (RunIdleTask()) return !terminated_;
        // Wakes only for what arrives after the look above, so input left waiting under a hold does not
        // wake it again and again.
        MsgWaitForMultipleObjectsEx(0, nullptr, INFINITE, InputHeld() ? kHeldWake : QS_ALLINPUT, 0);
    }
    if (message.message == WM_QUIT) {
        terminated_ = true;
        return false;
    }
    Dispatch(message);
    return !terminated_;
}

void Application::ProcessMessages() {
    MSG message;
    for (;;) {
        if (Take(message)) {
            if (message.message == WM_QUIT) {
                terminated_ = true;
                // Leave it for the outer loop too, which ends on it.
                PostQuitMessage(static_cast<int>(message.wParam));
                return;
            }
            Dispatch(message);
        } else if (!RunIdleTask()) {
            return;
        }
    }
}

void Application::Terminate() {
    if (!terminated_) PostQuitMessage(0);
    terminated_ = true;
}

Application::MessageHook Application::SetMessageHook(MessageHook hook) {
    std::swap(hook, hook_);
    return hook;
}

bool Application::OfferToHook(MSG& message) {
    return hook_ && hook_(message);
}

void Application::Dispatch(MSG& message) {
    if (OfferToHook(message)) return;
    switch (message.message) {
    case WM_KEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_CHAR:
    case WM_SYSCHAR:
        if (Control* control = Control::FromHandleOrAncestor(message.hwnd))
            if (control->PreProcessKey(message)) return;
        break;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
}

void Application::SetScreenCursor(ScreenCursor cursor) {
    screenCursor_ = cursor;
    switch (cursor) {
    case ScreenCursor::HourGlass:
        ::SetCursor(LoadCursor(nullptr, IDC_WAIT));
        break;
    case ScreenCursor::None:
        ::SetCursor(nullptr);
        break;
    case ScreenCursor::Default: {
        // Let the window under the pointer choose its cursor again.
        POINT point;
        GetCursorPos(&point);
        SetCursorPos(point.x, point.y);
        ::SetCursor(LoadCursor(nullptr, IDC_ARROW));
        break;
    }
    }
}

bool Application::HelpCommand(UINT command, ULONG_PTR data) {
    if (helpFile_.empty()) return false;
    return WinHelpW(MainWindowHandle(), Wide(helpFile_).c_str(), command, data) != FALSE;
}

bool Application::ContextHelp(int context) {
    if (context == 0) return false;
    return HelpCommand(HELP_CONTEXT, static_cast<ULONG_PTR>(context));
}

InputHold::InputHold() {
    App().HoldInput();
}

InputHold::~InputHold() {
    App().ReleaseInput();
}

} // namespace ui
} // namespace corv
