// The window framework with real windows: ownership, handle counts, focus navigation, key preview,
// default and cancel buttons, mnemonics, modal forms, closing, automatic scroll bars, layout tables.
#include "tests/ui/uitest.h"
#include "ui/application.h"
#include "ui/filelist.h"
#include "ui/form.h"
#include "ui/layout.h"
#include "ui/menus.h"
#include "ui/stdctrls.h"

#include <gtest/gtest.h>

#include <array>

namespace corv::ui {
namespace {

using test::PostKey;
using test::Pump;

class Tracked : public Component {
  public:
    Tracked(Component* owner, int& alive) : Component(owner), alive_(alive) { ++alive_; }
    ~Tracked() override { --alive_; }

  private:
    int& alive_;
};

TEST(Components, OwnersFreeWhatTheyOwn) {
    int alive = 0;
    {
        Component root(nullptr);
        auto* a = new Tracked(&root, alive);
        new Tracked(a, alive);
        auto* c = new Tracked(&root, alive);
        c->SetName("c");
        EXPECT_EQ(alive, 3);
        EXPECT_EQ(root.FindComponent("c"), c);
        delete c; // freed early: it leaves its owner's list
        EXPECT_EQ(alive, 2);
        EXPECT_EQ(root.Components().size(), 1u);
        EXPECT_EQ(root.FindComponent("c"), nullptr);
    }
    EXPECT_EQ(alive, 0);
}

std::array<long, static_cast<int>(HandleKind::Count)> Counts() {
    std::array<long, static_cast<int>(HandleKind::Count)> counts{};
    for (int i = 0; i < static_cast<int>(HandleKind::Count); ++i)
        counts[i] = LiveHandles(static_cast<HandleKind>(i));
    return counts;
}

TEST(Controls, WindowsMadeLateOrEarlyAndAllHandlesGivenBack) {
    const auto before = Counts();
    {
        Form form(nullptr, FormStyle{.className = "TCountForm"});
        auto* panel = new Panel(&form);
        panel->SetBounds(0, 0, 200, 200);
        panel->SetCaption("Caption");
        // A child put into a parent without a window is made with the parent's, as set by then.
        auto* label = new Label(panel);
        label->SetCaption("Text");
        label->SetParent(panel);
        EXPECT_EQ(label->Handle(), nullptr);
        panel->SetParent(&form);
        ASSERT_NE(label->Handle(), nullptr);
        EXPECT_EQ(GetParent(label->Handle()), panel->Handle());
        wchar_t text[8] = L"";
        GetWindowTextW(label->Handle(), text, 8);
        EXPECT_STREQ(text, L"Text");
        panel->SetFont(FontSpec{"Times New Roman", -20, true, RGB(255, 0, 0)});
        panel->SetColor(RGB(1, 2, 3));
        auto* list = new FileListBox(&form);
        list->SetBounds(0, 0, 100, 100);
        list->SetParent(panel);
        auto* button = new Button(&form);
        button->SetParent(&form);
        form.Show();
        Pump();
        EXPECT_GT(LiveHandles(HandleKind::Window), before[static_cast<int>(HandleKind::Window)] + 4);
        EXPECT_GT(LiveHandles(HandleKind::Font), before[static_cast<int>(HandleKind::Font)]);
        EXPECT_EQ(LiveHandles(HandleKind::Icon), before[static_cast<int>(HandleKind::Icon)] + 3)
            << "the list's folder, program and document icons";
    }
    EXPECT_EQ(Counts(), before);
}

class FocusForm : public ::testing::Test {
  protected:
    void SetUp() override {
        form = std::make_unique<Form>(nullptr, FormStyle{.className = "TFocusForm"});
        form->SetBounds(50, 50, 400, 300);
        for (int i = 0; i < 4; ++i) {
            buttons[i] = new Button(form.get());
            buttons[i]->SetName(std::string(1, static_cast<char>('0' + i)));
            buttons[i]->SetCaption(std::string("&") + static_cast<char>('K' + i) + " button");
            buttons[i]->SetBounds(10, 10 + 30 * i, 100, 24);
            buttons[i]->SetParent(form.get());
            buttons[i]->OnClick = [this, i](Control&) { ++clicks[i]; };
        }
        list = new FileListBox(form.get());
        list->SetBounds(150, 10, 200, 100);
        list->SetParent(form.get());
        // Tab order: B2, list, B0, B1, B3.
        buttons[2]->SetTabOrder(0);
        list->SetTabOrder(1);
        form->Show();
        Pump();
    }
    void TearDown() override {
        SetShift(false);
        form.reset();
    }
    static void SetShift(bool down) {
        BYTE state[256];
        GetKeyboardState(state);
        state[VK_SHIFT] = down ? 0x80 : 0;
        SetKeyboardState(state);
    }
    Control* Focus() { return Control::FromHandle(GetFocus()); }

