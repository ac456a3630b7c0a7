// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <string>
#include <string_view>

namespace vantrel {

// Lines 1 to 288 of a story file as bytes: how far they reach, and what a
// file needs so that all 288 of them exist with their line endings.
struct StoryPart {
    std::uintmax_t length = 0;  // bytes up to the end of line 288's ending (or of the file)
    std::string missingEndings; // endings to append when the file stops before that
    std::string ending = "\r\n";// the file's own line ending, for anything added

    // The smallest a file with these lines can be.
    std::uintmax_t minimumSize() const { return length + missingEndings.size(); }
};

// Reads no further than the end of line 288.
StoryPart measureStoryPart(std::istream &in);

struct FitPlan {
    enum class Outcome { AlreadyFits, Trimmed, Padded, StoriesTooLong };
    Outcome outcome = Outcome::AlreadyFits;
    std::string bytes;      // the new file, for Trimmed and Padded
    StoryPart storyPart;
};

// The file brought into 8860 to 8868 bytes (8864 when it can, leaving room for
// small edits either way) by trimming or padding what follows line 288. The
// first storyPart.length bytes stay as they are.
FitPlan planFit(std::string_view fileBytes);

struct FitResult {
    FitPlan::Outcome outcome = FitPlan::Outcome::AlreadyFits;
    std::uintmax_t oldSize = 0;
    std::uintmax_t newSize = 0;
    std::uintmax_t storyBytes = 0;  // lines 1 to 288 with their endings
    std::string failure;            // why the files could not be read or written
};

// Applies planFit to FOLDER/vtl.txt, first copying the old file to
// FOLDER/vtl.txt.bak. Writes nothing unless the plan changes the file.
FitResult fitStoryFile(const std::filesystem::path &folder);

} // namespace vantrel
