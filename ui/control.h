// Components and controls: the base of the window framework over real Win32 windows.
// Every component has an owner that frees it; every control wraps one window, created when the control
// gets its parent and destroyed with the control (or with its parent window, whichever comes first).
#pragma once
#include "base/handles.h"

#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace corv::ui {

// A colour: an RGB value, or one of the system's colours (high bit set, low byte the COLOR_ index).
using Color = std::uint32_t;
constexpr Color SystemColor(int index) {
    return 0x80000000u | static_cast<Color>(index);
}
constexpr Color clBtnFace = SystemColor(COLOR_BTNFACE);
constexpr Color clWindow = SystemColor(COLOR_WINDOW);
constexpr Color clWindowText = SystemColor(COLOR_WINDOWTEXT);
constexpr Color clBlack = RGB(0, 0, 0);
COLORREF ToRgb(Color color);

struct FontSpec {
    std::string name = "MS Sans Serif";
    int height = -11; // negative: character height in pixels, as LOGFONT takes it
    bool bold = false;
    Color color = clWindowText;
    bool operator==(const FontSpec&) const = default;
};

enum ShiftState : unsigned { ssNone = 0, ssShift = 1, ssCtrl = 2, ssAlt = 4 };
ShiftState CurrentShiftState();
enum class MouseButton { Left, Right, Middle };
enum class CursorKind { Default, Arrow, HourGlass, Cross, IBeam, HandPoint, None };
HCURSOR CursorHandle(CursorKind kind);

class Component;
class Control;
class Form;
class PopupMenu;

using NotifyEvent = std::function<void(Control& sender)>;
// Setting key to 0 consumes the key: nothing after the handler sees it.
using KeyEvent = std::function<void(Control& sender, WORD& key, ShiftState shift)>;
using KeyPressEvent = std::function<void(Control& sender, char& key)>;
using MouseEvent = std::function<void(Control& sender, MouseButton button, ShiftState shift, int x, int y)>;
using PaintEvent = std::function<void(Control& sender, HDC canvas)>;
// Dragging one control's item onto a control: x and y in the target's client area; accept starts true.
using DragOverEvent = std::function<void(Control& sender, Control& source, int x, int y, bool& accept)>;
using DragDropEvent = std::function<void(Control& sender, Control& source, int x, int y)>;

class Component {
  public:
    // The new component joins its owner's list; the owner frees it unless it is freed first.
    explicit Component(Component* owner);
    virtual ~Component();
    Component(const Component&) = delete;
    Component& operator=(const Component&) = delete;

    Component* Owner() const { return owner_; }
    const std::string& Name() const { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    Component* FindComponent(const std::string& name) const;
    const std::vector<Component*>& Components() const { return components_; }

  private:
    Component* owner_;
    std::string name_;
    std::vector<Component*> components_; // owned, in creation order
};

struct Bounds {
    int left = 0, top = 0, width = 0, height = 0;
};

class Control : public Component {
  public:
    explicit Control(Component* owner);
    ~Control() override;

    HWND Handle() const { return hwnd_; }
    bool HandleAllocated() const { return hwnd_ != nullptr; }
    static Control* FromHandle(HWND window);
    // The nearest control that wraps the window or one of its ancestors.
    static Control* FromHandleOrAncestor(HWND window);

    Control* Parent() const { return parent_; }
    // Puts the control into its parent and creates its window there; under a parent that has no window
    // yet, the window is made with the parent's. Creating a window as it is to be seen costs less than
    // changing it after: set the properties first.
    void SetParent(Control* parent);
    const std::vector<Control*>& Children() const { return children_; }
    Form* ParentForm();

    int Left() const { return Position().left; }
    int Top() const { return Position().top; }
    int Width() const { return Position().width; }
    int Height() const { return Position().height; }
    Bounds Position() const;
    virtual void SetBounds(int left, int top, int width, int height);
    void SetLeft(int v) { SetBounds(v, Top(), Width(), Height()); }
    void SetTop(int v) { SetBounds(Left(), v, Width(), Height()); }
    void SetWidth(int v) { SetBounds(Left(), Top(), v, Height()); }
    void SetHeight(int v) { SetBounds(Left(), Top(), Width(), v); }
    int ClientWidth() const;
    int ClientHeight() const;

    std::string Caption() const;
    virtual void SetCaption(const std::string& text);
    // Own windows that draw their caption inside (panels) repaint when it changes; a form's caption
    // stands in its frame, which the system redraws.
    virtual bool CaptionInClientArea() const { return true; }

    Color GetColor() const;
    void SetColor(Color color);
    bool ParentColor() const { return parentColor_; }
    void SetParentColor(bool value);
    // The brush of the control's colour, owned by the control (or its parent while it takes the parent's).
    HBRUSH ColorBrush();

    const FontSpec& Font() const;
    void SetFont(const FontSpec& font);
    bool ParentFont() const { return parentFont_; }
    HFONT FontHandle() const;

    bool Enabled() const;
    void SetEnabled(bool value);
    bool Visible() const { return visible_; }
    virtual void SetVisible(bool value);
    // Visible with every parent visible too.
    bool Showing() const;

