// The controls with real windows: the file list on a real folder, the drive selector, panels and labels.
#include "tests/support/winsupport.h"
#include "tests/ui/uitest.h"
#include "ui/filelist.h"
#include "ui/form.h"
#include "ui/stdctrls.h"

#include <gtest/gtest.h>

#include <functional>

namespace corv::ui {
namespace {

using test::Pump;

class CurrentDirectoryKept {
  public:
    CurrentDirectoryKept() { GetCurrentDirectoryA(sizeof saved_, saved_); }
    ~CurrentDirectoryKept() { SetCurrentDirectoryA(saved_); }

  private:
    char saved_[MAX_PATH + 1] = "";
};

class FileListTest : public ::testing::Test {
  protected:
    void SetUp() override {
        CreateDirectoryA((folder / "Sub").c_str(), nullptr);
        test::WriteFileBytes(folder / "b.txt", "b");
        test::WriteFileBytes(folder / "A.exe", "a");
        test::WriteFileBytes(folder / "c.BAT", "c");
        test::WriteFileBytes(folder / "hidden.dat", "h");
        SetFileAttributesA((folder / "hidden.dat").c_str(), FILE_ATTRIBUTE_HIDDEN);
        test::WriteFileBytes(folder / "system.dat", "s");
        SetFileAttributesA((folder / "system.dat").c_str(), FILE_ATTRIBUTE_SYSTEM);
        SetCurrentDirectoryA(folder.Path().c_str());
        form = std::make_unique<Form>(nullptr, FormStyle{.className = "TListForm"});
        list = new FileListBox(form.get());
        list->SetBounds(8, 8, 212, 228);
        list->SetParent(form.get());
        form->Show();
        Pump();
    }
    void TearDown() override {
        form.reset();
        SetFileAttributesA((folder / "system.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
    }
    std::vector<std::string> Items() const {
        std::vector<std::string> items;
        for (int i = 0; i < list->Count(); ++i)
            items.push_back(list->Item(i));
        return items;
    }
    std::string ListBoxText(int index) const {
        char text[MAX_PATH] = "";
        SendMessageA(list->Handle(), LB_GETTEXT, index, reinterpret_cast<LPARAM>(text));
        return text;
    }

    CurrentDirectoryKept keep;
    test::TempFolder folder;
    std::unique_ptr<Form> form;
    FileListBox* list = nullptr;
};

TEST_F(FileListTest, ShowsTheCurrentDirectorySortedWithBracketedDirectories) {
    EXPECT_EQ(CompareNoCase(list->Directory(), folder.Path()), 0);
    EXPECT_EQ(Items(),
              (std::vector<std::string>{"[..]", "[.]", "[Sub]", "A.exe", "b.txt", "c.BAT", "hidden.dat"}))
        << "hidden files are listed, system files are not";
    ASSERT_EQ(SendMessageA(list->Handle(), LB_GETCOUNT, 0, 0), 7) << "the real list box holds the same";
    EXPECT_EQ(ListBoxText(2), "[Sub]");
    EXPECT_EQ(list->IconOf(2), EntryIcon::Folder);
    EXPECT_EQ(list->IconOf(3), EntryIcon::Program);
    EXPECT_EQ(list->IconOf(4), EntryIcon::Document);
    EXPECT_EQ(list->IconOf(5), EntryIcon::Program);
    EXPECT_EQ(SendMessageA(list->Handle(), LB_GETITEMHEIGHT, 0, 0), 16);
    EXPECT_EQ(list->IndexOf("B.TXT"), 4);
}

TEST_F(FileListTest, SelectionAndFileName) {
    EXPECT_EQ(list->ItemIndex(), -1);
    EXPECT_EQ(list->FileName(), "");
    int changes = 0;
    list->OnChange = [&](Control&) { ++changes; };
    list->SetItemIndex(4);
    EXPECT_EQ(changes, 0) << "setting the index runs no change handler";
    EXPECT_EQ(list->FileName(), folder / "b.txt");
    list->SetItemIndex(2);
    EXPECT_EQ(list->FileName(), folder / "[Sub]");
    // A user's selection (keys) does run it.
    list->SetFocus();
    test::PostKey(list->Handle(), VK_DOWN);
    EXPECT_EQ(list->ItemIndex(), 3);
    EXPECT_EQ(changes, 1);
    const int item = list->ItemAtPos(5, 16 * 3 + 2);
    EXPECT_EQ(item, 3);
    EXPECT_EQ(list->ItemAtPos(5, 16 * 7 + 2), -1) << "below the last entry";
}

TEST_F(FileListTest, EnterPathWalksTheTree) {
    int changes = 0;
    list->OnChange = [&](Control&) { ++changes; };
    EXPECT_TRUE(list->EnterPath("[Sub]"));
    EXPECT_EQ(list->Directory(), folder / "Sub");
    EXPECT_EQ(changes, 1) << "a reading with nothing selected runs the change handler once";
    char current[MAX_PATH + 1];
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_EQ(CompareNoCase(current, folder / "Sub"), 0) << "the shown directory is the current one";
    EXPECT_EQ(Items(), (std::vector<std::string>{"[..]", "[.]"}));
    EXPECT_TRUE(list->EnterPath("[.]"));
    EXPECT_EQ(list->Directory(), folder / "Sub");
    EXPECT_TRUE(list->EnterPath("[..]"));
    EXPECT_EQ(CompareNoCase(list->Directory(), folder.Path()), 0);
    EXPECT_FALSE(list->EnterPath("[NoSuchDir]"));
    EXPECT_FALSE(list->EnterPath(folder / "b.txt")) << "a file is no directory";
    EXPECT_FALSE(list->EnterPath(""));
    EXPECT_EQ(CompareNoCase(list->Directory(), folder.Path()), 0);
    // A drive with a colon goes to that drive's current directory.
    const std::string drive = folder.Path().substr(0, 2);
    EXPECT_TRUE(list->EnterPath(drive));
    EXPECT_EQ(CompareNoCase(list->Directory(), folder.Path()), 0);
    // Update sees new files.
    test::WriteFileBytes(folder / "new.jpg", "n");
    EXPECT_EQ(list->IndexOf("new.jpg"), -1);
    list->Update();
    EXPECT_GE(list->IndexOf("new.jpg"), 0);
}

LPARAM ItemCentre(HWND list, int index) {
    RECT rect{};
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&rect));
    return MAKELPARAM((rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2);
}

TEST_F(FileListTest, DraggingAnEntryOffersItToTheControlUnderTheMouse) {
    auto* target = new Panel(form.get());
    target->SetBounds(240, 8, 100, 100);
    target->SetParent(form.get());
    Pump();
    struct Seen {
        Control* source = nullptr;
        int x = -1, y = -1;
        int overs = 0, drops = 0;
    } seen;
    bool accept = true;
    target->OnDragOver = [&](Control&, Control& source, int x, int y, bool& accepted) {
        ++seen.overs;
        seen.source = &source;
        accepted = accept;
        (void)x;
        (void)y;
    };
    target->OnDragDrop = [&](Control&, Control&, int x, int y) {
        ++seen.drops;
        seen.x = x;
        seen.y = y;
    };
    HWND window = list->Handle();
    // The list's client point that lies over the panel's (10, 20).
    POINT over{10, 20};
    MapWindowPoints(target->Handle(), window, &over, 1);
    const LPARAM overTarget = MAKELPARAM(over.x, over.y);
    const int b = list->IndexOf("b.txt");
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, ItemCentre(window, b));
    EXPECT_EQ(list->ItemIndex(), b) << "the press selects the entry first";
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, overTarget);
    EXPECT_TRUE(list->Dragging());
    EXPECT_EQ(seen.source, list);
    EXPECT_EQ(list->ItemIndex(), b) << "the selection does not follow the mouse";
    SendMessageA(window, WM_LBUTTONUP, 0, overTarget);
    EXPECT_FALSE(list->Dragging());
    EXPECT_EQ(seen.drops, 1);
    EXPECT_EQ(seen.x, 10);
    EXPECT_EQ(seen.y, 20);

