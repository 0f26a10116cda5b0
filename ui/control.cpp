#include "ui/control.h"

#include "base/wide.h"
#include "ui/application.h"
#include "ui/form.h"
#include "ui/menus.h"

#include <algorithm>
#include <set>

namespace corv::ui {

COLORREF ToRgb(Color color) {
    if (color & 0x80000000u) return GetSysColor(static_cast<int>(color & 0xFF));
    return static_cast<COLORREF>(color & 0x00FFFFFFu);
}

ShiftState CurrentShiftState() {
    unsigned state = ssNone;
    if (GetKeyState(VK_SHIFT) < 0) state |= ssShift;
    if (GetKeyState(VK_CONTROL) < 0) state |= ssCtrl;
    if (GetKeyState(VK_MENU) < 0) state |= ssAlt;
    return static_cast<ShiftState>(state);
}

HCURSOR CursorHandle(CursorKind kind) {
    switch (kind) {
    case CursorKind::Default:
    case CursorKind::Arrow:
        return LoadCursor(nullptr, IDC_ARROW);
    case CursorKind::HourGlass:
        return LoadCursor(nullptr, IDC_WAIT);
    case CursorKind::Cross:
        return LoadCursor(nullptr, IDC_CROSS);
    case CursorKind::IBeam:
        return LoadCursor(nullptr, IDC_IBEAM);
    case CursorKind::HandPoint:
        return LoadCursor(nullptr, IDC_HAND);
    case CursorKind::None:
        return nullptr;
    }
    return nullptr;
}

namespace {
// Our object travels with its window in a property: the user-data slot may belong to someone else
// (windows of other libraries in this process).
constexpr const wchar_t* kControlProperty = L"Corvane.Control";
// Where our own classes' windows hold their control: the first of their extra bytes.
constexpr int kControlSlot = 0;
} // namespace

// ---- Component ----

Component::Component(Component* owner) : owner_(owner) {
    if (owner_) owner_->components_.push_back(this);
}

Component::~Component() {
    // Each owned component takes itself off this list as it goes; the last created goes first.
    while (!components_.empty())
        delete components_.back();
    if (owner_) {
        auto& list = owner_->components_;
        list.erase(std::remove(list.begin(), list.end(), this), list.end());
    }
}

Component* Component::FindComponent(const std::string& name) const {
    for (Component* component : components_)
        if (component->Name() == name) return component;
    return nullptr;
}

// ---- Control ----

Control::Control(Component* owner) : Component(owner) {}

Control::~Control() {
    if (windowless_ && visible_) InvalidatePlace(stored_);
    DestroyHandle();
    for (Control* child : children_)
        child->parent_ = nullptr;
    if (parent_) {
        auto drop = [this](std::vector<Control*>& list) {
            list.erase(std::remove(list.begin(), list.end(), this), list.end());
        };
        drop(parent_->children_);
        drop(parent_->tabList_);
    }
}

Control* Control::FromHandle(HWND window) {
    if (!window) return nullptr;
    // Our own classes keep the pointer in the window's extra bytes too, which reading costs no round trip
    // to the window server (a property does, under Wine): every message of theirs looks it up.
    if (GetWindowLongPtrW(window, GWLP_WNDPROC) == reinterpret_cast<LONG_PTR>(&Control::OwnWindowProc))
        return reinterpret_cast<Control*>(GetWindowLongPtrW(window, kControlSlot));
    return static_cast<Control*>(GetPropW(window, kControlProperty));
}

Control* Control::FromHandleOrAncestor(HWND window) {
    // Up through the parents only: a top-level window's "parent" may be its owner, another window.
    for (HWND w = window; w; w = (GetWindowLongW(w, GWL_STYLE) & WS_CHILD) ? GetParent(w) : nullptr) {
        // Only windows of this process carry our pointer.
        DWORD process = 0;
        GetWindowThreadProcessId(w, &process);
        if (process != GetCurrentProcessId()) return nullptr;
        if (Control* control = FromHandle(w)) return control;
    }
    return nullptr;
}

void Control::SetParent(Control* parent) {
    if (parent_ || !parent) return;
    parent_ = parent;
    parent->children_.push_back(this);
    if (InTabList()) parent->tabList_.push_back(this);
    // A parent without its window yet makes this one with its own, configured as it is by then.
    if (parent->Handle()) CreateHandle(parent->Handle(), NextChildId());
}

HMENU Control::NextChildId() {
    static UINT nextId = 100;
    return reinterpret_cast<HMENU>(static_cast<UINT_PTR>(nextId++));
}

Form* Control::ParentForm() {
    Control* control = this;
    while (control->parent_)
        control = control->parent_;
    return dynamic_cast<Form*>(control);
}

void Control::GetCreateParams(CreateParams& params) {
    params.style = WS_CLIPCHILDREN;
}

void Control::CreateHandle(HWND parentWindow, HMENU menuOrId) {
    if (windowless_) {
        if (visible_) InvalidatePlace(stored_);
        return;
    }
    CreateParams params;
    GetCreateParams(params);
    DWORD style = params.style;
    if (parentWindow) style |= WS_CHILD | WS_CLIPSIBLINGS;
    if (visible_) style |= WS_VISIBLE;
    if (!enabled_) style |= WS_DISABLED;
    if (tabStop_) style |= WS_TABSTOP;
    HINSTANCE instance = GetModuleHandleW(nullptr);
    const int x = parentWindow ? stored_.left : CW_USEDEFAULT;
    const int y = parentWindow ? stored_.top : CW_USEDEFAULT;
    if (params.className) {
        hwnd_ = CreateWindowExW(params.exStyle, Wide(params.className).c_str(), Wide(caption_).c_str(), style,
                                x, y, stored_.width, WindowHeightFor(stored_.height), parentWindow, menuOrId,
                                instance, nullptr);
        if (!hwnd_) return;
        CountHandle(HandleKind::Window, +1);
        SetPropW(hwnd_, kControlProperty, this);
        original_ = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&Control::SubclassProc)));
    } else {
        ownClass_ = true;
        static std::set<std::string> registered;
        const std::wstring className = Wide(params.ownClassName);
        if (!registered.count(params.ownClassName)) {
            WNDCLASSW windowClass{};
            windowClass.style = params.classStyle;
            windowClass.lpfnWndProc = &Control::OwnWindowProc;
            windowClass.cbWndExtra = sizeof(Control*);
            windowClass.hInstance = instance;
            windowClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
            windowClass.hIcon = parentWindow ? nullptr : LoadIconW(instance, L"MAINICON");
            if (!parentWindow && !windowClass.hIcon) windowClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
            windowClass.lpszClassName = className.c_str();
            RegisterClassW(&windowClass);
            registered.insert(params.ownClassName);
        }
        CreateWindowExW(params.exStyle, className.c_str(), Wide(caption_).c_str(), style, x, y, stored_.width,
                        WindowHeightFor(stored_.height), parentWindow, parentWindow ? menuOrId : nullptr,
                        instance, this);
        if (!hwnd_) return;
    }
    ApplyFontToWindow();
    HandleCreated();
    for (Control* child : children_)
        if (!child->hwnd_ && !child->destroying_) child->CreateHandle(hwnd_, NextChildId());
}

