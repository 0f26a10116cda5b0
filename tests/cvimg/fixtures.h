// The picture fixtures (tests/fixtures, made by make-fixtures) and their manifest.
#pragma once
#include <algorithm>
#include <cstdint>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace cvimg::test {

struct Color {
    int r = 0, g = 0, b = 0;
};

struct Fixture {
    std::string file;   // relative to the fixtures folder, with forward slashes
    std::string reader; // JPEG, PNG, GIF, TIFF, BMP, PCX
    int width = 0, height = 0;
    std::string type, compression;
    int bpp = 0, frames = 0, tolerance = 0;
    Color colors[6]; // block centres, top row first
};

inline std::string FixtureDir() {
    return CORV_FIXTURE_DIR;
}

inline std::vector<Fixture> LoadManifest() {
    std::vector<Fixture> out;
    std::ifstream in(FixtureDir() + "/manifest.txt");
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::istringstream s(line);
        Fixture f;
        s >> f.file >> f.reader >> f.width >> f.height >> f.type >> f.compression >> f.bpp >> f.frames >>
            f.tolerance;
        for (char& c : f.compression)
            if (c == '_') c = ' ';
        for (Color& c : f.colors) {
            std::string hex;
            s >> hex;
            const unsigned v = static_cast<unsigned>(std::stoul(hex, nullptr, 16));
            c = {static_cast<int>(v >> 16), static_cast<int>((v >> 8) & 255), static_cast<int>(v & 255)};
        }
        out.push_back(f);
    }
    return out;
}

// Centres of the six blocks of 15 x 15 pixels.
inline int BlockX(int i) {
    return 7 + 15 * (i % 3);
}
inline int BlockY(int i) {
    return 7 + 15 * (i / 3);
}

inline std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
}

// A little-endian TIFF (or BigTIFF) made in memory, for headers no tool writes: the entries given
// (SHORT 3, SSHORT 8, LONG 4, SLONG 9 or LONG8 16 values), and one strip of `pixels` right after the header,
// whose offset and byte count are added unless given.
struct TiffEntry {
    uint16_t tag, type;
    std::vector<uint64_t> values;
};

inline std::string MakeTiff(std::vector<TiffEntry> entries, const std::string& pixels, bool big = false) {
    auto put = [](std::string& s, uint64_t v, int bytes) {
        for (int k = 0; k < bytes; ++k)
            s += static_cast<char>((v >> (8 * k)) & 255);
    };
    const int inline_ = big ? 8 : 4;
    std::string out = big ? std::string("II+\0\x08\0\0\0", 8) : std::string("II*\0", 4);
    const size_t ifdLink = out.size();
    put(out, 0, inline_);
    const uint64_t stripAt = out.size();
    out += pixels;
    if (out.size() % 2) out += '\0';
    auto given = [&](uint16_t tag) {
        return std::any_of(entries.begin(), entries.end(), [&](const TiffEntry& e) { return e.tag == tag; });
    };
    if (!given(273)) entries.push_back({273, uint16_t(big ? 16 : 4), {stripAt}});
    if (!given(279)) entries.push_back({279, uint16_t(big ? 16 : 4), {pixels.size()}});
    std::sort(entries.begin(), entries.end(),
              [](const TiffEntry& a, const TiffEntry& b) { return a.tag < b.tag; });
    // Values too long for their entry go before the directory.
    std::vector<std::string> fields;
    for (const TiffEntry& e : entries) {
        const int size = e.type == 3 || e.type == 8 ? 2 : e.type == 4 || e.type == 9 ? 4 : 8;
        std::string blob;
        for (uint64_t v : e.values)
            put(blob, v, size);
        if (static_cast<int>(blob.size()) > inline_) {
            const uint64_t at = out.size();
            out += blob;
            blob.clear();
            put(blob, at, inline_);
        }
        blob.resize(static_cast<size_t>(inline_), '\0');
        std::string field;
        put(field, e.tag, 2);
        put(field, e.type, 2);
        put(field, e.values.size(), big ? 8 : 4);
        fields.push_back(field + blob);
    }
    if (out.size() % 2) out += '\0';
    const uint64_t ifd = out.size();
    put(out, fields.size(), big ? 8 : 2);
    for (const std::string& f : fields)
        out += f;
    put(out, 0, inline_);
    for (int k = 0; k < inline_; ++k)
        out[ifdLink + static_cast<size_t>(k)] = static_cast<char>((ifd >> (8 * k)) & 255);
    return out;
}

inline int Luma(const Color& c) {
    return (299 * c.r + 587 * c.g + 114 * c.b + 500) / 1000;
}

} // namespace cvimg::test
