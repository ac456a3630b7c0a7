// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-check hears a story's MP3 against its timing file.
#include "checker.h"
#include "recording.h"
#include "test_library.h"

#include <cmath>
#include <numbers>

using namespace checker_test;

namespace {

// A WAV of 16 kHz mono: each span of seconds a 300 Hz tone, silence between.
std::string bursts(const std::vector<std::pair<double, double>> &spans, double seconds)
{
    constexpr int kRate = 16000;
    std::string pcm;
    for (int i = 0; i < static_cast<int>(seconds * kRate); ++i) {
        const double t = static_cast<double>(i) / kRate;
        const bool on = std::any_of(spans.begin(), spans.end(), [t](const auto &s) { return t >= s.first && t < s.second; });
        const auto value = static_cast<std::int16_t>(on ? 8000 * std::sin(2 * std::numbers::pi * 300 * t) : 0);
        pcm.append(reinterpret_cast<const char *>(&value), 2);
    }
    auto word = [](std::uint32_t value, int bytes) { return std::string(reinterpret_cast<const char *>(&value), bytes); };
    return "RIFF" + word(36 + pcm.size(), 4) + "WAVEfmt " + word(16, 4) + word(1, 2) + word(1, 2) + word(kRate, 4)
           + word(kRate * 2, 4) + word(2, 2) + word(16, 2) + "data" + word(pcm.size(), 4) + pcm;
}

// Story 1 says two sentences, at 0.5-1.5 s and 2-3 s of its MP3 (which plays
// 50 ms late); its timing file times the first and, for the second, a pause.
TEST(Hearing, namesSpeechNoSentenceHoldsAndTimesWithoutSpeech)
{
    const StoryDir folder;
    StoryLibrary library;
    library.line(3, "One two three. Four five six.");
    library.files.erase("NEWS01.MP3");
    library.write(folder);
    folder.write("story.wav", bursts({{0.5, 1.5}, {2.0, 3.0}}, 3.5));
    static const std::atomic<bool> kNever{false};
    ASSERT_TRUE(vantrel::convertRecording(folder.dir() / "story.wav", folder.dir() / "NEWS01.MP3", kNever).ok);
    folder.write("NEWS01.vtt", "WEBVTT\n\n00:00.550 --> 00:01.550\nOne two three.\n\n"
                               "00:01.650 --> 00:01.950\nFour five six.\n");

    const vantrel::LibraryCheck check = vantrel::checkLibrary(folder.dir());
    std::vector<std::string> said;
    for (const vantrel::Finding &finding : check.findings)
        said.push_back(vantrel::formatFinding(finding));
    ASSERT_EQ(said.size(), 2u) << testing::PrintToString(said);
    EXPECT_EQ(said[0].substr(0, 57), "NEWS01.vtt:6: warning: NEWS01.MP3 speaks from 2.0 s to 3.") << said[0];
    EXPECT_NE(said[0].find(", after the last sentence, but no sentence's times hold it"), std::string::npos);
    EXPECT_EQ(said[1], "NEWS01.vtt:6: warning: this sentence's times, 1.6 s to 1.9 s, hold no speech in NEWS01.MP3: "
                       "the recording may not say it");
    // Without hearing, as vantrel-make checks what it has just heard itself.
    EXPECT_TRUE(vantrel::checkLibrary(folder.dir(), false).findings.empty());
}

} // namespace