    std::unique_ptr<Form> form;
    std::array<Button*, 4> buttons{};
    FileListBox* list = nullptr;
    std::array<int, 4> clicks{};
};

TEST_F(FocusForm, TabFollowsTheTabOrderAndSkipsDisabledControls) {
    EXPECT_EQ(buttons[2]->TabOrder(), 0);
    EXPECT_EQ(list->TabOrder(), 1);
    EXPECT_EQ(buttons[0]->TabOrder(), 2);
    EXPECT_EQ(Focus(), buttons[2]) << "the first control in tab order gets the focus";
    buttons[1]->SetEnabled(false);
    std::vector<Control*> visited;
    for (int i = 0; i < 5; ++i) {
        PostKey(GetFocus(), VK_TAB);
        visited.push_back(Focus());
    }
    EXPECT_EQ(visited, (std::vector<Control*>{list, buttons[0], buttons[3], buttons[2], list}));
    SetShift(true);
    PostKey(GetFocus(), VK_TAB);
    EXPECT_EQ(Focus(), buttons[2]);
    PostKey(GetFocus(), VK_TAB);
    EXPECT_EQ(Focus(), buttons[3]) << "Shift+Tab wraps backwards";
}

TEST_F(FocusForm, ArrowsMoveBetweenButtonsButStayInTheList) {
    buttons[0]->SetFocus();
    test::PostKey(buttons[0]->Handle(), VK_DOWN);
    EXPECT_EQ(Focus(), buttons[1]);
    test::PostKey(buttons[1]->Handle(), VK_UP);
    EXPECT_EQ(Focus(), buttons[0]);
    list->SetFocus();
    test::PostKey(list->Handle(), VK_DOWN);
    EXPECT_EQ(Focus(), list) << "the list takes its arrows itself";
}

TEST_F(FocusForm, KeyPreviewSeesKeysFirstAndCanConsumeThem) {
    std::vector<std::string> seen;
    form->SetKeyPreview(true);
    form->OnKeyUp = [&](Control&, WORD& key, ShiftState) {
        seen.push_back("form " + std::to_string(key));
        if (key == VK_F5) key = 0;
    };
    list->OnKeyUp = [&](Control&, WORD& key, ShiftState) { seen.push_back("list " + std::to_string(key)); };
    list->SetFocus();
    PostKey(list->Handle(), VK_F5, WM_KEYUP);
    PostKey(list->Handle(), VK_F6, WM_KEYUP);
    EXPECT_EQ(seen, (std::vector<std::string>{"form 116", "form 117", "list 117"}));
    form->SetKeyPreview(false);
    seen.clear();
    PostKey(list->Handle(), VK_F5, WM_KEYUP);
    EXPECT_EQ(seen, (std::vector<std::string>{"list 116"}));
}

TEST_F(FocusForm, EnterAndEscapeClickTheDefaultAndCancelButtons) {
    buttons[0]->SetDefault(true);
    buttons[3]->SetCancel(true);
    list->SetFocus();
    PostKey(list->Handle(), VK_RETURN);
    EXPECT_EQ(clicks, (std::array<int, 4>{1, 0, 0, 0}));
    PostKey(list->Handle(), VK_ESCAPE);
    EXPECT_EQ(clicks, (std::array<int, 4>{1, 0, 0, 1}));
    // A focused button takes Enter itself.
    buttons[1]->SetFocus();
    PostKey(buttons[1]->Handle(), VK_RETURN);
    EXPECT_EQ(clicks, (std::array<int, 4>{1, 1, 0, 1}));
    // A disabled default button does nothing.
    buttons[0]->SetEnabled(false);
    list->SetFocus();
    PostKey(list->Handle(), VK_RETURN);
    EXPECT_EQ(clicks[0], 1);
}

TEST_F(FocusForm, MnemonicsClickTheirButtons) {
    list->SetFocus();
    // Alt+M: the third button ("&M button").
    PostMessageA(list->Handle(), WM_SYSCHAR, 'm', 0x20000001);
    Pump();
    EXPECT_EQ(clicks, (std::array<int, 4>{0, 0, 1, 0}));
    EXPECT_EQ(Focus(), buttons[2]);
    // A plain letter works while a button (which takes no characters) has the focus...
    PostMessageA(buttons[2]->Handle(), WM_CHAR, 'k', 1);
    Pump();
    EXPECT_EQ(clicks, (std::array<int, 4>{1, 0, 1, 0}));
    // ... but not in the list, which searches its entries with letters.
    list->SetFocus();
    PostMessageA(list->Handle(), WM_CHAR, 'l', 1);
    Pump();
    EXPECT_EQ(clicks, (std::array<int, 4>{1, 0, 1, 0}));
    // Disabled buttons do not answer.
    buttons[3]->SetEnabled(false);
    PostMessageA(list->Handle(), WM_SYSCHAR, 'n', 0x20000001);
    Pump();
    EXPECT_EQ(clicks[3], 0);
}

TEST(Forms, ModalFormRunsItsOwnLoopAndDisablesTheOthers) {
    Form owner(nullptr, FormStyle{.className = "TOwnerForm"});
    owner.Show();
    Form dialog(nullptr, FormStyle{.className = "TModalForm"});
    auto* ok = new Button(&dialog);
    ok->SetCaption("OK");
    ok->SetBounds(10, 10, 75, 25);
    ok->SetParent(&dialog);
    ok->SetModalResult(mrOk);
    bool ownerWasDisabled = false;
    test::AfterMessages([&] {
        ownerWasDisabled = !IsWindowEnabled(owner.Handle());
        SendMessageA(ok->Handle(), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    EXPECT_TRUE(ownerWasDisabled);
    EXPECT_TRUE(IsWindowEnabled(owner.Handle()));
    EXPECT_FALSE(IsWindowVisible(dialog.Handle()));
    // Closing it from its frame gives Cancel.
    test::AfterMessages([&] { PostMessageA(dialog.Handle(), WM_CLOSE, 0, 0); });
    EXPECT_EQ(dialog.ShowModal(), mrCancel);
}

TEST(Forms, OnCloseCanRefuse) {
    Form form(nullptr, FormStyle{.className = "TCloseForm"});
    int asked = 0;
    form.OnClose = [&](Form&, CloseAction& action) {
        ++asked;
        action = CloseAction::None;
    };
    form.Show();
    form.Close();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(IsWindowVisible(form.Handle()));
    form.OnClose = nullptr;
    form.Close();
    EXPECT_FALSE(IsWindowVisible(form.Handle())) << "a form that is not the main form hides";
}

TEST(Forms, FreeOnCloseReleasesTheFormLater) {
    const long windows = LiveHandles(HandleKind::Window);
    Component owner(nullptr);
    auto* form = new Form(&owner, FormStyle{.className = "TFreeForm"});
    new Button(form);
    form->OnClose = [](Form&, CloseAction& action) { action = CloseAction::Free; };
    form->Show();
    HWND window = form->Handle();
    form->Close();
    EXPECT_EQ(owner.Components().size(), 1u) << "not while its own handler may still run";
    Pump();
    EXPECT_TRUE(owner.Components().empty());
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(LiveHandles(HandleKind::Window), windows);
}

TEST(Forms, ScrollBarsFollowTheControls) {
    Form form(nullptr, FormStyle{.className = "TScrollForm"});
    form.SetBounds(0, 0, 400, 300);
    auto* panel = new Panel(&form);
    panel->SetBounds(10, 10, 100, 100);
    panel->SetParent(&form);
    form.SetAutoScroll(true);
    form.Show();
    Pump();
    EXPECT_FALSE(form.HorzScrollVisible());
    EXPECT_FALSE(form.VertScrollVisible());
    panel->SetBounds(10, 10, 100, 1000);
    Pump();
    EXPECT_FALSE(form.HorzScrollVisible());
    EXPECT_TRUE(form.VertScrollVisible());
    form.ScrollTo(0, 200);
    EXPECT_EQ(form.VertScrollPosition(), 200);
    EXPECT_EQ(panel->Top(), 10 - 200) << "the controls move with the scrolling";
    form.ScrollTo(0, 0);
    EXPECT_EQ(panel->Top(), 10);
    panel->SetBounds(10, 10, 1000, 100);
    Pump();
    EXPECT_TRUE(form.HorzScrollVisible());
    EXPECT_FALSE(form.VertScrollVisible());
    form.SetBounds(0, 0, 1100, 300);
    Pump();
    EXPECT_FALSE(form.HorzScrollVisible());
}

TEST(Forms, MinimumTrackingSize) {
    Form form(nullptr, FormStyle{.className = "TMinForm"});
    form.SetMinimumSize(300, 250);
    MINMAXINFO info{};
    SendMessageA(form.Handle(), WM_GETMINMAXINFO, 0, reinterpret_cast<LPARAM>(&info));
    EXPECT_EQ(info.ptMinTrackSize.x, 300);
    EXPECT_EQ(info.ptMinTrackSize.y, 250);
}

TEST(Forms, WindowStateBeforeAndAfterShowing) {
    Form form(nullptr, FormStyle{.className = "TStateForm"});
    form.SetWindowState(WindowState::Maximized);
    EXPECT_FALSE(IsWindowVisible(form.Handle()));
    form.Show();
    EXPECT_TRUE(IsZoomed(form.Handle()));
    form.SetWindowState(WindowState::Minimized);
    EXPECT_TRUE(IsIconic(form.Handle()));
    EXPECT_EQ(form.GetWindowState(), WindowState::Minimized);
    form.SetWindowState(WindowState::Normal);
    EXPECT_EQ(form.GetWindowState(), WindowState::Normal);
}

// ---- layout tables ----

constexpr FontDesign kBig{"Arial", -20, true, RGB(0, 0, 255)};
constexpr ControlDesign kControls[] = {
    {.name = "Box",
     .kind = "TPanel",
     .left = 5,
     .top = 6,
     .width = 150,
     .height = 120,
     .caption = "Box",
     .font = &kBig,
     .color = RGB(10, 20, 30),
     .bevelInner = Bevel::Lowered,
     .bevelWidth = 2},
    {.name = "Hello", .kind = "TLabel", .parent = "Box", .left = 4, .top = 4, .caption = "A&B"},
    {.name = "Fixed",
     .kind = "TLabel",
     .parent = "Box",
     .left = 4,
     .top = 40,
     .width = 90,
     .height = 13,
     .caption = "A&B",
     .flags = dfFixedSize | dfNoPrefix},
    {.name = "Second",
     .kind = "TButton",
     .left = 200,
     .top = 10,
     .width = 80,
     .height = 24,
     .caption = "&Two",
     .tabOrder = 1},
    {.name = "First",
     .kind = "TButton",
     .left = 200,
     .top = 40,
     .width = 80,
     .height = 24,
     .caption = "&One",
     .tabOrder = 0,
     .flags = dfDisabled | dfDefault},
};
constexpr MenuItemDesign kMenu[] = {{"Menu", "ItemA", "&A"}, {"Menu", "Sep", "-"}, {"Menu", "ItemB", "&B"}};

FormDesign TestDesign() {
    return FormDesign{.name = "TestForm",
                      .caption = "Layout",
                      .width = 320,
                      .height = 240,
                      .font = {},
                      .controls = kControls,
                      .menuItems = kMenu};
}

TEST(Layout, BuildsTheControlsAsDesigned) {
    Form form(nullptr, FormStyle{.className = "TLayoutForm"});
    int clicked = 0;
    BuildLayout(form, TestDesign());
    ControlAs<Button>(form, "Second").OnClick = [&](Control&) { ++clicked; };
    ComponentAs<PopupMenu>(form, "Menu").Item("ItemB").onClick = [&](Control&) { ++clicked; };
    EXPECT_EQ(form.Width(), 320);
    EXPECT_EQ(form.Height(), 240);
    EXPECT_EQ(test::WindowText(form.Handle()), "Layout");

    auto& box = ControlAs<Panel>(form, "Box");
    EXPECT_EQ(box.Left(), 5);
    EXPECT_EQ(box.Top(), 6);
    EXPECT_EQ(box.Width(), 150);
    EXPECT_EQ(box.Height(), 120);
    EXPECT_EQ(box.GetColor(), RGB(10, 20, 30));
    EXPECT_EQ(box.Font().name, "Arial");
    EXPECT_EQ(box.BevelInner(), Bevel::Lowered);
    EXPECT_EQ(box.BevelWidth(), 2);

    auto& hello = ControlAs<Label>(form, "Hello");
    EXPECT_EQ(GetParent(hello.Handle()), box.Handle());
    EXPECT_GT(hello.Width(), 0) << "sized to its text";
    EXPECT_EQ(hello.Font().name, "Arial") << "labels take their parent's font";
    EXPECT_EQ(hello.GetColor(), box.GetColor()) << "and its colour";
    EXPECT_EQ(GetWindowLongA(hello.Handle(), GWL_STYLE) & SS_NOPREFIX, 0);
    auto& fixed = ControlAs<Label>(form, "Fixed");
    EXPECT_EQ(fixed.Width(), 90);
    EXPECT_EQ(fixed.Height(), 13);
    EXPECT_NE(GetWindowLongA(fixed.Handle(), GWL_STYLE) & SS_NOPREFIX, 0) << "\"&\" shown as it is";

    auto& first = ControlAs<Button>(form, "First");
    auto& second = ControlAs<Button>(form, "Second");
    EXPECT_EQ(first.TabOrder(), 0);
    EXPECT_EQ(second.TabOrder(), 1);
    EXPECT_FALSE(IsWindowEnabled(first.Handle()));
    EXPECT_EQ(form.DefaultButton(), &first);

    SendMessageA(second.Handle(), BM_CLICK, 0, 0);
    EXPECT_EQ(clicked, 1);
    auto* menu = dynamic_cast<PopupMenu*>(form.FindComponent("Menu"));
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->Items().size(), 3u);
    EXPECT_EQ(menu->Items()[1].caption, "-");
    // Choosing an item runs its handler; an item with no handler does nothing.
    test::AfterMessages([] { test::ChooseMenuItem(2); });
    menu->Popup(100, 100, &second);
    EXPECT_EQ(clicked, 2);
}

TEST(Layout, UnknownNamesAreDesignErrors) {
    Form form(nullptr, FormStyle{.className = "TLayoutForm"});
    BuildLayout(form, TestDesign());
    EXPECT_THROW(ComponentAs<PopupMenu>(form, "Menu").Item("ItemC"), std::logic_error)
        << "a menu item missing";
    EXPECT_THROW(ComponentAs<PopupMenu>(form, "Second"), std::logic_error) << "a component of another kind";
    EXPECT_THROW(DesignOf(TestDesign(), "Third"), std::logic_error) << "a control the design lacks";
    constexpr ControlDesign badKind[] = {{.name = "X", .kind = "TNoSuchThing"}};
    Form third(nullptr, FormStyle{.className = "TLayoutForm"});
    EXPECT_THROW(BuildLayout(third, FormDesign{.font = {}, .controls = badKind, .menuItems = {}}),
                 std::logic_error);
    constexpr ControlDesign badFocus[] = {
        {.name = "L", .kind = "TLabel", .caption = "&Name", .focusControl = "None"}};
    Form fourth(nullptr, FormStyle{.className = "TLayoutForm"});
    EXPECT_THROW(BuildLayout(fourth, FormDesign{.font = {}, .controls = badFocus, .menuItems = {}}),
                 std::logic_error)
        << "a focus control that does not exist";
}

// A side panel that grows with the form, a panel in it that grows with the side panel, a row kept at the
// bottom edge and a box that stays where it is.
constexpr ControlDesign kAnchoredControls[] = {
    {.name = "Side",
     .kind = "TPanel",
     .left = 4,
     .top = 4,
     .width = 100,
     .height = 150,
     .flags = dfStretchHeight},
    {.name = "Inner",
     .kind = "TPanel",
     .parent = "Side",
     .left = 4,
     .top = 40,
     .width = 90,
     .height = 100,
     .flags = dfStretchHeight},
    {.name = "Row",
     .kind = "TPanel",
     .left = 4,
     .top = 160,
     .width = 100,
     .height = 36,
     .flags = dfAnchorBottom},
    {.name = "Box", .kind = "TPanel", .left = 120, .top = 4, .width = 50, .height = 50},
};

TEST(Layout, AnchoredControlsKeepTheirDistanceToTheBottomEdge) {
    Form form(nullptr, FormStyle{.className = "TLayoutForm"});
    const FormDesign design{.name = "AnchorForm",
                            .clientWidth = 200,
                            .clientHeight = 200,
                            .font = {},
                            .controls = kAnchoredControls,
                            .menuItems = {}};
    BuildLayout(form, design);
    ASSERT_EQ(form.ClientHeight(), 200) << "a form designed by its client area gets that client size";
    for (const int clientHeight : {260, 180}) {
        form.SetClientSize(200, clientHeight);
        ApplyAnchors(form, design);
        const int growth = clientHeight - 200;
        EXPECT_EQ(ControlAs<Panel>(form, "Side").Height(), 150 + growth);
        EXPECT_EQ(ControlAs<Panel>(form, "Inner").Height(), 100 + growth) << "grows with its parent";
        EXPECT_EQ(ControlAs<Panel>(form, "Inner").Top(), 40);
        EXPECT_EQ(ControlAs<Panel>(form, "Row").Top(), 160 + growth);
        EXPECT_EQ(ControlAs<Panel>(form, "Row").Height(), 36);
        EXPECT_EQ(ControlAs<Panel>(form, "Box").Top(), 4);
        EXPECT_EQ(ControlAs<Panel>(form, "Box").Height(), 50);
    }
}

// A label names the edit below it; the edit stands later in the table.
constexpr ControlDesign kEditControls[] = {
    {.name = "LabelName",
     .kind = "TLabel",
     .left = 8,
     .top = 8,
     .caption = "&Name:",
     .focusControl = "EditName"},
    {.name = "BtnFirst",
     .kind = "TButton",
     .left = 8,
     .top = 60,
     .width = 75,
     .height = 25,
     .caption = "First",
     .tabOrder = 0},
    {.name = "EditName", .kind = "TEdit", .left = 8, .top = 24, .width = 200, .height = 21, .tabOrder = 1},
};

TEST(Layout, EditsAndTheLabelsThatFocusThem) {
    Form form(nullptr, FormStyle{.className = "TLayoutForm"});
    BuildLayout(form, FormDesign{.name = "EditForm",
                                 .caption = "Edit",
                                 .width = 260,
                                 .height = 140,
                                 .font = {},
                                 .controls = kEditControls,
                                 .menuItems = {}});
    auto& edit = ControlAs<Edit>(form, "EditName");
    auto& first = ControlAs<Button>(form, "BtnFirst");
    char className[16] = "";
    GetClassNameA(edit.Handle(), className, sizeof className);
    EXPECT_STREQ(className, "Edit");
    EXPECT_EQ(edit.Width(), 200);
    form.Show();
    test::Pump();

    edit.SetText("hello");
    EXPECT_EQ(edit.Text(), "hello");
    first.SetFocus();
    // Alt+N is the label's letter: its edit takes the focus with the whole text selected.
    PostMessageA(first.Handle(), WM_SYSCHAR, 'n', 1 << 29);
    test::Pump();
    EXPECT_EQ(GetFocus(), edit.Handle());
    EXPECT_EQ(edit.SelStart(), 0);
    EXPECT_EQ(edit.SelLength(), 5);
    // Typing replaces the selection; the text is read back as typed.
    test::PostKey(edit.Handle(), 'W', WM_CHAR);
    test::PostKey(edit.Handle(), 'x', WM_CHAR);
    EXPECT_EQ(edit.Text(), "Wx");
    EXPECT_EQ(edit.SelLength(), 0);
    // Plain letters are the edit's, not mnemonics.
    test::PostKey(edit.Handle(), 'n', WM_CHAR);
    EXPECT_EQ(edit.Text(), "Wxn");
    EXPECT_EQ(GetFocus(), edit.Handle());
    edit.SelectAll();
    EXPECT_EQ(edit.SelLength(), 3);
    // Tab leaves and Shift+Tab comes back with everything selected.
    test::PostKey(edit.Handle(), VK_TAB);
    EXPECT_EQ(GetFocus(), first.Handle());
    SendMessageA(edit.Handle(), EM_SETSEL, 1, 1);
    edit.SetFocus();
    EXPECT_EQ(edit.SelLength(), 3);
}

} // namespace
} // namespace corv::ui
