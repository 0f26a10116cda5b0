// Program-wide application state: the main window, the event loop, the title, the screen cursor, help.
#pragma once
#include "base/mainwindow.h"

#include <windows.h>

#include <deque>
#include <functional>
#include <string>

namespace corv {

namespace ui {

class Form;

enum class ScreenCursor { Default, HourGlass, None };

class Application {
  public:
    static Application& Instance();

    // Shows the main form and runs the event loop until the program is asked to end.
    void Run(Form& mainForm);
    Form* MainForm() const { return mainForm_; }
    void SetMainForm(Form* form);
    // Takes and handles one message; when the queue is empty it runs one idle task instead, and waits for
    // a message when there is none. False once the loop must end.
    bool HandleMessage();
    // Handles every message waiting in the queue and every idle task, then returns (for tests, which
    // drive the loop themselves).
    void ProcessMessages();
    // Runs the task once the loop has nothing else to do: after every waiting message, input and paint
    // included. Tasks run one per pass of the loop, in the order queued; modal loops don't run them.
    void QueueIdleTask(std::function<void()> task);

    // While input is held, the loop takes no keyboard or mouse input: it stays in the queue and is
    // handled in order once the last hold ends, as if the thread had been busy all along. Posted, sent
    // and paint messages go on. Holds nest.
    void HoldInput() { ++inputHolds_; }
    void ReleaseInput() {
        if (inputHolds_ > 0) --inputHolds_;
    }
    bool InputHeld() const { return inputHolds_ > 0; }
    // Ends the event loop (and so the program) once the current message is handled.
    void Terminate();
    bool Terminated() const { return terminated_; }
    // For tests that run several main forms in one process.
    void ResetTerminated() { terminated_ = false; }

    const std::string& Title() const { return title_; }
    void SetTitle(const std::string& title) { title_ = title; }

    // Sees every message the loop takes from the queue before anything else; true means handled.
    using MessageHook = std::function<bool(MSG& message)>;
    MessageHook SetMessageHook(MessageHook hook);
    // Offers a message to the hook; also used by windows for the messages sent to them directly.
    bool OfferToHook(MSG& message);

    // A cursor for the whole screen (hourglass while busy, none in the full-screen view); Default gives
    // every control its own cursor again.
    void SetScreenCursor(ScreenCursor cursor);
    ScreenCursor GetScreenCursor() const { return screenCursor_; }

    const std::string& HelpFile() const { return helpFile_; }
    void SetHelpFile(const std::string& file) { helpFile_ = file; }
    // Asks the help system; nothing happens without a help file.
    bool HelpCommand(UINT command, ULONG_PTR data);
    // Opens the topic of a window's help context (the help file's context map names it); a window
    // without a context (0) has no topic.
    bool ContextHelp(int context);

    // The show command the program was started with (SW_SHOWDEFAULT unless the entry says otherwise).
    int CmdShow() const { return cmdShow_; }
    void SetCmdShow(int command) { cmdShow_ = command; }

  private:
    Application() = default;
    void Dispatch(MSG& message);
    // Takes a waiting message the hold allows; false when there is none.
    bool Take(MSG& message);
    bool RunIdleTask();

    Form* mainForm_ = nullptr;
    bool terminated_ = false;
    std::string title_;
    MessageHook hook_;
    ScreenCursor screenCursor_ = ScreenCursor::Default;
    std::string helpFile_;
    int cmdShow_ = SW_SHOWDEFAULT;
    int inputHolds_ = 0;
    std::deque<std::function<void()>> idleTasks_;
};

// Holds the input for the life of the object.
class InputHold {
  public:
    InputHold();
    ~InputHold();
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;
};

inline Application& App() {
    return Application::Instance();
}

} // namespace ui
} // namespace corv
