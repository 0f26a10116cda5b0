// The full-screen view with the real main window, real folders and real pictures under Wine: paging,
// zoom, moving over the screen, closing, the pointer and the pixels on the screen.
#include "base/files.h"
#include "fullview/viewgeometry.h"
#include "settings/pathtext.h"
#include "tests/app/mainwindowtest.h"
#include "tests/support/pictures.h"

#include <atomic>
#include <thread>

namespace corv {
namespace {

using test::Pump;

constexpr COLORREF kBlue = RGB(0, 0, 255), kBlack = RGB(0, 0, 0), kRed = RGB(255, 0, 0);

// Presses and lets go of a key as the keyboard would, so that the key state follows.
void TypeKey(WORD key) {
    INPUT input[2] = {};
    input[0].type = input[1].type = INPUT_KEYBOARD;
    input[0].ki.wVk = input[1].ki.wVk = key;
    input[1].ki.dwFlags = KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof(INPUT));
    Pump(100);
}

// A 24-bit bitmap file, blue left of x = split and green from there.
std::string TwoColourBmpFile(int width, int height, int split) {
    std::string bytes = test::SolidBmpFile(width, height, kBlue);
    const std::size_t stride = static_cast<std::size_t>(width * 3 + 3) & ~std::size_t{3};
    for (std::size_t y = 0; y < static_cast<std::size_t>(height); ++y)
        for (std::size_t x = static_cast<std::size_t>(split); x < static_cast<std::size_t>(width); ++x) {
            char* pixel = &bytes[54 + y * stride + x * 3];
            pixel[0] = 0, pixel[1] = static_cast<char>(255), pixel[2] = 0;
        }
    return bytes;
}

class FullViewTest : public test::MainWindowTest {
  protected:
    void TearDown() override {
        ShowMouse = false;
        MainWindowTest::TearDown();
    }
    void Bmp(const std::string& name, int width, int height, COLORREF color = kBlue) {
        test::WriteFileBytes(folder / name, test::SolidBmpFile(width, height, color));
    }
    // The list on the folder with the file selected and shown, then the view over it.
    void Open(const std::string& name) {
        GoToPath(*form, folder / name, false);
        Load(folder / name);
        fullView->ShowView();
        Pump();
    }
    void Type(char c) {
        PostMessageA(fullView->Handle(), WM_CHAR, static_cast<unsigned char>(c), 1);
        Pump();
        EndOfLoad();
    }
    void Key(WORD key) {
        test::PostKey(fullView->Handle(), key);
        EndOfLoad();
    }
    std::string Selected() const {
        const int index = form->FLB->ItemIndex();
        return index >= 0 ? form->FLB->Item(index) : "(none)";
    }
    std::string Shown() const { return ExtractFileName(form->CurrentFile); }
    bool Showing() const { return IsWindowVisible(fullView->Handle()) != FALSE; }
    COLORREF ScreenPixel(int x, int y) const {
        WindowDc screen(nullptr);
        return GetPixel(screen.Get(), x, y);
    }
    int RedAtTopLeft() const {
        int red = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 200; ++x)
                red += ScreenPixel(x, y) == kRed;
        return red;
    }
    int ScreenWidth() const { return GetSystemMetrics(SM_CXSCREEN); }
    int ScreenHeight() const { return GetSystemMetrics(SM_CYSCREEN); }
};

} // namespace

TEST_F(FullViewTest, PagingPassesOverOtherFilesAndStopsAtBothEnds) {
    Bmp("a.bmp", 100, 50);
    test::WriteFileBytes(folder / "b.txt", "not a picture");
    CopyFileA(test::FixturePath("gif/87a-global.gif").c_str(), (folder / "c.gif").c_str(), FALSE);
    Open("a.bmp");
    ASSERT_EQ(Selected(), "a.bmp");

    Key(VK_ADD); // the numeric keypad's "+"
    EXPECT_EQ(Shown(), "c.gif");
    EXPECT_EQ(Selected(), "c.gif");
    EXPECT_EQ(fullView->PMI->Width(), 45);
    EXPECT_TRUE(fullView->PMI->Picture().SharesGraphicWith(form->PMI->Picture()));
    Type('+');
    EXPECT_EQ(Shown(), "c.gif") << "no wrap at the end";
    EXPECT_EQ(Selected(), "c.gif");

    Key(VK_SUBTRACT);
    EXPECT_EQ(Shown(), "a.bmp");
    Type('-');
    EXPECT_EQ(Shown(), "a.bmp") << "the walk ends at the directory entry above";
    EXPECT_EQ(Selected(), "a.bmp") << "and the selection comes back";
    EXPECT_TRUE(Showing());
}

