// Forms: top-level windows that hold controls, with key preview, focus navigation, default and cancel
// buttons, mnemonics, modal showing, automatic scroll bars, window state and close handling.
#pragma once
#include "ui/control.h"

namespace corv::ui {

enum class WindowState { Normal, Minimized, Maximized };
enum class CloseAction { None, Hide, Free };
enum class FormBorder { Sizeable, Dialog, None };
enum class FormPosition { Default, ScreenCenter };

// Results of a modal form, the same numbers as the message-box answers.
enum ModalResults : int { mrNone = 0, mrOk = IDOK, mrCancel = IDCANCEL, mrYes = IDYES, mrNo = IDNO };

class Form;
using CloseEvent = std::function<void(Form& sender, CloseAction& action)>;

struct FormStyle {
    std::string className = "TForm";
    FormBorder border = FormBorder::Sizeable;
    bool minimizeBox = true;
    bool maximizeBox = true;
    bool systemMenu = true;
    FormPosition position = FormPosition::Default;
};

// A dialog's style: a fixed frame without minimize and maximize boxes, centred on the screen.
inline FormStyle DialogStyle(const char* className) {
    return FormStyle{.className = className,
                     .border = FormBorder::Dialog,
                     .minimizeBox = false,
                     .maximizeBox = false,
                     .position = FormPosition::ScreenCenter};
}

class Form : public Control {
  public:
    Form(Component* owner, const FormStyle& style);
    ~Form() override;

    void Show();
    void Hide();
    void SetVisible(bool value) override;
    // Shows the form and runs a nested event loop until a modal result is set; every other window of the
    // program is disabled meanwhile. Returns the result.
    int ShowModal();
    bool IsModal() const { return modal_; }
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }
    // Asks the form to close: OnClose may refuse; the main form's close ends the program.
    void Close();
    // Frees the form once the messages now queued are handled.
    void Release();

    bool CaptionInClientArea() const override { return false; }

    bool KeyPreview() const { return keyPreview_; }
    void SetKeyPreview(bool value) { keyPreview_ = value; }

    WindowState GetWindowState() const;
    void SetWindowState(WindowState state);
    void SetMinimumSize(int width, int height);
    void SetClientSize(int width, int height);

    // Scroll bars appear when the controls reach past the client area.
    bool AutoScroll() const { return autoScroll_; }
    void SetAutoScroll(bool value);
    int HorzScrollPosition() const { return hpos_; }
    int VertScrollPosition() const { return vpos_; }
    bool HorzScrollVisible() const;
    bool VertScrollVisible() const;
    void ScrollTo(int horizontal, int vertical);
    void UpdateScrollBars();
    // Contents whose extent the form is told (a grid of many cells knows its own): the scroll range then
    // comes from it instead of from every control, so moving one control costs the same however many
    // there are. 0 x 0 goes back to the controls' extent.
    void SetContentExtent(int width, int height);

    Control* ActiveControl() const { return activeControl_; }
    void SetActiveControl(Control* control);
    Control* DefaultButton() const { return defaultButton_; }
    void SetDefaultButton(Control* button) { defaultButton_ = button; }
    Control* CancelButton() const { return cancelButton_; }
    void SetCancelButton(Control* button) { cancelButton_ = button; }
    // F1 in the form opens the application's help at this context (none when 0).
    int HelpContext() const { return helpContext_; }
    void SetHelpContext(int context) { helpContext_ = context; }

    // Every control of the form in focus order (depth first through the tab orders).
    std::vector<Control*> FocusOrder() const;
    // Moves the focus to the next (or previous) control that is a tab stop and can take the focus.
    bool SelectNext(Control* from, bool forward);
    // Tab, Enter, Esc and the arrows when the focused control does not want them. True when handled.
    bool DialogKey(Control& focused, WORD key, ShiftState shift);
    // Mnemonics: Alt+letter always, a plain letter when the focused control takes no characters.
    bool DialogChar(Control& focused, char key, bool alt);
    // A control took the focus: it becomes the active one and, in a scrolling form, comes into view.
    void ControlFocused(Control* control);
    // Scrolls by the least amount that shows the whole control (its start when it is larger than the
    // client area); nothing when it shows already or the form does not scroll.
    void ScrollInView(const Control& control);

    CloseEvent OnClose;
    NotifyEvent OnCreate, OnShow, OnHide;
    // Runs OnCreate: the form's constructor calls it once its controls exist.
    void DoCreate();

  protected:
    void GetCreateParams(CreateParams& params) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
    // A told extent does not change when a control moves.
    void ChildBoundsChanged() override {
        if (extentWidth_ <= 0 && extentHeight_ <= 0) UpdateScrollBars();
    }

  private:
    void DecideScrollBars();
    bool RealizeControlPalette(bool background);
    void Scroll(int bar, int request);
    void ScrollBy(int dx, int dy);
    void SetBar(int bar, bool visible, int max, int page, int pos);
    void FocusFirst();

    FormStyle style_;
    bool keyPreview_ = false;
    bool modal_ = false;
    int modalResult_ = mrNone;
    WindowState state_ = WindowState::Normal;
    int minWidth_ = 0, minHeight_ = 0;
    bool autoScroll_ = false;
    bool scrolling_ = false;
    bool scrollsPending_ = false;
    int hpos_ = 0, vpos_ = 0;
    int contentWidth_ = 0, contentHeight_ = 0;
    int extentWidth_ = 0, extentHeight_ = 0;
    // What the bars were last given: the system is only told of a change (under Wine, showing a bar that
    // shows already still redraws the whole window).
    struct BarState {
        bool visible = false;
        int max = -1, page = -1, pos = -1;
    } barState_[2];
    Control* activeControl_ = nullptr;
    Control* defaultButton_ = nullptr;
    Control* cancelButton_ = nullptr;
    int helpContext_ = 0;
    bool shownOnce_ = false;
    int sizeMessages_ = 0;
};

} // namespace corv::ui
