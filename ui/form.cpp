#include "ui/form.h"

#include "ui/application.h"
#include "ui/layoutmath.h"

#include <algorithm>

namespace corv::ui {

namespace {
constexpr UINT kReleaseMessage = WM_APP + 0x100;

void CollectFocusOrder(const Control& parent, std::vector<Control*>& out) {
    for (Control* child : parent.TabList()) {
        out.push_back(child);
        CollectFocusOrder(*child, out);
    }
}

void CollectAll(const Control& parent, std::vector<Control*>& out) {
    for (Control* child : parent.Children()) {
        out.push_back(child);
        CollectAll(*child, out);
    }
}

UINT DialogCode(Control& control, WORD key, UINT message) {
    if (!control.Handle()) return 0;
    MSG msg{control.Handle(), message, key, 0, 0, {0, 0}};
    return static_cast<UINT>(
        SendMessageW(control.Handle(), WM_GETDLGCODE, key, reinterpret_cast<LPARAM>(&msg)));
}
struct Disabling {
    HWND self;
    std::vector<HWND> windows;
};

BOOL CALLBACK DisableOthers(HWND window, LPARAM param) {
    auto* state = reinterpret_cast<Disabling*>(param);
    if (window != state->self && IsWindowVisible(window) && IsWindowEnabled(window)) {
        EnableWindow(window, FALSE);
        state->windows.push_back(window);
    }
    return TRUE;
}
} // namespace

Form::Form(Component* owner, const FormStyle& style) : Control(owner), style_(style) {
    SetVisible(false);
    SetParentColor(false);
    stored_ = {0, 0, 300, 200};
    CreateHandle(nullptr, nullptr);
    // The system chose the place; keep it as the design's starting point.
    stored_ = Position();
    SetFont(FontSpec{});
}

Form::~Form() {
    if (App().MainForm() == this) App().SetMainForm(nullptr);
    DestroyHandle();
}

void Form::GetCreateParams(CreateParams& params) {
    params.ownClassName = style_.className;
    DWORD style = WS_CLIPCHILDREN;
    switch (style_.border) {
    case FormBorder::Sizeable:
        style |= WS_CAPTION | WS_THICKFRAME;
        break;
    case FormBorder::Dialog:
        style |= WS_CAPTION | WS_DLGFRAME;
        params.exStyle |= WS_EX_DLGMODALFRAME;
        break;
    case FormBorder::None:
        style |= WS_POPUP;
        break;
    }
    if (style_.border != FormBorder::None && style_.systemMenu) {
        style |= WS_SYSMENU;
        if (style_.minimizeBox) style |= WS_MINIMIZEBOX;
        if (style_.maximizeBox) style |= WS_MAXIMIZEBOX;
    }
    params.style = style;
}

void Form::DoCreate() {
    if (OnCreate) OnCreate(*this);
}

void Form::Show() {
    if (!shownOnce_ && style_.position == FormPosition::ScreenCenter) {
        // Centred at its final size, whatever the layout made of it.
        SetBounds((GetSystemMetrics(SM_CXSCREEN) - Width()) / 2,
                  (GetSystemMetrics(SM_CYSCREEN) - Height()) / 2, Width(), Height());
    }
    Control::SetVisible(true);
    const int sizesBefore = sizeMessages_;
    int command = SW_SHOWNORMAL;
    if (state_ == WindowState::Maximized) command = SW_SHOWMAXIMIZED;
    if (state_ == WindowState::Minimized) command = SW_SHOWMINIMIZED;
    if (IsWindowVisible(Handle()) && command == SW_SHOWNORMAL) command = SW_SHOW;
    ShowWindow(Handle(), command);
    if (!shownOnce_) {
        shownOnce_ = true;
        // The first showing lays the form out even when its size did not change.
        if (sizeMessages_ == sizesBefore && OnResize) OnResize(*this);
    }
    if (state_ != WindowState::Minimized) {
        SetForegroundWindow(Handle());
        if (!activeControl_ || !activeControl_->CanFocus())
            FocusFirst();
        else
            activeControl_->SetFocus();
    }
    UpdateWindow(Handle());
    if (OnShow) OnShow(*this);
}

void Form::Hide() {
    Control::SetVisible(false);
    if (OnHide) OnHide(*this);
}

void Form::SetVisible(bool value) {
    if (value)
        Show();
    else
        Hide();
}

int Form::ShowModal() {
    modalResult_ = mrNone;
    modal_ = true;
    // Owned by the window that opens it: it stays above that window and shares its taskbar button.
    if (HWND opener = GetActiveWindow(); opener && opener != Handle())
        SetWindowLongPtrW(Handle(), GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(opener));
    Disabling disabling{Handle(), {}};
    EnumThreadWindows(GetCurrentThreadId(), &DisableOthers, reinterpret_cast<LPARAM>(&disabling));
    Show();
    while (modalResult_ == mrNone) {
        if (!App().HandleMessage()) {
            modalResult_ = mrCancel;
            break;
        }
    }
    // Enabled again before hiding, so that the activation goes back to the window that opened us.
    for (HWND window : disabling.windows)
        if (IsWindow(window)) EnableWindow(window, TRUE);
    Hide();
    modal_ = false;
    return modalResult_;
}

void Form::Close() {
    if (Handle()) SendMessageW(Handle(), WM_CLOSE, 0, 0);
}

void Form::Release() {
    if (Handle()) PostMessageW(Handle(), kReleaseMessage, 0, 0);
}

WindowState Form::GetWindowState() const {
    if (Handle() && IsWindowVisible(Handle())) {
        if (IsIconic(Handle())) return WindowState::Minimized;
        if (IsZoomed(Handle())) return WindowState::Maximized;
        return WindowState::Normal;
    }
    return state_;
}

void Form::SetWindowState(WindowState state) {
    state_ = state;
    if (Handle() && IsWindowVisible(Handle())) {
        ShowWindow(Handle(), state == WindowState::Maximized   ? SW_MAXIMIZE
                             : state == WindowState::Minimized ? SW_MINIMIZE
                                                               : SW_SHOWNORMAL);
        // A window minimised from maximised comes back maximised: once more to reach the normal size.
        if (state == WindowState::Normal && IsZoomed(Handle())) ShowWindow(Handle(), SW_SHOWNORMAL);
    }
}

void Form::SetMinimumSize(int width, int height) {
    minWidth_ = width;
    minHeight_ = height;
}

void Form::SetClientSize(int width, int height) {
    RECT window, client;
    GetWindowRect(Handle(), &window);
    GetClientRect(Handle(), &client);
    SetBounds(Left(), Top(), width + (window.right - window.left) - client.right,
              height + (window.bottom - window.top) - client.bottom);
}

void Form::SetAutoScroll(bool value) {
    autoScroll_ = value;
    if (!value) {
        ScrollTo(0, 0);
        ShowScrollBar(Handle(), SB_BOTH, FALSE);
    } else {
        UpdateScrollBars();
    }
}

bool Form::HorzScrollVisible() const {
    return (GetWindowLongW(Handle(), GWL_STYLE) & WS_HSCROLL) != 0;
}
bool Form::VertScrollVisible() const {
    return (GetWindowLongW(Handle(), GWL_STYLE) & WS_VSCROLL) != 0;
}

void Form::UpdateScrollBars() {
    if (!autoScroll_ || !Handle() || IsIconic(Handle())) return;
    // Showing a bar resizes the client, and the resize handler may move the controls: decide again
    // once the outer decision is done, with the controls where they ended up.
    if (scrolling_) {
        scrollsPending_ = true;
        return;
    }
    for (int round = 0; round < 4; ++round) {
        scrollsPending_ = false;
        DecideScrollBars();
        if (!scrollsPending_) break;
    }
}

void Form::DecideScrollBars() {
    scrolling_ = true;
    RECT client;
    GetClientRect(Handle(), &client);
    const int barWidth = GetSystemMetrics(SM_CXVSCROLL);
    const int barHeight = GetSystemMetrics(SM_CYHSCROLL);
    const int fullWidth = client.right + (VertScrollVisible() ? barWidth : 0);
    const int fullHeight = client.bottom + (HorzScrollVisible() ? barHeight : 0);
    int width = extentWidth_, height = extentHeight_;
    if (width <= 0 && height <= 0) {
        for (Control* child : Children()) {
            if (!child->Visible()) continue;
            const Bounds b = child->Position();
            width = std::max(width, b.left + b.width + hpos_);
            height = std::max(height, b.top + b.height + vpos_);
        }
    }
    contentWidth_ = width;
    contentHeight_ = height;
    const ScrollNeed need = ComputeScrollNeed(width, height, fullWidth, fullHeight, barWidth, barHeight);
    const int h = need.horizontal ? ClampScrollPosition(hpos_, width, need.clientWidth) : 0;
    const int v = need.vertical ? ClampScrollPosition(vpos_, height, need.clientHeight) : 0;
    if (h != hpos_ || v != vpos_) ScrollBy(hpos_ - h, vpos_ - v);
    hpos_ = h;
    vpos_ = v;
    SetBar(SB_HORZ, need.horizontal, width - 1, need.clientWidth, hpos_);
    SetBar(SB_VERT, need.vertical, height - 1, need.clientHeight, vpos_);
    scrolling_ = false;
}

void Form::SetBar(int bar, bool visible, int max, int page, int pos) {
    BarState& state = barState_[bar == SB_HORZ ? 0 : 1];
    const bool shown = bar == SB_HORZ ? HorzScrollVisible() : VertScrollVisible();
    if (shown != visible) ShowScrollBar(Handle(), bar, visible);
    state.visible = visible;
    if (!visible) {
        state.max = state.page = state.pos = -1;
        return;
    }
    if (shown == visible && state.max == max && state.page == page && state.pos == pos) return;
    state.max = max;
    state.page = page;
    state.pos = pos;
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, max, static_cast<UINT>(page), pos, 0};
    SetScrollInfo(Handle(), bar, &info, TRUE);
}

