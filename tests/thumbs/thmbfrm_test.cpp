// The thumbnail window with the real main window, real files in temporary folders and the real imaging
// module: the build, its order and captions, the cells, the keys, the menu, closing and the limits.
#include "base/handles.h"
#include "app/mainfrm.h"
#include "app/programpaths.h"
#include "fullview/fviewfrm.h"
#include "settings/store.h"
#include "tests/support/pictures.h"
#include "tests/support/winsupport.h"
#include "tests/ui/uitest.h"
#include "thumbs/thmbfrm.h"
#include "ui/application.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

namespace corv {
namespace {

using test::Pump;
using test::ScriptedMessageBoxes;

// Answers every box through a function, and records what was asked.
class AnsweredBoxes {
  public:
    explicit AnsweredBoxes(std::function<int(const MessageBoxRequest&)> answer) : answer_(std::move(answer)) {
        previous_ = SetMessageBoxHandler([this](const MessageBoxRequest& request) {
            asked.push_back(request);
            return answer_(request);
        });
    }
    ~AnsweredBoxes() { SetMessageBoxHandler(std::move(previous_)); }
    int Count(const std::string& text) const {
        int n = 0;
        for (const auto& r : asked)
            n += r.text == text;
        return n;
    }
    std::vector<MessageBoxRequest> asked;

  private:
    std::function<int(const MessageBoxRequest&)> answer_;
    MessageBoxHandler previous_;
};

COLORREF PixelOf(HBITMAP bitmap, int x, int y) {
    MemoryDcHandle dc(CreateCompatibleDC(nullptr));
    ScopedSelect select(dc.Get(), bitmap);
    return GetPixel(dc.Get(), x, y);
}

class ThumbFormTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ProgramDir = programFolder.Path();
        HelpFileName = ProgramDir + "\\CORV32.HLP";
        ui::App().SetCmdShow(SW_SHOWNORMAL);
        test::ForgetQuit();
        LoadSettings();
        BigThumbs = false;
        SetThumbSizes();
        main = std::make_unique<TMainForm>(nullptr);
        main->Show();
        Pump();
    }
    void TearDown() override {
        main.reset();
        test::ForgetQuit();
    }
    // A solid-colour bitmap file in the folder.
    void Bmp(const std::string& name, int width, int height, COLORREF color = RGB(200, 0, 0)) {
        test::WriteFileBytes(folder / name, test::SolidBmpFile(width, height, color));
    }
    void Copy(const std::string& fixture, const std::string& name) {
        ASSERT_TRUE(CopyFileA(test::FixturePath(fixture).c_str(), (folder / name).c_str(), FALSE));
    }
    // The window for the folder, not yet built.
    TCvThumbForm& Open() {
        GoToPath(*main, folder.Path(), true);
        TCvThumbForm& form = main->OpenThumbnails();
        Pump();
        return form;
    }
    TCvThumbForm& Build() {
        TCvThumbForm& form = Open();
        form.BuildThumbnails();
        Finish();
        Pump();
        return form;
    }
    // Runs the loop until the build has ended or the window is gone.
    void Finish() {
        EXPECT_TRUE(test::RunUntil(
            [this] { return !main->ThumbForm || !main->ThumbForm->Busy || ui::App().Terminated(); }));
    }
    static std::string Caption(const ui::Control& control) { return test::WindowText(control.Handle()); }
    static TThumbNail& Cell(TCvThumbForm& form, int i) { return *form.Thumbs[static_cast<std::size_t>(i)]; }

    test::ScratchKey key{SettingsKey};
    test::TempFolder folder;
    test::TempFolder programFolder;
    std::unique_ptr<TMainForm> main;
};

