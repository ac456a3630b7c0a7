// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <filesystem>
#include <iosfwd>
#include <optional>

namespace vantrel {

// What the MPEG audio frames of a file add up to.
struct Mp3Scan {
    std::uintmax_t frames = 0;
    double durationMs = 0;         // playing time of the frames
    std::uintmax_t frameBytes = 0; // bytes inside the frames counted
    std::uintmax_t tagBytes = 0;   // ID3v2 tags at the start of the file

    // The playing time rounded up to whole milliseconds, as timing files are
    // checked against it.
    std::int64_t wholeMs() const;
};

// Walks the MPEG-1, 2 and 2.5 Layer III frames of the stream: skips ID3v2
// tags at the start and any bytes that are not a frame (junk, an ID3v1 tag at
// the end), and sums the frames' playing times. Empty when no frame is found,
// which means the stream is not MP3 audio. Reads the stream once, in chunks.
std::optional<Mp3Scan> scanMp3(std::istream &in);

// The same for a file; empty also when it cannot be opened.
std::optional<Mp3Scan> scanMp3File(const std::filesystem::path &path);

} // namespace vantrel
