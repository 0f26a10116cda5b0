// The picture extensions' keys under HKEY_CLASSES_ROOT, in the real registry: every key the tests touch
// is put back as it was.
#include "base/handles.h"
#include "settings/associations.h"
#include "settings/registry.h"

#include "tests/support/winsupport.h"

#include <gtest/gtest.h>
#include <shlobj.h>

#include <memory>
#include <vector>

using namespace corv;
using namespace corv::test;

namespace {

constexpr int kBmp = 0, kGif = 1, kJpg = 2, kPcx = 3, kTif = 4;

class AssociationsTest : public ::testing::Test {
  protected:
    AssociationsTest() {
        for (const char* extension : AssocExtensions)
            saved.push_back(std::make_unique<SavedKey>(HKEY_CLASSES_ROOT, extension));
    }
    // Starts every extension from nothing.
    void SetUp() override {
        for (const char* extension : AssocExtensions)
            RegDeleteTreeA(HKEY_CLASSES_ROOT, extension), RegDeleteKeyA(HKEY_CLASSES_ROOT, extension);
    }
    static std::string Default(const char* extension) {
        return RegReadString(HKEY_CLASSES_ROOT, extension, "");
    }
    static bool KeyExists(const std::string& key) {
        RegKeyHandle handle;
        return RegOpenKeyExA(HKEY_CLASSES_ROOT, key.c_str(), 0, KEY_READ, OutParam(handle)) == ERROR_SUCCESS;
    }
    static void SetAll(int state) {
        for (int& s : AssocState)
            s = state;
    }
    std::vector<std::unique_ptr<SavedKey>> saved;
};

TEST_F(AssociationsTest, ReadingTellsOursFromOthersAndFromNone) {
    RegWriteString(HKEY_CLASSES_ROOT, ".GIF", "", "corvane"); // our file type in lower case
    RegWriteString(HKEY_CLASSES_ROOT, ".JPG", "", "");        // a key with an empty default value
    RegWriteString(HKEY_CLASSES_ROOT, ".PCX", "", "PaintShop.Image");
    RegWriteString(HKEY_CLASSES_ROOT, ".TIF", "Content Type", "image/tiff"); // no default value at all
    SetAll(asThis + 7);
    ReadAssociations();
    EXPECT_EQ(AssocState[kBmp], asNone) << "no key";
    EXPECT_EQ(AssocState[kGif], asThis);
    EXPECT_EQ(AssocState[kJpg], asNone);
    EXPECT_EQ(AssocState[kPcx], asOther);
    EXPECT_EQ(AssocState[kTif], asNone);
}

TEST_F(AssociationsTest, AnotherProgramsExtensionStaysUntouched) {
    RegWriteString(HKEY_CLASSES_ROOT, ".PCX", "", "PaintShop.Image");
    RegWriteString(HKEY_CLASSES_ROOT, ".PCX\\ShellNew", "NullFile", "");
    SetAll(asOther);
    WriteAssociations();
    EXPECT_EQ(Default(".PCX"), "PaintShop.Image");
    EXPECT_TRUE(KeyExists(".PCX\\ShellNew"));
    EXPECT_FALSE(KeyExists(".BMP")) << "asOther writes nothing, not even an empty key";

    // Unchecked does not take another program's extension away either: only our own claim goes.
    SetAll(asNone);
    WriteAssociations();
    EXPECT_EQ(Default(".PCX"), "PaintShop.Image");
    EXPECT_TRUE(KeyExists(".PCX\\ShellNew"));
}

TEST_F(AssociationsTest, ClaimingReplacesOnlyTheDefaultValue) {
    RegWriteString(HKEY_CLASSES_ROOT, ".JPG", "", "jpegfile");
    RegWriteString(HKEY_CLASSES_ROOT, ".JPG", "Content Type", "image/jpeg");
    RegWriteString(HKEY_CLASSES_ROOT, ".JPG\\OpenWithProgids", "jpegfile", "");
    SetAll(asOther);
    AssocState[kJpg] = asThis;
    AssocState[kBmp] = asThis;
    WriteAssociations();
    EXPECT_EQ(Default(".JPG"), "Corvane");
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, ".JPG", "Content Type"), "image/jpeg");
    EXPECT_TRUE(KeyExists(".JPG\\OpenWithProgids"));
    EXPECT_EQ(Default(".BMP"), "Corvane") << "a missing key is created";
    ReadAssociations();
    EXPECT_EQ(AssocState[kJpg], asThis);
    EXPECT_EQ(AssocState[kGif], asNone);
}

