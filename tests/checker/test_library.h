// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Synthetic story libraries and MPEG audio for the checker's tests.

#include "../support/story_folder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace checker_test {

namespace fs = std::filesystem;
using namespace vantrel::test;

inline constexpr FrameKind kMpeg1At48k64kbit{{0xFF, 0xFB, 0x54, 0xC0}, 192};
inline constexpr FrameKind kMpeg1At44k{{0xFF, 0xFB, 0x10, 0xC0}, 104};          // 26.12 ms
inline constexpr FrameKind kMpeg1At44kPadded{{0xFF, 0xFB, 0x12, 0xC0}, 105};
inline constexpr FrameKind kMpeg2At22k{{0xFF, 0xF3, 0x40, 0xC0}, 104};          // 26.12 ms
inline constexpr FrameKind kMpeg25At11k{{0xFF, 0xE3, 0x40, 0xC0}, 208};         // 52.24 ms

// An ID3v2.3 tag of `total` bytes, header included, whose body is `fill` repeated.
inline std::string id3Tag(std::size_t total, const std::string &fill = std::string(1, '\0'))
{
    std::string tag("ID3\x03\0\0", 6);
    for (int shift = 21; shift >= 0; shift -= 7)
        tag += static_cast<char>(((total - 10) >> shift) & 0x7F);
    while (tag.size() < total)
        tag += fill;
    tag.resize(total);
    return tag;
}

// Twelve complete stories, answer A right everywhere, each with 6 s of
// 32 kbit/s audio: a library the checker finds nothing wrong with.
struct StoryLibrary : StoryFile {
    std::map<std::string, std::string> files; // audio files beside vtl.txt
    std::size_t size = 8864;                  // filler after line 288 pads to this

    StoryLibrary()
    {
        for (int slot = 1; slot <= 12; ++slot) {
            const std::string name = (slot < 10 ? "NEWS0" : "NEWS") + std::to_string(slot);
            story(slot, name, "Title " + std::to_string(slot), "AAA");
            files[name + ".MP3"] = frames(kMpeg1At48k, 250);
        }
    }
    std::string bytes() const { return StoryFile::bytes(std::max(size, storyPart().size())); }
    void write(const StoryDir &folder) const
    {
        folder.write("vtl.txt", bytes());
        for (const auto &[name, content] : files)
            folder.write(name, content);
    }
};

} // namespace checker_test
