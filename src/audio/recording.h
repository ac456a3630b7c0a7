// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <filesystem>
#include <string>
#include <vector>

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

// Decodes a recording as above into mono samples in -1..1 at RATE a second,
// for the aligner to hear.
Conversion decodeRecording(const std::filesystem::path &recording, int rate, std::vector<float> &samples,
                           const std::atomic<bool> &stop);

// What the sound files Vantrel plays lag behind the recording they were
// made from: the encoder's delay of 1105 samples at 22.05 kHz, which
// GStreamer's MP3 decoding keeps.
inline constexpr double kEncoderDelayMs = 1105.0 * 1000.0 / 22050.0;

} // namespace vantrel
