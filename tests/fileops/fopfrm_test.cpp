// The file-operations dialog as a real window, with real files, the real shell and its folder dialog.
#include "fileops/fopfrm.h"

#include "fileops/shellfileop.h"
#include "tests/support/winsupport.h"
#include "tests/ui/uitest.h"
#include "ui/application.h"
#include "ui/layout.h"

#include <gtest/gtest.h>

#include <shlobj.h>

using namespace corv;
using namespace corv::test;

namespace {

std::string Upper(std::string text) {
    CharUpperA(text.data());
    return text;
}

class FileOpFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        WriteFileBytes(folder / "a.txt", "a");
        CreateDirectoryA((folder / "sub").c_str(), nullptr);
        dialog = std::make_unique<TFileOpForm>(nullptr);
        dialog->Show();
        Pump();
    }
    void TearDown() override { dialog.reset(); }
    void Fill(const std::string& from, const std::string& to) {
        dialog->EditFrom->SetText(from);
        dialog->EditTo->SetText(to);
    }
    TempFolder folder;
    std::unique_ptr<TFileOpForm> dialog;
};

TEST_F(FileOpFormTest, DesignedAsADialogWithItsButtonRow) {
    EXPECT_EQ(dialog->Caption(), "File Operations");
    EXPECT_EQ(dialog->ClientWidth(), 368);
    EXPECT_EQ(dialog->ClientHeight(), 148);
    EXPECT_EQ(dialog->HelpContext(), 150);
    EXPECT_EQ(dialog->LabelFrom->Caption(), "&Source File(s):");
    EXPECT_EQ(dialog->LabelTo->Caption(), "&Destination:");
    EXPECT_EQ(dialog->EditFrom->Width(), 280);
    EXPECT_EQ(dialog->EditTo->Width(), 280);
    EXPECT_EQ(dialog->DefaultButton(), dialog->BtnRename);
    EXPECT_EQ(dialog->CancelButton(), dialog->BtnClose);
    EXPECT_FALSE(GetWindowLongA(dialog->Handle(), GWL_STYLE) & WS_THICKFRAME) << "a fixed border";

    std::vector<std::string> order;
    for (ui::Control* control : dialog->FocusOrder())
        if (control->TabStop()) order.push_back(control->Name());
    EXPECT_EQ(order, (std::vector<std::string>{"EditFrom", "BtnBrowseFrom", "EditTo", "BtnBrowseTo",
                                               "BtnRename", "BtnDelete", "BtnMove", "BtnCopy", "BtnClose"}));
    // One row below the edits, in this order.
    const std::vector<ui::Button*> row{dialog->BtnRename, dialog->BtnDelete, dialog->BtnMove, dialog->BtnCopy,
                                       dialog->BtnClose};
    const std::vector<std::string> captions{"&Rename", "D&elete", "&Move", "C&opy", "&Close"};
    for (std::size_t i = 0; i < row.size(); ++i) {
        EXPECT_EQ(row[i]->Caption(), captions[i]);
        EXPECT_EQ(row[i]->Top(), row[0]->Top());
        EXPECT_GE(row[i]->Top(), dialog->EditTo->Top() + dialog->EditTo->Height());
        if (i > 0) {
            EXPECT_GE(row[i]->Left(), row[i - 1]->Left() + row[i - 1]->Width());
        }
        EXPECT_LE(row[i]->Left() + row[i]->Width(), dialog->ClientWidth());
    }
    EXPECT_EQ(dialog->BtnBrowseFrom->Caption(), "&Browse");
    EXPECT_EQ(dialog->BtnBrowseTo->Caption(), "Bro&wse");
}