void Control::DestroyHandle() {
    MarkDestroying();
    if (hwnd_) DestroyWindow(hwnd_);
}

void Control::MarkDestroying() {
    destroying_ = true;
    for (Control* child : children_)
        child->MarkDestroying();
}

LRESULT CALLBACK Control::OwnWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Control* control = nullptr;
    if (message == WM_NCCREATE) {
        control = static_cast<Control*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        control->hwnd_ = window;
        // Counted from here: a creation that fails later still ends with WM_NCDESTROY.
        CountHandle(HandleKind::Window, +1);
        SetPropW(window, kControlProperty, control);
        SetWindowLongPtrW(window, kControlSlot, reinterpret_cast<LONG_PTR>(control));
    } else {
        control = reinterpret_cast<Control*>(GetWindowLongPtrW(window, kControlSlot));
    }
    if (!control) return DefWindowProcW(window, message, wParam, lParam);
    return control->Dispatch(message, wParam, lParam);
}

LRESULT CALLBACK Control::SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    Control* control = FromHandle(window);
    if (!control) return DefWindowProcW(window, message, wParam, lParam);
    return control->Dispatch(message, wParam, lParam);
}

LRESULT Control::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCDESTROY) {
        const LRESULT result = DefaultProc(message, wParam, lParam);
        RemovePropW(hwnd_, kControlProperty);
        if (ownClass_) SetWindowLongPtrW(hwnd_, kControlSlot, 0);
        if (original_) SetWindowLongPtrW(hwnd_, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original_));
        hwnd_ = nullptr;
        original_ = nullptr;
        CountHandle(HandleKind::Window, -1);
        return result;
    }
    // A window on its way out runs no handlers of a half-destroyed object.
    if (destroying_) return DefaultProc(message, wParam, lParam);
    return WndProc(message, wParam, lParam);
}

LRESULT Control::DefaultProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (original_) return CallWindowProcW(original_, hwnd_, message, wParam, lParam);
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

