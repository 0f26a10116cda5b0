#include "fileops/shellfileop.h"

#include "base/handles.h"
#include "base/wide.h"

#include "tests/support/winsupport.h"

#include <gtest/gtest.h>

#include <map>

using namespace corv;
using namespace corv::test;

namespace {

// The files of one folder, in name order, standing in for the main window's list.
class FolderList : public FileOpList {
  public:
    explicit FolderList(const TempFolder& folder) : folder_(folder) { Update(); }
    int ItemIndex() const override { return index_; }
    int Count() const override { return static_cast<int>(names_.size()); }
    void Update() override { names_ = folder_.Files(); }
    void SelectIndex(int index) override { index_ = index >= 0 && index < Count() ? index : -1; }
    std::string Selected() const { return index_ >= 0 ? names_[static_cast<std::size_t>(index_)] : ""; }

  private:
    const TempFolder& folder_;
    std::vector<std::string> names_;
    int index_ = -1;
};

class ShellFileOpTest : public ::testing::Test {
  protected:
    void SetUp() override {
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg", "d.jpg"})
            WriteFileBytes(folder_ / name, name);
        list_.Update();
        SetFileOpList(&list_);
    }
    void TearDown() override { SetFileOpList(nullptr); }

    // Deletes with the shell, answering its question about the recycle bin with Yes.
    void DeleteConfirmed(const std::string& name) {
        SourceFiles = name;
        WindowWatcher watcher(
            "", [](HWND box) { PressButton(box, IDYES); }, 5000);
        ShellFileOp(nullptr, foDelete);
        watcher.Done();
    }

    TempFolder folder_;
    FolderList list_{folder_};
};

} // namespace

TEST(MakeShellFileList, DoubleNulTerminatedAndNeverCut) {
    EXPECT_EQ(MakeShellFileList({"C:\\A"}), std::string("C:\\A\0\0", 6));
    EXPECT_EQ(MakeShellFileList({"X", "YZ"}), std::string("X\0YZ\0\0", 6));
    EXPECT_EQ(MakeShellFileList({}), std::string("\0\0", 2));
    const std::string longName(300, 'n');
    EXPECT_EQ(MakeShellFileList({longName}).size(), 302u);
}

TEST_F(ShellFileOpTest, DeletingTheLastFileSelectsTheNewLast) {
    list_.SelectIndex(3);
    DeleteConfirmed(folder_ / "d.jpg");
    EXPECT_FALSE(PathExists(folder_ / "d.jpg"));
    EXPECT_EQ(list_.Count(), 3);
    EXPECT_EQ(list_.Selected(), "c.jpg");
}

TEST_F(ShellFileOpTest, DeletingInTheMiddleSelectsTheFileThatMovedUp) {
    list_.SelectIndex(1);
    DeleteConfirmed(folder_ / "b.jpg");
    EXPECT_FALSE(PathExists(folder_ / "b.jpg"));
    EXPECT_EQ(list_.Selected(), "c.jpg");
}

TEST_F(ShellFileOpTest, DeletedFilesGoToTheRecycleBin) {
    // Wine's recycle bin is the XDG trash of the data folder the test runner sets.
    char data[MAX_PATH] = {};
    if (!GetEnvironmentVariableA("XDG_DATA_HOME", data, sizeof data)) GTEST_SKIP() << "no XDG_DATA_HOME";
    std::string trash = std::string("Z:") + data + "/Trash/files/";
    for (char& c : trash)
        if (c == '/') c = '\\';
    const std::string unique =
        "recycled-" + std::to_string(GetCurrentProcessId()) + "-" + std::to_string(GetTickCount()) + ".jpg";
    WriteFileBytes(folder_ / unique, "keep me");
    DeleteConfirmed(folder_ / unique);
    EXPECT_FALSE(PathExists(folder_ / unique));
    EXPECT_EQ(ReadFileBytes(trash + unique), "keep me") << trash;
}

TEST_F(ShellFileOpTest, NothingSelectedStaysUnselected) {
    list_.SelectIndex(-1);
    DeleteConfirmed(folder_ / "a.jpg");
    EXPECT_FALSE(PathExists(folder_ / "a.jpg"));
    EXPECT_EQ(list_.ItemIndex(), -1);
}

