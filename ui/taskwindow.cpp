#include "ui/taskwindow.h"

namespace corv {
namespace ui {

namespace {
constexpr UINT kRunTask = WM_APP + 0x51;
constexpr wchar_t kClassName[] = L"CorvaneTasks";
} // namespace

TaskWindow& TaskWindow::Instance() {
    static TaskWindow instance;
    return instance;
}

TaskWindow::TaskWindow() {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = &TaskWindow::Procedure;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    RegisterClassW(&windowClass);
    window_ = CreateWindowExW(0, kClassName, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                              GetModuleHandleW(nullptr), nullptr);
    SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

TaskWindow::~TaskWindow() {
    HWND window = nullptr;
    std::deque<Task> dropped; // destroyed outside the lock: a task may own big things
    {
        std::lock_guard lock(mutex_);
        window = window_;
        window_ = nullptr;
        dropped.swap(tasks_);
    }
    if (window) DestroyWindow(window);
}

void TaskWindow::Post(Task task) {
    std::lock_guard lock(mutex_);
    if (!window_) return;
    tasks_.push_back(std::move(task));
    PostMessageW(window_, kRunTask, 0, 0);
}

void TaskWindow::RunOne() {
    Task task;
    {
        std::lock_guard lock(mutex_);
        if (tasks_.empty()) return;
        task = std::move(tasks_.front());
        tasks_.pop_front();
    }
    if (task) task();
}

LRESULT CALLBACK TaskWindow::Procedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kRunTask) {
        if (auto* self = reinterpret_cast<TaskWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA)))
            self->RunOne();
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace ui
} // namespace corv