Control* Control::ChildFromHandle(HWND window) const {
    Control* control = FromHandle(window);
    return (control && control->parent_ == this) ? control : nullptr;
}

LRESULT Control::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (lParam)
            if (Control* child = ChildFromHandle(reinterpret_cast<HWND>(lParam)))
                if (child->Notify(HIWORD(wParam))) return 0;
        break;
    case WM_DRAWITEM: {
        const auto* item = reinterpret_cast<const DRAWITEMSTRUCT*>(lParam);
        if (Control* child = ChildFromHandle(item->hwndItem))
            if (child->DrawItem(*item)) return TRUE;
        break;
    }
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORBTN:
        if (Control* child = ChildFromHandle(reinterpret_cast<HWND>(lParam)))
            if (HBRUSH brush = child->CtlColor(reinterpret_cast<HDC>(wParam)))
                return reinterpret_cast<LRESULT>(brush);
        break;
    case WM_SETCURSOR: {
        const ScreenCursor screen = App().GetScreenCursor();
        if (screen != ScreenCursor::Default) {
            ::SetCursor(screen == ScreenCursor::HourGlass ? LoadCursor(nullptr, IDC_WAIT) : nullptr);
            return TRUE;
        }
        if (reinterpret_cast<HWND>(wParam) == hwnd_ && LOWORD(lParam) == HTCLIENT &&
            cursor_ != CursorKind::Default) {
            ::SetCursor(CursorHandle(cursor_));
            return TRUE;
        }
        break;
    }
    case WM_SETFOCUS: {
        const LRESULT result = DefaultProc(message, wParam, lParam);
        if (Form* form = ParentForm(); form && form != this) form->ControlFocused(this);
        if (OnEnter) OnEnter(*this);
        return result;
    }
    case WM_KILLFOCUS: {
        const LRESULT result = DefaultProc(message, wParam, lParam);
        if (OnExit) OnExit(*this);
        return result;
    }
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
        const MouseButton button = message == WM_RBUTTONDOWN   ? MouseButton::Right
                                   : message == WM_MBUTTONDOWN ? MouseButton::Middle
                                                               : MouseButton::Left;
        if (OnMouseDown)
            OnMouseDown(*this, button, CurrentShiftState(), static_cast<short>(LOWORD(lParam)),
                        static_cast<short>(HIWORD(lParam)));
        if (!hwnd_) return 0;
        if (ownClass_) {
            if (message == WM_LBUTTONDBLCLK) {
                if (OnDblClick) OnDblClick(*this);
            } else if (message == WM_LBUTTONDOWN) {
                leftDown_ = true;
                SetCapture(hwnd_);
            }
        }
        break;
    }
    case WM_LBUTTONUP:
        if (ownClass_ && leftDown_) {
            leftDown_ = false;
            ReleaseCapture();
            RECT client;
            GetClientRect(hwnd_, &client);
            const POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (PtInRect(&client, point)) Click();
            return 0;
        }
        break;
    case WM_CONTEXTMENU:
        if (popup_) {
            POINT point{static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
            if (lParam == -1) { // from the keyboard: at the control's corner
                point = {0, 0};
                ClientToScreen(hwnd_, &point);
            }
            popup_->Popup(point.x, point.y, this);
            return 0;
        }
        break;
    case WM_MOVE:
        if (parent_) parent_->ChildBoundsChanged();
        break;
    case WM_SIZE: {
        const LRESULT result = DefaultProc(message, wParam, lParam);
        BoundsChanged();
        if (parent_) parent_->ChildBoundsChanged();
        if (OnResize) OnResize(*this);
        return result;
    }
    case WM_ERASEBKGND:
        if (ownClass_) {
            RECT client;
            GetClientRect(hwnd_, &client);
            FillRect(reinterpret_cast<HDC>(wParam), &client, ColorBrush());
            return 1;
        }
        break;
    case WM_PRINTCLIENT:
        // Drawn into the DC given, as the window paints itself (captures and tests ask for it).
        if (ownClass_) {
            const auto dc = reinterpret_cast<HDC>(wParam);
            RECT client;
            GetClientRect(hwnd_, &client);
            FillRect(dc, &client, ColorBrush());
            PaintClient(dc);
            return 0;
        }
        break;
    case WM_PAINT:
        if (ownClass_) {
            PAINTSTRUCT paint;
            HDC dc = BeginPaint(hwnd_, &paint);
            PaintClient(dc);
            EndPaint(hwnd_, &paint);
            return 0;
        }
        break;
    }
    return DefaultProc(message, wParam, lParam);
}

void Control::Paint(HDC, const RECT&) {}