TEST_F(ThumbFormTest, PicturesOnlyInNameOrderRegardlessOfCaseWithTheirBoxesAndHeaders) {
    Bmp("C.BMP", 20, 10);
    Copy("gif/87a-global.gif", "b.gif");
    Copy("jpeg/baseline-420.jpg", "a.jpg");
    Bmp("e.bmp", 10, 20, RGB(0, 160, 0));
    test::WriteFileBytes(folder / "notes.txt", "text");
    test::WriteFileBytes(folder / "d.jpeg", "not one of the viewer's extensions");
    TCvThumbForm& form = Build();

    EXPECT_EQ(Caption(form), "4 Thumbnails in " + folder.Path());
    ASSERT_EQ(form.ThumbCount, 4);
    const char* names[] = {"a.jpg", "b.gif", "C.BMP", "e.bmp"};
    for (int i = 1; i <= 4; ++i) {
        TThumbNail& cell = Cell(form, i);
        SCOPED_TRACE(names[i - 1]);
        EXPECT_EQ(cell.FNLabel->Caption(), names[i - 1]);
        EXPECT_EQ(cell.FileName, folder / names[i - 1]);
        EXPECT_EQ(cell.Panel->TabOrder(), i - 1);
        EXPECT_TRUE(cell.Panel->Visible());
        EXPECT_TRUE(cell.PMI->Visible());
        EXPECT_EQ(cell.Panel->Width(), 80);
        EXPECT_EQ(cell.Panel->Height(), 100);
        EXPECT_EQ(cell.Panel->Cursor(), ui::CursorKind::Arrow);
        // The cell keeps a bitmap of exactly its box, nothing bigger.
        EXPECT_EQ(cell.PMI->Picture().Width(), cell.PMI->Width());
        EXPECT_EQ(cell.PMI->Picture().Height(), cell.PMI->Height());
    }
    EXPECT_EQ(Cell(form, 1).ImgWidth, 45);
    EXPECT_EQ(Cell(form, 1).ImgHeight, 30);
    EXPECT_EQ(Cell(form, 1).Colors, "16M");
    EXPECT_EQ(Cell(form, 1).Compression, "JPEG Baseline");
    EXPECT_EQ(Cell(form, 1).FileSize, static_cast<int>(test::ReadFileBytes(folder / "a.jpg").size()));
    EXPECT_EQ(Cell(form, 2).Colors, "16");

    // Landscape 2:1 and portrait 1:2 boxes.
    const ui::Bounds wide = Cell(form, 3).PMI->Position();
    EXPECT_EQ(wide.left, 2);
    EXPECT_EQ(wide.top, 21);
    EXPECT_EQ(wide.width, 76);
    EXPECT_EQ(wide.height, 38);
    const ui::Bounds tall = Cell(form, 4).PMI->Position();
    EXPECT_EQ(tall.left, 21);
    EXPECT_EQ(tall.top, 2);
    EXPECT_EQ(tall.width, 38);
    EXPECT_EQ(tall.height, 76);
    // A solid picture stays its colour when reduced.
    EXPECT_EQ(PixelOf(Cell(form, 4).PMI->Picture().Bitmap(), 19, 40), RGB(0, 160, 0));

    // The first cell has the focus and is blue; the others are navy.
    EXPECT_EQ(form.FocusedThumb(), 1);
    EXPECT_EQ(Cell(form, 1).Panel->GetColor(), kThumbFocused);
    EXPECT_EQ(Cell(form, 2).Panel->GetColor(), kThumbNavy);
    Cell(form, 3).Panel->SetFocus();
    Pump();
    EXPECT_EQ(form.FocusedThumb(), 3);
    EXPECT_EQ(Cell(form, 1).Panel->GetColor(), kThumbNavy);
    EXPECT_EQ(Cell(form, 3).Panel->GetColor(), kThumbFocused);
}

// The newer types and the long extensions get cells, headers and pictures only with the option on.
TEST_F(ThumbFormTest, TheNewerTypesAreCellsOnlyWithAllPictureTypes) {
    struct Row {
        const char *fixture, *name, *compression;
    } rows[] = {
        {"webp/lossy.webp", "a.webp", "VP8 Lossy"},
        {"heif/heic-420-8.heic", "b.HEIC", "HEVC 4:2:0"},
        {"heif/avif-444-8.avif", "c.avif", "AV1 4:4:4"},
        {"jpeg/baseline-420.jpg", "d.jpeg", "JPEG Baseline"},
        {"heif/heic-alpha.heic", "e.heif", "HEVC 4:4:4"},
    };
    for (const Row& row : rows)
        Copy(row.fixture, row.name);
    Copy("webp/lossless.webp", "f.avi"); // a movie's name: never a picture
    Bmp("g.bmp", 20, 10);
    AllPictureTypes = false;
    TCvThumbForm& form = Build();
    for (bool all : {false, true}) {
        SCOPED_TRACE(all);
        if (all) {
            AllPictureTypes = true;
            ScriptedMessageBoxes boxes({IDYES});
            form.PopupRefreshClick(form);
            Finish();
        }
        ASSERT_EQ(form.ThumbCount, all ? 6 : 1);
        EXPECT_EQ(Cell(form, form.ThumbCount).FNLabel->Caption(), "g.bmp");
        for (int i = 1; all && i <= 5; ++i) {
            const Row& row = rows[i - 1];
            TThumbNail& cell = Cell(form, i);
            SCOPED_TRACE(row.name);
            EXPECT_EQ(cell.FNLabel->Caption(), row.name);
            EXPECT_EQ(cell.ImgWidth, 45);
            EXPECT_EQ(cell.ImgHeight, 30);
            EXPECT_EQ(cell.Compression, row.compression);
            // The red block's corner of the reduced picture.
            const COLORREF corner = PixelOf(cell.PMI->Picture().Bitmap(), 2, 2);
            EXPECT_GT(GetRValue(corner), 180) << std::hex << corner;
            EXPECT_LT(GetGValue(corner), 70) << std::hex << corner;
        }
    }
    AllPictureTypes = false;
}