// The walk takes the newer types only with AllPictureTypes on, and shows them; a movie's name stays out.
TEST_F(FullViewTest, PagingTakesTheNewerTypesOnlyWithAllPictureTypes) {
    Bmp("a.bmp", 100, 50);
    for (const auto& [fixture, name] : {std::pair{"webp/animated.webp", "b.webp"},
                                        {"heif/avif-422-10.avif", "c.avif"},
                                        {"webp/lossless.webp", "d.avi"},
                                        {"heif/heic-420-8.heic", "e.HEIC"}})
        ASSERT_TRUE(CopyFileA(test::FixturePath(fixture).c_str(), (folder / name).c_str(), FALSE));
    Bmp("f.bmp", 100, 50);
    for (bool all : {false, true}) {
        SCOPED_TRACE(all);
        AllPictureTypes = all;
        Open("a.bmp");
        const std::vector<std::string> walk =
            all ? std::vector<std::string>{"b.webp", "c.avif", "e.HEIC", "f.bmp"}
                : std::vector<std::string>{"f.bmp"};
        for (const std::string& next : walk) {
            Key(VK_ADD);
            EXPECT_EQ(Shown(), next);
            EXPECT_EQ(fullView->PMI->Width(), next == "f.bmp" ? 100 : 45) << next;
        }
        Key(VK_ESCAPE);
    }
    AllPictureTypes = false;
}

TEST_F(FullViewTest, WalksFromNoSelectionTheFirstPictureAndVanishedFiles) {
    // Digits sort before "[..]": this folder's list starts with a picture.
    Bmp("0.bmp", 20, 10);
    Bmp("a.bmp", 30, 10);
    Bmp("b.bmp", 40, 10);
    Bmp("c.bmp", 50, 10);
    CreateDirectoryA((folder / "sub").c_str(), nullptr);
    Open("a.bmp");
    form->FLB->SetItemIndex(-1);
    Type('-');
    EXPECT_EQ(Shown(), "a.bmp");
    EXPECT_EQ(Selected(), "(none)");
    Type('+');
    EXPECT_EQ(Shown(), "0.bmp") << "nothing selected: the walk starts at entry 0";
    Type('+');
    EXPECT_EQ(Shown(), "0.bmp") << "the walk ends at the directory entry after it";

    test::WriteFileBytes(folder / "sub\\x.txt", "text");
    Bmp("sub\\y.bmp", 10, 10);
    GoToPath(*form, folder / "sub", true); // the directory entries, then x.txt and y.bmp
    Type('*');
    EXPECT_EQ(Shown(), "y.bmp") << "past the directory entries at the top and the other file";
    EXPECT_EQ(Selected(), "y.bmp");

    GoToPath(*form, folder / "c.bmp", false);
    Load(folder / "c.bmp");
    // Once its decode ahead has let go of it, so that the delete is done and not pending.
    EXPECT_TRUE(test::RunUntil([this] { return form->PicturesAhead.Ready(folder / "b.bmp"); }));
    DeleteFileA((folder / "b.bmp").c_str()); // gone since the list was read
    Type('-');
    EXPECT_EQ(Shown(), "c.bmp") << "a vanished entry ends the walk without loading";
    EXPECT_EQ(Selected(), "c.bmp");
}

TEST_F(FullViewTest, ZoomStepsTheirLimitsAndTheScreensPixels) {
    Bmp("a.bmp", 100, 50);
    Bmp("b.bmp", 60, 30, RGB(0, 255, 0));
    Open("a.bmp");
    EXPECT_EQ(ScreenPixel(0, 0), kBlue) << "the picture at the top-left corner";
    EXPECT_EQ(ScreenPixel(99, 49), kBlue);
    EXPECT_EQ(ScreenPixel(100, 20), kBlack) << "black elsewhere";
    EXPECT_EQ(ScreenPixel(ScreenWidth() - 1, ScreenHeight() - 1), kBlack);
    Key(VK_RIGHT);
    EXPECT_EQ(fullView->Left(), 0) << "a window no larger than the screen does not move";

    for (int i = 0; i < 5; ++i)
        Key(VK_F12);
    EXPECT_EQ(fullView->ZoomLevel, 4);
    EXPECT_EQ(fullView->PMI->Width(), 300);
    EXPECT_EQ(fullView->PMI->Height(), 150);
    EXPECT_EQ(fullView->PMI->Left(), 0);
    EXPECT_TRUE(fullView->PMI->Stretch());
    EXPECT_EQ(ScreenPixel(299, 149), kBlue);
    EXPECT_EQ(ScreenPixel(300, 150), kBlack);

    Type('+');
    EXPECT_EQ(Shown(), "b.bmp");
    EXPECT_EQ(fullView->PMI->Width(), 180) << "the zoom stays while paging";
    for (int i = 0; i < 9; ++i)
        Key(VK_F11);
    EXPECT_EQ(fullView->ZoomLevel, -4);
    EXPECT_EQ(fullView->PMI->Width(), 20) << "a third, exactly";
    EXPECT_EQ(fullView->PMI->Height(), 10);

    Type('\x1B');
    EXPECT_FALSE(Showing());
    fullView->ShowView();
    Pump();
    EXPECT_EQ(fullView->ZoomLevel, 0) << "every showing starts at zoom 0";
    EXPECT_EQ(fullView->PMI->Width(), 60);
    EXPECT_FALSE(fullView->PMI->Stretch());
}

