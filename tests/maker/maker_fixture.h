// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the maker's suites share: vantrel-make run as the teacher runs it,
// in a fresh folder per test, with recordings made by GStreamer.

#include "../support/story_folder.h"

#include <gst/gst.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "speech_synth.h"

#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <vector>
#include <string>

namespace vantrel::test {

namespace fs = std::filesystem;

// A story every case starts from; typographic quotes and dashes are fine.
inline std::string validStory(const std::string &title, const std::string &audio)
{
    return "# a comment\ntitle: " + title + "\naudio: " + audio + "\ntranscript:\n"
           "Heavy rain has slowed the harvest \xE2\x80\x94 the \xE2\x80\x9C" "pickers\xE2\x80\x9D can\xE2\x80\x99t work.\n"
           "Farmers are waiting.\n\n"
           "question: What fruit?\n- Pears\n* Apples\n- Grapes\n"
           "question: How many days?\n- Twelve\n- Twenty\n* Twenty-two\n"
           "question: What do they hope for?\n* Sun\n- Pickers\n- Prices\n";
}

// Too wide for a question's frame, but not for an answer's button, whose font is smaller.
inline const std::string kLongQuestion = "What do the farmers in the Merrowdale valley hope for in the coming week?";

struct MakeRun {
    int status;
    std::string out, err;
};

// vantrel-make with these arguments (no quoting needed), in the folder `dir`.
inline MakeRun runMake(const fs::path &dir, const std::string &args)
{
    const int raw = std::system(("cd '" + dir.string() + "' && '" VANTREL_MAKE "' " + args + " >.out 2>.err").c_str());
    MakeRun run{WIFEXITED(raw) ? WEXITSTATUS(raw) : -1, readFile(dir / ".out"), readFile(dir / ".err")};
    fs::remove(dir / ".out");
    fs::remove(dir / ".err");
    return run;
}

// Runs a pipeline to its end; true when it ends without an error.
inline bool runPipeline(const std::string &description)
{
    GstElement *pipeline = gst_parse_launch(description.c_str(), nullptr);
    if (!pipeline)
        return false;
    gst_element_set_state(pipeline, GST_STATE_PLAYING);
    GstBus *bus = gst_element_get_bus(pipeline);
    GstMessage *message = gst_bus_timed_pop_filtered(
        bus, GST_CLOCK_TIME_NONE, static_cast<GstMessageType>(GST_MESSAGE_EOS | GST_MESSAGE_ERROR));
    const bool ended = GST_MESSAGE_TYPE(message) == GST_MESSAGE_EOS;
    gst_message_unref(message);
    gst_object_unref(bus);
    gst_element_set_state(pipeline, GST_STATE_NULL);
    gst_object_unref(pipeline);
    return ended;
}

// `seconds` of a tone, in the format of `encoder` (a pipeline fragment such as "wavenc").
inline void makeRecording(const fs::path &file, const std::string &encoder, double seconds)
{
    fs::create_directories(file.parent_path());
    ASSERT_TRUE(runPipeline("audiotestsrc wave=sine samplesperbuffer=1024 num-buffers="
                            + std::to_string(static_cast<int>(seconds * 44100 / 1024))
                            + " ! audio/x-raw,rate=44100,channels=2 ! audioconvert ! " + encoder
                            + " ! filesink location=\"" + file.string() + "\""))
        << encoder;
}

// As Notepad saves "Unicode": UTF-16 with its byte order mark.
inline std::string utf16(const std::string &utf8, bool bigEndian)
{
    std::string bytes = bigEndian ? "\xFE\xFF" : "\xFF\xFE";
    for (const char16_t unit : QString::fromStdString(utf8).toStdU16String()) {
        const auto high = static_cast<char>(unit >> 8), low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

// A fresh folder per test; the stories go into src/.
class MakerTest : public testing::Test {
public:
    void oneGoodStory()
    {
        makeRecording(src / "a.wav", "wavenc", 0.3);
        story(validStory("Rain", "a.wav"));
    }
    void story(const std::string &text, const std::string &name = "a.story") const { m_folder.write(src / name, text); }
    std::size_t entries() const { return static_cast<std::size_t>(std::distance(fs::directory_iterator(dir), {})); }
    // How long an audio file plays, in ms: its decoded sound as 16-bit mono at 8 kHz, 16 bytes a ms.
    double decodedMs(const fs::path &file) const
    {
        const fs::path raw = dir / "decoded.raw";
        EXPECT_TRUE(runPipeline("filesrc location=\"" + file.string() + "\" ! decodebin ! audioconvert ! "
                                "audioresample ! audio/x-raw,format=S16LE,channels=1,rate=8000 ! filesink location=\""
                                + raw.string() + "\""));
        return static_cast<double>(fs::file_size(raw)) / 16;
    }

    const StoryDir m_folder;
    const fs::path dir = m_folder.dir(), src = dir / "src";
};

// The good story with `from` replaced by `to`.
inline std::string withStory(const std::string &from, const std::string &to)
{
    std::string text = validStory("Rain", "a.wav");
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

struct Span {
    double startMs, endMs;
    std::map<std::size_t, double> wordMs = {};  // by word (token) of the sentence, after its first
};

// Sentences read aloud by VOICE, one the aligner does not use, joined with the
// pauses given, into a WAV file; returns where each sentence's sound lies, in ms.
inline std::vector<Span> speakStory(const fs::path &file, const std::vector<std::string> &sentences,
                                    const std::vector<double> &pausesMs, const std::string &voice = "en-us+m3")
{
    const vantrel::SpokenSentences spoken = vantrel::speakSentences(sentences, voice);
    EXPECT_EQ(spoken.problem, "");
    const int rate = spoken.sentences.empty() ? 22050 : spoken.sentences.front().rate;
    std::vector<float> samples;
    std::vector<Span> spans;
    for (std::size_t s = 0; s < spoken.sentences.size(); ++s) {
        samples.resize(samples.size() + static_cast<std::size_t>(pausesMs[s] * rate / 1000), 0.0F);
        const std::vector<float> &said = spoken.sentences[s].samples;
        auto loud = [](float sample) { return std::abs(sample) > 0.01F; };
        const auto first = std::find_if(said.begin(), said.end(), loud);
        const auto last = std::find_if(said.rbegin(), said.rend(), loud).base();
        const double startMs = static_cast<double>(samples.size()) * 1000.0 / rate;
        samples.insert(samples.end(), first, std::max(first, last));
        spans.push_back({startMs, static_cast<double>(samples.size()) * 1000.0 / rate});
        const auto trimmed = static_cast<double>(first - said.begin());
        for (const vantrel::SoundWord &word : spoken.sentences[s].words) {
            if (word.token > 0)
                spans.back().wordMs[word.token] = startMs + (static_cast<double>(word.sample) - trimmed) * 1000.0 / rate;
        }
    }
    samples.resize(samples.size() + rate / 2, 0.0F);
    std::string pcm;
    std::uint32_t noise = 1;  // a faint hiss, as a real recording has, so that soft sounds are not all loud
    for (const float sample : samples) {
        noise = noise * 1664525U + 1013904223U;
        const float hiss = (static_cast<float>(noise >> 8) / 16777216.0F - 0.5F) * 0.01F;
        const auto value = static_cast<std::int16_t>(std::lround((sample + hiss) * 32767.0F));
        pcm.append(reinterpret_cast<const char *>(&value), 2);  // the WAV's little-endian, as this machine
    }
    auto word = [](std::uint32_t value, int bytes) { return std::string(reinterpret_cast<const char *>(&value), bytes); };
    const std::string header = "RIFF" + word(36 + pcm.size(), 4) + "WAVEfmt " + word(16, 4) + word(1, 2) + word(1, 2)
                               + word(rate, 4) + word(rate * 2, 4) + word(2, 2) + word(16, 2) + "data"
                               + word(pcm.size(), 4);
    fs::create_directories(file.parent_path());
    std::ofstream(file, std::ios::binary) << header << pcm;
    return spans;
}

} // namespace vantrel::test
