// SPDX-License-Identifier: GPL-3.0-or-later
// A story's timing file on disk, checked as the lesson and vantrel-check both
// take it: what is not a file, what is too large, and the cues handed on.
#include "../support/story_folder.h"
#include "timing_check.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <optional>

namespace fs = std::filesystem;
using vantrel::test::StoryDir;

namespace {

const std::string kTranscript = "It rained. Farmers waited.";
const std::string kTiming = "WEBVTT\n\n00:00.000 --> 00:01.500\nIt rained.\n\n00:01.500 --> 00:03.000\nFarmers waited.\n";

TEST(TimingCheck, findsWhatALessonMayUse)
{
    const struct {
        const char *name;
        std::function<void(const fs::path &)> make;
        std::optional<std::int64_t> recordingMs;
        std::string finding;  // the first one; empty for none
        std::size_t cues;
    } cases[] = {
        {"none", [](const fs::path &) {}, 3000, "", 0},
        {"fits", [](const fs::path &p) { std::ofstream(p) << kTiming; }, 3000, "", 2},
        {"lengthUnknown", [](const fs::path &p) { std::ofstream(p) << kTiming; }, std::nullopt, "", 2},
        {"beyondTheRecording", [](const fs::path &p) { std::ofstream(p) << kTiming; }, 2999,
         "S1.vtt:6: error: this sentence ends at 00:03.000, after the end of the recording, which lasts 00:02.999", 2},
        {"pipe", [](const fs::path &p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, 3000,
         "S1.vtt:1: error: the timing file is not a regular file", 0},
        {"tooLarge", [](const fs::path &p) { std::ofstream(p) << kTiming << std::string(1 << 20, '\n'); }, 3000,
         "S1.vtt:1: error: the timing file is 1048660 bytes; a timing file may be at most 1048576 bytes", 0},
    };
    StoryDir folder;
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path path = folder.dir() / c.name;
        c.make(path);
        const vantrel::TimingFileCheck check = vantrel::checkTimingFile(path, "S1.vtt", kTranscript, c.recordingMs);
        EXPECT_EQ(check.found, std::string(c.name) != "none");
        EXPECT_EQ(check.findings.empty() ? "" : vantrel::formatFinding(check.findings.front()), c.finding);
        ASSERT_EQ(check.cues.size(), c.cues);
        if (c.cues > 0) {
            EXPECT_EQ(check.cues[1].startMs, 1500);
        }
    }
}

} // namespace
