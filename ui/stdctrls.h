// The controls the windows are built from: panels, labels, buttons, the drive selector and the custom
// control with a canvas that picture views derive from.
#pragma once
#include "ui/control.h"

namespace corv::ui {

enum class Bevel { None, Lowered, Raised };
enum class Alignment { Left, Center, Right };

// Draws width rings of a 3-D frame inside the rectangle and shrinks it by them.
void Frame3D(HDC dc, RECT& rect, COLORREF topLeft, COLORREF bottomRight, int width);

// A container with bevels and an optional caption drawn in its own font.
class Panel : public Control {
  public:
    explicit Panel(Component* owner);
    Bevel BevelInner() const { return bevelInner_; }
    Bevel BevelOuter() const { return bevelOuter_; }
    int BevelWidth() const { return bevelWidth_; }
    int BorderWidth() const { return borderWidth_; }
    void SetBevels(Bevel inner, Bevel outer, int bevelWidth, int borderWidth);
    bool InTabList() const override { return true; }

  protected:
    void GetCreateParams(CreateParams& params) override;
    void Paint(HDC canvas, const RECT& client) override;

  private:
    Bevel bevelInner_ = Bevel::None;
    Bevel bevelOuter_ = Bevel::Raised;
    int bevelWidth_ = 1;
    int borderWidth_ = 0;
};

// A line of text; takes no focus and has no tab order.
class Label : public Control {
  public:
    explicit Label(Component* owner);
    Alignment GetAlignment() const { return alignment_; }
    void SetAlignment(Alignment alignment);
    // Sized to its text (the default) or kept at the size given.
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    // With ShowAccelChar off an "&" is shown as it is; on, it marks a mnemonic for FocusControl.
    bool ShowAccelChar() const { return showAccelChar_; }
    void SetShowAccelChar(bool value);
    // Off, the text stays on one line, clipped at the label's edge with an ellipsis; for a label of fixed
    // width that shows a name, which has no good place to break.
    bool WordWrap() const { return wordWrap_; }
    void SetWordWrap(bool value);
    void SetFocusControl(Control* control) { focusControl_ = control; }
    // For the many labels of a grid, where every window costs: the label is drawn by its parent.
    using Control::SetWindowless;
    void SetCaption(const std::string& text) override;
    bool InTabList() const override { return false; }
    char Mnemonic() const override;
    void ActivateMnemonic() override;

  protected:
    void GetCreateParams(CreateParams& params) override;
    void FontChanged() override;
    // A windowless label's text, drawn as the static control draws it.
    void Paint(HDC canvas, const RECT& client) override;

  private:
    // Gives the existing window the text style the properties now ask for.
    void Restyle();
    void AdjustSize();
    DWORD TextStyle() const;
    Alignment alignment_ = Alignment::Left;
    bool autoSize_ = true;
    bool showAccelChar_ = true;
    bool wordWrap_ = true;
    Control* focusControl_ = nullptr;
};

class Button : public Control {
  public:
    explicit Button(Component* owner);
    // Enter clicks the default button of the form, Esc its cancel button.
    void SetDefault(bool value);
    void SetCancel(bool value);
    bool IsDefault() const { return default_; }
    // Clicking a button with a modal result closes its modal form with that result.
    int ModalResult() const { return modalResult_; }
    void SetModalResult(int result) { modalResult_ = result; }
    void Click() override;
    char Mnemonic() const override;
    void ActivateMnemonic() override;
    bool ClicksOnEnter() const override { return true; }

  protected:
    void GetCreateParams(CreateParams& params) override;
    bool Notify(WORD code) override;
    HBRUSH CtlColor(HDC dc) override;

  private:
    bool default_ = false;
    bool cancel_ = false;
    int modalResult_ = 0;
};

// A one-line text field.
class Edit : public Control {
  public:
    explicit Edit(Component* owner);
    // The text as it stands now, typed or set.
    std::string Text() const;
    void SetText(const std::string& text);
    // Selects the whole text (as a field does when it is entered with Tab).
    void SelectAll();
    // The selected range, in characters.
    int SelStart() const;
    int SelLength() const;

