// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <filesystem>
#include <string>

namespace vantrel {

struct Conversion {
    bool ok = false;
    bool interrupted = false;
    std::string problem;  // why not, for the teacher
};

// Turns a recording in any format the installed GStreamer decodes into the
// sound file Vantrel times by its size: MPEG Layer III, mono, a constant
// 32 kbit/s (4 bytes a millisecond), no tags. Blocks until done; `stop`
// breaks it off (Ctrl-C). Needs gst_init().
Conversion convertRecording(const std::filesystem::path &recording, const std::filesystem::path &mp3,
                            const std::atomic<bool> &stop);

} // namespace vantrel