    // Refused over the target: no drop.
    accept = false;
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, ItemCentre(window, b));
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, overTarget);
    SendMessageA(window, WM_LBUTTONUP, 0, overTarget);
    EXPECT_EQ(seen.drops, 1);

    // Esc ends the drag where it is.
    accept = true;
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, ItemCentre(window, b));
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, overTarget);
    ASSERT_TRUE(list->Dragging());
    SendMessageA(window, WM_KEYDOWN, VK_ESCAPE, 1);
    EXPECT_FALSE(list->Dragging());
    SendMessageA(window, WM_LBUTTONUP, 0, overTarget);
    EXPECT_EQ(seen.drops, 1);

    // A press that does not move past the drag distance is a click.
    accept = true;
    const int overs = seen.overs;
    SendMessageA(window, WM_LBUTTONDOWN, MK_LBUTTON, ItemCentre(window, b));
    SendMessageA(window, WM_MOUSEMOVE, MK_LBUTTON, ItemCentre(window, b) + 1);
    EXPECT_FALSE(list->Dragging());
    SendMessageA(window, WM_LBUTTONUP, 0, ItemCentre(window, b) + 1);
    EXPECT_EQ(seen.overs, overs);
    EXPECT_EQ(seen.drops, 1);
}

TEST_F(FileListTest, HeightIsRoundedDownToWholeItems) {
    RECT window, client;
    list->SetHeight(250);
    GetWindowRect(list->Handle(), &window);
    GetClientRect(list->Handle(), &client);
    EXPECT_EQ(client.bottom % 16, 0);
    EXPECT_LE(window.bottom - window.top, 250);
    EXPECT_GT(window.bottom - window.top, 250 - 16);
    list->SetHeight(228);
    EXPECT_EQ(list->Height(), 228) << "the design height is already whole items";
}

