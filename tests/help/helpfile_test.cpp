// The built help files read as WinHelp reads them: the internal directory, the topic titles, the topic
// names (stored as hashes) and the context map that F1's numbers go through.
#include "tests/support/winsupport.h"
#include "tests/ui/uitest.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>

namespace corv {
namespace {

// A small reader of the file's B-trees; anything out of bounds throws.
class HelpFile {
  public:
    explicit HelpFile(std::string bytes) : data_(std::move(bytes)) {
        if (U32(0) != 0x00035F3F) throw std::runtime_error("no WinHelp magic");
        if (U32(12) != data_.size()) throw std::runtime_error("the header's size is not the file's");
        EachLeafEntry(U32(4), [&](std::size_t at) {
            const std::string name = Text(at);
            directory_[name] = U32(at + name.size() + 1);
            return at + name.size() + 5;
        });
    }
    bool Has(const std::string& name) const { return directory_.count(name) != 0; }
    // The data of an internal file (after its header).
    std::size_t Start(const std::string& name) const {
        const auto found = directory_.find(name);
        if (found == directory_.end()) throw std::runtime_error("no " + name);
        return found->second + 9;
    }
    std::uint32_t Used(const std::string& name) const { return U32(Start(name) - 5); }

    // Topic name hashes and the offsets of their topics.
    std::map<std::int32_t, std::uint32_t> Contexts() const {
        std::map<std::int32_t, std::uint32_t> result;
        EachLeafEntry(Start("|CONTEXT") - 9, [&](std::size_t at) {
            result[static_cast<std::int32_t>(U32(at))] = U32(at + 4);
            return at + 8;
        });
        return result;
    }
    std::map<std::uint32_t, std::string> Titles() const {
        std::map<std::uint32_t, std::string> result;
        EachLeafEntry(Start("|TTLBTREE") - 9, [&](std::size_t at) {
            result[U32(at)] = Text(at + 4);
            return at + 5 + result[U32(at)].size();
        });
        return result;
    }
    // The context map: number -> topic offset.
    std::map<std::int32_t, std::uint32_t> ContextMap() const {
        const std::size_t at = Start("|CTXOMAP");
        const unsigned count = U16(at);
        if (Used("|CTXOMAP") != 2 + 8 * count)
            throw std::runtime_error("the map's size does not fit its count");
        std::map<std::int32_t, std::uint32_t> result;
        for (unsigned i = 0; i < count; ++i)
            result[static_cast<std::int32_t>(U32(at + 2 + 8 * i))] = U32(at + 6 + 8 * i);
        return result;
    }
    // The title record of |SYSTEM.
    std::string Title() const {
        const std::size_t start = Start("|SYSTEM"), end = start + Used("|SYSTEM");
        for (std::size_t at = start + 12; at + 4 <= end; at += 4 + U16(at + 2))
            if (U16(at) == 1) return Text(at + 4);
        return {};
    }

  private:
    void Need(std::size_t at, std::size_t size) const {
        if (at > data_.size() || size > data_.size() - at) throw std::runtime_error("read past the end");
    }
    unsigned U16(std::size_t at) const {
        Need(at, 2);
        return static_cast<unsigned char>(data_[at]) | static_cast<unsigned char>(data_[at + 1]) << 8;
    }
    std::uint32_t U32(std::size_t at) const {
        return U16(at) | static_cast<std::uint32_t>(U16(at + 2)) << 16;
    }
    std::int16_t S16(std::size_t at) const { return static_cast<std::int16_t>(U16(at)); }
    std::string Text(std::size_t at) const {
        Need(at, 1);
        const std::size_t end = data_.find('\0', at);
        if (end == std::string::npos) throw std::runtime_error("unterminated text");
        return data_.substr(at, end - at);
    }
    // Walks the leaves of the B-tree stored as the internal file at offset; read gives the next entry's
    // start.
    void EachLeafEntry(std::size_t offset, const std::function<std::size_t(std::size_t)>& read) const {
        const std::size_t tree = offset + 9;
        if (U16(tree) != 0x293B) throw std::runtime_error("no B-tree");
        const unsigned pageSize = U16(tree + 4);
        const std::size_t pages = tree + 38;
        int page = S16(tree + 26);
        for (int level = 1; level < S16(tree + 32); ++level)
            page = S16(pages + page * pageSize + 4);
        for (int seen = 0; page != -1; ++seen) {
            if (page < 0 || seen > S16(tree + 30)) throw std::runtime_error("broken page chain");
            const std::size_t start = pages + static_cast<std::size_t>(page) * pageSize;
            std::size_t at = start + 8;
            for (unsigned i = 0, count = U16(start + 2); i < count; ++i)
                at = read(at);
            page = S16(start + 6);
        }
    }

