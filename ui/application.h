// Program-wide application state: the main window, the event loop, the title, the screen cursor, help.
#pragma once
#include "base/mainwindow.h"

#include <windows.h>

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
    // Takes and handles one message; waits for one when the queue is empty. False once the loop must end.
    bool HandleMessage();
    // Handles every message waiting in the queue, then returns (long operations call this).
    void ProcessMessages();
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

    Form* mainForm_ = nullptr;
    bool terminated_ = false;
    std::string title_;
    MessageHook hook_;
    ScreenCursor screenCursor_ = ScreenCursor::Default;
    std::string helpFile_;
    int cmdShow_ = SW_SHOWDEFAULT;
};

inline Application& App() {
    return Application::Instance();
}

} // namespace ui
} // namespace corv