TEST(DriveComboBox, ListsDrivesInUpperCaseAndReportsChanges) {
    Form form(nullptr, FormStyle{.className = "TDriveForm"});
    auto* drives = new DriveComboBox(&form);
    drives->SetBounds(12, 36, 204, 21);
    drives->SetParent(&form);
    form.Show();
    Pump();
    ASSERT_GE(drives->ItemCount(), 1);
    int driveBits = 0;
    for (DWORD mask = GetLogicalDrives(); mask; mask &= mask - 1)
        ++driveBits;
    EXPECT_EQ(drives->ItemCount(), driveBits);
    for (int i = 0; i < drives->ItemCount(); ++i) {
        const std::string text = drives->ItemText(i);
        ASSERT_EQ(text.size(), 2u);
        EXPECT_TRUE(text[0] >= 'A' && text[0] <= 'Z') << text;
        EXPECT_EQ(text[1], ':');
    }
    EXPECT_EQ(drives->Height(), 21) << "the closed box keeps the designed height";
    char current[MAX_PATH + 1];
    GetCurrentDirectoryA(sizeof current, current);
    EXPECT_EQ(drives->Drive(), static_cast<char>(toupper(static_cast<unsigned char>(current[0]))));
    if (drives->ItemCount() < 2) GTEST_SKIP() << "only one drive";
    std::vector<char> reported;
    drives->OnChange = [&](Control& sender) {
        reported.push_back(static_cast<DriveComboBox&>(sender).Drive());
    };
    const char other =
        drives->ItemText(0)[0] == drives->Drive() ? drives->ItemText(1)[0] : drives->ItemText(0)[0];
    drives->SetDrive(static_cast<char>(tolower(static_cast<unsigned char>(other))));
    drives->SetDrive(other); // the same drive again: nothing to report
    EXPECT_EQ(reported, (std::vector<char>{other}));
    EXPECT_EQ(drives->ItemText(static_cast<int>(SendMessageA(drives->Handle(), CB_GETCURSEL, 0, 0))),
              (std::string{other, ':'}));
}

