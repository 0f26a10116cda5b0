#include "settings/store.h"

#include "settings/registry.h"
#include "tests/support/winsupport.h"
#include "ui/application.h"

#include <gtest/gtest.h>

using namespace corv;
using namespace corv::test;

namespace {

void Store(const char* name, const std::string& text) {
    RegWriteString(HKEY_CURRENT_USER, SettingsKey, name, text);
}
std::string Stored(const char* name) {
    return RegReadString(HKEY_CURRENT_USER, SettingsKey, name);
}

// Every test starts without a settings key, as on a first run.
class Settings : public ::testing::Test {
  protected:
    ScratchKey key_{SettingsKey};
};

// A real top-level window, registered as the main window while it lives.
class MainWindow {
  public:
    MainWindow() {
        window_ = CreateWindowExA(0, "STATIC", "Corvane", WS_OVERLAPPEDWINDOW, 0, 0, 606, 467, nullptr,
                                  nullptr, nullptr, nullptr);
        SetMainWindowHandle(window_);
    }
    ~MainWindow() {
        SetMainWindowHandle(nullptr);
        DestroyWindow(window_);
    }
    HWND Get() const { return window_; }

  private:
    HWND window_;
};

} // namespace

TEST_F(Settings, FirstRunGivesDefaults) {
    ShowOnSel = ShowMouse = ExecOtherFiles = BigThumbs = Maximized = AllPictureTypes = true;
    BgColorIdx = 5;
    LastDir = "stale";
    LoadSettings();
    EXPECT_FALSE(ShowOnSel);
    EXPECT_FALSE(ShowMouse);
    EXPECT_FALSE(ExecOtherFiles);
    EXPECT_FALSE(BigThumbs);
    EXPECT_FALSE(Maximized);
    EXPECT_FALSE(AllPictureTypes) << "the Parts' picture types unless asked";
    EXPECT_EQ(BgColorIdx, 0);
    EXPECT_EQ(LastDir, "");
    EXPECT_EQ(ThumbCellWidth, 80);
    EXPECT_EQ(ThumbCellHeight, 100);
    EXPECT_EQ(ThumbImageWidth, 76);
    EXPECT_EQ(ThumbImageHeight, 76);
}

TEST_F(Settings, LoadReadsEveryValue) {
    Store("ShowOnSel", "1");
    Store("BgColorIdx", "8");
    Store("ShowMouse", "1");
    Store("ExecOtherFiles", "1");
    Store("BigThumbs", "1");
    Store("LastDir", "C:\\My Pictures");
    Store("Maximized", "1");
    Store("AllPictureTypes", "1");
    LoadSettings();
    EXPECT_TRUE(AllPictureTypes);
    EXPECT_TRUE(ShowOnSel);
    EXPECT_EQ(BgColorIdx, 8);
    EXPECT_TRUE(ShowMouse);
    EXPECT_TRUE(ExecOtherFiles);
    EXPECT_TRUE(BigThumbs);
    EXPECT_EQ(LastDir, "C:\\My Pictures");
    EXPECT_TRUE(Maximized);
    EXPECT_EQ(ThumbCellWidth, 120);
    EXPECT_EQ(ThumbCellHeight, 140);
    EXPECT_EQ(ThumbImageWidth, 116);
    EXPECT_EQ(ThumbImageHeight, 116);
}

TEST_F(Settings, BadColourIndexLoadsAsZero) {
    for (const char* bad : {"9", "-1", "abc", "", " 1", "1 ", "4x", "99999999999", "+"}) {
        BgColorIdx = 3;
        Store("BgColorIdx", bad);
        LoadSettings();
        EXPECT_EQ(BgColorIdx, 0) << '"' << bad << '"';
    }
    for (const char* good : {"0", "7", "+2", "008"}) {
        Store("BgColorIdx", good);
        LoadSettings();
        EXPECT_EQ(BgColorIdx, std::stoi(good)) << good;
    }
}

TEST_F(Settings, OnlyTheExactTextOneIsTrue) {
    for (const char* notTrue : {"true", " 1", "1 ", "01", "0", "2", "yes", ""}) {
        Store("ShowOnSel", notTrue);
        Store("BigThumbs", notTrue);
        Store("AllPictureTypes", notTrue);
        AllPictureTypes = true;
        LoadSettings();
        EXPECT_FALSE(AllPictureTypes) << '"' << notTrue << '"';
        EXPECT_FALSE(ShowOnSel) << '"' << notTrue << '"';
        EXPECT_FALSE(BigThumbs) << '"' << notTrue << '"';
    }
    // A number stored by someone else is not text: false as well.
    const DWORD one = 1;
    SetRawValue(HKEY_CURRENT_USER, SettingsKey, "ShowMouse", REG_DWORD, &one, sizeof one);
    LoadSettings();
    EXPECT_FALSE(ShowMouse);
}

