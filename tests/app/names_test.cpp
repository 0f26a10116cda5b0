// Names outside the code page, look-alikes, a bracketed file beside a folder of the same text and a name
// the path rules would change, each beside the names it could be taken for, through every flow that acts
// on a file: exactly the chosen file changes (checksums of the whole folder), nothing else.
#include "tests/app/mainwindowtest.h"
#include "tests/app/program.h"
#include "app/startup.h"
#include "base/files.h"
#include "base/wide.h"
#include "fileops/fopfrm.h"
#include "fileops/shellfileop.h"
#include "thumbs/thmbfrm.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <shlobj.h>

#include <cstring>
#include <deque>
#include <map>
#include <optional>

namespace corv {
namespace {

using test::Pump;

// Every file of the folder: the chosen ones with their decoys ("??.bmp", what the ANSI calls made of
// the CJK name and the emoji, matches ab.bmp and cd.bmp).
const std::vector<std::string> kFiles = {"日本.bmp", "ab.bmp",     "cd.bmp",     "Ελλάδα.bmp",
                                         "😀.bmp",    "Gdańsk.bmp", "Gdansk.bmp", "Ｇｄａｎｓｋ.bmp",
                                         "[xy.bmp]", "pic.bmp ",   "pic.bmp",    "[photos]"};
const std::vector<std::string> kFolders = {"xy.bmp", "photos"};

struct Chosen {
    std::string name;
    bool shellRefuses; // the shell's operations take no exact form of it: refused with a message
};
const Chosen kChosen[] = {{"日本.bmp", false},   {"Ελλάδα.bmp", false},       {"😀.bmp", false},
                          {"Gdańsk.bmp", false}, {"Ｇｄａｎｓｋ.bmp", false}, {"[xy.bmp]", false},
                          {"pic.bmp ", true}};

// The box that refuses a name the shell cannot take exactly, answered.
std::deque<int> Refusal(const Chosen& chosen) {
    return chosen.shellRefuses ? std::deque<int>{IDOK} : std::deque<int>{};
}

int WidthOf(const std::string& name) {
    for (std::size_t i = 0; i < kFiles.size(); ++i)
        if (kFiles[i] == name) return 10 + static_cast<int>(i);
    return 0;
}

using Snapshot = std::map<std::string, std::string>;
const auto Take = test::FolderContents;

HDROP MakeWideDrop(const std::vector<std::string>& names) {
    std::wstring list;
    for (const std::string& name : names)
        list += Wide(name) + L'\0';
    list += L'\0';
    HGLOBAL memory = GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
    auto* header = static_cast<DROPFILES*>(GlobalLock(memory));
    header->pFiles = sizeof(DROPFILES);
    header->fWide = TRUE;
    std::memcpy(reinterpret_cast<char*>(header) + sizeof(DROPFILES), list.data(),
                list.size() * sizeof(wchar_t));
    GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

class AwkwardNamesTest : public test::MainWindowTest {
  protected:
    void SetUp() override {
        MainWindowTest::SetUp();
        for (const std::string& name : kFiles)
            test::WriteFileBytes(dir / name, test::SolidBmpFile(WidthOf(name), 3, RGB(WidthOf(name), 0, 0)));
        for (const std::string& name : kFolders) {
            CreateDirectoryW(FileSystemPath(dir / name).c_str(), nullptr);
            test::WriteFileBytes(dir / name + "\\inside.bmp", test::SolidBmpFile(5, 5, RGB(1, 2, 3)));
        }
        GoToPath(*form, dir.Path(), true);
        form->FLB->SetFocus();
        Pump();
    }
    void Select(const std::string& name, bool directory = false) {
        const int index = form->FLB->IndexOfEntry(name, directory);
        ASSERT_GE(index, 0) << name;
        ASSERT_EQ(form->FLB->Entry(index).name, name);
        form->FLB->SetItemIndex(index);
    }
    // What the folder must hold after `chosen` was refused (unchanged) or acted on (`change` applied).
    void ExpectOnly(const Snapshot& before, const Chosen& chosen,
                    const std::function<void(Snapshot&)>& change, const test::ScriptedMessageBoxes& boxes,
                    const std::string& flow) {
        Snapshot expected = before;
        if (!chosen.shellRefuses) change(expected);
        EXPECT_EQ(Take(dir.Path()), expected) << flow << " " << chosen.name;
        std::size_t errors = 0;
        for (const MessageBoxRequest& box : boxes.Asked())
            errors += box.caption == "Error";
        EXPECT_EQ(errors, chosen.shellRefuses ? 1u : 0u)
            << flow << " " << chosen.name << ": refused with a message";
    }

    // Drags the selected entry over another as the list reports it, at the entry's place, and drops it
    // there when asked; whether the drop was accepted.
    bool DragOnto(int target, bool drop) {
        RECT rect{};
        SendMessageW(form->FLB->Handle(), LB_GETITEMRECT, static_cast<WPARAM>(target),
                     reinterpret_cast<LPARAM>(&rect));
        bool accepted = false;
        form->FLBDragOver(*form->FLB, *form->FLB, rect.left + 2, rect.top + 2, accepted);
        if (drop) form->FLBDragDrop(*form->FLB, *form->FLB, rect.left + 2, rect.top + 2);
        Pump();
        return accepted;
    }
    // Runs the action; the shell's own question (a deletion's) is answered Yes when it must come.
    static void ConfirmedByTheShell(bool asks, const std::function<void()>& action) {
        std::optional<test::WindowWatcher> confirm;
        if (asks)
            confirm.emplace(
                "", [](HWND box) { test::PressButton(box, IDYES); }, 5000);
        action();
        if (confirm) {
            EXPECT_TRUE(confirm->Done()) << "the shell asked";
        }
        Pump();
    }

    test::TempFolder dir;
};

TEST_F(AwkwardNamesTest, TheListShowsEachNameOnceAsItIsAndEnterShowsThatPicture) {
    EXPECT_EQ(form->FLB->Count(), static_cast<int>(2 + kFiles.size() + kFolders.size()));
    for (const std::string& name : kFiles) {
        const int index = form->FLB->IndexOfEntry(name, false);
        ASSERT_GE(index, 0) << name;
        EXPECT_EQ(form->FLB->Item(index), name);
    }
    for (const std::string& name : kFolders)
        EXPECT_EQ(form->FLB->Item(form->FLB->IndexOfEntry(name, true)), "[" + name + "]");
    for (const Chosen& chosen : kChosen) {
        Select(chosen.name);
        test::PostKey(form->FLB->Handle(), VK_RETURN);
        Pump();
        EXPECT_EQ(form->CurrentFile, dir / chosen.name);
        EXPECT_EQ(form->PMI->ImageWidth(), WidthOf(chosen.name)) << chosen.name;
    }
    // Enter on the folder "[xy.bmp]" enters the folder, not the file of that text.
    Select("xy.bmp", true);
    test::PostKey(form->FLB->Handle(), VK_RETURN);
    EXPECT_EQ(form->FLB->Directory(), dir / "xy.bmp");
}

TEST_F(AwkwardNamesTest, DeleteDragAndDropActOnExactlyTheChosenFile) {
    test::TempFolder source;
    for (const Chosen& chosen : kChosen) {
        const std::string content = test::ReadFileBytes(dir / chosen.name);
        {
            const Snapshot before = Take(dir.Path());
            test::ScriptedMessageBoxes boxes(Refusal(chosen));
            Select(chosen.name);
            ConfirmedByTheShell(!chosen.shellRefuses, [&] { test::PostKey(form->FLB->Handle(), VK_DELETE); });
            ExpectOnly(
                before, chosen, [&](Snapshot& s) { s.erase(chosen.name); }, boxes, "Delete");
        }
        if (chosen.shellRefuses) {
            // Nor does the shell open it: it would open the file of the normalised name.
            test::ScriptedMessageBoxes boxes(Refusal(chosen));
            Select(chosen.name);
            form->PopupItemExecuteClick(*form->FLB);
            EXPECT_EQ(boxes.Asked().size(), 1u) << "Execute refused";
        }
        test::WriteFileBytes(dir / chosen.name, content);
        form->PopupItemRefreshClick(*form->FLB);
        {
            const Snapshot before = Take(dir.Path());
            test::ScriptedMessageBoxes boxes(Refusal(chosen));
            Select(chosen.name);
            EXPECT_TRUE(DragOnto(form->FLB->IndexOfEntry("photos", true), true)) << chosen.name;
            ExpectOnly(
                before, chosen,
                [&](Snapshot& s) {
                    s.erase(chosen.name);
                    s["photos\\" + chosen.name] = content;
                },
                boxes, "Drag");
        }
        DeleteFileW(FileSystemPath(dir / "photos\\" + chosen.name).c_str());
        test::WriteFileBytes(source / chosen.name, content);
        {
            const Snapshot before = Take(dir.Path());
            std::deque<int> answers = Refusal(chosen);
            answers.push_front(IDNO); // copy
            test::ScriptedMessageBoxes boxes(answers);
            SendMessageW(form->Handle(), WM_DROPFILES,
                         reinterpret_cast<WPARAM>(MakeWideDrop({source / chosen.name})), 0);
            Pump();
            ExpectOnly(
                before, chosen, [&](Snapshot& s) { s[chosen.name] = content; }, boxes, "Drop");
        }
    }
}

TEST_F(AwkwardNamesTest, AFileNamedLikeAFoldersEntryIsNeitherDropTargetNorDeletedForIt) {
    const Snapshot before = Take(dir.Path());
    Select("ab.bmp");
    EXPECT_FALSE(DragOnto(form->FLB->IndexOfEntry("[photos]", false), false))
        << "the file \"[photos]\" is no folder";
    Select("photos", true);
    test::PostKey(form->FLB->Handle(), VK_DELETE);
    form->PopupItemDeleteClick(*form->FLB);
    Pump(200);
    EXPECT_EQ(Take(dir.Path()), before) << "Delete on the folder's entry deletes nothing";
}

TEST_F(AwkwardNamesTest, TheFileOperationsDialogActsOnExactlyTheTypedName) {
    test::TempFolder other;
    for (const Chosen& chosen : kChosen) {
        const std::string content = test::ReadFileBytes(dir / chosen.name);
        struct Step {
            const char* flow;
            std::string from, to;
            void (TFileOpForm::*click)(ui::Control&);
            std::function<void(Snapshot&)> change;
        };
        const Step steps[] = {
            {"copy", dir / chosen.name, other.Path(), &TFileOpForm::BtnCopyClick, [](Snapshot&) {}},
            {"rename", dir / chosen.name, dir / ("renamed " + chosen.name + "x"),
             &TFileOpForm::BtnRenameClick,
             [&](Snapshot& s) {
                 s.erase(chosen.name);
                 s["renamed " + chosen.name + "x"] = content;
             }},
            {"move", dir / ("renamed " + chosen.name + "x"), dir / "photos", &TFileOpForm::BtnMoveClick,
             [&](Snapshot& s) {
                 s.erase("renamed " + chosen.name + "x");
                 s["photos\\renamed " + chosen.name + "x"] = content;
             }},
            {"delete", dir / ("photos\\renamed " + chosen.name + "x"), "", &TFileOpForm::BtnDeleteClick,
             [&](Snapshot& s) { s.erase("photos\\renamed " + chosen.name + "x"); }},
        };
        for (const Step& step : steps) {
            if (chosen.shellRefuses && std::string(step.flow) != "copy") continue;
            const Snapshot before = Take(dir.Path());
            test::ScriptedMessageBoxes boxes(Refusal(chosen));
            TFileOpForm dialog(nullptr);
            dialog.Show();
            dialog.EditFrom->SetText(step.from);
            dialog.EditTo->SetText(step.to);
            ConfirmedByTheShell(step.click == &TFileOpForm::BtnDeleteClick && !chosen.shellRefuses,
                                [&] { (dialog.*step.click)(*dialog.BtnClose); });
            ExpectOnly(before, chosen, step.change, boxes, step.flow);
        }
        EXPECT_EQ(test::ReadFileBytes(other / chosen.name), chosen.shellRefuses ? "" : content)
            << "copied " << chosen.name;
        test::WriteFileBytes(dir / chosen.name, content);
    }
}

TEST_F(AwkwardNamesTest, ThumbnailsAndTheFullScreenWalkShowEachPictureByItsOwnName) {
    TCvThumbForm& thumbs = form->OpenThumbnails();
    thumbs.BuildThumbnails();
    ASSERT_TRUE(test::RunUntil([&thumbs] { return !thumbs.Busy; }));
    std::vector<std::string> pictures, cells;
    for (const std::string& name : kFiles)
        if (IsPictureFile(name)) pictures.push_back(dir / name);
    for (int i = 1; i <= thumbs.ThumbCount; ++i)
        cells.push_back(thumbs.Thumbs[static_cast<std::size_t>(i)]->FileName);
    std::sort(pictures.begin(), pictures.end());
    std::sort(cells.begin(), cells.end());
    EXPECT_EQ(cells, pictures);
    for (int i = 1; i <= thumbs.ThumbCount; ++i) {
        TThumbNail& cell = *thumbs.Thumbs[static_cast<std::size_t>(i)];
        cell.Panel->SetFocus();
        thumbs.PopupLoadImgClick(*cell.Panel);
        Pump();
        EXPECT_EQ(form->FLB->SelectedPath(), cell.FileName) << "the list selects the cell's own file";
        EXPECT_FALSE(form->FLB->SelectedIsDirectory()) << cell.FileName;
        EXPECT_EQ(form->CurrentFile, cell.FileName);
    }
    {
        test::ScriptedMessageBoxes close({IDYES}); // "Close the Thumbnail-Window ?"
        thumbs.Close();
        Pump();
    }

    // "+" from the first file on pages through every picture after it in the list's order.
    Select("ab.bmp");
    fullView->ShowView();
    Pump();
    for (int i = form->FLB->ItemIndex() + 1; i < form->FLB->Count(); ++i) {
        if (form->FLB->IsDirectoryItem(i) || !IsPictureFile(form->FLB->Entry(i).name)) continue;
        PostMessageW(fullView->Handle(), WM_CHAR, '+', 1);
        Pump();
        EXPECT_EQ(form->CurrentFile, form->FLB->EntryPath(i));
        EXPECT_EQ(form->PMI->ImageWidth(), WidthOf(form->FLB->Entry(i).name)) << form->FLB->Entry(i).name;
    }
    fullView->Close();
    Pump();
}

TEST_F(AwkwardNamesTest, TheCommandLineOpensExactlyTheNamedFile) {
    for (const Chosen& chosen : kChosen) {
        test::ProgramRun run(test::ProgramCommandLine(test::ProgramPath(), dir / chosen.name), dir.Path());
        HWND main = run.MainWindow();
        ASSERT_NE(main, nullptr);
        Pump(300);
        EXPECT_EQ(test::TextOf(main), "Corvane - [" + UpperCase(chosen.name) + "]");
        EXPECT_TRUE(run.Close());
    }
}

TEST_F(AwkwardNamesTest, ALastDirOutsideTheCodePageSurvivesACloseAndAStart) {
    const std::string unicode = dir / "日本 Ελλάδα 😀";
    ASSERT_TRUE(CreateDirectoryW(FileSystemPath(unicode).c_str(), nullptr));
    GoToPath(*form, unicode, true);
    form->Close();
    Pump();
    form.reset();
    LastDir.clear();
    LoadSettings();
    EXPECT_EQ(LastDir, unicode);
    form = std::make_unique<TMainForm>(nullptr);
    OpenStartTarget(*form, {});
    EXPECT_EQ(form->FLB->Directory(), unicode);
}

} // namespace
} // namespace corv