TEST_F(AssociationsTest, UncheckingTakesBackOnlyOurClaim) {
    // A key shared with what other programs keep there: only the default value goes.
    RegWriteString(HKEY_CLASSES_ROOT, ".GIF", "", "Corvane");
    RegWriteString(HKEY_CLASSES_ROOT, ".GIF", "Content Type", "image/gif");
    RegWriteString(HKEY_CLASSES_ROOT, ".GIF\\OpenWithProgids", "giffile", "");
    // A key that holds nothing but our claim goes as a whole; so does one in lower case.
    RegWriteString(HKEY_CLASSES_ROOT, ".TIF", "", "Corvane");
    RegWriteString(HKEY_CLASSES_ROOT, ".BMP", "", "CORVANE");
    SetAll(asNone);
    WriteAssociations();
    EXPECT_TRUE(KeyExists(".GIF"));
    DWORD type = 0;
    std::string data;
    EXPECT_FALSE(GetRawValue(HKEY_CLASSES_ROOT, ".GIF", "", type, data)) << "the default value is gone";
    EXPECT_EQ(RegReadString(HKEY_CLASSES_ROOT, ".GIF", "Content Type"), "image/gif");
    EXPECT_TRUE(KeyExists(".GIF\\OpenWithProgids"));
    EXPECT_FALSE(KeyExists(".TIF"));
    EXPECT_FALSE(KeyExists(".BMP"));
    ReadAssociations();
    EXPECT_EQ(AssocState[kGif], asNone);
}

// Explorer learns of new associations through the shell's change notification.
constexpr UINT kChangeMessage = WM_APP + 1;

struct Listener {
    HWND window = nullptr;
    ULONG registration = 0;
    int notified = 0;
};

LRESULT CALLBACK ListenerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kChangeMessage) {
        auto* listener = reinterpret_cast<Listener*>(GetWindowLongPtrA(window, GWLP_USERDATA));
        if (listener && (static_cast<LONG>(lParam) & SHCNE_ASSOCCHANGED)) ++listener->notified;
        return 0;
    }
    return DefWindowProcA(window, message, wParam, lParam);
}

int NotificationsDuring(void (*change)()) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = &ListenerProc;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = "CorvAssocListener";
    RegisterClassA(&windowClass);
    Listener listener;
    listener.window = CreateWindowExA(0, windowClass.lpszClassName, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      windowClass.hInstance, nullptr);
    SetWindowLongPtrA(listener.window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&listener));
    SHChangeNotifyEntry entry{nullptr, TRUE};
    listener.registration = SHChangeNotifyRegister(listener.window, SHCNRF_ShellLevel | SHCNRF_InterruptLevel,
                                                   SHCNE_ASSOCCHANGED, kChangeMessage, 1, &entry);
    EXPECT_NE(listener.registration, 0u);
    change();
    const DWORD end = GetTickCount() + 1000;
    MSG message;
    while (GetTickCount() < end && listener.notified == 0) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE))
            DispatchMessageA(&message);
        Sleep(10);
    }
    SHChangeNotifyDeregister(listener.registration);
    DestroyWindow(listener.window);
    return listener.notified;
}

TEST_F(AssociationsTest, TheShellHearsOfAChangeAndOnlyOfAChange) {
    RegWriteString(HKEY_CLASSES_ROOT, ".PCX", "", "Corvane");
    EXPECT_EQ(NotificationsDuring([] {
                  SetAll(asOther);
                  AssocState[kPcx] = asThis; // already ours
                  WriteAssociations();
              }),
              0);
    EXPECT_GT(NotificationsDuring([] {
                  SetAll(asOther);
                  AssocState[kPcx] = asNone;
                  WriteAssociations();
              }),
              0);
}

} // namespace