TEST_F(Settings, SaveWritesTextAndRoundTrips) {
    MainWindow window;
    ShowOnSel = true;
    BgColorIdx = 6;
    ShowMouse = false;
    ExecOtherFiles = true;
    BigThumbs = true;
    LastDir = "D:\\Fotos\\2026";
    Maximized = true; // not consulted: the window is not maximised
    SaveSettings();
    EXPECT_EQ(Stored("ShowOnSel"), "1");
    EXPECT_EQ(Stored("BgColorIdx"), "6");
    EXPECT_EQ(Stored("ShowMouse"), "0");
    EXPECT_EQ(Stored("ExecOtherFiles"), "1");
    EXPECT_EQ(Stored("BigThumbs"), "1");
    EXPECT_EQ(Stored("LastDir"), "D:\\Fotos\\2026");
    EXPECT_EQ(Stored("Maximized"), "0");
    EXPECT_EQ(Stored("AllPictureTypes"), "0");
    AllPictureTypes = true;
    SaveSettings();
    EXPECT_EQ(Stored("AllPictureTypes"), "1");
    AllPictureTypes = false;

    ShowOnSel = ExecOtherFiles = BigThumbs = false;
    BgColorIdx = 0;
    LastDir.clear();
    LoadSettings();
    EXPECT_TRUE(ShowOnSel);
    EXPECT_EQ(BgColorIdx, 6);
    EXPECT_TRUE(ExecOtherFiles);
    EXPECT_TRUE(BigThumbs);
    EXPECT_EQ(LastDir, "D:\\Fotos\\2026");
    EXPECT_TRUE(AllPictureTypes);
    AllPictureTypes = false;
    EXPECT_EQ(ThumbCellWidth, 120);
}

TEST_F(Settings, MaximizedFollowsTheWindowAtSaveTime) {
    MainWindow window;
    Maximized = false;
    ShowWindow(window.Get(), SW_SHOWMAXIMIZED);
    ASSERT_TRUE(IsZoomed(window.Get()));
    SaveSettings();
    EXPECT_EQ(Stored("Maximized"), "1");
    ShowWindow(window.Get(), SW_RESTORE);
    SaveSettings();
    EXPECT_EQ(Stored("Maximized"), "0");
}

TEST_F(Settings, ThumbSizesFollowBigThumbsWithoutTouchingTheRegistry) {
    Store("BigThumbs", "0");
    BigThumbs = true;
    SetThumbSizes();
    EXPECT_EQ(ThumbCellWidth, 120);
    EXPECT_EQ(ThumbCellHeight, 140);
    EXPECT_EQ(Stored("BigThumbs"), "0");
    BigThumbs = false;
    SetThumbSizes();
    EXPECT_EQ(ThumbCellWidth, 80);
    EXPECT_EQ(ThumbImageHeight, 76);
}

TEST_F(Settings, LastDirWithUnicodeSurvivesSaveAndLoad) {
    LastDir = "C:\\Users\\Ψ\\Gdańsk\\日本 😀";
    SaveSettings();
    LastDir.clear();
    LoadSettings();
    EXPECT_EQ(LastDir, "C:\\Users\\Ψ\\Gdańsk\\日本 😀");
}

// Photos are turned upright unless the user turned that off: absent means on, "1" on, any other text off.
TEST_F(Settings, AutoRotateIsOnUnlessStoredOtherwiseAndRoundTrips) {
    MainWindow window;
    const struct {
        const char* stored; // nullptr: no value
        bool loaded;
    } cases[] = {{nullptr, true}, {"1", true}, {"0", false}, {"true", false}, {" 1", false}};
    for (const auto& c : cases) {
        if (c.stored) Store("AutoRotate", c.stored);
        AutoRotate = !c.loaded;
        LoadSettings();
        EXPECT_EQ(AutoRotate, c.loaded) << (c.stored ? c.stored : "absent");
        SaveSettings();
        EXPECT_EQ(Stored("AutoRotate"), c.loaded ? "1" : "0");
    }
}