  protected:
    void GetCreateParams(CreateParams& params) override;
    // Entered from the keyboard the whole text is selected, so typing replaces it.
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;
};

// The drives of the system in a drop-down list, letters in upper case. OnChange reports a new drive,
// chosen by the user or set by the program.
class DriveComboBox : public Control {
  public:
    explicit DriveComboBox(Component* owner);
    char Drive() const { return drive_; }
    void SetDrive(char drive);
    // Reads the system's drives again; the current drive stays selected when it still exists.
    void ReadDrives();
    int ItemCount() const;
    std::string ItemText(int index) const;

  protected:
    void GetCreateParams(CreateParams& params) override;
    bool Notify(WORD code) override;
    int WindowHeightFor(int height) const override { return height + 200; }
    void BoundsChanged() override;
    void HandleCreated() override;

  private:
    void SelectDrive();
    void FitSelectionHeight();
    char drive_ = 'C';
};

// A frame with a caption around a group of controls, which are its children. Its mnemonic moves the
// focus to the first control inside that can take it.
class GroupBox : public Control {
  public:
    explicit GroupBox(Component* owner);
    char Mnemonic() const override;
    void ActivateMnemonic() override;

  protected:
    void GetCreateParams(CreateParams& params) override;
    void Paint(HDC canvas, const RECT& client) override;
};

// A drop-down list of fixed items (no typing). OnChange reports a choice of the user, not one the
// program makes with SetItemIndex.
class ComboBox : public Control {
  public:
    explicit ComboBox(Component* owner);
    void SetItems(const std::vector<std::string>& items);
    int ItemCount() const { return static_cast<int>(items_.size()); }
    const std::string& Item(int index) const { return items_.at(static_cast<std::size_t>(index)); }
    // -1: nothing chosen.
    int ItemIndex() const;
    void SetItemIndex(int index);
    // Lines shown when the list is dropped down.
    int DropDownCount() const { return dropDownCount_; }
    void SetDropDownCount(int lines);
    bool DroppedDown() const;

  protected:
    void GetCreateParams(CreateParams& params) override;
    bool Notify(WORD code) override;
    int WindowHeightFor(int height) const override;
    void HandleCreated() override;

  private:
    std::vector<std::string> items_;
    int itemIndex_ = -1;
    int dropDownCount_ = 8;
};

enum class CheckState { Unchecked, Checked, Grayed };

// A check box. With AllowGrayed a click moves it unchecked -> grayed -> checked -> unchecked (the
// system's own three-state box goes the other way round). OnClick follows every click, from the mouse,
// the space bar or the mnemonic; a state the program sets raises nothing.
class CheckBox : public Control {
  public:
    explicit CheckBox(Component* owner);
    CheckState State() const { return state_; }
    void SetState(CheckState state);
    bool Checked() const { return state_ == CheckState::Checked; }
    void SetChecked(bool value) { SetState(value ? CheckState::Checked : CheckState::Unchecked); }
    bool AllowGrayed() const { return allowGrayed_; }
    void SetAllowGrayed(bool value);
    void Click() override;
    char Mnemonic() const override;
    void ActivateMnemonic() override;

  protected:
    void GetCreateParams(CreateParams& params) override;
    bool Notify(WORD code) override;
    void HandleCreated() override;

  private:
    CheckState state_ = CheckState::Unchecked;
    bool allowGrayed_ = false;
};

// A windowed control of our own with a canvas: paint it through Paint or OnPaint.
class CustomControl : public Control {
  public:
    explicit CustomControl(Component* owner, std::string className = "TCustomControl");
    // Opaque controls paint every pixel themselves: the background is not erased first.
    bool Opaque() const { return opaque_; }
    void SetOpaque(bool value) { opaque_ = value; }

  protected:
    void GetCreateParams(CreateParams& params) override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

  private:
    std::string className_;
    bool opaque_ = false;
};

// Shows the program's icon at its top left corner.
class IconView : public CustomControl {
  public:
    explicit IconView(Component* owner) : CustomControl(owner, "TIconView") {}

  protected:
    void Paint(HDC canvas, const RECT& client) override;
};

} // namespace corv::ui