TEST_F(FileOpFormTest, ShownModallyItIsCentredStartsInTheDestinationAndEscClosesWithOk) {
    TFileOpForm modal(nullptr);
    HWND focus = nullptr;
    RECT bounds{};
    ui::Control* labelTarget = nullptr;
    AfterMessages(
        [&] {
            // The activation may take a moment on a busy machine.
            for (int tries = 0; tries < 100 && !IsChild(modal.Handle(), GetFocus()); ++tries)
                Pump(20);
            focus = GetFocus();
            GetWindowRect(modal.Handle(), &bounds);
            // Alt+S is the source label's letter: its edit takes the focus.
            PostMessageA(modal.EditTo->Handle(), WM_SYSCHAR, 's', 1 << 29);
            Pump(50);
            labelTarget = ui::Control::FromHandle(GetFocus());
            PostMessageA(modal.EditFrom->Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
            // Should Esc not close it, this does, with another result.
            PostMessageA(modal.Handle(), WM_CLOSE, 0, 0);
        },
        200);
    EXPECT_EQ(modal.ShowModal(), ui::mrOk);
    EXPECT_EQ(focus, modal.EditTo->Handle());
    EXPECT_EQ(labelTarget, modal.EditFrom);
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    EXPECT_NEAR(bounds.left, (GetSystemMetrics(SM_CXSCREEN) - width) / 2, 1);
    EXPECT_NEAR(bounds.top, (GetSystemMetrics(SM_CYSCREEN) - height) / 2, 1);
}

TEST_F(FileOpFormTest, MissingSourceIsReportedFirstWithTheFocusInItsEdit) {
    ScriptedMessageBoxes boxes({IDOK, IDOK});
    Fill("", "");
    dialog->BtnMove->Click();
    ASSERT_EQ(boxes.Asked().size(), 1u) << "the destination is not examined without a source";
    const MessageBoxRequest& asked = boxes.Asked()[0];
    EXPECT_EQ(asked.text, "Please select Source file(s) first !");
    EXPECT_EQ(asked.caption, "Information");
    EXPECT_EQ(asked.beepType, static_cast<UINT>(MB_ICONINFORMATION));
    EXPECT_EQ(asked.buttons, static_cast<UINT>(MB_OK));
    EXPECT_EQ(asked.owner, dialog->Handle());
    EXPECT_EQ(GetFocus(), dialog->EditFrom->Handle());

    dialog->EditTo->SetFocus();
    dialog->BtnDelete->Click();
    ASSERT_EQ(boxes.Asked().size(), 2u);
    EXPECT_EQ(boxes.Asked()[1].text, "Please select Source file(s) first !");
    EXPECT_EQ(GetFocus(), dialog->EditFrom->Handle());
    EXPECT_TRUE(IsWindowVisible(dialog->Handle())) << "the dialog stays open";
}

TEST_F(FileOpFormTest, MissingDestinationIsReportedWithTheFocusInItsEdit) {
    ScriptedMessageBoxes boxes({IDOK, IDOK, IDOK});
    for (ui::Button* button : {dialog->BtnRename, dialog->BtnMove, dialog->BtnCopy}) {
        Fill(folder / "a.txt", "");
        dialog->EditFrom->SetFocus();
        button->Click();
        EXPECT_EQ(GetFocus(), dialog->EditTo->Handle()) << button->Name();
    }
    ASSERT_EQ(boxes.Asked().size(), 3u);
    for (const MessageBoxRequest& asked : boxes.Asked()) {
        EXPECT_EQ(asked.text, "Please select a Destination first !");
        EXPECT_EQ(asked.caption, "Information");
        EXPECT_EQ(asked.beepType, static_cast<UINT>(MB_ICONINFORMATION));
    }
    EXPECT_EQ(ReadFileBytes(folder / "a.txt"), "a") << "nothing was done";
    EXPECT_EQ(folder.Files(), (std::vector<std::string>{"a.txt"}));
    EXPECT_FALSE(PathExists(folder / "sub\\a.txt"));
}

TEST_F(FileOpFormTest, EachButtonRunsItsOperationAndTheDialogStaysOpen) {
    ScriptedMessageBoxes boxes;
    Fill(folder / "a.txt", folder / "renamed.txt");
    dialog->BtnRename->Click();
    EXPECT_FALSE(PathExists(folder / "a.txt"));
    EXPECT_EQ(ReadFileBytes(folder / "renamed.txt"), "a");

    Fill(folder / "renamed.txt", folder / "sub");
    dialog->BtnCopy->Click();
    EXPECT_EQ(ReadFileBytes(folder / "sub\\renamed.txt"), "a");
    EXPECT_TRUE(PathExists(folder / "renamed.txt"));

    WriteFileBytes(folder / "moving.txt", "m");
    Fill(folder / "moving.txt", folder / "sub");
    dialog->BtnMove->Click();
    EXPECT_EQ(ReadFileBytes(folder / "sub\\moving.txt"), "m");
    EXPECT_FALSE(PathExists(folder / "moving.txt"));

    // Delete uses only the source; the shell asks before it recycles.
    Fill(folder / "renamed.txt", "");
    WindowWatcher confirm(
        "", [](HWND box) { PressButton(box, IDYES); }, 5000);
    dialog->BtnDelete->Click();
    EXPECT_TRUE(confirm.Done());
    EXPECT_FALSE(PathExists(folder / "renamed.txt"));
    EXPECT_TRUE(boxes.Asked().empty()) << "no \"first !\" message";
    EXPECT_TRUE(IsWindowVisible(dialog->Handle()));
}

TEST_F(FileOpFormTest, EnterInAnEditRenames) {
    Fill(folder / "a.txt", folder / "entered.txt");
    dialog->EditTo->SetFocus();
    PostKey(dialog->EditTo->Handle(), VK_RETURN);
    Pump();
    EXPECT_EQ(ReadFileBytes(folder / "entered.txt"), "a");
}

BOOL CALLBACK CollectTexts(HWND window, LPARAM param) {
    char text[256] = "";
    GetWindowTextA(window, text, sizeof text);
    reinterpret_cast<std::vector<std::string>*>(param)->push_back(text);
    return TRUE;
}

TEST_F(FileOpFormTest, BrowsingFromAFileNameStartsInItsFolderAndTakesAllItsFiles) {
    // The file need not exist: its folder is where the dialog starts, and what is chosen there.
    Fill(folder / "sub\\PIC.BMP", "");
    std::string status;
    std::vector<std::string> texts;
    WindowWatcher choose("Select a Location", [&](HWND box) {
        status = FolderDialogStatus(box);
        EnumChildWindows(box, &CollectTexts, reinterpret_cast<LPARAM>(&texts));
        PressButton(box, IDOK);
    });
    dialog->BtnBrowseFrom->Click();
    ASSERT_TRUE(choose.Done());
    EXPECT_EQ(Upper(status), Upper(folder / "sub")) << "the status line fits the path";
    EXPECT_NE(std::find(texts.begin(), texts.end(), "Current Path:"), texts.end()) << "the title";
    EXPECT_EQ(Upper(dialog->EditFrom->Text()), Upper(folder / "sub\\*.*"));

    WindowWatcher cancel("Select a Location", [](HWND box) { PressButton(box, IDCANCEL); });
    dialog->BtnBrowseFrom->Click();
    ASSERT_TRUE(cancel.Done());
    EXPECT_EQ(Upper(dialog->EditFrom->Text()), Upper(folder / "sub\\*.*"))
        << "a cancelled dialog keeps the text";
}

TEST_F(FileOpFormTest, BrowsingTheDestinationTakesTheFolderAlone) {
    // An existing directory is the start itself.
    Fill("", folder / "sub\\");
    std::string status;
    WindowWatcher choose("Select a Location", [&](HWND box) {
        status = FolderDialogStatus(box);
        PressButton(box, IDOK);
    });
    dialog->BtnBrowseTo->Click();
    ASSERT_TRUE(choose.Done());
    EXPECT_EQ(Upper(status), Upper(folder / "sub"));
    EXPECT_EQ(Upper(dialog->EditTo->Text()), Upper(folder / "sub"));
}

TEST_F(FileOpFormTest, ARootChosenAsTheSourceKeepsOneBackslash) {
    Fill("C:\\", "");
    std::string status;
    WindowWatcher choose("Select a Location", [&](HWND box) {
        status = FolderDialogStatus(box);
        PressButton(box, IDOK);
    });
    dialog->BtnBrowseFrom->Click();
    ASSERT_TRUE(choose.Done());
    EXPECT_EQ(Upper(status), "C:\\");
    EXPECT_EQ(Upper(dialog->EditFrom->Text()), "C:\\*.*");
}

// F1 in the dialog, shown as the main window shows it (modal), opens its topic in the real help viewer.
TEST_F(FileOpFormTest, F1OpensTheDialogsTopic) {
    dialog.reset();
    ui::App().SetHelpFile(BuiltHelpFile());
    TFileOpForm modal(nullptr);
    HelpViewer viewer;
    AfterMessages([&] {
        SetForegroundWindow(modal.Handle());
        modal.EditFrom->SetFocus();
        PressKey(VK_F1);
        viewer = WaitForHelpViewer("dialog renames, deletes, moves and copies");
        ui::App().HelpCommand(HELP_QUIT, 0);
        modal.SetModalResult(ui::mrOk);
    });
    modal.ShowModal();
    ui::App().SetHelpFile("");
    ASSERT_NE(viewer.window, nullptr) << "F1 started no help viewer (was " << BuiltHelpFile() << " built?)";
    EXPECT_NE(viewer.text.find("Chapter 4: The file-operations dialog"), std::string::npos) << viewer.text;
    EXPECT_TRUE(HelpViewerEnds(viewer.process));
}

} // namespace
