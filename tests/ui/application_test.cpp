// The application object and the controls' events: the loop, the hook, the screen cursor.
#include "tests/ui/uitest.h"
#include "ui/application.h"
#include "ui/form.h"
#include "ui/stdctrls.h"

#include <gtest/gtest.h>

namespace corv::ui {
namespace {

using test::Pump;

class EventForm : public ::testing::Test {
  protected:
    void SetUp() override {
        App().ResetTerminated();
        form = std::make_unique<Form>(nullptr, FormStyle{.className = "TEventForm"});
        form->SetBounds(20, 20, 300, 200);
        canvas = new CustomControl(form.get());
        canvas->SetBounds(10, 10, 100, 80);
        canvas->SetTabStop(true);
        canvas->SetParent(form.get());
        button = new Button(form.get());
        button->SetBounds(150, 10, 80, 24);
        button->SetParent(form.get());
        form->Show();
        Pump();
    }
    void TearDown() override {
        App().SetMessageHook(nullptr);
        App().SetScreenCursor(ScreenCursor::Default);
        form.reset();
        MSG message;
        while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
        }
        App().ResetTerminated();
    }
    void Click(Control& control, int x, int y) {
        PostMessageA(control.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
        PostMessageA(control.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x, y));
        Pump();
    }
    std::unique_ptr<Form> form;
    CustomControl* canvas = nullptr;
    Button* button = nullptr;
};

TEST_F(EventForm, HookSeesQueuedMessagesFirstAndCanSwallowThem) {
    int clicks = 0;
    canvas->OnClick = [&](Control&) { ++clicks; };
    Click(*canvas, 5, 5);
    EXPECT_EQ(clicks, 1);
    int seen = 0;
    App().SetMessageHook([&](MSG& message) {
        if (message.hwnd != canvas->Handle() || message.message != WM_LBUTTONUP) return false;
        ++seen;
        return true;
    });
    Click(*canvas, 5, 5);
    EXPECT_EQ(seen, 1);
    EXPECT_EQ(clicks, 1) << "the swallowed release made no click";
    App().SetMessageHook(nullptr);
    Click(*canvas, 5, 5);
    EXPECT_EQ(clicks, 2);
    // Released outside the control: no click.
    Click(*canvas, 150, 5);
    EXPECT_EQ(clicks, 2);
}

TEST_F(EventForm, MouseFocusResizeAndPaintEvents) {
    std::vector<std::string> events;
    EXPECT_TRUE(canvas->Focused()) << "the first tab stop has the focus after showing";
    button->SetFocus();
    canvas->OnMouseDown = [&](Control&, MouseButton button, ShiftState, int x, int y) {
        events.push_back((button == MouseButton::Right ? "right " : "left ") + std::to_string(x) + "," +
                         std::to_string(y));
    };
    canvas->OnDblClick = [&](Control&) { events.push_back("double"); };
    canvas->OnEnter = [&](Control&) { events.push_back("enter"); };
    canvas->OnExit = [&](Control&) { events.push_back("exit"); };
    canvas->OnResize = [&](Control& c) { events.push_back("resize " + std::to_string(c.Width())); };
    int paints = 0;
    canvas->OnPaint = [&](Control&, HDC dc) { paints += dc != nullptr; };
    PostMessageA(canvas->Handle(), WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(7, 9));
    PostMessageA(canvas->Handle(), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(1, 2));
    Pump();
    canvas->SetFocus();
    button->SetFocus();
    canvas->SetWidth(120);
    canvas->Repaint();
    EXPECT_EQ(events,
              (std::vector<std::string>{"right 7,9", "left 1,2", "double", "enter", "exit", "resize 120"}));
    EXPECT_GE(paints, 1);
    EXPECT_EQ(form->ActiveControl(), button);
}

TEST_F(EventForm, ProcessMessagesHandlesWhatIsQueuedAndNoticesQuit) {
    int clicks = 0;
    button->OnClick = [&](Control&) { ++clicks; };
    PostMessageA(button->Handle(), BM_CLICK, 0, 0);
    PostMessageA(button->Handle(), BM_CLICK, 0, 0);
    App().ProcessMessages();
    EXPECT_EQ(clicks, 2);
    EXPECT_FALSE(App().Terminated());
    PostQuitMessage(0);
    App().ProcessMessages();
    EXPECT_TRUE(App().Terminated());
    EXPECT_FALSE(App().HandleMessage()) << "the loop ends";
}

TEST_F(EventForm, ScreenCursorOverridesTheControlsOwn) {
    auto cursorAfterSetCursor = [&](Control& control) {
        SendMessageA(control.Handle(), WM_SETCURSOR, reinterpret_cast<WPARAM>(control.Handle()),
                     MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
        return GetCursor();
    };
    canvas->SetCursor(CursorKind::Cross);
    EXPECT_EQ(cursorAfterSetCursor(*canvas), LoadCursor(nullptr, IDC_CROSS));
    App().SetScreenCursor(ScreenCursor::HourGlass);
    EXPECT_EQ(cursorAfterSetCursor(*canvas), LoadCursor(nullptr, IDC_WAIT));
    EXPECT_EQ(cursorAfterSetCursor(*button), LoadCursor(nullptr, IDC_WAIT));
    App().SetScreenCursor(ScreenCursor::None);
    EXPECT_EQ(cursorAfterSetCursor(*canvas), nullptr);
    App().SetScreenCursor(ScreenCursor::Default);
    EXPECT_EQ(cursorAfterSetCursor(*canvas), LoadCursor(nullptr, IDC_CROSS));
}

TEST(ApplicationObject, TitleAndHelpFile) {
    App().SetTitle("Corvane - [A.JPG]");
    EXPECT_EQ(App().Title(), "Corvane - [A.JPG]");
    App().SetHelpFile("");
    EXPECT_FALSE(App().HelpCommand(HELP_QUIT, 0)) << "no help file, no help";
}

} // namespace
} // namespace corv::ui
