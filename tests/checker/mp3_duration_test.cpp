// SPDX-License-Identifier: GPL-3.0-or-later
#include "hearing.h"
#include "mp3_duration.h"
#include "test_library.h"

#include <cmath>
#include <optional>
#include <sstream>

using namespace checker_test;

namespace {

struct Mp3Case {
    const char *name;
    std::string bytes;
    std::uintmax_t frames;  // 0: not MP3 at all
    double durationMs;
};

const std::string kTenMpeg1 = frames(kMpeg1At48k, 10);  // 240 ms

const Mp3Case kMp3Cases[] = {
    {"mpeg1", kTenMpeg1, 10, 240.0},
    {"mpeg1WithPaddedFrames", frames(kMpeg1At44k, 5) + frames(kMpeg1At44kPadded, 5), 10, 10 * 1152000.0 / 44100},
    {"mpeg2", frames(kMpeg2At22k, 10), 10, 10 * 576000.0 / 22050},
    {"mpeg25", frames(kMpeg25At11k, 10), 10, 10 * 576000.0 / 11025},
    {"variableBitRate", frames(kMpeg1At48k, 3) + frames(kMpeg1At48k64kbit, 4) + frames(kMpeg1At48k, 3), 10, 240.0},
    {"singleFrame", frames(kMpeg1At48k, 1), 1, 24.0},
    // A tag full of sync patterns is skipped whole, even one larger than the read chunk.
    {"id3v2TagFullOfSyncPatterns", id3Tag(1000, "\xFF\xFB\x14\xC0") + kTenMpeg1, 10, 240.0},
    {"id3v2TagLargerThanAChunk", id3Tag(200000) + kTenMpeg1, 10, 240.0},
    // The false header claims 192 bytes, which would swallow the first real frame.
    {"junkWithAFalseSyncFirst", "junk\xFF\xFB\x54\xC0 more junk" + kTenMpeg1, 10, 240.0},
    {"junkBetweenFrames", kTenMpeg1 + "\xFF\xFF\x00 junk" + kTenMpeg1, 20, 480.0},
    {"id3v1TagAtTheEnd", kTenMpeg1 + "TAG" + std::string(125, ' '), 10, 240.0},
    {"lastFrameCutShort", kTenMpeg1.substr(0, kTenMpeg1.size() - 1), 9, 216.0},
    {"sampleRateChangeIsNotTheSameStream", kTenMpeg1 + frames(kMpeg2At22k, 1).substr(0, 50), 10, 240.0},
    {"text", std::string(24000, 'x'), 0, 0},
    {"loneHeader", std::string("\xFF\xFB\x14\xC0", 4) + std::string(40, '\0'), 0, 0},
    {"freeFormat", frames({{0xFF, 0xFB, 0x04, 0xC0}, 96}, 10), 0, 0},
    {"layerII", frames({{0xFF, 0xFD, 0x14, 0xC0}, 96}, 10), 0, 0},
};

void PrintTo(const Mp3Case &c, std::ostream *os)
{
    *os << c.name;
}

class Mp3Durations : public testing::TestWithParam<Mp3Case> {};

TEST_P(Mp3Durations, sumTheFramesOnly)
{
    const Mp3Case &c = GetParam();
    std::istringstream in(c.bytes);
    const std::optional<vantrel::Mp3Scan> scan = vantrel::scanMp3(in);
    if (c.frames == 0) {
        EXPECT_FALSE(scan.has_value());
        return;
    }
    ASSERT_TRUE(scan.has_value());
    EXPECT_EQ(scan->frames, c.frames);
    EXPECT_NEAR(scan->durationMs, c.durationMs, 1e-6);
}

INSTANTIATE_TEST_SUITE_P(Table, Mp3Durations, testing::ValuesIn(kMp3Cases),
                         [](const auto &info) { return std::string(info.param.name); });

// The sample recordings are 32 kbit/s throughout, so their frames play as
// long as a hearing of them lasts.
TEST(SampleRecordings, playAsLongAsTheirHearing)
{
    int recordings = 0;
    for (const auto &entry : fs::directory_iterator(VANTREL_SAMPLE_LIBRARY)) {
        if (entry.path().extension() != ".MP3")
            continue;
        ++recordings;
        std::ifstream in(entry.path(), std::ios::binary);
        const std::optional<vantrel::Mp3Scan> scan = vantrel::scanMp3(in);
        ASSERT_TRUE(scan.has_value()) << entry.path();
        EXPECT_EQ(scan->tagBytes, 0u);
        const auto delay = static_cast<double>(vantrel::hearingDelayMs(entry.file_size()));
        EXPECT_NEAR(scan->durationMs, delay, delay * 0.01) << entry.path();
    }
    EXPECT_EQ(recordings, 12);
}

} // namespace