void Form::SetContentExtent(int width, int height) {
    if (width == extentWidth_ && height == extentHeight_) return;
    extentWidth_ = std::max(width, 0);
    extentHeight_ = std::max(height, 0);
    UpdateScrollBars();
}

void Form::ScrollBy(int dx, int dy) {
    if (dx == 0 && dy == 0) return;
    ScrollWindowEx(Handle(), dx, dy, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
}

void Form::ScrollTo(int horizontal, int vertical) {
    if (!Handle()) return;
    RECT client;
    GetClientRect(Handle(), &client);
    const int h = HorzScrollVisible() ? ClampScrollPosition(horizontal, contentWidth_, client.right) : 0;
    const int v = VertScrollVisible() ? ClampScrollPosition(vertical, contentHeight_, client.bottom) : 0;
    const bool was = scrolling_;
    scrolling_ = true;
    ScrollBy(hpos_ - h, vpos_ - v);
    hpos_ = h;
    vpos_ = v;
    if (HorzScrollVisible()) SetScrollPos(Handle(), SB_HORZ, hpos_, TRUE);
    if (VertScrollVisible()) SetScrollPos(Handle(), SB_VERT, vpos_, TRUE);
    barState_[0].pos = hpos_;
    barState_[1].pos = vpos_;
    scrolling_ = was;
}

void Form::ControlFocused(Control* control) {
    activeControl_ = control;
    // Keyboard navigation is no use when the focus goes where it cannot be seen.
    if (control) ScrollInView(*control);
}

void Form::ScrollInView(const Control& control) {
    if (!autoScroll_ || !Handle() || !control.Handle() || IsIconic(Handle())) return;
    if (!HorzScrollVisible() && !VertScrollVisible()) return;
    RECT client, place;
    GetClientRect(Handle(), &client);
    GetWindowRect(control.Handle(), &place);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&place), 2);
    const int h = hpos_ + LeastScrollToShow(place.left, place.right, client.right);
    const int v = vpos_ + LeastScrollToShow(place.top, place.bottom, client.bottom);
    if (h != hpos_ || v != vpos_) ScrollTo(h, v);
}