TEST_F(ShellFileOpTest, RenameMoveAndCopy) {
    list_.SelectIndex(0);
    SourceFiles = folder_ / "a.jpg";
    DestFiles = folder_ / "z.jpg";
    ShellFileOp(nullptr, foRename);
    EXPECT_EQ(folder_.Files(), (std::vector<std::string>{"b.jpg", "c.jpg", "d.jpg", "z.jpg"}));
    EXPECT_EQ(list_.Selected(), "b.jpg") << "the list was re-read";

    CreateDirectoryA((folder_ / "sub").c_str(), nullptr);
    SourceFiles = folder_ / "b.jpg";
    DestFiles = folder_ / "sub";
    ShellFileOp(nullptr, foMove);
    EXPECT_FALSE(PathExists(folder_ / "b.jpg"));
    EXPECT_EQ(ReadFileBytes(folder_ / "sub\\b.jpg"), "b.jpg");

    SourceFiles = folder_ / "c.jpg";
    ShellFileOp(nullptr, foCopy);
    EXPECT_TRUE(PathExists(folder_ / "c.jpg"));
    EXPECT_EQ(ReadFileBytes(folder_ / "sub\\c.jpg"), "c.jpg");
}

TEST_F(ShellFileOpTest, ReadyMadeListOfSeveralFilesIsUsedAsItIs) {
    CreateDirectoryA((folder_ / "target").c_str(), nullptr);
    const std::string ready = MakeShellFileList({folder_ / "a.jpg", folder_ / "c.jpg"});
    SourceFiles = folder_ / "d.jpg"; // not used when a list is given
    DestFiles = folder_ / "target";
    ShellFileOp(nullptr, foCopy, &ready);
    EXPECT_EQ(ReadFileBytes(folder_ / "target\\a.jpg"), "a.jpg");
    EXPECT_EQ(ReadFileBytes(folder_ / "target\\c.jpg"), "c.jpg");
    EXPECT_FALSE(PathExists(folder_ / "target\\d.jpg"));
}

TEST_F(ShellFileOpTest, NamesLongerThan254CharactersAreNotCut) {
    // A full name of about 258 characters: still a valid path, too long for a 256-byte list.
    std::string dir = folder_.Path();
    while (dir.size() < 200) {
        dir += "\\deep-folder-name";
        ASSERT_TRUE(CreateDirectoryA(dir.c_str(), nullptr));
    }
    const std::string padding(std::max<std::size_t>(1, 258 - dir.size() - 6), 'p');
    const std::string longName = dir + "\\" + padding + ".jpg";
    ASSERT_GT(longName.size(), 254u);
    ASSERT_LT(longName.size(), static_cast<std::size_t>(MAX_PATH));
    WriteFileBytes(longName, "long");
    ASSERT_TRUE(PathExists(longName));
    // Cut at 254 characters the name would name another file, and copying it would act on that one.
    WriteFileBytes(longName.substr(0, 254), "impostor");

    SourceFiles = longName;
    DestFiles = folder_ / "copied.jpg";
    ShellFileOp(nullptr, foCopy);
    EXPECT_EQ(ReadFileBytes(folder_ / "copied.jpg"), "long");
}

namespace {

// Look-alike names: best-fit twins, "?" for the shell's wildcard, brackets beside a folder, blanks.
void FillWithLookAlikes(const TempFolder& folder) {
    for (const char* dir : {"xy.jpg", "dest"})
        CreateDirectoryW(FileSystemPath(folder / dir).c_str(), nullptr);
    for (const char* name : {"日本.jpg", "ab.jpg", "Gdańsk.jpg", "Gdansk.jpg", "Ｇｄａｎｓｋ.jpg", "[xy.jpg]",
                             "pic .jpg", "pic.jpg", "pic.jpg ", "xy.jpg\\inner.jpg"})
        WriteFileBytes(folder / name, name);
}

} // namespace

TEST(ShellFileOpNames, NamesTheShellWouldTakeForOthersAreRefusedAndNothingChanges) {
    TempFolder folder;
    FillWithLookAlikes(folder);
    const std::string blank = folder / "pic.jpg ", pattern = folder / "dest \\*.*",
                      deep = folder / (std::string(250, 'n') + ".");
    const auto why = [](const std::string& name, const char* reason) {
        return "Cannot act on " + name + " exactly: " + reason + " !";
    };
    const char* ends = "its name ends with a blank or a dot";
    const std::tuple<int, std::string, std::string, std::string> cases[] = {
        {foDelete, blank, "", why(blank, ends)},
        {foCopy, pattern, folder / "ab.jpg", why(pattern, ends)},
        {foRename, folder / "ab.jpg", deep, why(deep, ends) + "\r" + why(deep, "the path is too long")}};
    const std::map<std::string, std::string> before = FolderContents(folder.Path());
    for (const auto& [kind, source, dest, message] : cases) {
        ScriptedMessageBoxes boxes({IDOK});
        SourceFiles = source, DestFiles = dest;
        ShellFileOp(nullptr, kind);
        ASSERT_EQ(boxes.Asked().size(), 1u) << source;
        EXPECT_EQ(boxes.Asked()[0].text + "|" + boxes.Asked()[0].caption + "|" +
                      std::to_string(boxes.Asked()[0].beepType),
                  message + "|Error|" + std::to_string(MB_ICONSTOP));
        EXPECT_EQ(FolderContents(folder.Path()), before) << source;
    }
}