TEST_F(ThumbFormTest, HiddenAndSystemPicturesGetCellsSubdirectoriesDoNot) {
    Bmp("hidden.bmp", 4, 4);
    Bmp("system.bmp", 4, 4);
    Bmp("readonly.bmp", 4, 4);
    ASSERT_TRUE(SetFileAttributesA((folder / "hidden.bmp").c_str(), FILE_ATTRIBUTE_HIDDEN));
    ASSERT_TRUE(SetFileAttributesA((folder / "system.bmp").c_str(), FILE_ATTRIBUTE_SYSTEM));
    ASSERT_TRUE(SetFileAttributesA((folder / "readonly.bmp").c_str(), FILE_ATTRIBUTE_READONLY));
    ASSERT_TRUE(CreateDirectoryA((folder / "folder.jpg").c_str(), nullptr));
    TCvThumbForm& form = Build();
    ASSERT_EQ(form.ThumbCount, 3);
    EXPECT_EQ(Cell(form, 1).FNLabel->Caption(), "hidden.bmp");
    EXPECT_EQ(Cell(form, 2).FNLabel->Caption(), "readonly.bmp");
    EXPECT_EQ(Cell(form, 3).FNLabel->Caption(), "system.bmp");
    for (const char* name : {"hidden.bmp", "system.bmp", "readonly.bmp"})
        SetFileAttributesA((folder / name).c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(ThumbFormTest, AFolderWithoutPicturesSaysSoAndStaysOpen) {
    test::WriteFileBytes(folder / "notes.txt", "text");
    ScriptedMessageBoxes boxes({IDOK});
    TCvThumbForm& form = Build();
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text, "No Images found in this Directory !");
    EXPECT_EQ(boxes.Asked()[0].caption, "Information");
    EXPECT_EQ(Caption(form), "Thumbnails");
    EXPECT_EQ(form.ThumbCount, 0);
    EXPECT_FALSE(form.Busy);
    EXPECT_TRUE(main->ThumbsOpen);
}

TEST_F(ThumbFormTest, UnreadableAndUndecodableFilesGetCellsAndTheirMessages) {
    test::WriteFileBytes(folder / "a-bad.jpg", "this is no picture at all");
    // The header reads, the picture data is cut short.
    const std::string jpeg = test::ReadFileBytes(test::FixturePath("jpeg/baseline-420.jpg"));
    test::WriteFileBytes(folder / "b-cut.jpg", jpeg.substr(0, jpeg.size() * 6 / 10));
    Bmp("c-good.bmp", 8, 8);
    AnsweredBoxes boxes([](const MessageBoxRequest&) { return IDOK; });
    TCvThumbForm& form = Build();
    ASSERT_EQ(form.ThumbCount, 3);

    // The probe failed: one box (the library's), no picture, the header fields empty.
    ASSERT_EQ(boxes.asked.size(), 3u);
    EXPECT_EQ(boxes.asked[0].caption, "Error");
    EXPECT_FALSE(boxes.asked[0].text.empty());
    TThumbNail& bad = Cell(form, 1);
    EXPECT_FALSE(bad.PMI->Visible());
    EXPECT_TRUE(bad.Panel->Visible());
    EXPECT_EQ(bad.FNLabel->Caption(), "a-bad.jpg");
    EXPECT_EQ(bad.ImgWidth, 0);
    EXPECT_EQ(bad.ImgHeight, 0);
    EXPECT_EQ(bad.Colors, "N/A");
    EXPECT_EQ(bad.FileSize, 0);
    EXPECT_EQ(bad.Compression, "N/A");
    const std::string info = form.ImageInformation(bad);
    EXPECT_EQ(info.substr(0, info.find("\rFiledate: ")),
              "Filename: " + folder / "a-bad.jpg" +
                  "\rResolution: 0x0xN/A\rCompression: N/A\rFilesize: 0 Bytes");

    // The decode failed: the library's box and the format's, then a cell with its box and header.
    EXPECT_EQ(boxes.asked[1].caption, "Error");
    EXPECT_EQ(boxes.asked[2].caption, "Information");
    EXPECT_EQ(boxes.asked[2].text, "Reading jpg file failed");
    TThumbNail& cut = Cell(form, 2);
    EXPECT_TRUE(cut.PMI->Visible());
    EXPECT_EQ(cut.PMI->Width(), 76);
    EXPECT_EQ(cut.PMI->Height(), 50);
    EXPECT_EQ(cut.PMI->Picture().Bitmap(), nullptr);
    EXPECT_EQ(cut.ImgWidth, 45);
    EXPECT_EQ(cut.Colors, "16M");
    EXPECT_EQ(cut.Compression, "JPEG Baseline");

    EXPECT_NE(Cell(form, 3).PMI->Picture().Bitmap(), nullptr);
    EXPECT_EQ(Caption(form), "3 Thumbnails in " + folder.Path());
}

TEST_F(ThumbFormTest, ImageInformationGroupsTheSizeAndGivesTheFilesDateNow) {
    Bmp("big.bmp", 700, 600); // 1.260.054 bytes
    TCvThumbForm& form = Build();
    TThumbNail& cell = Cell(form, 1);
    const std::string name = folder / "big.bmp";
    // At exactly midnight the time is left out.
    SYSTEMTIME midnight{2021, 3, 0, 14, 0, 0, 0, 0};
    FILETIME local, utc;
    SystemTimeToFileTime(&midnight, &local);
    LocalFileTimeToFileTime(&local, &utc);
    const auto setWriteTime = [&name](const FILETIME& time) {
        const FileHandle file(CreateFileA(name.c_str(), FILE_WRITE_ATTRIBUTES,
                                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                                          nullptr));
        return file.Valid() && SetFileTime(file.Get(), nullptr, nullptr, &time);
    };
    ASSERT_TRUE(setWriteTime(utc));
    char date[64];
    GetDateFormatA(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &midnight, nullptr, date, sizeof date);
    ScriptedMessageBoxes boxes({IDOK});
    form.PopupImageInfoClick(form);
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].caption, "Image Information");
    EXPECT_EQ(boxes.Asked()[0].beepType, static_cast<UINT>(MB_ICONASTERISK));
    EXPECT_EQ(boxes.Asked()[0].text, "Filename: " + name + "\rResolution: 700x600x16M\rCompression: " +
                                         cell.Compression + "\rFilesize: 1.260.054 Bytes\rFiledate: " + date);

    // A time of day follows the date; a file gone since the build has no date.
    SYSTEMTIME afternoon = midnight;
    afternoon.wHour = 13, afternoon.wMinute = 45, afternoon.wSecond = 10;
    SystemTimeToFileTime(&afternoon, &local);
    LocalFileTimeToFileTime(&local, &utc);
    ASSERT_TRUE(setWriteTime(utc));
    char clock[64];
    GetTimeFormatA(LOCALE_USER_DEFAULT, 0, &afternoon, nullptr, clock, sizeof clock);
    EXPECT_NE(form.ImageInformation(cell).find(std::string("\rFiledate: ") + date + " " + clock),
              std::string::npos);
    ASSERT_TRUE(DeleteFileA(name.c_str()));
    const std::string gone = form.ImageInformation(cell);
    EXPECT_EQ(gone.substr(gone.rfind('\r')), "\rFiledate: N/A");
}

