// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// Synthetic story libraries for the checker's tests.

#include "../support/story_folder.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace checker_test {

namespace fs = std::filesystem;
using namespace vantrel::test;

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