void Form::Scroll(int bar, int request) {
    SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
    GetScrollInfo(Handle(), bar, &info);
    int position = info.nPos;
    const int page = static_cast<int>(info.nPage);
    switch (request) {
    case SB_LINEUP:
        position -= 8;
        break;
    case SB_LINEDOWN:
        position += 8;
        break;
    case SB_PAGEUP:
        position -= page;
        break;
    case SB_PAGEDOWN:
        position += page;
        break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
        position = info.nTrackPos;
        break;
    case SB_TOP:
        position = 0;
        break;
    case SB_BOTTOM:
        position = info.nMax;
        break;
    default:
        return;
    }
    if (bar == SB_HORZ)
        ScrollTo(position, vpos_);
    else
        ScrollTo(hpos_, position);
}

void Form::SetActiveControl(Control* control) {
    activeControl_ = control;
    if (control && control->CanFocus() && IsWindowVisible(Handle())) control->SetFocus();
}

std::vector<Control*> Form::FocusOrder() const {
    std::vector<Control*> order;
    CollectFocusOrder(*this, order);
    return order;
}

bool Form::SelectNext(Control* from, bool forward) {
    const std::vector<Control*> order = FocusOrder();
    if (order.empty()) return false;
    const int count = static_cast<int>(order.size());
    const auto found = std::find(order.begin(), order.end(), from);
    int start = found == order.end() ? (forward ? -1 : count) : static_cast<int>(found - order.begin());
    for (int step = 1; step <= count; ++step) {
        const int index = ((start + (forward ? step : -step)) % count + count) % count;
        Control* candidate = order[static_cast<std::size_t>(index)];
        if (candidate != from && candidate->TabStop() && candidate->CanFocus()) {
            candidate->SetFocus();
            activeControl_ = candidate;
            return true;
        }
    }
    return false;
}