TEST_F(ThumbFormTest, AbortIsAskedAfterTheCurrentCellAndKeepsTheFullCountInTheCaption) {
    for (int i = 0; i < 20; ++i)
        Bmp("p" + std::to_string(100 + i) + ".bmp", 6, 6);
    TCvThumbForm& form = Open();
    // Asked after every cell (the request is made again at each No); Yes after the seventh.
    int asked = 0;
    AnsweredBoxes boxes([&](const MessageBoxRequest& request) {
        EXPECT_EQ(request.text, "Abort Creating Thumbnails ?");
        EXPECT_EQ(request.buttons, static_cast<UINT>(MB_YESNO));
        if (++asked == 7) return IDYES;
        form.AbortRequested = true;
        return IDNO;
    });
    form.AbortRequested = true;
    form.BuildThumbnails();
    Finish();
    EXPECT_EQ(asked, 7);
    EXPECT_EQ(form.ThumbCount, 7);
    EXPECT_EQ(Caption(form), "20 Thumbnails in " + folder.Path());
    EXPECT_FALSE(form.Busy);
    EXPECT_FALSE(form.AbortRequested);
}

TEST_F(ThumbFormTest, EscapeDuringTheBuildAsksOnceTheCellIsDone) {
    for (int i = 0; i < 10; ++i)
        Bmp("p" + std::to_string(i) + ".bmp", 6, 6);
    TCvThumbForm& form = Open();
    ScriptedMessageBoxes boxes({IDYES});
    // Taken while the build lets messages through, before the first cell.
    PostMessageA(form.Handle(), WM_KEYDOWN, VK_ESCAPE, 1);
    form.BuildThumbnails();
    Finish();
    ASSERT_EQ(boxes.Asked().size(), 1u);
    EXPECT_EQ(boxes.Asked()[0].text, "Abort Creating Thumbnails ?");
    EXPECT_EQ(form.ThumbCount, 1);
    EXPECT_TRUE(main->ThumbsOpen);
}

TEST_F(ThumbFormTest, EscapeWhileIdleAsksToCloseWithTheMainWindowDisabled) {
    Bmp("a.bmp", 6, 6);
    TCvThumbForm& form = Build();
    bool mainEnabledDuringQuestion = true;
    {
        AnsweredBoxes boxes([&](const MessageBoxRequest& request) {
            EXPECT_EQ(request.text, "Close the Thumbnail-Window ?");
            mainEnabledDuringQuestion = IsWindowEnabled(main->Handle()) != FALSE;
            return IDNO;
        });
        test::PostKey(Cell(form, 1).Panel->Handle(), VK_ESCAPE);
        EXPECT_EQ(boxes.asked.size(), 1u);
    }
    EXPECT_FALSE(mainEnabledDuringQuestion);
    EXPECT_TRUE(IsWindowEnabled(main->Handle()));
    EXPECT_TRUE(main->ThumbsOpen);
    ASSERT_EQ(main->ThumbForm, &form);

    const long windows = LiveHandles(HandleKind::Window);
    {
        ScriptedMessageBoxes boxes({IDYES});
        test::PostKey(Cell(form, 1).Panel->Handle(), VK_ESCAPE);
    }
    Pump();
    EXPECT_FALSE(main->ThumbsOpen);
    EXPECT_EQ(main->ThumbForm, nullptr);
    // The window and its cell's one window (the panel, which draws the picture and the label) are gone.
    EXPECT_EQ(LiveHandles(HandleKind::Window), windows - 2);
}

