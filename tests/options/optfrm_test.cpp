// The options dialog with real windows, real keys and clicks, and the real extension keys under
// HKEY_CLASSES_ROOT (each put back as it was).
#include "options/optfrm.h"
#include "settings/associations.h"
#include "settings/registry.h"
#include "settings/store.h"
#include "tests/support/winsupport.h"
#include "tests/ui/uitest.h"
#include "ui/application.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

namespace corv {
namespace {

using test::Pump;
using ui::CheckState;

class OptionsFormTest : public ::testing::Test {
  protected:
    OptionsFormTest() {
        for (const char* extension : AssocExtensions)
            saved.push_back(std::make_unique<test::SavedKey>(HKEY_CLASSES_ROOT, extension));
    }
    void SetUp() override {
        for (const char* extension : AssocExtensions)
            RegDeleteTreeA(HKEY_CLASSES_ROOT, extension);
        ShowOnSel = ShowMouse = ExecOtherFiles = BigThumbs = AllPictureTypes = false;
        BgColorIdx = 0;
        SetThumbSizes();
    }
    void TearDown() override {
        form.reset();
        ShowOnSel = ShowMouse = ExecOtherFiles = BigThumbs = AllPictureTypes = false;
        BgColorIdx = 0;
        SetThumbSizes();
    }
    void Open() {
        form = std::make_unique<TOptionsForm>(nullptr);
        form->ApplyOptions = [this] { appliedColors.push_back(BgColorIdx); };
        form->Show();
        Pump();
    }
    static void Click(ui::Control& control) {
        SendMessageA(control.Handle(), BM_CLICK, 0, 0);
        Pump(10);
    }
    // Moves the colour list's choice down by the keyboard, as a user would.
    void ChooseColorDown(int steps) {
        form->ComboBoxBgColor->SetFocus();
        for (int i = 0; i < steps; ++i)
            test::PostKey(form->ComboBoxBgColor->Handle(), VK_DOWN);
    }
    static std::string Default(const char* extension) {
        return RegReadString(HKEY_CLASSES_ROOT, extension, "");
    }

    std::vector<std::unique_ptr<test::SavedKey>> saved;
    std::unique_ptr<TOptionsForm> form;
    std::vector<int> appliedColors;
};

TEST_F(OptionsFormTest, ADialogAsDesigned) {
    Open();
    HWND window = form->Handle();
    EXPECT_EQ(test::WindowText(window), "Corvane Options");
    RECT client;
    GetClientRect(window, &client);
    EXPECT_EQ(client.right, 384);
    EXPECT_EQ(client.bottom, 218)
        << "two lines more than the designed 180: photos upright, all picture types";
    const LONG style = GetWindowLongA(window, GWL_STYLE);
    EXPECT_EQ(style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX), 0) << "a fixed dialog border";
    RECT outer;
    GetWindowRect(window, &outer);
    EXPECT_NEAR((outer.left + outer.right) / 2, GetSystemMetrics(SM_CXSCREEN) / 2, 1) << "centred";
    EXPECT_NEAR((outer.top + outer.bottom) / 2, GetSystemMetrics(SM_CYSCREEN) / 2, 1);
    EXPECT_EQ(form->HelpContext(), 130);
    // The boxes are the group boxes' children: their frames hold them.
    EXPECT_EQ(GetParent(form->CheckBigThumbs->Handle()), form->GroupBoxGeneral->Handle());
    EXPECT_EQ(GetParent(form->CheckAllPictureTypes->Handle()), form->GroupBoxGeneral->Handle());
    EXPECT_EQ(test::WindowText(form->CheckAllPictureTypes->Handle()), "Show all &picture types");
    // Below the thumbnails box and then the upright box at the boxes' pitch, inside its group's frame.
    RECT thumbs, upright, all, group;
    GetWindowRect(form->CheckBigThumbs->Handle(), &thumbs);
    GetWindowRect(form->CheckAutoRotate->Handle(), &upright);
    GetWindowRect(form->CheckAllPictureTypes->Handle(), &all);
    GetWindowRect(form->GroupBoxGeneral->Handle(), &group);
    EXPECT_EQ(upright.top - thumbs.top, 19);
    EXPECT_EQ(all.top - upright.top, 19);
    EXPECT_LT(all.bottom, group.bottom);
    EXPECT_EQ(GetParent(form->CheckExtTIFVal->Handle()), form->GroupBoxFileExt->Handle());