void Form::FocusFirst() {
    if (!SelectNext(nullptr, true)) ::SetFocus(Handle());
}

bool Form::DialogKey(Control& focused, WORD key, ShiftState shift) {
    const UINT code = &focused == this ? 0 : DialogCode(focused, key, WM_KEYDOWN);
    switch (key) {
    case VK_TAB:
        if (shift & (ssCtrl | ssAlt)) return false;
        if (code & (DLGC_WANTTAB | DLGC_WANTALLKEYS)) return false;
        SelectNext(&focused, !(shift & ssShift));
        return true;
    case VK_RETURN:
    case VK_ESCAPE: {
        if (code & (DLGC_WANTALLKEYS | DLGC_WANTMESSAGE)) return false;
        if (key == VK_RETURN && focused.ClicksOnEnter()) {
            focused.Click();
            return true;
        }
        Control* button = key == VK_RETURN ? defaultButton_ : cancelButton_;
        if (button && button->CanFocus()) {
            button->Click();
            return true;
        }
        return false;
    }
    case VK_LEFT:
    case VK_RIGHT:
    case VK_UP:
    case VK_DOWN:
        if (&focused == this || (code & (DLGC_WANTARROWS | DLGC_WANTALLKEYS))) return false;
        SelectNext(&focused, key == VK_RIGHT || key == VK_DOWN);
        return true;
    }
    return false;
}