    // Position among the parent's controls that take part in Tab navigation.
    int TabOrder() const;
    void SetTabOrder(int order);
    bool TabStop() const { return tabStop_; }
    void SetTabStop(bool value);
    const std::vector<Control*>& TabList() const { return tabList_; }
    virtual bool InTabList() const { return true; }

    CursorKind Cursor() const { return cursor_; }
    void SetCursor(CursorKind cursor) { cursor_ = cursor; }
    PopupMenu* Popup() const { return popup_; }
    void SetPopup(PopupMenu* menu) { popup_ = menu; }

    // The palette the window system should realise for this control; none by default.
    virtual HPALETTE GetPalette() const { return nullptr; }

    bool CanFocus() const;
    void SetFocus();
    bool Focused() const;
    void Invalidate();
    void Repaint();

    NotifyEvent OnClick, OnDblClick, OnEnter, OnExit, OnChange, OnResize;
    MouseEvent OnMouseDown;
    KeyEvent OnKeyDown, OnKeyUp;
    KeyPressEvent OnKeyPress;
    PaintEvent OnPaint;
    // A control without OnDragOver refuses every drop.
    DragOverEvent OnDragOver;
    DragDropEvent OnDragDrop;

    // The framework's entry for key messages taken from the queue: the form's key preview first, then the
    // control's own handlers, then dialog keys and mnemonics. True when the message was consumed.
    bool PreProcessKey(MSG& message);
    // Raises the click (as a real click on the control would).
    virtual void Click();
    // The accelerator letter that activates the control (0: none), and what activating it does.
    virtual char Mnemonic() const { return 0; }
    virtual void ActivateMnemonic() {}
    // Enter on the focused control clicks it (buttons) instead of the form's default button.
    virtual bool ClicksOnEnter() const { return false; }

  protected:
    struct CreateParams {
        const char* className = nullptr; // a standard control's class, or nullptr for the framework's own
        std::string ownClassName;        // class registered for the framework's own windows
        DWORD style = 0;
        DWORD exStyle = 0;
        UINT classStyle = CS_DBLCLKS;
    };
    virtual void GetCreateParams(CreateParams& params);
    void CreateHandle(HWND parentWindow, HMENU menuOrId);
    void DestroyHandle();
    static HMENU NextChildId();
    bool Destroying() const { return destroying_; }

    virtual LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT DefaultProc(UINT message, WPARAM wParam, LPARAM lParam);
    // Own windows paint here (the canvas is the paint DC); standard controls paint themselves.
    virtual void Paint(HDC canvas, const RECT& client);
    // Notifications from the parent's WM_COMMAND, WM_DRAWITEM and WM_CTLCOLOR... sent back to the control.
    virtual bool Notify(WORD code);
    virtual bool DrawItem(const DRAWITEMSTRUCT& item);
    virtual HBRUSH CtlColor(HDC dc);
    virtual void ColorChanged();
    virtual void FontChanged();
    virtual void BoundsChanged();
    // Runs once the window exists (fill lists, set item heights).
    virtual void HandleCreated() {}
    // Children call this when they move, so a scrolling form can adjust its bars.
    virtual void ChildBoundsChanged() {}
    // The height to give the window itself (a combo box's includes its dropped-down list).
    virtual int WindowHeightFor(int height) const { return height; }
    bool IsOwnClass() const { return ownClass_; }
    // Drawn by its parent, into the parent's window, with no window of its own: set before it has a parent.
    // Such a control takes no focus and no mouse input (what lies under it gets the clicks); its Paint
    // draws it at its place in the parent's canvas.
    void SetWindowless(bool value) { windowless_ = value; }
    bool Windowless() const { return windowless_; }
    Bounds stored_;

  private:
    static LRESULT CALLBACK OwnWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
    void MarkDestroying();
    void ApplyFontToWindow();
    void ParentFontChanged();
    void ParentColorChanged();
    Control* ChildFromHandle(HWND window) const;
    // An own window's whole client: its Paint, its windowless children, then OnPaint.
    void PaintClient(HDC canvas);
    void PaintWindowlessChildren(HDC canvas);
    // A windowless control's place in its parent's window is redrawn.
    void InvalidatePlace(const Bounds& place);

    HWND hwnd_ = nullptr;
    WNDPROC original_ = nullptr;
    bool ownClass_ = false;
    bool windowless_ = false;
    bool destroying_ = false;
    Control* parent_ = nullptr;
    std::vector<Control*> children_;
    std::vector<Control*> tabList_;
    std::string caption_;
    Color color_ = clBtnFace;
    bool parentColor_ = false;
    corv::BrushHandle brush_;
    FontSpec font_;
    bool parentFont_ = true;
    mutable corv::FontHandle fontHandle_;
    bool enabled_ = true;
    bool visible_ = true;
    bool tabStop_ = false;
    CursorKind cursor_ = CursorKind::Default;
    PopupMenu* popup_ = nullptr;
    bool leftDown_ = false;
};

} // namespace corv::ui
