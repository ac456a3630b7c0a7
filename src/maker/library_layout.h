// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "story_source.h"

#include <cstdint>
#include <string>
#include <vector>

namespace vantrel {

// STORY01 for slot 1: line 1 of the slot's block, and with ".MP3" its sound file.
std::string audioNameOf(int slot);

// The 24 lines of a story's block, each with its CR LF ending.
std::string storyBlock(const StorySource &story, int slot);

struct LaidOutLibrary {
    std::string bytes;           // the whole vtl.txt; empty when it cannot fit
    std::uintmax_t overBy = 0;   // bytes lines 1 to 288 take beyond the largest story file
};

// Stories into slots 1, 2, 3 ..., empty blocks after them, and the unused
// lines after line 288 padded so that the file lands inside the size window.
LaidOutLibrary layOutLibrary(const std::vector<StorySource> &stories);

} // namespace vantrel
