// The picture fixtures (tests/fixtures, made by make-fixtures) and their manifest.
#pragma once
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

inline int Luma(const Color& c) {
    return (299 * c.r + 587 * c.g + 114 * c.b + 500) / 1000;
}

} // namespace cvimg::test