    // The colour list: a drop-down list without typing, the nine names, six lines dropped down.
    HWND list = form->ComboBoxBgColor->Handle();
    EXPECT_EQ(GetWindowLongA(list, GWL_STYLE) & (CBS_SIMPLE | CBS_DROPDOWN | CBS_DROPDOWNLIST),
              CBS_DROPDOWNLIST);
    ASSERT_EQ(SendMessageA(list, CB_GETCOUNT, 0, 0), 9);
    std::vector<std::string> names;
    for (int i = 0; i < 9; ++i) {
        char text[32] = "";
        SendMessageA(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(text));
        names.push_back(text);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"[Desktop]", "[Workspace]", "Black", "White", "Red", "Green",
                                               "Blue", "Yellow", "Gray"}));
    SendMessageA(list, CB_SHOWDROPDOWN, TRUE, 0);
    Pump();
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(list, &info));
    RECT dropped;
    GetClientRect(info.hwndList, &dropped);
    EXPECT_EQ(dropped.bottom / SendMessageA(list, CB_GETITEMHEIGHT, 0, 0), 6);
    SendMessageA(list, CB_SHOWDROPDOWN, FALSE, 0);

    for (ui::CheckBox* box : form->ExtensionBoxes())
        EXPECT_EQ(GetWindowLongA(box->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_3STATE) << box->Caption();
    EXPECT_EQ(GetWindowLongA(form->CheckBigThumbs->Handle(), GWL_STYLE) & BS_TYPEMASK, BS_CHECKBOX);
    EXPECT_FALSE(IsWindowEnabled(form->BtnApply->Handle()));
    EXPECT_EQ(form->DefaultButton(), form->BtnApply);
    EXPECT_EQ(form->CancelButton(), form->BtnClose);
}

TEST_F(OptionsFormTest, TabOrderAndMnemonics) {
    Open();
    std::vector<ui::Control*> expected{
        form->ComboBoxBgColor, form->CheckShowOnSel,  form->CheckMouseInFullMode, form->CheckExecOtherFiles,
        form->CheckBigThumbs,  form->CheckAutoRotate, form->CheckAllPictureTypes};
    for (ui::CheckBox* box : form->ExtensionBoxes())
        expected.push_back(box);
    expected.push_back(form->BtnClose);
    expected.push_back(form->ComboBoxBgColor); // Apply is disabled: skipped
    EXPECT_EQ(GetFocus(), form->ComboBoxBgColor->Handle()) << "the first control has the focus";
    for (std::size_t i = 1; i < expected.size(); ++i) {
        test::PostKey(GetFocus(), VK_TAB);
        EXPECT_EQ(GetFocus(), expected[i]->Handle()) << i;
    }

    test::PostKey(GetFocus(), 'e', WM_SYSCHAR);
    EXPECT_EQ(GetFocus(), form->CheckExtBMPVal->Handle()) << "Alt+E: into the extensions";
    test::PostKey(GetFocus(), 'b', WM_SYSCHAR);
    EXPECT_EQ(GetFocus(), form->ComboBoxBgColor->Handle()) << "Alt+B: the label's colour list";
    test::PostKey(GetFocus(), 't', WM_SYSCHAR);
    EXPECT_EQ(GetFocus(), form->CheckBigThumbs->Handle());
    EXPECT_TRUE(form->CheckBigThumbs->Checked()) << "Alt+T clicks the box";
    EXPECT_TRUE(IsWindowEnabled(form->BtnApply->Handle()));
    test::PostKey(GetFocus(), 'a', WM_SYSCHAR);
    EXPECT_TRUE(BigThumbs) << "Alt+A applies";
    EXPECT_FALSE(IsWindowEnabled(form->BtnApply->Handle()));
    EXPECT_EQ(GetFocus(), form->BtnClose->Handle()) << "the focus leaves the disabled Apply for Close";
    test::PostKey(GetFocus(), 'p', WM_SYSCHAR);
    EXPECT_TRUE(form->CheckAllPictureTypes->Checked()) << "Alt+P clicks the box";
    EXPECT_FALSE(AllPictureTypes) << "not before Apply";
    test::PostKey(GetFocus(), 'a', WM_SYSCHAR);
    EXPECT_TRUE(AllPictureTypes);
}

