// Work handed back to the user-interface thread: a worker's result comes back as a message posted to a
// hidden message-only window, and the task runs when whatever message loop is running takes it.
#pragma once
#include "base/handles.h"

#include <deque>
#include <functional>
#include <mutex>

namespace corv {
namespace ui {

class TaskWindow {
  public:
    using Task = std::function<void()>;

    // The program's one task window; the first call must come from the user-interface thread.
    static TaskWindow& Instance();
    ~TaskWindow();
    TaskWindow(const TaskWindow&) = delete;
    TaskWindow& operator=(const TaskWindow&) = delete;

    // From any thread: the task runs on the window's thread, one task per message, in the order posted.
    // Once the window is gone a task is dropped unrun.
    void Post(Task task);

  private:
    TaskWindow();
    static LRESULT CALLBACK Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    void RunOne();

    HWND window_ = nullptr;
    std::mutex mutex_;
    std::deque<Task> tasks_;
};

} // namespace ui
} // namespace corv