TEST_F(FullViewTest, BigPictureMovesOverTheScreenWithoutGaps) {
    test::WriteFileBytes(folder / "big.bmp", TwoColourBmpFile(2000, 1000, 500));
    Open("big.bmp");
    const int width = ScreenWidth(), height = ScreenHeight();
    ASSERT_LT(width + ScrollStepLarge, 2000);
    ASSERT_LT(height + ScrollStepLarge, 1000);
    EXPECT_EQ(fullView->Left(), 0);
    EXPECT_EQ(fullView->Width(), 2000);
    EXPECT_EQ(fullView->Height(), 1000);
    Key(VK_RIGHT);
    EXPECT_EQ(fullView->Left(), -5);
    Key(VK_DOWN);
    EXPECT_EQ(fullView->Top(), -5);
    Key(VK_NEXT);
    EXPECT_EQ(fullView->Top(), -45);

    fullView->SetBounds(width - 2000 + 15, -3, 2000, 1000);
    Key(VK_END);
    EXPECT_EQ(fullView->Left(), width - 2000) << "the right edges meet";
    Key(VK_RIGHT);
    EXPECT_EQ(fullView->Left(), width - 2000);
    Key(VK_UP);
    EXPECT_EQ(fullView->Top(), 0);
    fullView->SetBounds(-3, height - 1000 + 3, 2000, 1000);
    Key(VK_LEFT);
    EXPECT_EQ(fullView->Left(), 0);
    Key(VK_NEXT);
    EXPECT_EQ(fullView->Top(), height - 1000);
    Key(VK_HOME);
    EXPECT_EQ(fullView->Left(), 0);

    Key(VK_F12);
    EXPECT_EQ(fullView->Left(), 0) << "a zoom change puts the window back at 0, 0";
    EXPECT_EQ(fullView->Top(), 0);
    EXPECT_EQ(fullView->Width(), 3000);
    Key(VK_F12);
    EXPECT_EQ(ScreenPixel(800, 10), kBlue) << "blue reaches to 1000 at twice the size";
    Key(VK_F11);
    EXPECT_EQ(fullView->Width(), 3000);
    EXPECT_EQ(ScreenPixel(800, 10), RGB(0, 255, 0))
        << "drawn anew at 1.5 times, though the window still covers the screen";
}

TEST_F(FullViewTest, ModifierKeysAClickAndTheCloseKeysCloseTheView) {
    Bmp("a.bmp", 100, 50);
    Bmp("b.bmp", 100, 50);
    Open("a.bmp");
    form->FLB->SetItemIndex(form->FLB->IndexOf("b.bmp"));
    fullView->Close();
    Pump();
    EXPECT_FALSE(Showing());
    EXPECT_TRUE(IsWindow(fullView->Handle())) << "hidden, not destroyed";
    EXPECT_FALSE(FullViewActive);
    EXPECT_EQ(form->LabelFilename->Caption(), "Filename: b.bmp");

    fullView->ShowView();
    Pump();
    EXPECT_EQ(Selected(), "a.bmp") << "showing selects the current file";
    for (WORD key : {VK_SHIFT, VK_CONTROL, VK_MENU}) {
        SCOPED_TRACE(key);
        TypeKey(key);
        EXPECT_FALSE(Showing());
        fullView->ShowView();
        Pump();
    }
    for (char c : {'\r', '\x1B', ' '}) {
        Type(c);
        EXPECT_FALSE(Showing());
        fullView->ShowView();
        Pump();
    }
    ASSERT_TRUE(Showing());
    // A click on the picture is a click on the window: the picture takes no input of its own.
    SetCursorPos(10, 10);
    INPUT click[2] = {};
    click[0].type = click[1].type = INPUT_MOUSE;
    click[0].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
    click[1].mi.dwFlags = MOUSEEVENTF_LEFTUP;
    SendInput(2, click, sizeof(INPUT));
    Pump(100);
    EXPECT_FALSE(Showing());
}

