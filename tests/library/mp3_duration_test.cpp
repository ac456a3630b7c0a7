// SPDX-License-Identifier: GPL-3.0-or-later
#include "mp3_duration.h"
#include "../support/mp3_frames.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace vantrel::test;

namespace {

const std::string kTenMpeg1 = frames(kMpeg1At48k, 10);  // 240 ms

// Frames are summed whatever lies around them; no frame sequence, no MP3 (0 frames below).
TEST(Mp3Duration, sumsTheFramesOnly)
{
    const struct { std::string bytes; std::uintmax_t frames; double durationMs; } cases[] = {
        {kTenMpeg1, 10, 240.0},  // MPEG-1
        {frames(kMpeg1At44k, 5) + frames(kMpeg1At44kPadded, 5), 10, 10 * 1152000.0 / 44100},  // padded frames
        {frames(kMpeg2At22k, 10), 10, 10 * 576000.0 / 22050},  // MPEG-2
        {frames(kMpeg25At11k, 10), 10, 10 * 576000.0 / 11025},  // MPEG-2.5
        // A variable bit rate.
        {frames(kMpeg1At48k, 3) + frames(kMpeg1At48k64kbit, 4) + frames(kMpeg1At48k, 3), 10, 240.0},
        {frames(kMpeg1At48k, 1), 1, 24.0},  // one frame
        // A tag full of sync patterns is skipped whole, even one larger than the read chunk.
        {id3Tag(1000, "\xFF\xFB\x14\xC0") + kTenMpeg1, 10, 240.0},
        {id3Tag(200000) + kTenMpeg1, 10, 240.0},
        // The false header claims 192 bytes, which would swallow the first real frame.
        {"junk\xFF\xFB\x54\xC0 more junk" + kTenMpeg1, 10, 240.0},
        {kTenMpeg1 + "\xFF\xFF\x00 junk" + kTenMpeg1, 20, 480.0},  // junk between frames
        {kTenMpeg1 + "TAG" + std::string(125, ' '), 10, 240.0},  // ID3v1 tag at the end
        {kTenMpeg1.substr(0, kTenMpeg1.size() - 1), 9, 216.0},  // last frame cut short
        {kTenMpeg1 + frames(kMpeg2At22k, 1).substr(0, 50), 10, 240.0},  // a new sample rate is not the same stream
        {std::string(24000, 'x'), 0, 0},  // text
        {std::string("\xFF\xFB\x14\xC0", 4) + std::string(40, '\0'), 0, 0},  // a lone header
        {frames({{0xFF, 0xFB, 0x04, 0xC0}, 96}, 10), 0, 0},  // free format
        {frames({{0xFF, 0xFD, 0x14, 0xC0}, 96}, 10), 0, 0},  // Layer II
    };

    for (const auto &c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        std::istringstream in(c.bytes);
        const auto scan = vantrel::scanMp3(in);
        ASSERT_EQ(scan.has_value(), c.frames != 0);
        if (scan) {
            EXPECT_EQ(scan->frames, c.frames);
            EXPECT_NEAR(scan->durationMs, c.durationMs, 1e-6);
        }
    }
}

} // namespace