TEST_F(ThumbFormTest, TheMainWindowsButtonOpensOneWindowAndClosingItClosesThatWithoutAsking) {
    Bmp("a.bmp", 6, 6);
    GoToPath(*main, folder.Path(), true);
    {
        ScriptedMessageBoxes boxes({IDNO});
        main->BtnThumbClick(*main->BtnThumb);
        EXPECT_EQ(boxes.Asked()[0].text, "Display the Thumbnails of " + folder.Path() + " ?");
    }
    EXPECT_FALSE(main->ThumbsOpen);
    EXPECT_EQ(main->ThumbForm, nullptr);
    {
        ScriptedMessageBoxes boxes({IDYES});
        main->BtnThumbClick(*main->BtnThumb);
    }
    Finish();
    ASSERT_TRUE(main->ThumbsOpen);
    TCvThumbForm* form = main->ThumbForm;
    ASSERT_NE(form, nullptr);
    EXPECT_EQ(form->ThumbCount, 1);
    // A second press only brings it forward: no question, no second window.
    SetForegroundWindow(main->Handle());
    {
        ScriptedMessageBoxes boxes;
        main->BtnThumbClick(*main->BtnThumb);
    }
    EXPECT_EQ(main->ThumbForm, form);
    Pump();
    EXPECT_EQ(GetForegroundWindow(), form->Handle());

    ScriptedMessageBoxes none; // any question fails
    main->Close();
    EXPECT_FALSE(main->ThumbsOpen);
    EXPECT_TRUE(ui::App().Terminated());
}

TEST_F(ThumbFormTest, ClosingTheMainWindowDuringABuildStopsItCleanly) {
    for (int i = 0; i < 40; ++i)
        Bmp("p" + std::to_string(i) + ".bmp", 300, 200);
    TCvThumbForm& form = Open();
    ScriptedMessageBoxes none;
    // Arrives while the build lets messages through.
    PostMessageA(main->Handle(), WM_CLOSE, 0, 0);
    form.BuildThumbnails();
    Finish();
    EXPECT_TRUE(ui::App().Terminated());
    EXPECT_FALSE(main->ThumbsOpen);
    EXPECT_EQ(main->ThumbForm, nullptr) << "freed, once no step of the build was running";
}

TEST_F(ThumbFormTest, ASystemCloseDuringTheBuildStopsItThenAsks) {
    for (int i = 0; i < 10; ++i)
        Bmp("p" + std::to_string(i) + ".bmp", 6, 6);
    TCvThumbForm& form = Open();
    bool busyAtQuestion = true;
    int cellsAtQuestion = -1;
    AnsweredBoxes boxes([&](const MessageBoxRequest& request) {
        EXPECT_EQ(request.text, "Close the Thumbnail-Window ?");
        busyAtQuestion = form.Busy;
        cellsAtQuestion = form.ThumbCount;
        return IDYES;
    });
    PostMessageA(form.Handle(), WM_SYSCOMMAND, SC_CLOSE, 0);
    form.BuildThumbnails();
    Finish();
    EXPECT_EQ(boxes.asked.size(), 1u);
    EXPECT_FALSE(busyAtQuestion);
    EXPECT_LT(cellsAtQuestion, 10);
    EXPECT_FALSE(main->ThumbsOpen);
    Pump();
    EXPECT_EQ(main->ThumbForm, nullptr);
}

TEST_F(ThumbFormTest, RefreshAsksAndShowsNewFilesOfTheSameFolder) {
    Bmp("a.bmp", 6, 6);
    Bmp("c.bmp", 6, 6);
    TCvThumbForm& form = Build();
    ASSERT_EQ(form.ThumbCount, 2);
    Bmp("b.bmp", 6, 6);
    {
        ScriptedMessageBoxes boxes({IDNO});
        test::PostKey(Cell(form, 1).Panel->Handle(), VK_F5);
        ASSERT_EQ(boxes.Asked().size(), 1u);
        EXPECT_EQ(boxes.Asked()[0].text, "Reload the Thumbnails of " + folder.Path() + " ?");
    }
    EXPECT_EQ(form.ThumbCount, 2);
    // The folder does not follow the main window.
    GoToPath(*main, programFolder.Path(), true);
    {
        ScriptedMessageBoxes boxes({IDYES});
        form.PopupRefreshClick(form);
    }
    Finish();
    ASSERT_EQ(form.ThumbCount, 3);
    EXPECT_EQ(Cell(form, 2).FNLabel->Caption(), "b.bmp");
    EXPECT_EQ(form.FocusedThumb(), 1);
}

TEST_F(ThumbFormTest, ShrinkingSnapsBackToTwoCellsEachWay) {
    Bmp("a.bmp", 6, 6);
    TCvThumbForm& form = Build();
    form.SetClientSize(100, 90);
    Pump();
    EXPECT_EQ(form.ClientWidth(), 172);
    EXPECT_EQ(form.ClientHeight(), 212);
    EXPECT_EQ(form.Cols, 2);
}