void Control::PaintClient(HDC canvas) {
    RECT client;
    GetClientRect(hwnd_, &client);
    Paint(canvas, client);
    PaintWindowlessChildren(canvas);
    if (OnPaint) OnPaint(*this, canvas);
}

void Control::PaintWindowlessChildren(HDC canvas) {
    for (Control* child : children_) {
        if (!child->windowless_ || !child->visible_) continue;
        const Bounds& place = child->stored_;
        const int saved = SaveDC(canvas);
        IntersectClipRect(canvas, place.left, place.top, place.left + place.width, place.top + place.height);
        POINT origin;
        OffsetViewportOrgEx(canvas, place.left, place.top, &origin);
        child->Paint(canvas, RECT{0, 0, place.width, place.height});
        RestoreDC(canvas, saved);
    }
}

void Control::InvalidatePlace(const Bounds& place) {
    if (!parent_ || !parent_->hwnd_) return;
    const RECT rect{place.left, place.top, place.left + place.width, place.top + place.height};
    InvalidateRect(parent_->hwnd_, &rect, TRUE);
}
bool Control::Notify(WORD) {
    return false;
}
bool Control::DrawItem(const DRAWITEMSTRUCT&) {
    return false;
}

HBRUSH Control::CtlColor(HDC dc) {
    SetTextColor(dc, ToRgb(Font().color));
    SetBkColor(dc, ToRgb(GetColor()));
    return ColorBrush();
}

void Control::ColorChanged() {
    Invalidate();
}
void Control::FontChanged() {
    Invalidate();
}
void Control::BoundsChanged() {}

