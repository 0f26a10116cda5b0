// Decoding ahead in the main window: a picture taken from ahead looks as a direct decode would, a changed
// file or a failed decode ahead is loaded as usual, the neighbour follows the last move, and the budget,
// the folder and the program's end bound what is held.
#include "tests/app/mainwindowtest.h"
#include "tests/app/program.h"
#include "settings/pathtext.h"
#include "tests/support/pictures.h"

#include <gtest/gtest.h>

#include <psapi.h>

namespace corv {
namespace {

using test::Pump;
using test::ReadFileBytes;
using test::ScriptedMessageBoxes;
using test::WriteFileBytes;

// The pixels of a bitmap as bottom-up 24-bit rows.
std::string PixelsOf(HBITMAP bitmap) {
    BITMAP info{};
    if (!bitmap || !GetObjectA(bitmap, sizeof info, &info)) return {};
    BITMAPINFO header{};
    header.bmiHeader = {sizeof(BITMAPINFOHEADER), info.bmWidth, info.bmHeight, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    std::string pixels(DibRowStride(static_cast<std::uint64_t>(info.bmWidth), 24) * info.bmHeight, '\0');
    WindowDc screen(nullptr);
    GetDIBits(screen.Get(), bitmap, 0, static_cast<UINT>(info.bmHeight), pixels.data(), &header,
              DIB_RGB_COLORS);
    return pixels;
}

std::size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS counters{};
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
    return counters.PagefileUsage;
}

class DecodeAheadTest : public test::MainWindowTest {
  protected:
    std::string Put(const std::string& name, const std::string& content) {
        WriteFileBytes(folder / name, content);
        return folder / name;
    }
    std::string PutFixture(const std::string& name, const std::string& fixture) {
        return Put(name, ReadFileBytes(test::FixturePath(fixture)));
    }
    void OpenFolder() { GoToPath(*form, folder.Path(), true); }
    bool WaitReady(DecodeAhead& ahead, const std::string& file) {
        for (int i = 0; i < 1000 && !ahead.Ready(file); ++i)
            Pump(10);
        return ahead.Ready(file);
    }
    bool WaitReady(const std::string& file) { return WaitReady(form->PicturesAhead, file); }
    std::vector<std::string> Held() const {
        std::vector<std::string> names;
        for (const std::string& file : form->PicturesAhead.HeldFiles())
            names.push_back(ExtractFileName(file));
        return names;
    }
    using Names = std::vector<std::string>;
};

} // namespace

TEST_F(DecodeAheadTest, PictureFromAheadLooksAsADirectDecode) {
    const std::string a = PutFixture("a.jpg", "jpeg/baseline-420.jpg");
    const std::string b = PutFixture("b.jpg", "jpeg/progressive.jpg");
    PutFixture("c.gif", "gif/87a-global.gif");
    OpenFolder();
    Load(a);
    EXPECT_EQ(Held(), Names{"b.jpg"});
    ASSERT_TRUE(WaitReady(b));
    Load(b);
    EXPECT_EQ(form->PicturesAhead.Hits(), 1);
    EXPECT_EQ(Held(), Names{"c.gif"}) << "the next one is on its way";
    const std::string caption = test::WindowText(form->Handle()), info = form->LabelImageinfo->Caption();
    const std::string pixels = PixelsOf(form->PMI->Picture().Bitmap());
    EXPECT_TRUE(fullView->PMI->Picture().SharesGraphicWith(form->PMI->Picture()));

    form->PicturesAhead.SetEnabled(false);
    Load(a);
    Load(b);
    EXPECT_EQ(form->PicturesAhead.Hits(), 1) << "decoded directly this time";
    EXPECT_TRUE(Held().empty());
    EXPECT_EQ(test::WindowText(form->Handle()), caption);
    EXPECT_EQ(caption, "Corvane - [B.JPG]");
    EXPECT_EQ(form->LabelImageinfo->Caption(), info);
    EXPECT_EQ(PixelsOf(form->PMI->Picture().Bitmap()), pixels);
    EXPECT_FALSE(pixels.empty());
}

TEST_F(DecodeAheadTest, FileChangedSinceIsDecodedAgain) {
    const std::string a = PutFixture("a.jpg", "jpeg/baseline-420.jpg");
    const std::string b = PutFixture("b.gif", "gif/87a-global.gif");
    OpenFolder();
    Load(a);
    ASSERT_TRUE(WaitReady(b));
    PutFixture("b.gif", "gif/89a-transparent.gif");
    Load(b);
    EXPECT_EQ(form->PicturesAhead.Hits(), 0);
    DecodedPicture direct = DecodePicture(ImagingLibrary(), *FindFormat(b), b, form->PMI->DecodeDepth(),
                                          form->PMI->ImageDither());
    ASSERT_GE(direct.code, 1);
    EXPECT_EQ(PixelsOf(form->PMI->Picture().Bitmap()), PixelsOf(direct.bitmap.Get()));
}

TEST_F(DecodeAheadTest, FailedDecodeAheadGivesTheUsualBoxesOnce) {
    const std::string a = PutFixture("a.jpg", "jpeg/baseline-420.jpg");
    // The header is whole, the pixel data cut off; then a file that is no picture at all.
    const std::string b = Put("b.gif", ReadFileBytes(test::FixturePath("gif/87a-global.gif")).substr(0, 80));
    const std::string c = Put("c.jpg", "this is not a picture");
    OpenFolder();
    Load(a);
    ASSERT_TRUE(WaitReady(b));
    {
        ScriptedMessageBoxes boxes({IDOK, IDOK});
        Load(b);
        ASSERT_EQ(boxes.Asked().size(), 2u);
        EXPECT_EQ(boxes.Asked()[1].text, "Reading gif file failed");
    }
    ASSERT_TRUE(WaitReady(c));
    {
        ScriptedMessageBoxes boxes({IDOK});
        Load(c);
        EXPECT_EQ(boxes.Asked().size(), 1u);
    }
    EXPECT_EQ(form->LabelImageinfo->Caption(), "Imageinfo:  N/A");
    EXPECT_EQ(form->PicturesAhead.Hits(), 0);
}

TEST_F(DecodeAheadTest, TheNeighbourFollowsTheLastMove) {
    const char* names[] = {"a.bmp", "b.bmp", "c.bmp", "d.bmp"};
    for (int i = 0; i < 4; ++i)
        Put(names[i], test::SolidBmpFile(40, 20, RGB(60 * i, 0, 0)));
    OpenFolder();
    Load(folder / "b.bmp");
    EXPECT_EQ(Held(), Names{"c.bmp"}) << "the first picture looks down the list";
    ASSERT_TRUE(WaitReady(folder / "c.bmp"));
    Load(folder / "c.bmp"); // "+"
    EXPECT_EQ(Held(), Names{"d.bmp"});
    Load(folder / "b.bmp"); // "-"
    EXPECT_EQ(Held(), (Names{"d.bmp", "a.bmp"})) << "at most two ahead, the newest last";
    ASSERT_TRUE(WaitReady(folder / "a.bmp"));
    Load(folder / "a.bmp");
    EXPECT_EQ(form->PicturesAhead.Hits(), 2);
    EXPECT_EQ(Held(), (Names{"d.bmp", "b.bmp"})) << "at the top of the list the way on is down";
    EXPECT_EQ(PixelsOf(form->PMI->Picture().Bitmap()).substr(0, 3), std::string("\0\0\0", 3));
}

TEST_F(DecodeAheadTest, TheBudgetAndTheFolderBoundWhatIsHeld) {
    // A header that claims 10000 x 10000 pixels: 300 MB at true colour, over the budget.
    std::string huge = ReadFileBytes(test::FixturePath("jpeg/baseline-420.jpg"));
    const std::size_t frame = huge.find("\xFF\xC0");
    ASSERT_NE(frame, std::string::npos);
    huge.replace(frame + 5, 4, "\x27\x10\x27\x10");
    const std::string hugeFile = Put("huge.jpg", huge);
    const std::string small = PutFixture("small.jpg", "jpeg/baseline-420.jpg");
    {
        DecodeAhead ahead;
        ahead.Prefetch(ImagingLibrary(), hugeFile, 24, true);
        ahead.Prefetch(ImagingLibrary(), small, 24, true);
        // What a take hands over, once the loop has brought the decode's end.
        auto take = [&ahead](const std::string& file) {
            std::optional<std::optional<DecodedPicture>> given;
            if (!ahead.Take(file, 24, true, {}, [&given](auto picture) { given = std::move(picture); }))
                return false;
            return test::RunUntil([&given] { return given.has_value(); }) && given->has_value();
        };
        ASSERT_TRUE(WaitReady(ahead, hugeFile));
        EXPECT_FALSE(take(hugeFile)) << "not decoded ahead";
        ASSERT_TRUE(WaitReady(ahead, small));
        EXPECT_TRUE(take(small));
        EXPECT_FALSE(take(small)) << "taken once";
    }

    // What was held is let go when the list leaves the folder.
    const std::string first = Put("a.bmp", test::SolidBmpFile(40, 20, RGB(0, 0, 255)));
    const std::string big = Put("b.bmp", test::SolidBmpFile(2000, 1500, RGB(0, 128, 0)));
    OpenFolder();
    Load(first);
    ASSERT_TRUE(WaitReady(big));
    const long bitmaps = LiveHandles(HandleKind::Bitmap);
    const std::size_t bytes = PrivateBytes();
    test::TempFolder elsewhere;
    GoToPath(*form, elsewhere.Path(), true);
    EXPECT_TRUE(Held().empty());
    EXPECT_EQ(LiveHandles(HandleKind::Bitmap), bitmaps - 1);
    EXPECT_LT(PrivateBytes() + 8 * 1024 * 1024, bytes) << "the 9 MB picture was freed";
}

TEST_F(DecodeAheadTest, HundredPagesKeepHandlesAndMemoryFlat) {
    const char* fixtures[] = {"jpeg/progressive.jpg", "bmp/v3-8.bmp", "gif/87a-local.gif",
                              "tiff/deflate.tif",     "bmp/rle8.bmp", "pcx/im-24.pcx"};
    std::vector<std::string> files;
    for (int i = 0; i < 6; ++i) {
        const std::string fixture = fixtures[i];
        files.push_back(PutFixture(
            std::string(1, static_cast<char>('a' + i)) + fixture.substr(fixture.rfind('.')), fixture));
    }
    OpenFolder();
    // Up and down the list, so that both neighbours are decoded ahead and taken.
    // Counted once the picture ahead has been decoded too, whichever thread is quicker.
    auto page = [&](int i) {
        Load(files[static_cast<std::size_t>(i / 6 % 2 ? 5 - i % 6 : i % 6)]);
        for (const std::string& held : form->PicturesAhead.HeldFiles())
            EXPECT_TRUE(WaitReady(held));
    };
    for (int i = 0; i < 12; ++i)
        page(i);
    const long bitmaps = LiveHandles(HandleKind::Bitmap), palettes = LiveHandles(HandleKind::Palette);
    const DWORD gdi = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
    const std::size_t bytes = PrivateBytes();
    const int hits = form->PicturesAhead.Hits();
    for (int i = 12; i < 112; ++i)
        page(i);
    EXPECT_GT(form->PicturesAhead.Hits(), hits + 50);
    EXPECT_EQ(LiveHandles(HandleKind::Bitmap), bitmaps);
    EXPECT_EQ(LiveHandles(HandleKind::Palette), palettes);
    EXPECT_LE(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdi + 2);
    EXPECT_LT(PrivateBytes(), bytes + 2 * 1024 * 1024);
}

TEST(DecodeAheadProgram, ClosingWhileAPictureIsDecodedAheadEndsCleanly) {
    test::ScratchKey key{SettingsKey};
    test::TempFolder folder;
    WriteFileBytes(folder / "a.bmp", test::SolidBmpFile(40, 20, RGB(0, 0, 255)));
    WriteFileBytes(folder / "b.bmp", test::SolidBmpFile(4000, 3000, RGB(0, 128, 0)));
    test::ProgramRun run(test::ProgramCommandLine(test::ProgramPath(), folder / "a.bmp"), folder.Path());
    ASSERT_TRUE(run.MainWindow());
    EXPECT_TRUE(run.Close(5000)) << "the program did not end";
}

// User and kernel time of a process, in milliseconds.
double CpuMs(HANDLE process) {
    FILETIME created, ended, kernel, user;
    if (!GetProcessTimes(process, &created, &ended, &kernel, &user)) return -1;
    auto ms = [](const FILETIME& t) {
        return static_cast<double>((std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime) / 10000.0;
    };
    return ms(kernel) + ms(user);
}

TEST(DecodeAheadProgram, ClosingWhileALoadWaitsForItsDecodeEndsWithTheDecodeAndUsesNoCoreMeanwhile) {
    test::ScratchKey key{SettingsKey};
    test::TempFolder folder;
    WriteFileBytes(folder / "a.bmp", test::SolidBmpFile(40, 20, RGB(0, 0, 255)));
    WriteFileBytes(folder / "b.bmp", test::SolidBmpFile(9000, 6000, RGB(0, 128, 0)));
    // What the decode of the big one takes here, to bound the program's end by.
    const DWORD start = GetTickCount();
    DecodedPicture alone =
        DecodePicture(ImagingLibrary(), *FindFormat(folder / "b.bmp"), folder / "b.bmp", 24, true);
    const DWORD decodeMs = GetTickCount() - start;
    ASSERT_GE(alone.code, 1);
    alone = {};

    test::ProgramRun run(test::ProgramCommandLine(test::ProgramPath(), folder / "a.bmp"), folder.Path());
    const HWND main = run.MainWindow();
    ASSERT_TRUE(main);
    // Down and Enter in the list: the big picture, decoded ahead meanwhile, is asked for.
    HWND list = nullptr;
    EnumChildWindows(
        main,
        [](HWND child, LPARAM found) {
            char name[32] = "";
            GetClassNameA(child, name, sizeof name);
            if (lstrcmpiA(name, "LISTBOX") != 0) return TRUE;
            *reinterpret_cast<HWND*>(found) = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&list));
    ASSERT_TRUE(list);
    PostMessageA(list, WM_KEYDOWN, VK_DOWN, 1);
    PostMessageA(list, WM_KEYDOWN, VK_RETURN, 1);
    Sleep(30);
    const double cpuBefore = CpuMs(run.Process());
    const DWORD closing = GetTickCount();
    EXPECT_TRUE(run.Close(20000)) << "the program did not end";
    const DWORD closeMs = GetTickCount() - closing;
    const double cpuMs = CpuMs(run.Process()) - cpuBefore;
    EXPECT_LT(closeMs, decodeMs + 1000) << "ends within a second of the decode's end";
    // The decode's worker runs until it ends; a waiting user-interface thread would add a core of its own.
    EXPECT_LT(cpuMs, closeMs * 1.3 + 150) << "closed in " << closeMs << " ms";
}

} // namespace corv
