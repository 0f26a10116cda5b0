#include "ui/stdctrls.h"

#include "base/gdi.h"
#include "base/wide.h"
#include "ui/form.h"
#include "ui/mnemonic.h"

#include <algorithm>

namespace corv::ui {

namespace {
void FillSolid(HDC dc, const RECT& rect, COLORREF color) {
    // The DC's own brush: no brush handle to create or leak.
    const COLORREF previous = SetDCBrushColor(dc, color);
    FillRect(dc, &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
    SetDCBrushColor(dc, previous);
}
} // namespace

void Frame3D(HDC dc, RECT& rect, COLORREF topLeft, COLORREF bottomRight, int width) {
    for (int i = 0; i < width && rect.right > rect.left && rect.bottom > rect.top; ++i) {
        FillSolid(dc, {rect.left, rect.top, rect.right, rect.top + 1}, topLeft);
        FillSolid(dc, {rect.left, rect.top, rect.left + 1, rect.bottom}, topLeft);
        FillSolid(dc, {rect.left, rect.bottom - 1, rect.right, rect.bottom}, bottomRight);
        FillSolid(dc, {rect.right - 1, rect.top, rect.right, rect.bottom}, bottomRight);
        InflateRect(&rect, -1, -1);
    }
}

// ---- Panel ----

Panel::Panel(Component* owner) : Control(owner) {}

void Panel::GetCreateParams(CreateParams& params) {
    params.ownClassName = "TPanel";
    params.style = WS_CLIPCHILDREN;
}

void Panel::SetBevels(Bevel inner, Bevel outer, int bevelWidth, int borderWidth) {
    bevelInner_ = inner;
    bevelOuter_ = outer;
    bevelWidth_ = bevelWidth;
    borderWidth_ = borderWidth;
    Invalidate();
}

void Panel::Paint(HDC canvas, const RECT& client) {
    const COLORREF highlight = GetSysColor(COLOR_BTNHIGHLIGHT);
    const COLORREF shadow = GetSysColor(COLOR_BTNSHADOW);
    const COLORREF face = ToRgb(GetColor());
    RECT rect = client;
    if (bevelOuter_ != Bevel::None)
        Frame3D(canvas, rect, bevelOuter_ == Bevel::Lowered ? shadow : highlight,
                bevelOuter_ == Bevel::Lowered ? highlight : shadow, bevelWidth_);
    Frame3D(canvas, rect, face, face, borderWidth_);
    if (bevelInner_ != Bevel::None)
        Frame3D(canvas, rect, bevelInner_ == Bevel::Lowered ? shadow : highlight,
                bevelInner_ == Bevel::Lowered ? highlight : shadow, bevelWidth_);
    FillSolid(canvas, rect, face);
    const std::string text = Caption();
    if (!text.empty()) {
        ScopedSelect font(canvas, FontHandle());
        SetBkMode(canvas, TRANSPARENT);
        SetTextColor(canvas, ToRgb(Font().color));
        DrawUtf8Text(canvas, text, rect, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    }
}

// ---- Label ----

Label::Label(Component* owner) : Control(owner) {
    SetParentColor(true);
}

DWORD Label::TextStyle() const {
    DWORD style = alignment_ == Alignment::Center  ? SS_CENTER
                  : alignment_ == Alignment::Right ? SS_RIGHT
                  : wordWrap_                      ? SS_LEFT
                                                   : SS_LEFTNOWORDWRAP;
    if (!showAccelChar_) style |= SS_NOPREFIX;
    // The ellipsis also makes a centred or right-aligned text a single line.
    if (!wordWrap_) style |= SS_ENDELLIPSIS;
    return style;
}

// The text kinds and the flags TextStyle decides, for restyling a label that exists.
constexpr DWORD kLabelTextStyles = SS_TYPEMASK | SS_NOPREFIX | SS_ENDELLIPSIS;

void Label::GetCreateParams(CreateParams& params) {
    params.className = "STATIC";
    params.style = TextStyle();
}

void Label::Restyle() {
    if (!Handle()) return;
    SetWindowLongW(Handle(), GWL_STYLE,
                   (GetWindowLongW(Handle(), GWL_STYLE) & ~kLabelTextStyles) | TextStyle());
    Invalidate();
}

void Label::SetAlignment(Alignment alignment) {
    alignment_ = alignment;
    Restyle();
}

void Label::SetWordWrap(bool value) {
    wordWrap_ = value;
    Restyle();
}

void Label::SetShowAccelChar(bool value) {
    showAccelChar_ = value;
    Restyle();
    AdjustSize();
}

void Label::SetAutoSize(bool value) {
    autoSize_ = value;
    AdjustSize();
}

void Label::SetCaption(const std::string& text) {
    Control::SetCaption(text);
    AdjustSize();
}

void Label::FontChanged() {
    Control::FontChanged();
    AdjustSize();
}

void Label::Paint(HDC canvas, const RECT& client) {
    if (!ParentColor()) FillRect(canvas, &client, ColorBrush());
    const UINT align = alignment_ == Alignment::Center  ? DT_CENTER
                       : alignment_ == Alignment::Right ? DT_RIGHT
                                                        : DT_LEFT;
    const UINT lines = wordWrap_ ? DT_WORDBREAK : DT_SINGLELINE | DT_END_ELLIPSIS;
    ScopedSelect font(canvas, FontHandle());
    SetBkMode(canvas, TRANSPARENT);
    SetTextColor(canvas, Enabled() ? ToRgb(Font().color) : GetSysColor(COLOR_GRAYTEXT));
    RECT rect = client;
    DrawUtf8Text(canvas, Caption(), rect, align | lines | (showAccelChar_ ? 0 : DT_NOPREFIX));
}

void Label::AdjustSize() {
    if (!autoSize_ || (!Handle() && !Windowless())) return;
    WindowDc dc(Handle());
    ScopedSelect font(dc.Get(), FontHandle());
    const std::string shown = showAccelChar_ ? StripMnemonic(Caption()) : Caption();
    SIZE size = Utf8TextExtent(dc.Get(), shown);
    if (shown.empty()) {
        TEXTMETRICW metrics;
        GetTextMetricsW(dc.Get(), &metrics);
        size.cy = metrics.tmHeight;
    }
    SetBounds(Left(), Top(), size.cx, size.cy);
}

char Label::Mnemonic() const {
    return (showAccelChar_ && focusControl_) ? MnemonicOf(Caption()) : 0;
}

void Label::ActivateMnemonic() {
    if (focusControl_ && focusControl_->CanFocus()) focusControl_->SetFocus();
}

// ---- Button ----

Button::Button(Component* owner) : Control(owner) {
    SetTabStop(true);
}

void Button::GetCreateParams(CreateParams& params) {
    params.className = "BUTTON";
    params.style = default_ ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON;
}

void Button::SetDefault(bool value) {
    default_ = value;
    if (Form* form = ParentForm()) {
        if (value)
            form->SetDefaultButton(this);
        else if (form->DefaultButton() == this)
            form->SetDefaultButton(nullptr);
    }
    if (Handle()) SendMessageW(Handle(), BM_SETSTYLE, value ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

void Button::SetCancel(bool value) {
    cancel_ = value;
    if (Form* form = ParentForm()) {
        if (value)
            form->SetCancelButton(this);
        else if (form->CancelButton() == this)
            form->SetCancelButton(nullptr);
    }
}

void Button::Click() {
    Control::Click();
    if (modalResult_ != 0)
        if (Form* form = ParentForm()) form->SetModalResult(modalResult_);
}

bool Button::Notify(WORD code) {
    if (code != BN_CLICKED) return false;
    Click();
    return true;
}

HBRUSH Button::CtlColor(HDC) {
    return nullptr;
}

char Button::Mnemonic() const {
    return MnemonicOf(Caption());
}

void Button::ActivateMnemonic() {
    SetFocus();
    Click();
}

// ---- Edit ----

Edit::Edit(Component* owner) : Control(owner) {
    SetTabStop(true);
    SetColor(clWindow);
}

void Edit::GetCreateParams(CreateParams& params) {
    params.className = "EDIT";
    params.style = ES_AUTOHSCROLL;
    params.exStyle = WS_EX_CLIENTEDGE;
}

std::string Edit::Text() const {
    if (!Handle()) return Caption();
    const int length = GetWindowTextLengthW(Handle());
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    const int copied = GetWindowTextW(Handle(), text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return Utf8(text);
}

void Edit::SetText(const std::string& text) {
    SetCaption(text);
}

LRESULT Edit::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_SETFOCUS && GetKeyState(VK_LBUTTON) >= 0) {
        const LRESULT result = Control::WndProc(message, wParam, lParam);
        SelectAll();
        return result;
    }
    return Control::WndProc(message, wParam, lParam);
}

void Edit::SelectAll() {
    if (Handle()) SendMessageW(Handle(), EM_SETSEL, 0, -1);
}

int Edit::SelStart() const {
    DWORD start = 0, end = 0;
    if (Handle())
        SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(start);
}

int Edit::SelLength() const {
    DWORD start = 0, end = 0;
    if (Handle())
        SendMessageW(Handle(), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    return static_cast<int>(end - start);
}

// ---- DriveComboBox ----

DriveComboBox::DriveComboBox(Component* owner) : Control(owner) {
    SetTabStop(true);
    SetColor(clWindow);
    wchar_t directory[MAX_PATH + 1] = L"";
    GetCurrentDirectoryW(MAX_PATH + 1, directory);
    if (directory[0] && directory[0] < 0x80 && directory[1] == L':') drive_ = static_cast<char>(directory[0]);
    if (drive_ >= 'a' && drive_ <= 'z') drive_ = static_cast<char>(drive_ - 'a' + 'A');
}

void DriveComboBox::GetCreateParams(CreateParams& params) {
    params.className = "COMBOBOX";
    params.style = CBS_DROPDOWNLIST | WS_VSCROLL;
}

void DriveComboBox::ReadDrives() {
    if (!Handle()) return;
    SendMessageW(Handle(), CB_RESETCONTENT, 0, 0);
    const DWORD drives = GetLogicalDrives();
    for (int i = 0; i < 26; ++i) {
        if (!(drives & (1u << i))) continue;
        const std::wstring text{static_cast<wchar_t>(L'A' + i), L':'};
        SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text.c_str()));
    }
    SelectDrive();
    FitSelectionHeight();
}

void DriveComboBox::SelectDrive() {
    const std::wstring text{static_cast<wchar_t>(drive_), L':'};
    const LRESULT index = SendMessageW(Handle(), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                       reinterpret_cast<LPARAM>(text.c_str()));
    SendMessageW(Handle(), CB_SETCURSEL,
                 index == CB_ERR ? static_cast<WPARAM>(-1) : static_cast<WPARAM>(index), 0);
}

void DriveComboBox::FitSelectionHeight() {
    // The closed box keeps the designed height whatever the font asks for.
    if (!Handle() || stored_.height <= 0) return;
    RECT window;
    GetWindowRect(Handle(), &window);
    const int selection =
        static_cast<int>(SendMessageW(Handle(), CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    const int frame = (window.bottom - window.top) - selection;
    if (selection > 0 && frame > 0 && window.bottom - window.top != stored_.height)
        SendMessageW(Handle(), CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), stored_.height - frame);
}

void DriveComboBox::BoundsChanged() {
    FitSelectionHeight();
}

void DriveComboBox::HandleCreated() {
    ReadDrives();
}

void DriveComboBox::SetDrive(char drive) {
    if (drive >= 'a' && drive <= 'z') drive = static_cast<char>(drive - 'a' + 'A');
    if (drive == drive_) return;
    drive_ = drive;
    if (Handle()) SelectDrive();
    if (OnChange) OnChange(*this);
}

bool DriveComboBox::Notify(WORD code) {
    if (code != CBN_SELCHANGE) return false;
    const LRESULT index = SendMessageW(Handle(), CB_GETCURSEL, 0, 0);
    if (index == CB_ERR) return true;
    const std::string text = ItemText(static_cast<int>(index));
    if (!text.empty() && text[0] != drive_) {
        drive_ = text[0];
        if (OnChange) OnChange(*this);
    }
    return true;
}

int DriveComboBox::ItemCount() const {
    return Handle() ? static_cast<int>(SendMessageW(Handle(), CB_GETCOUNT, 0, 0)) : 0;
}

std::string DriveComboBox::ItemText(int index) const {
    if (!Handle()) return {};
    const LRESULT length = SendMessageW(Handle(), CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return {};
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(Handle(), CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(text.data()));
    text.resize(static_cast<std::size_t>(length));
    return Utf8(text);
}

// ---- GroupBox ----

GroupBox::GroupBox(Component* owner) : Control(owner) {
    SetParentColor(true);
}

void GroupBox::GetCreateParams(CreateParams& params) {
    params.ownClassName = "TGroupBox";
    params.style = WS_CLIPCHILDREN;
}

void GroupBox::Paint(HDC canvas, const RECT& client) {
    ScopedSelect font(canvas, FontHandle());
    TEXTMETRICW metrics{};
    GetTextMetricsW(canvas, &metrics);
    // The frame runs through the middle of the caption's line.
    RECT frame = client;
    frame.top += metrics.tmHeight / 2;
    DrawEdge(canvas, &frame, EDGE_ETCHED, BF_RECT);
    const std::string text = Caption();
    if (text.empty()) return;
    RECT place{0, 0, 0, metrics.tmHeight};
    DrawUtf8Text(canvas, text, place, DT_SINGLELINE | DT_CALCRECT);
    // Eight pixels in, or less where the box is too narrow for its caption.
    const LONG width = place.right;
    place.left = std::max<LONG>(2, std::min<LONG>(8, client.right - width - 4));
    place.right = std::min<LONG>(place.left + width, client.right - 2);
    // The caption stands on the box's own colour, interrupting the frame.
    InflateRect(&place, 2, 0);
    FillSolid(canvas, place, ToRgb(GetColor()));
    InflateRect(&place, -2, 0);
    SetBkMode(canvas, TRANSPARENT);
    SetTextColor(canvas, ToRgb(Font().color));
    DrawUtf8Text(canvas, text, place, DT_SINGLELINE);
}

char GroupBox::Mnemonic() const {
    return MnemonicOf(Caption());
}

void GroupBox::ActivateMnemonic() {
    for (Control* child : TabList())
        if (child->TabStop() && child->CanFocus()) {
            child->SetFocus();
            return;
        }
}

// ---- ComboBox ----

ComboBox::ComboBox(Component* owner) : Control(owner) {
    SetTabStop(true);
    SetColor(clWindow);
}

void ComboBox::GetCreateParams(CreateParams& params) {
    params.className = "COMBOBOX";
    params.style = CBS_DROPDOWNLIST | WS_VSCROLL;
}

void ComboBox::HandleCreated() {
    SetItems(items_);
}

void ComboBox::SetItems(const std::vector<std::string>& items) {
    if (&items != &items_) items_ = items;
    if (itemIndex_ >= ItemCount()) itemIndex_ = -1;
    if (!Handle()) return;
    SendMessageW(Handle(), CB_RESETCONTENT, 0, 0);
    for (const std::string& item : items_)
        SendMessageW(Handle(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(item).c_str()));
    SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
    // The dropped-down list's height depends on the items' height, known now.
    SetBounds(stored_.left, stored_.top, stored_.width, stored_.height);
}

int ComboBox::ItemIndex() const {
    return itemIndex_;
}

void ComboBox::SetItemIndex(int index) {
    itemIndex_ = index >= 0 && index < ItemCount() ? index : -1;
    if (Handle()) SendMessageW(Handle(), CB_SETCURSEL, static_cast<WPARAM>(itemIndex_), 0);
}

void ComboBox::SetDropDownCount(int lines) {
    dropDownCount_ = std::max(1, lines);
    SetBounds(stored_.left, stored_.top, stored_.width, stored_.height);
}

bool ComboBox::DroppedDown() const {
    return Handle() && SendMessageW(Handle(), CB_GETDROPPEDSTATE, 0, 0) != FALSE;
}

int ComboBox::WindowHeightFor(int height) const {
    // The window's height holds the dropped-down list too: that many lines and its border.
    LRESULT line = Handle() ? SendMessageW(Handle(), CB_GETITEMHEIGHT, 0, 0) : CB_ERR;
    if (line == CB_ERR || line <= 0) line = 13;
    return height + dropDownCount_ * static_cast<int>(line) + 2;
}

bool ComboBox::Notify(WORD code) {
    if (code != CBN_SELCHANGE) return false;
    const LRESULT index = SendMessageW(Handle(), CB_GETCURSEL, 0, 0);
    itemIndex_ = index == CB_ERR ? -1 : static_cast<int>(index);
    if (OnChange) OnChange(*this);
    return true;
}

// ---- CheckBox ----

namespace {
WPARAM ButtonCheck(CheckState state) {
    return state == CheckState::Checked  ? BST_CHECKED
           : state == CheckState::Grayed ? BST_INDETERMINATE
                                         : BST_UNCHECKED;
}
} // namespace

CheckBox::CheckBox(Component* owner) : Control(owner) {
    SetTabStop(true);
    SetParentColor(true);
}

void CheckBox::GetCreateParams(CreateParams& params) {
    params.className = "BUTTON";
    // Not the automatic styles: the box changes its state here, in our order.
    params.style = allowGrayed_ ? BS_3STATE : BS_CHECKBOX;
}

void CheckBox::HandleCreated() {
    SendMessageW(Handle(), BM_SETCHECK, ButtonCheck(state_), 0);
}

void CheckBox::SetState(CheckState state) {
    if (state == CheckState::Grayed && !allowGrayed_) state = CheckState::Unchecked;
    state_ = state;
    if (Handle()) SendMessageW(Handle(), BM_SETCHECK, ButtonCheck(state_), 0);
}

void CheckBox::SetAllowGrayed(bool value) {
    allowGrayed_ = value;
    if (Handle()) SendMessageW(Handle(), BM_SETSTYLE, value ? BS_3STATE : BS_CHECKBOX, TRUE);
    if (!value && state_ == CheckState::Grayed) SetState(CheckState::Unchecked);
}

void CheckBox::Click() {
    switch (state_) {
    case CheckState::Unchecked:
        SetState(allowGrayed_ ? CheckState::Grayed : CheckState::Checked);
        break;
    case CheckState::Grayed:
        SetState(CheckState::Checked);
        break;
    case CheckState::Checked:
        SetState(CheckState::Unchecked);
        break;
    }
    Control::Click();
}

bool CheckBox::Notify(WORD code) {
    if (code != BN_CLICKED) return false;
    Click();
    return true;
}

char CheckBox::Mnemonic() const {
    return MnemonicOf(Caption());
}

void CheckBox::ActivateMnemonic() {
    SetFocus();
    Click();
}

// ---- CustomControl ----

CustomControl::CustomControl(Component* owner, std::string className)
    : Control(owner), className_(std::move(className)) {}

void CustomControl::GetCreateParams(CreateParams& params) {
    params.ownClassName = className_;
    params.style = WS_CLIPCHILDREN;
}

LRESULT CustomControl::WndProc(UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_ERASEBKGND && opaque_) return 1;
    return Control::WndProc(message, wParam, lParam);
}

// ---- IconView ----

void IconView::Paint(HDC canvas, const RECT&) {
    // Icons from LoadIcon are shared by the system and never destroyed by us.
    HICON icon = LoadIconW(GetModuleHandleW(nullptr), L"MAINICON");
    if (!icon) icon = LoadIcon(nullptr, IDI_APPLICATION);
    DrawIcon(canvas, 0, 0, icon);
}

} // namespace corv::ui