Bounds Control::Position() const {
    if (!hwnd_) return stored_;
    RECT rect;
    GetWindowRect(hwnd_, &rect);
    if (HWND parentWindow = GetParent(hwnd_); parentWindow && (GetWindowLongW(hwnd_, GWL_STYLE) & WS_CHILD))
        MapWindowPoints(HWND_DESKTOP, parentWindow, reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

void Control::SetBounds(int left, int top, int width, int height) {
    if (windowless_ && visible_) InvalidatePlace(stored_);
    stored_ = {left, top, width, height};
    if (windowless_ && visible_) InvalidatePlace(stored_);
    if (hwnd_)
        SetWindowPos(hwnd_, nullptr, left, top, width, WindowHeightFor(height),
                     SWP_NOZORDER | SWP_NOACTIVATE);
}

int Control::ClientWidth() const {
    if (!hwnd_) return stored_.width;
    RECT rect;
    GetClientRect(hwnd_, &rect);
    return rect.right;
}

int Control::ClientHeight() const {
    if (!hwnd_) return stored_.height;
    RECT rect;
    GetClientRect(hwnd_, &rect);
    return rect.bottom;
}

std::string Control::Caption() const {
    return caption_;
}

void Control::SetCaption(const std::string& text) {
    caption_ = text;
    if (windowless_) Invalidate();
    if (hwnd_) {
        SetWindowTextW(hwnd_, Wide(text).c_str());
        if (ownClass_ && CaptionInClientArea()) Invalidate();
    }
}

Color Control::GetColor() const {
    return (parentColor_ && parent_) ? parent_->GetColor() : color_;
}

void Control::SetColor(Color color) {
    color_ = color;
    parentColor_ = false;
    brush_.Reset();
    ColorChanged();
    for (Control* child : children_)
        child->ParentColorChanged();
}

void Control::SetParentColor(bool value) {
    parentColor_ = value;
    ColorChanged();
}

void Control::ParentColorChanged() {
    if (!parentColor_) return;
    ColorChanged();
    for (Control* child : children_)
        child->ParentColorChanged();
}

HBRUSH Control::ColorBrush() {
    if (parentColor_ && parent_) return parent_->ColorBrush();
    if (!brush_) brush_.Reset(CreateSolidBrush(ToRgb(color_)));
    return brush_.Get();
}

const FontSpec& Control::Font() const {
    return (parentFont_ && parent_) ? parent_->Font() : font_;
}

HFONT Control::FontHandle() const {
    if (parentFont_ && parent_) return parent_->FontHandle();
    if (!fontHandle_) {
        fontHandle_.Reset(CreateFontW(font_.height, 0, 0, 0, font_.bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE,
                                      FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                      DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                                      Wide(font_.name).c_str()));
    }
    return fontHandle_.Get();
}

void Control::SetFont(const FontSpec& font) {
    font_ = font;
    parentFont_ = false;
    fontHandle_.Reset();
    ApplyFontToWindow();
    FontChanged();
    for (Control* child : children_)
        child->ParentFontChanged();
}

void Control::ParentFontChanged() {
    if (!parentFont_) return;
    ApplyFontToWindow();
    FontChanged();
    for (Control* child : children_)
        child->ParentFontChanged();
}

void Control::ApplyFontToWindow() {
    if (hwnd_) SendMessageW(hwnd_, WM_SETFONT, reinterpret_cast<WPARAM>(FontHandle()), TRUE);
}

bool Control::Enabled() const {
    return hwnd_ ? IsWindowEnabled(hwnd_) != FALSE : enabled_;
}

void Control::SetEnabled(bool value) {
    enabled_ = value;
    if (hwnd_) EnableWindow(hwnd_, value);
}

void Control::SetVisible(bool value) {
    if (windowless_ && value != visible_) InvalidatePlace(stored_);
    visible_ = value;
    if (hwnd_) ShowWindow(hwnd_, value ? SW_SHOWNA : SW_HIDE);
}

bool Control::Showing() const {
    for (const Control* control = this; control; control = control->parent_)
        if (!control->visible_) return false;
    return true;
}

int Control::TabOrder() const {
    if (!parent_) return -1;
    const auto& list = parent_->tabList_;
    const auto found = std::find(list.begin(), list.end(), this);
    return found == list.end() ? -1 : static_cast<int>(found - list.begin());
}

void Control::SetTabOrder(int order) {
    if (!parent_ || !InTabList()) return;
    // Already there: nothing to reorder (a form that appends hundreds of controls stays linear).
    if (order == TabOrder()) return;
    auto& list = parent_->tabList_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    order = std::clamp(order, 0, static_cast<int>(list.size()));
    list.insert(list.begin() + order, this);
    // The windows' own order follows, so that the system's notion of "next" agrees with ours.
    HWND previous = HWND_TOP;
    for (Control* control : list) {
        if (control->hwnd_)
            SetWindowPos(control->hwnd_, previous, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        if (control->hwnd_) previous = control->hwnd_;
    }
}

void Control::SetTabStop(bool value) {
    tabStop_ = value;
    if (hwnd_) {
        LONG style = GetWindowLongW(hwnd_, GWL_STYLE);
        style = value ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
        SetWindowLongW(hwnd_, GWL_STYLE, style);
    }
}

bool Control::CanFocus() const {
    if (!hwnd_ || !Showing()) return false;
    for (const Control* control = this; control; control = control->parent_)
        if (!control->Enabled()) return false;
    return true;
}

void Control::SetFocus() {
    if (hwnd_) ::SetFocus(hwnd_);
}

bool Control::Focused() const {
    return hwnd_ && GetFocus() == hwnd_;
}

void Control::Invalidate() {
    if (hwnd_) RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    if (windowless_ && visible_) InvalidatePlace(stored_);
}

void Control::Repaint() {
    if (hwnd_)
        RedrawWindow(hwnd_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
}

void Control::Click() {
    if (OnClick) OnClick(*this);
}

bool Control::PreProcessKey(MSG& message) {
    Form* form = ParentForm();
    const bool preview = form && form != this && form->KeyPreview();
    switch (message.message) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN:
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        const bool down = message.message == WM_KEYDOWN || message.message == WM_SYSKEYDOWN;
        WORD key = static_cast<WORD>(message.wParam);
        const ShiftState shift = CurrentShiftState();
        if (preview) {
            KeyEvent& formEvent = down ? form->OnKeyDown : form->OnKeyUp;
            if (formEvent) formEvent(*form, key, shift);
            if (key == 0) return true;
        }
        KeyEvent& ownEvent = down ? OnKeyDown : OnKeyUp;
        if (ownEvent) ownEvent(*this, key, shift);
        if (key == 0) return true;
        message.wParam = key;
        if (message.message == WM_KEYDOWN && form && form->DialogKey(*this, key, shift)) return true;
        return false;
    }
    case WM_CHAR: {
        // The handlers see the ASCII characters they act on; other characters go to the control as
        // they are (typed into an edit field, say).
        if (message.wParam >= 0x80) return false;
        char key = static_cast<char>(message.wParam);
        if (preview && form->OnKeyPress) {
            form->OnKeyPress(*form, key);
            if (key == 0) return true;
        }
        if (OnKeyPress) OnKeyPress(*this, key);
        if (key == 0) return true;
        message.wParam = static_cast<unsigned char>(key);
        return form && form->DialogChar(*this, key, false);
    }
    case WM_SYSCHAR:
        if (message.wParam >= 0x80) return false;
        return form && form->DialogChar(*this, static_cast<char>(message.wParam), true);
    }
    return false;
}

} // namespace corv::ui
