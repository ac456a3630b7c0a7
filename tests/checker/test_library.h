#pragma once

// Synthetic story libraries and MPEG audio for the checker's tests.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <vector>

#include <unistd.h>

namespace checker_test {

namespace fs = std::filesystem;

// One kind of Layer III frame: its 4 header bytes and its length.
struct FrameKind {
    std::array<unsigned char, 4> header;
    std::size_t length;
};

// Exactly 4 bytes a millisecond, like the sample recordings: 96-byte frames of 24 ms.
inline constexpr FrameKind kMpeg1At48k{{0xFF, 0xFB, 0x14, 0xC0}, 96};
inline constexpr FrameKind kMpeg1At48k64kbit{{0xFF, 0xFB, 0x54, 0xC0}, 192};
inline constexpr FrameKind kMpeg1At44k{{0xFF, 0xFB, 0x10, 0xC0}, 104};          // 26.12 ms
inline constexpr FrameKind kMpeg1At44kPadded{{0xFF, 0xFB, 0x12, 0xC0}, 105};
inline constexpr FrameKind kMpeg2At22k{{0xFF, 0xF3, 0x40, 0xC0}, 104};          // 26.12 ms
inline constexpr FrameKind kMpeg25At11k{{0xFF, 0xE3, 0x40, 0xC0}, 208};         // 52.24 ms

// Frames of the given kind with zeros after each header.
inline std::string frames(const FrameKind &kind, int count)
{
    std::string frame(kind.length, '\0');
    for (std::size_t i = 0; i < 4; ++i)
        frame[i] = static_cast<char>(kind.header[i]);
    std::string out;
    for (int i = 0; i < count; ++i)
        out += frame;
    return out;
}

// An ID3v2.3 tag of `total` bytes, header included, whose body is `fill` repeated.
inline std::string id3Tag(std::size_t total, const std::string &fill = std::string(1, '\0'))
{
    const std::size_t body = total - 10;
    std::string tag = "ID3\x03";
    tag += '\0';
    tag += '\0';
    for (int shift = 21; shift >= 0; shift -= 7)
        tag += static_cast<char>((body >> shift) & 0x7F);
    while (tag.size() < total)
        tag += fill;
    tag.resize(total);
    return tag;
}

// Twelve complete stories, answer A right everywhere, each with 6 s of
// 32 kbit/s audio: a library the checker finds nothing wrong with.
struct StoryLibrary {
    std::vector<std::string> lines;           // lines 1 to 288, lines[0] is line 1
    std::map<std::string, std::string> files; // audio files beside vtl.txt
    std::string ending = "\r\n";
    std::size_t size = 8864;                  // filler after line 288 pads to this

    StoryLibrary()
    {
        for (int slot = 1; slot <= 12; ++slot) {
            const std::string s = std::to_string(slot);
            const std::string name = std::string(slot < 10 ? "NEWS0" : "NEWS") + s;
            lines.insert(lines.end(), {name, "Title " + s, "Transcript of story " + s + "."});
            for (const char *q : {"1", "2", "3"}) {
                lines.push_back("Question " + std::string(q) + "?");
                for (const char *a : {"A", "B", "C"}) {
                    lines.push_back("Answer " + std::string(q) + a);
                    lines.push_back(*a == 'A' ? "*" : "");
                }
            }
            files[name + ".MP3"] = frames(kMpeg1At48k, 250);
        }
    }

    // Line n as the story file numbers it.
    std::string &line(int n) { return lines.at(static_cast<std::size_t>(n - 1)); }

    std::string storyPart() const
    {
        std::string text;
        for (const std::string &l : lines)
            text += l + ending;
        return text;
    }

    std::string bytes() const
    {
        std::string text = storyPart();
        if (text.size() < size) {
            text += "; filler" + ending;
            while (text.size() < size)
                text += std::string(50, '=') + ending;
            text.resize(std::max(size, storyPart().size()));
        }
        return text;
    }

    void write(const fs::path &dir) const
    {
        std::ofstream(dir / "vtl.txt", std::ios::binary) << bytes();
        for (const auto &[name, content] : files) {
            fs::create_directories((dir / name).parent_path());
            std::ofstream(dir / name, std::ios::binary) << content;
        }
    }
};

inline std::string readFile(const fs::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

inline std::vector<std::string> splitLines(const std::string &text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1)
        lines.push_back(text.substr(start, end - start));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// A fresh folder per test, removed afterwards.
class TempFolder : public testing::Test {
protected:
    void SetUp() override
    {
        static std::atomic<unsigned> counter{0};
        m_dir = fs::temp_directory_path()
                / ("vantrel-check-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::remove_all(m_dir);
        fs::create_directories(m_dir);
    }
    void TearDown() override { fs::remove_all(m_dir); }

    const fs::path &dir() const { return m_dir; }

private:
    fs::path m_dir;
};

} // namespace checker_test