TEST(Panel, PaintsItsColourBevelAndCaption) {
    Form form(nullptr, FormStyle{.className = "TPanelForm"});
    form.SetBounds(0, 0, 300, 200);
    auto* panel = new Panel(&form);
    panel->SetBounds(10, 10, 120, 80);
    panel->SetColor(RGB(0, 0, 0));
    panel->SetBevels(Bevel::Lowered, Bevel::Raised, 2, 0);
    panel->SetParent(&form);
    form.Show();
    panel->Repaint();
    WindowDc dc(panel->Handle());
    EXPECT_EQ(GetPixel(dc.Get(), 60, 40), RGB(0, 0, 0)) << "the face";
    EXPECT_EQ(GetPixel(dc.Get(), 0, 0), GetSysColor(COLOR_BTNHIGHLIGHT)) << "raised outer bevel, top left";
    EXPECT_EQ(GetPixel(dc.Get(), 119, 79), GetSysColor(COLOR_BTNSHADOW))
        << "raised outer bevel, bottom right";
    EXPECT_EQ(GetPixel(dc.Get(), 2, 2), GetSysColor(COLOR_BTNSHADOW)) << "lowered inner bevel, top left";
    panel->SetColor(RGB(0, 128, 0));
    panel->Repaint();
    EXPECT_EQ(GetPixel(dc.Get(), 60, 40), RGB(0, 128, 0));
}

TEST(Label, AWindowlessLabelIsDrawnByItsParentAsItsCaptionPlaceAndVisibilityChange) {
    Form form(nullptr, FormStyle{.className = "TWindowlessForm"});
    form.SetBounds(0, 0, 300, 200);
    auto* panel = new Panel(&form);
    panel->SetBounds(10, 10, 160, 80);
    panel->SetColor(RGB(0, 0, 128));
    panel->SetParent(&form);
    const long windows = LiveHandles(HandleKind::Window);
    auto* label = new Label(&form);
    label->SetWindowless(true);
    label->SetAutoSize(false);
    label->SetBounds(4, 50, 100, 13);
    label->SetFont({panel->Font().name, panel->Font().height, false, RGB(255, 255, 255)});
    label->SetCaption(std::string(40, 'M'));
    label->SetParent(panel);
    form.Show();
    EXPECT_EQ(label->Handle(), nullptr);
    EXPECT_EQ(LiveHandles(HandleKind::Window), windows);
    // White pixels at the label's place, and past its right edge (text cut there).
    const auto white = [&](int left, int right) {
        RedrawWindow(panel->Handle(), nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        WindowDc dc(panel->Handle());
        int count = 0;
        for (int y = 50; y < 63; ++y)
            for (int x = left; x < right; ++x)
                count += GetPixel(dc.Get(), x, y) == RGB(255, 255, 255);
        return count;
    };
    EXPECT_GT(white(4, 104), 20);
    EXPECT_EQ(white(110, 150), 0);
    // Each change redraws what it must, and only that is painted again.
    const std::pair<std::function<void()>, bool> steps[] = {
        {[&] { label->SetCaption(""); }, false},
        {[&] { label->SetCaption("Name"); }, true},
        {[&] { label->SetVisible(false); }, false},
        {[&] { label->SetVisible(true); }, true},
        {[&] { label->SetBounds(4, 20, 100, 13); }, false},
        {[&] { label->SetBounds(4, 50, 100, 13); }, true},
        {[&] { delete label; }, false}};
    for (std::size_t i = 0; i < std::size(steps); ++i) {
        steps[i].first();
        EXPECT_EQ(white(4, 104) > 0, steps[i].second) << "step " << i;
    }
    EXPECT_EQ(LiveHandles(HandleKind::Window), windows);
}

} // namespace
} // namespace corv::ui
