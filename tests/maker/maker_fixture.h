// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the maker's suites share: vantrel-make run as the teacher runs it,
// in a fresh folder per test, with recordings made by GStreamer.

#include "../support/story_folder.h"

#include <gst/gst.h>
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <filesystem>
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

} // namespace vantrel::test
