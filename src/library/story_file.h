// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "story_lines.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace vantrel {

inline constexpr const char *kStoryFileName = "vtl.txt";
inline constexpr std::uintmax_t kMinStoryFileSize = 8860;
inline constexpr std::uintmax_t kMaxStoryFileSize = 8868;

struct SizeCheck {
    enum class Verdict { Accepted, OutOfRange, Unreadable };
    Verdict verdict = Verdict::Unreadable;
    std::uintmax_t size = 0;  // meaningful unless Unreadable
    std::string reason;       // why it is Unreadable, for the user: "No such file or directory"
};

// Sizes the story file. A missing file, a folder, a broken link or anything
// that isn't a regular file is Unreadable, with the reason.
SizeCheck checkStoryFileSize(const std::filesystem::path &path);

struct LoadResult {
    std::optional<StoryLines> lines;  // empty when the file could not be read
    std::string reason;               // why not, for the user
};

// Reads at most 385 lines of the story file. Reads no more of the file than
// those lines need, so a huge file costs nothing beyond them.
LoadResult loadStoryFile(const std::filesystem::path &path);

} // namespace vantrel
