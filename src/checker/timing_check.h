// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "checker.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// Checks a story's timing file, a WebVTT file at `path` shown as `shownName`,
// against the story's transcript (story-file bytes) and, when known, its
// recording's playing time; and, when `heard` names its MP3 and GStreamer
// can decode it, against where the MP3 speaks. A story needs no timing file:
// none, nothing found.
std::vector<Finding> checkTimingFile(const std::filesystem::path &path, const std::string &shownName,
                                     std::string_view transcript, std::optional<std::int64_t> recordingMs,
                                     const std::filesystem::path &heard = {});

} // namespace vantrel