TEST_F(FullViewTest, BrokenFilesDuringAWalkShowTheFailureTextAndNoBox) {
    Bmp("a.bmp", 100, 50);
    test::WriteFileBytes(folder / "b.jpg", "this is no picture at all");
    // A whole header with its pixels cut off: the header reads, the decode fails.
    test::WriteFileBytes(folder / "c.bmp", test::SolidBmpFile(100, 50, kBlue).substr(0, 200));
    Open("a.bmp");
    test::ScriptedMessageBoxes boxes; // any box fails the test
    for (const char* name : {"b.jpg", "c.bmp"}) {
        SCOPED_TRACE(name);
        Type('+');
        EXPECT_EQ(Shown(), name);
        EXPECT_FALSE(fullView->PMI->Visible());
        EXPECT_GT(RedAtTopLeft(), 20);
        EXPECT_EQ(fullView->Left(), 0);
        EXPECT_GE(fullView->Width(), ScreenWidth());
    }
    Type('+');
    EXPECT_EQ(Shown(), "c.bmp");
}

TEST_F(FullViewTest, PointerHiddenWhileTheViewShowsUnlessShowMouse) {
    Bmp("a.bmp", 100, 50);
    Bmp("b.bmp", 100, 50);
    Open("a.bmp");
    EXPECT_EQ(GetCursor(), nullptr);
    Type('+');
    EXPECT_EQ(Shown(), "b.bmp");
    EXPECT_EQ(GetCursor(), nullptr) << "also while pictures load";
    Type('\r');
    EXPECT_NE(GetCursor(), nullptr);

    ShowMouse = true;
    fullView->ShowView();
    Pump();
    EXPECT_NE(GetCursor(), nullptr);
    Type('-');
    EXPECT_EQ(Shown(), "a.bmp");
    EXPECT_NE(GetCursor(), nullptr);
}

TEST_F(FullViewTest, OnePaintOfTheViewPerPictureAndNoneOfTheCoveredMainPicture) {
    Bmp("a.bmp", 300, 200);
    Bmp("b.bmp", 300, 200, RGB(0, 255, 0));
    Bmp("c.bmp", 200, 300);
    Open("a.bmp");
    Pump(100);
    int viewPaints = 0, mainPaints = 0;
    fullView->PMI->OnPaint = [&](ui::Control&, HDC) { ++viewPaints; };
    form->PMI->OnPaint = [&](ui::Control&, HDC) { ++mainPaints; };
    for (const char* name : {"b.bmp", "c.bmp"}) {
        SCOPED_TRACE(name);
        viewPaints = mainPaints = 0;
        Type('+');
        Pump(100);
        EXPECT_EQ(Shown(), name);
        EXPECT_EQ(viewPaints, 1);
        EXPECT_EQ(mainPaints, 0);
    }
    EXPECT_EQ(ScreenPixel(150, 250), kBlue);
    EXPECT_FALSE(form->PMI->Visible());
    Type('\r');
    EXPECT_TRUE(form->PMI->Visible()) << "the main window's picture shows again when the view closes";
    EXPECT_EQ(form->PMI->Width(), 200);
    EXPECT_EQ(form->PanelImage->Width(), 208);
    EXPECT_EQ(test::WindowText(form->Handle()), "Corvane - [C.BMP]");
}

TEST_F(FullViewTest, KeysPressedWhileLargePicturesLoadActAfterThemInOrder) {
    // Large enough that a key 40 ms after the last one comes while a picture still decodes.
    for (char c = 'a'; c <= 'e'; ++c)
        Bmp(std::string(1, c) + ".bmp", 3000, 2000, c % 2 ? kBlue : RGB(0, 255, 0));
    struct Case {
        std::vector<WORD> keys; // the keypad's "+" and Escape, as the keyboard gives them
        DWORD gapMs;
        const char* shown;
        bool showing;
    } cases[] = {
        {{VK_ADD, VK_ADD, VK_ADD}, 40, "d.bmp", true},
        {{VK_ADD, VK_ESCAPE}, 100, "b.bmp", false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        Open("a.bmp");
        ASSERT_TRUE(Showing());
        std::atomic<bool> typed{false};
        std::thread typist([&] {
            for (WORD key : c.keys) {
                INPUT input[2] = {};
                input[0].type = input[1].type = INPUT_KEYBOARD;
                input[0].ki.wVk = input[1].ki.wVk = key;
                input[1].ki.dwFlags = KEYEVENTF_KEYUP;
                SendInput(2, input, sizeof(INPUT));
                Sleep(c.gapMs);
            }
            typed = true;
        });
        EXPECT_TRUE(test::RunUntil([&] { return typed && !form->Loading; }));
        typist.join();
        Pump(300);
        EXPECT_TRUE(EndOfLoad());
        EXPECT_EQ(Shown(), c.shown);
        EXPECT_EQ(Selected(), c.shown);
        EXPECT_EQ(Showing(), c.showing);
        EXPECT_EQ(test::WindowText(form->Handle()), "Corvane - [" + UpperCase(c.shown) + "]")
            << "the caption follows every load";
        if (Showing()) fullView->Close();
        Pump();
    }
}

} // namespace corv