TEST_F(ThumbFormTest, PageKeysMoveByRowsAndTheArrowsWrap) {
    for (int i = 0; i < 12; ++i)
        Bmp("p" + std::to_string(10 + i) + ".bmp", 6, 6);
    TCvThumbForm& form = Build();
    form.SetClientSize(450, 400);
    Pump();
    ASSERT_EQ(form.Cols, 5);
    ASSERT_EQ(test::PlaceInParent(Cell(form, 6).Panel->Handle()).top, 108);
    struct Move {
        int from;
        WORD key;
        int to;
    } moves[] = {{1, VK_PRIOR, 11}, {3, VK_PRIOR, 8}, {5, VK_PRIOR, 10}, {8, VK_NEXT, 3},
                 {10, VK_NEXT, 5},  {7, VK_PRIOR, 2}, {4, VK_END, 12},   {9, VK_HOME, 1},
                 {12, VK_RIGHT, 1}, {12, VK_TAB, 1},  {1, VK_LEFT, 12},  {6, VK_DOWN, 7}};
    for (const Move& m : moves) {
        SCOPED_TRACE(std::to_string(m.from) + " key " + std::to_string(m.key));
        Cell(form, m.from).Panel->SetFocus();
        Pump(5);
        test::PostKey(Cell(form, m.from).Panel->Handle(), m.key);
        EXPECT_EQ(form.FocusedThumb(), m.to);
    }
}

TEST_F(ThumbFormTest, ClicksWhileBusyChangeNothing) {
    Copy("jpeg/baseline-420.jpg", "a.jpg");
    Copy("jpeg/baseline-444.jpg", "b.jpg");
    TCvThumbForm& form = Build();
    ASSERT_EQ(form.FocusedThumb(), 1);
    HWND second = Cell(form, 2).Panel->Handle();
    const LPARAM at = MAKELPARAM(30, 30);
    auto click = [&] {
        PostMessageA(second, WM_LBUTTONDOWN, MK_LBUTTON, at);
        PostMessageA(second, WM_LBUTTONUP, 0, at);
        Pump();
    };
    auto doubleClick = [&] {
        PostMessageA(second, WM_LBUTTONDBLCLK, MK_LBUTTON, at);
        PostMessageA(second, WM_LBUTTONUP, 0, at);
        Pump();
    };
    form.Busy = true;
    click();
    PostMessageA(second, WM_RBUTTONDOWN, MK_RBUTTON, at);
    Pump();
    doubleClick();
    EXPECT_EQ(form.FocusedThumb(), 1);
    EXPECT_TRUE(main->CurrentFile.empty());
    form.PopupMenuPopup(form);
    EXPECT_EQ(form.PopupClose->caption, "Abort");
    EXPECT_FALSE(form.PopupRefresh->enabled);
    EXPECT_FALSE(form.PopupLoadImg->enabled);
    EXPECT_FALSE(form.PopupImageInfo->enabled);

    form.Busy = false;
    form.PopupMenuPopup(form);
    EXPECT_EQ(form.PopupClose->caption, "&Close");
    EXPECT_TRUE(form.PopupRefresh->enabled);
    EXPECT_TRUE(form.PopupLoadImg->enabled);
    click();
    EXPECT_EQ(form.FocusedThumb(), 2);
    // A click on the picture focuses the cell too: the panel it is drawn in takes it.
    Cell(form, 1).Panel->SetFocus();
    const ui::Bounds picture = Cell(form, 2).PMI->Position();
    const POINT inside{picture.left + 5, picture.top + 5};
    ASSERT_EQ(ChildWindowFromPoint(Cell(form, 2).Panel->Handle(), inside), Cell(form, 2).Panel->Handle());
    PostMessageA(Cell(form, 2).Panel->Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(inside.x, inside.y));
    PostMessageA(Cell(form, 2).Panel->Handle(), WM_LBUTTONUP, 0, MAKELPARAM(inside.x, inside.y));
    Pump();
    EXPECT_EQ(form.FocusedThumb(), 2);
    doubleClick();
    EXPECT_EQ(main->CurrentFile, folder / "b.jpg");
    EXPECT_TRUE(main->PMI->Visible());
    EXPECT_EQ(main->FLB->FileName(), folder / "b.jpg");
}

TEST_F(ThumbFormTest, FiveHundredCellsAtMostAndTheWarningOnce) {
    for (int i = 0; i < 501; ++i)
        Bmp("p" + std::to_string(1000 + i) + ".bmp", 2, 2);
    TCvThumbForm& form = Open();
    AnsweredBoxes boxes([](const MessageBoxRequest&) { return IDOK; });
    form.BuildThumbnails();
    Finish();
    EXPECT_EQ(form.ThumbCount, 500);
    ASSERT_EQ(boxes.asked.size(), 1u);
    EXPECT_EQ(boxes.asked[0].text, "The maximum loadable amount of 500 Thumbnails has reached !\r"
                                   "Further Imagefiles are ignored by Corvane.");
    EXPECT_EQ(boxes.asked[0].caption, "Warning");
    EXPECT_EQ(Caption(form), "500 Thumbnails in " + folder.Path());
    // The grid reaches past the window: it scrolls.
    EXPECT_TRUE(form.VertScrollVisible());
    EXPECT_EQ(Cell(form, 500).Panel->TabOrder(), 499);
}