bool Form::DialogChar(Control& focused, char key, bool alt) {
    if (!alt && &focused != this) {
        const UINT code = DialogCode(focused, static_cast<unsigned char>(key), WM_CHAR);
        if (code & (DLGC_WANTCHARS | DLGC_WANTALLKEYS | DLGC_HASSETSEL)) return false;
    }
    if (!alt && (key < ' ')) return false;
    const char wanted = (key >= 'a' && key <= 'z') ? static_cast<char>(key - 'a' + 'A') : key;
    std::vector<Control*> all;
    CollectAll(*this, all);
    for (Control* control : all) {
        if (control->Mnemonic() == wanted && control->Showing() && control->Enabled()) {
            control->ActivateMnemonic();
            return true;
        }
    }
    return false;
}

namespace {
// The first control below (or at) this one that asks for a palette of its own.
HPALETTE FirstPalette(const Control& control) {
    if (HPALETTE palette = control.GetPalette()) return palette;
    for (const Control* child : control.Children())
        if (HPALETTE palette = FirstPalette(*child)) return palette;
    return nullptr;
}
} // namespace

// On a 256-colour display the active window's pictures get the system palette: realise the palette a
// control asks for, and repaint, so that controls that realise their own palettes while painting do it.
bool Form::RealizeControlPalette(bool background) {
    if (HPALETTE palette = FirstPalette(*this)) {
        WindowDc dc(Handle());
        UINT changed = 0;
        {
            ScopedPalette select(dc.Get(), palette, background);
            changed = RealizePalette(dc.Get());
        }
        if (changed > 0) Invalidate();
        return changed > 0;
    }
    Invalidate();
    return false;
}

LRESULT Form::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_QUERYNEWPALETTE) return RealizeControlPalette(false) ? TRUE : FALSE;
    if (message == WM_PALETTECHANGED) {
        if (reinterpret_cast<HWND>(wParam) != Handle() && !IsChild(Handle(), reinterpret_cast<HWND>(wParam)))
            RealizeControlPalette(true);
        return 0;
    }
    switch (message) {
    case WM_CLOSE: {
        CloseAction action = (modal_ || App().MainForm() != this) ? CloseAction::Hide : CloseAction::Free;
        if (OnClose) OnClose(*this, action);
        if (action == CloseAction::None) return 0;
        if (modal_) {
            if (modalResult_ == mrNone) modalResult_ = mrCancel;
            return 0;
        }
        if (App().MainForm() == this) {
            App().Terminate();
        } else if (action == CloseAction::Hide) {
            Hide();
        } else {
            Release();
        }
        return 0;
    }
    case kReleaseMessage:
        delete this;
        return 0;
    case WM_GETMINMAXINFO: {
        auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
        if (minWidth_ > 0) info->ptMinTrackSize.x = minWidth_;
        if (minHeight_ > 0) info->ptMinTrackSize.y = minHeight_;
        return 0;
    }
    case WM_SIZE:
        ++sizeMessages_;
        if (wParam != SIZE_MINIMIZED) UpdateScrollBars();
        break;
    case WM_HSCROLL:
    case WM_VSCROLL:
        if (lParam == 0) {
            Scroll(message == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wParam));
            return 0;
        }
        break;
    case WM_ACTIVATE:
        if (LOWORD(wParam) == WA_INACTIVE) {
            if (Control* focused = Control::FromHandle(GetFocus()); focused && focused->ParentForm() == this)
                activeControl_ = focused;
        } else if (!HIWORD(wParam)) {
            if (activeControl_ && activeControl_->CanFocus())
                activeControl_->SetFocus();
            else
                FocusFirst();
        }
        return 0;
    case WM_HELP:
        // F1 in the form or any of its controls (the system passes WM_HELP up to us): the form's topic.
        if (helpContext_ != 0) {
            App().ContextHelp(helpContext_);
            return TRUE;
        }
        break;
    case WM_SYSCOMMAND: {
        // A command sent straight to the window, not through the queue, still reaches the hook.
        MSG msg{Handle(), message, wParam, lParam, 0, {0, 0}};
        if (App().OfferToHook(msg)) return 0;
        break;
    }
    }
    return Control::WndProc(message, wParam, lParam);
}

} // namespace corv::ui