TEST_F(OptionsFormTest, ExtensionBoxesCycleUncheckedGrayedChecked) {
    Open();
    ui::CheckBox& box = *form->CheckExtGIFVal;
    ASSERT_EQ(box.State(), CheckState::Unchecked) << "no .GIF key";
    const auto shown = [&] { return SendMessageA(box.Handle(), BM_GETCHECK, 0, 0); };
    Click(box);
    EXPECT_EQ(box.State(), CheckState::Grayed);
    EXPECT_EQ(shown(), BST_INDETERMINATE);
    Click(box);
    EXPECT_EQ(box.State(), CheckState::Checked);
    EXPECT_EQ(shown(), BST_CHECKED);
    // The space bar is a click too.
    box.SetFocus();
    test::PostKey(box.Handle(), VK_SPACE);
    test::PostKey(box.Handle(), VK_SPACE, WM_KEYUP);
    EXPECT_EQ(box.State(), CheckState::Unchecked);
    EXPECT_EQ(shown(), BST_UNCHECKED);
    // The option boxes have two states only.
    Click(*form->CheckExecOtherFiles);
    EXPECT_EQ(form->CheckExecOtherFiles->State(), CheckState::Checked);
    Click(*form->CheckExecOtherFiles);
    EXPECT_EQ(form->CheckExecOtherFiles->State(), CheckState::Unchecked);
}

TEST_F(OptionsFormTest, ShowsTheSettingsAndTheAssociationsWithApplyDisabled) {
    RegWriteString(HKEY_CLASSES_ROOT, ".PCX", "", "PaintShop.Image");
    RegWriteString(HKEY_CLASSES_ROOT, ".JPG", "", "corvane");
    BgColorIdx = 6;
    ShowOnSel = true;
    BigThumbs = true;
    AllPictureTypes = true;
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        Open();
        EXPECT_EQ(form->CheckExtPCXVal->State(), CheckState::Grayed) << "another program's";
        EXPECT_EQ(form->CheckExtJPGVal->State(), CheckState::Checked);
        EXPECT_EQ(form->CheckExtBMPVal->State(), CheckState::Unchecked);
        EXPECT_EQ(form->ComboBoxBgColor->ItemIndex(), 6);
        EXPECT_EQ(SendMessageA(form->ComboBoxBgColor->Handle(), CB_GETCURSEL, 0, 0), 6);
        EXPECT_TRUE(form->CheckShowOnSel->Checked());
        EXPECT_FALSE(form->CheckMouseInFullMode->Checked());
        EXPECT_FALSE(form->CheckExecOtherFiles->Checked());
        EXPECT_TRUE(form->CheckBigThumbs->Checked());
        EXPECT_TRUE(form->CheckAllPictureTypes->Checked());
        EXPECT_FALSE(IsWindowEnabled(form->BtnApply->Handle()));
        form.reset();
    }
}