TEST_F(ThumbFormTest, AtADriveRootTheNamesHaveTwoBackslashes) {
    // The root of drive C: (the Wine prefix's own drive) with one picture of ours in it.
    const std::string name = "corvtest-" + std::to_string(GetCurrentProcessId()) + ".bmp";
    test::WriteFileBytes("C:\\" + name, test::SolidBmpFile(8, 4, RGB(0, 0, 200)));
    GoToPath(*main, "C:\\", true);
    TCvThumbForm& form = main->OpenThumbnails();
    AnsweredBoxes boxes([](const MessageBoxRequest&) { return IDOK; });
    form.BuildThumbnails();
    Finish();
    EXPECT_EQ(form.ThumbDir, "C:\\");
    int found = 0;
    for (int i = 1; i <= form.ThumbCount; ++i)
        if (Cell(form, i).FNLabel->Caption() == name) found = i;
    ASSERT_NE(found, 0);
    EXPECT_EQ(Cell(form, found).FileName, "C:\\\\" + name);
    EXPECT_EQ(Cell(form, found).ImgWidth, 8);
    EXPECT_NE(Cell(form, found).PMI->Picture().Bitmap(), nullptr);
    EXPECT_EQ(Caption(form).substr(Caption(form).find(" Thumbnails in ")), " Thumbnails in C:\\");
    DeleteFileA(("C:\\" + name).c_str());
}

TEST_F(ThumbFormTest, LargeCellsComeWithTheNextBuildAndTheNewPitchWithTheNextResize) {
    for (int i = 0; i < 3; ++i)
        Bmp("p" + std::to_string(i) + ".bmp", 30, 30);
    TCvThumbForm& form = Build();
    BigThumbs = true;
    SetThumbSizes();
    form.SetClientSize(600, 400);
    Pump();
    // The cells keep their size; they stand on the large cells' pitch.
    EXPECT_EQ(Cell(form, 2).Panel->Width(), 80);
    EXPECT_EQ(test::PlaceInParent(Cell(form, 2).Panel->Handle()).left, 128);
    {
        ScriptedMessageBoxes boxes({IDYES});
        form.PopupRefreshClick(form);
    }
    Finish();
    EXPECT_EQ(Cell(form, 2).Panel->Width(), 120);
    EXPECT_EQ(Cell(form, 2).Panel->Height(), 140);
    EXPECT_EQ(Cell(form, 2).PMI->Width(), 116);
    EXPECT_EQ(Cell(form, 2).PMI->Picture().Height(), 116);
    EXPECT_EQ(Cell(form, 2).FNLabel->Position().top, 122);
    form.SetClientSize(100, 100);
    Pump();
    EXPECT_EQ(form.ClientWidth(), 252);
    EXPECT_EQ(form.ClientHeight(), 292);
    BigThumbs = false;
    SetThumbSizes();
}

TEST_F(ThumbFormTest, TheMenusShortcutsRunItsCommands) {
    Bmp("a.bmp", 30, 20);
    TCvThumbForm& form = Build();
    auto press = [&](WORD letter) {
        WORD key = letter;
        form.FormKeyDown(form, key, ui::ssCtrl);
        EXPECT_EQ(key, 0) << "consumed";
    };
    {
        ScriptedMessageBoxes boxes({IDOK});
        press('I');
        ASSERT_EQ(boxes.Asked().size(), 1u);
        EXPECT_EQ(boxes.Asked()[0].caption, "Image Information");
    }
    {
        ScriptedMessageBoxes boxes({IDNO});
        press('R');
        ASSERT_EQ(boxes.Asked().size(), 1u);
        EXPECT_EQ(boxes.Asked()[0].text, "Reload the Thumbnails of " + folder.Path() + " ?");
    }
    press('L');
    EXPECT_EQ(main->CurrentFile, folder / "a.bmp");
    // Enter loads too; while building nothing of it happens. (Loading gave the main window the focus.)
    main->CurrentFile.clear();
    SetForegroundWindow(form.Handle());
    Cell(form, 1).Panel->SetFocus();
    Pump();
    ASSERT_EQ(form.FocusedThumb(), 1);
    form.Busy = true;
    press('L');
    char enter = '\r';
    form.FormKeyPress(form, enter);
    EXPECT_TRUE(main->CurrentFile.empty());
    form.Busy = false;
    form.FormKeyPress(form, enter);
    EXPECT_EQ(enter, 0);
    EXPECT_EQ(main->CurrentFile, folder / "a.bmp");
}

TEST_F(ThumbFormTest, RebuildingAndClosingGiveEveryHandleBack) {
    for (int i = 0; i < 15; ++i)
        Bmp("p" + std::to_string(i) + ".bmp", 40, 30);
    const long bitmaps = LiveHandles(HandleKind::Bitmap), windows = LiveHandles(HandleKind::Window),
               fonts = LiveHandles(HandleKind::Font), brushes = LiveHandles(HandleKind::Brush);
    TCvThumbForm& form = Build();
    EXPECT_EQ(LiveHandles(HandleKind::Bitmap), bitmaps + 15);
    {
        ScriptedMessageBoxes boxes({IDYES});
        form.PopupRefreshClick(form);
    }
    Finish();
    EXPECT_EQ(LiveHandles(HandleKind::Bitmap), bitmaps + 15);
    {
        ScriptedMessageBoxes boxes({IDYES});
        form.PopupCloseClick(form);
    }
    Pump();
    EXPECT_EQ(LiveHandles(HandleKind::Bitmap), bitmaps);
    EXPECT_EQ(LiveHandles(HandleKind::Window), windows);
    EXPECT_EQ(LiveHandles(HandleKind::Font), fonts);
    EXPECT_EQ(LiveHandles(HandleKind::Brush), brushes);
}