    std::string data_;
    std::map<std::string, std::uint32_t> directory_;
};

// How WinHelp hashes a topic name.
std::int32_t TopicHash(const std::string& name) {
    std::uint32_t hash = 0;
    for (char c : name) {
        int digit = 0;
        if (c >= 'A' && c <= 'Z') digit = c - 'A' + 17;
        if (c >= 'a' && c <= 'z') digit = c - 'a' + 17;
        if (c >= '1' && c <= '9') digit = c - '0';
        if (c == '0') digit = 10;
        if (c == '.') digit = 12;
        if (c == '_') digit = 13;
        hash = hash * 43 + static_cast<std::uint32_t>(digit);
    }
    return static_cast<std::int32_t>(hash);
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

class HelpFileTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(test::PathExists(test::BuiltHelpFile()))
            << test::BuiltHelpFile() << " was not built (is halibut installed?)";
        file = std::make_unique<HelpFile>(test::ReadFileBytes(test::BuiltHelpFile()));
    }
    std::unique_ptr<HelpFile> file;
};

TEST_F(HelpFileTest, IsAWinHelpFileWithItsInternalFiles) {
    for (const char* name : {"|SYSTEM", "|TOPIC", "|CONTEXT", "|CTXOMAP", "|TTLBTREE", "|FONT"})
        EXPECT_TRUE(file->Has(name)) << name;
    EXPECT_EQ(file->Title(), "Corvane Help");
    EXPECT_GT(file->Titles().size(), 20u) << "a topic for every window and its parts";
}

struct WindowTopic {
    int context;
    const char* name;
    const char* title;
};

TEST_F(HelpFileTest, EveryWindowsHelpContextLeadsToItsTopic) {
    const WindowTopic windows[] = {{120, "main.window", ": The main window"},
                                   {130, "options.dialog", ": The options dialog"},
                                   {140, "thumbnails.window", ": The thumbnail window"},
                                   {150, "fileops.dialog", ": The file-operations dialog"}};
    const auto map = file->ContextMap();
    const auto contexts = file->Contexts();
    const auto titles = file->Titles();
    EXPECT_EQ(map.size(), std::size(windows));
    for (const WindowTopic& window : windows) {
        SCOPED_TRACE(window.context);
        ASSERT_EQ(map.count(window.context), 1u);
        const std::uint32_t offset = map.at(window.context);
        ASSERT_EQ(contexts.count(TopicHash(window.name)), 1u) << "no topic named " << window.name;
        EXPECT_EQ(contexts.at(TopicHash(window.name)), offset) << "the number and the name lead to one topic";
        ASSERT_EQ(titles.count(offset), 1u);
        EXPECT_TRUE(EndsWith(titles.at(offset), window.title)) << titles.at(offset);
    }
}

TEST_F(HelpFileTest, ContentsFileBesideItListsTheManual) {
    const std::string contents = test::ReadFileBytes(test::BuiltContentsFile());
    EXPECT_EQ(contents.rfind(":Title Corvane Help", 0), 0u) << contents;
    for (const char* topic :
         {"=main.window", "=main.keys", "=fullview", "=thumbnails.window", "=fileops.dialog",
          "=folder.dialog", "=options.dialog", "=formats", "=registry"})
        EXPECT_NE(contents.find(topic), std::string::npos) << topic;
}

} // namespace
} // namespace corv
