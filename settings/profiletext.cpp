#include "settings/profiletext.h"

#include "settings/pathtext.h"

namespace corv {

namespace {

// Reads one line at a time, keeping its own line ending so that the rewrite changes nothing else.
class LineReader {
  public:
    explicit LineReader(const std::string& text) : text_(text) {}
    bool AtEnd() const { return pos_ >= text_.size(); }
    // The line with its ending in `raw`, without it in `line`.
    void Next(std::string& raw, std::string& line) {
        const std::size_t eol = text_.find('\n', pos_);
        const std::size_t end = eol == std::string::npos ? text_.size() : eol + 1;
        raw.assign(text_, pos_, end - pos_);
        pos_ = end;
        line = raw;
        if (!line.empty() && line.back() == '\n') line.pop_back();
        if (!line.empty() && line.back() == '\r') line.pop_back();
    }

  private:
    const std::string& text_;
    std::size_t pos_ = 0;
};

} // namespace

ProfileEdit RemoveProfileKey(const std::string& content, const std::string& section, const std::string& key) {
    const std::string header = "[" + UpperCaseAscii(section) + "]";
    const std::string prefix = UpperCaseAscii(key) + "=";
    ProfileEdit edit;
    edit.content.reserve(content.size());
    LineReader reader(content);
    std::string raw, line;
    while (!reader.AtEnd()) {
        reader.Next(raw, line);
        edit.content += raw;
        if (UpperCaseAscii(line) != header) continue;
        while (!reader.AtEnd()) {
            reader.Next(raw, line);
            if (UpperCaseAscii(line.substr(0, prefix.size())) == prefix) {
                edit.removed = true;
                continue;
            }
            edit.content += raw;
            if (line.empty() || line[0] == '[') break;
        }
    }
    return edit;
}

} // namespace corv