TEST_F(ThumbFormTest, TheFocusStaysOnScreenAResizeSettlesAtOnceAndALongNameIsOneClippedLine) {
    for (int i = 0; i < 24; ++i)
        Bmp((i < 23 ? "p" + std::to_string(10 + i) : std::string("with some spaces in it")) + ".bmp", 6, 6);
    TCvThumbForm& form = Build();
    form.SetClientSize(180, 300);
    Pump();
    // Rows stand 104 apart from 4 down: the least scroll puts the cell at the edge it comes in by.
    const std::pair<WORD, int> steps[] = {{VK_END, 948}, {VK_HOME, 4},  {VK_LEFT, 948}, {VK_TAB, 4},
                                          {VK_NEXT, 4},  {VK_NEXT, 12}, {VK_NEXT, 116}};
    for (const auto& [key, scroll] : steps) {
        test::PostKey(GetFocus(), key);
        const RECT r = test::PlaceInParent(GetFocus());
        EXPECT_TRUE(r.top >= 0 && r.bottom <= form.ClientHeight() && r.right <= form.ClientWidth()) << key;
        EXPECT_EQ(form.VertScrollPosition(), scroll) << key;
    }
    // The label as its panel paints it, white on blue: text right of "with some" means no break there.
    const ui::Label& name = *Cell(form, 24).FNLabel;
    const HWND panel = Cell(form, 24).Panel->Handle();
    WindowDc screen(panel);
    MemoryDcHandle dc(CreateCompatibleDC(screen.Get()));
    BitmapHandle bitmap(CreateCompatibleBitmap(screen.Get(), 80, 100));
    ScopedSelect select(dc.Get(), bitmap.Get());
    SendMessageW(panel, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
    ScopedSelect font(screen.Get(), name.FontHandle());
    SIZE first{};
    GetTextExtentPoint32W(screen.Get(), L"with some", 9, &first);
    const ui::Bounds place = name.Position();
    int lit = 0;
    for (int x = place.left + first.cx + 2; x < place.left + place.width; ++x)
        for (int y = place.top; y < place.top + place.height; ++y)
            lit += GetRValue(GetPixel(dc.Get(), x, y)) > 200;
    EXPECT_GT(lit, 0);
    // The picture as the panel draws it, at its box.
    const TPictureView& view = *Cell(form, 24).PMI;
    const ui::Bounds box = view.Position();
    const COLORREF shown = PixelOf(view.Picture().Bitmap(), box.width / 2, box.height / 2);
    EXPECT_NE(shown, kThumbNavy);
    EXPECT_EQ(GetPixel(dc.Get(), box.left + box.width / 2, box.top + box.height / 2), shown);
    // One SetWindowPos from 608 x 627, as a restore or a border drag makes it; 0: the client minimum.
    const int resizes[][4] = {{608, 100, 608, 0}, {150, 627, 0, 627}};
    for (const auto& [w, h, width, height] : resizes) {
        SetWindowPos(form.Handle(), nullptr, 0, 0, 608, 627, SWP_NOMOVE | SWP_NOZORDER);
        Pump();
        SetWindowPos(form.Handle(), nullptr, 0, 0, w, h, SWP_NOMOVE | SWP_NOZORDER);
        Pump(100);
        EXPECT_EQ(width ? form.Width() : form.ClientWidth(), width ? width : 172) << w << " x " << h;
        EXPECT_EQ(height ? form.Height() : form.ClientHeight(), height ? height : 212) << w << " x " << h;
    }
}

TEST_F(ThumbFormTest, ACellDoubleClickedWhileAnotherLoadsLeavesTheSelectionOnThePictureShown) {
    Bmp("a.bmp", 3000, 2000);
    Bmp("b.bmp", 40, 30, RGB(0, 200, 0));
    TCvThumbForm& form = Build();
    Cell(form, 1).Panel->SetFocus();
    Pump();
    form.PopupLoadImgClick(form);
    ASSERT_TRUE(main->Loading) << "the first picture waits for its decode";
    // The mouse on the second cell meanwhile.
    const HWND second = Cell(form, 2).Panel->Handle();
    for (UINT message : {WM_LBUTTONDOWN, WM_LBUTTONUP, WM_LBUTTONDBLCLK, WM_LBUTTONUP})
        PostMessageA(second, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON, MAKELPARAM(5, 5));
    Pump(100);
    ASSERT_TRUE(test::RunUntil([this] { return !main->Loading; }));
    EXPECT_EQ(main->CurrentFile, folder / "b.bmp");
    EXPECT_EQ(main->FLB->SelectedPath(), main->CurrentFile) << "the selection names the picture shown";
    EXPECT_EQ(main->PMI->Picture().Width(), 40);
}

} // namespace
} // namespace corv