TEST_F(OptionsFormTest, ApplyWritesWhatTheBoxesSayAndStaysOpen) {
    RegWriteString(HKEY_CLASSES_ROOT, ".PCX", "", "PaintShop.Image"); // clicked once: ours
    RegWriteString(HKEY_CLASSES_ROOT, ".GIF", "", "giffile");         // unchecked, yet another's: left alone
    RegWriteString(HKEY_CLASSES_ROOT, ".TIF", "", "Corvane");         // clicked once: unchecked
    RegWriteString(HKEY_CLASSES_ROOT, ".TIF", "Content Type", "image/tiff");
    Open();
    Click(*form->CheckExtPCXVal);
    EXPECT_EQ(form->CheckExtPCXVal->State(), CheckState::Checked);
    Click(*form->CheckExtTIFVal);
    EXPECT_EQ(form->CheckExtTIFVal->State(), CheckState::Unchecked);
    Click(*form->CheckExtGIFVal);
    Click(*form->CheckExtGIFVal);
    EXPECT_EQ(form->CheckExtGIFVal->State(), CheckState::Unchecked);
    EXPECT_TRUE(IsWindowEnabled(form->BtnApply->Handle())) << "a click enables Apply";
    EXPECT_EQ(Default(".PCX"), "PaintShop.Image") << "nothing is written before Apply";

    Click(*form->BtnApply);
    EXPECT_EQ(Default(".PCX"), "Corvane");
    EXPECT_EQ(Default(".GIF"), "giffile");
    EXPECT_EQ(form->CheckExtGIFVal->State(), CheckState::Grayed) << "the registry's state, at once";
    EXPECT_EQ(Default(".TIF"), "");
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, ".TIF", "Content Type"), "image/tiff");
    EXPECT_EQ(Default(".BMP"), "") << "unchecked and not ours: nothing written";
    EXPECT_FALSE(IsWindowEnabled(form->BtnApply->Handle()));
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_TRUE(IsWindowEnabled(form->Handle()));
    EXPECT_EQ(ui::App().GetScreenCursor(), ui::ScreenCursor::Default);

    // The colour reaches the main window's ApplyOptions; the large thumbnails their sizes.
    ChooseColorDown(4);
    EXPECT_EQ(form->ComboBoxBgColor->ItemIndex(), 4);
    EXPECT_TRUE(IsWindowEnabled(form->BtnApply->Handle())) << "a new colour enables Apply";
    Click(*form->CheckBigThumbs);
    Click(*form->CheckShowOnSel);
    Click(*form->CheckMouseInFullMode);
    Click(*form->CheckExecOtherFiles);
    Click(*form->BtnApply);
    EXPECT_EQ(appliedColors, (std::vector<int>{0, 4}));
    EXPECT_EQ(BgColorIdx, 4);
    EXPECT_TRUE(BigThumbs && ShowOnSel && ShowMouse && ExecOtherFiles);
    EXPECT_EQ(ThumbCellWidth, 120);
    EXPECT_EQ(ThumbCellHeight, 140);
    EXPECT_EQ(ThumbImageWidth, 116);
    EXPECT_EQ(ThumbImageHeight, 116);
    EXPECT_FALSE(IsWindowEnabled(form->BtnApply->Handle()));
}

// "Turn photos &upright" is the group's line after the large thumbnails, at the same pitch, and sets
// AutoRotate.
TEST_F(OptionsFormTest, TurnPhotosUprightBoxShowsAndAppliesAutoRotate) {
    for (bool start : {true, false}) {
        SCOPED_TRACE(start);
        AutoRotate = start;
        Open();
        ui::CheckBox& box = *form->CheckAutoRotate;
        EXPECT_EQ(box.Caption(), "Turn photos &upright");
        EXPECT_EQ(GetParent(box.Handle()), form->GroupBoxGeneral->Handle());
        EXPECT_EQ(box.Top() - form->CheckBigThumbs->Top(),
                  form->CheckBigThumbs->Top() - form->CheckExecOtherFiles->Top());
        EXPECT_LE(box.Top() + box.Height(), form->GroupBoxGeneral->Height() - 4)
            << "inside the group's frame";
        EXPECT_LE(form->GroupBoxGeneral->Top() + form->GroupBoxGeneral->Height(), form->BtnClose->Top());
        EXPECT_EQ(box.Checked(), start);
        EXPECT_FALSE(IsWindowEnabled(form->BtnApply->Handle()));
        test::PostKey(GetFocus(), 'u', WM_SYSCHAR);
        EXPECT_EQ(GetFocus(), box.Handle()) << "Alt+U";
        EXPECT_EQ(box.Checked(), !start);
        EXPECT_EQ(AutoRotate, start) << "nothing before Apply";
        Click(*form->BtnApply);
        EXPECT_EQ(AutoRotate, !start);
        form.reset();
    }
    AutoRotate = true;
}

TEST_F(OptionsFormTest, CloseDropsWhatWasNotApplied) {
    RegWriteString(HKEY_CLASSES_ROOT, ".BMP", "", "Paint.Picture");
    form = std::make_unique<TOptionsForm>(nullptr);
    form->ApplyOptions = [this] { appliedColors.push_back(BgColorIdx); };
    test::AfterMessages([this] {
        ChooseColorDown(3);
        Click(*form->CheckExtBMPVal);
        Click(*form->CheckShowOnSel);
        test::PostKey(GetFocus(), VK_ESCAPE);
    });
    EXPECT_EQ(form->ShowModal(), ui::mrOk) << "Esc is Close, which closes with OK";
    EXPECT_EQ(BgColorIdx, 0);
    EXPECT_FALSE(ShowOnSel);
    EXPECT_TRUE(appliedColors.empty());
    EXPECT_EQ(Default(".BMP"), "Paint.Picture");
}

} // namespace
} // namespace corv
