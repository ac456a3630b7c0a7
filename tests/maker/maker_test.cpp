// SPDX-License-Identifier: GPL-3.0-or-later
#include "checker.h"
#include "hearing.h"
#include "story_file.h"
#include "story_lines.h"
#include "maker_test_support.h"

#include <functional>

using namespace maker_test;

namespace {

std::string replaced(std::string text, const std::string &from, const std::string &to)
{
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    return at == std::string::npos ? text : text.replace(at, from.size(), to);
}

std::string withStory(const std::string &from, const std::string &to)
{
    return replaced(validStory("Rain", "a.wav"), from, to);
}

struct BrokenFolder {
    const char *name;
    std::function<void(const fs::path &src)> make;  // into a folder holding one good story, a.story
    std::string firstError;                         // the start of the first line on the error stream
};

void PrintTo(const BrokenFolder &folder, std::ostream *out)
{
    *out << folder.name;
}

void story(const fs::path &src, const std::string &text, const char *name = "a.story")
{
    writeBytes(src / name, text);
}

const BrokenFolder kBrokenFolders[] = {
    {"noTitle", [](const fs::path &s) { story(s, withStory("title: Rain\n", "")); },
     "src/a.story:1: error: no \"title:\" line; every story needs one\n"},
    {"secondAudio", [](const fs::path &s) { story(s, withStory("transcript:\n", "audio: b.wav\ntranscript:\n")); },
     "src/a.story:4: error: a second \"audio:\" line (the first is line 3)\n"},
    {"twoAnswers", [](const fs::path &s) { story(s, withStory("- Pears\n", "")); },
     "src/a.story:8: error: the first question has 2 answers; it needs exactly three\n"},
    {"noStar", [](const fs::path &s) { story(s, withStory("* Twenty-two", "- Twenty-two")); },
     "src/a.story:12: error: the second question has no answer marked \"*\"; mark the right answer with \"*\"\n"},
    {"twoStars", [](const fs::path &s) { story(s, withStory("- Grapes", "* Grapes")); },
     "src/a.story:11: error: a second answer marked \"*\" (the first is line 10); mark only the right answer "
     "with \"*\", the others with \"-\"\n"},
    {"textAfterTheEnd", [](const fs::path &s) { story(s, validStory("Rain", "a.wav") + "Thank you.\n"); },
     "src/a.story:20: error: text after the third question's three answers\n"},
    {"arrowInTitle", [](const fs::path &s) { story(s, withStory("title: Rain", "title: Rain \xE2\x86\x92 mud")); },
     "src/a.story:2: error: the character \"\xE2\x86\x92\" (U+2192) in column 13 is not in Windows-1252, the "
     "story file's code page; use another character\n"},
    {"titleTooWide", [](const fs::path &s) { story(s, withStory("title: Rain", "title: " + std::string(80, 'W'))); },
     "src/a.story:2: error: the title is too wide for its menu button: it needs "},
    {"answerTooWide", [](const fs::path &s) { story(s, withStory("- Prices", "- " + std::string(120, 'W'))); },
     "src/a.story:19: error: the answer is too wide for its option button: it needs "},
    {"thirteenStories",
     [](const fs::path &s) {
         for (char c = 'b'; c <= 'm'; ++c)
             story(s, validStory("Rain", "a.wav"), (std::string(1, c) + ".story").c_str());
     },
     "src/m.story:1: error: this is story 13 of 13; a library holds at most 12 (story files are taken in "
     "file-name order)\n"},
    {"storiesTooLong",
     [](const fs::path &s) {
         story(s, withStory("Farmers are waiting.", std::string(5000, 'x') + "."), "b.story");
         story(s, withStory("Farmers are waiting.", std::string(4000, 'x') + "."), "c.story");
     },
     "src/b.story:4: error: the stories are "},
    {"recordingMissing", [](const fs::path &s) { story(s, withStory("audio: a.wav", "audio: gone.wav")); },
     "src/a.story:3: error: the recording \"gone.wav\" is missing: there is no such file beside a.story\n"},
    {"recordingNotAudio", [](const fs::path &s) { writeBytes(s / "a.wav", "not a sound at all"); },
     "src/a.story:3: error: the recording \"a.wav\" cannot be used: it is not a sound file GStreamer can read ("},
};

class BrokenFolderTest : public MakerTest, public testing::WithParamInterface<BrokenFolder> {};

// Each mistake is named at its line, with status 1 and no library made.
TEST_P(BrokenFolderTest, isRefusedAtItsLine)
{
    const fs::path src = m_dir / "src";
    makeRecording(src / "a.wav", "wavenc", 0.3);
    story(src, validStory("Rain", "a.wav"));
    GetParam().make(src);

    const MakeRun run = runMake(m_dir, {"src", "out"});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.substr(0, GetParam().firstError.size()), GetParam().firstError) << run.err;
    EXPECT_FALSE(fs::exists(m_dir / "out"));
    // Nothing is left beside OUTPUT either.
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), {}), 1);
}

INSTANTIATE_TEST_SUITE_P(, BrokenFolderTest, testing::ValuesIn(kBrokenFolders),
                         [](const auto &info) { return std::string(info.param.name); });

// A WAV, an Ogg and a 128 kbit/s MP3 recording come out as MP3s whose size
// gives their playing time, in a library vantrel-check finds nothing in.
TEST_F(MakerTest, anyRecordingBecomesATimedLibrary)
{
    const fs::path src = m_dir / "src";
    makeRecording(src / "one.wav", "wavenc", 1.5);
    makeRecording(src / "two.ogg", "vorbisenc ! oggmux", 2.0);
    makeRecording(src / "three.mp3", "lamemp3enc target=bitrate bitrate=128 cbr=true", 2.5);
    story(src, validStory("One", "one.wav"), "1.story");
    story(src, validStory("Two", "two.ogg"), "2.story");
    story(src, validStory("Three", "three.mp3"), "3.story");

    const MakeRun run = runMake(m_dir, {"src", "out"});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("story 3 of 3: converting three.mp3"), std::string::npos) << run.out;

    const vantrel::LibraryCheck check = vantrel::checkLibrary(m_dir / "out");
    EXPECT_TRUE(check.readable);
    EXPECT_EQ(vantrel::summaryLine(check), "0 errors, 0 warnings");
    for (const char *name : {"STORY01.MP3", "STORY02.MP3", "STORY03.MP3"}) {
        const fs::path mp3 = m_dir / "out" / name;
        const auto hearing = static_cast<double>(vantrel::hearingDelayMs(fs::file_size(mp3)));
        EXPECT_NEAR(decodedMs(mp3), hearing, 50.0) << name;
    }
    EXPECT_EQ(vantrel::title(*vantrel::loadStoryFile(m_dir / "out" / "vtl.txt").lines, 3), "Three");

    // Made again with --force, the first library is kept whole beside it.
    const auto first = snapshot(m_dir / "out");
    story(src, validStory("Three again", "three.mp3"), "3.story");
    ASSERT_EQ(runMake(m_dir, {"--force", "src", "out"}).status, 0);
    EXPECT_EQ(snapshot(m_dir / "out.bak"), first);
}

// A library already there survives a refused build byte for byte: without
// --force, and with --force when the new stories are broken.
TEST_F(MakerTest, refusedBuildLeavesTheOldLibrary)
{
    const fs::path src = m_dir / "src";
    makeRecording(src / "a.wav", "wavenc", 0.3);
    story(src, validStory("Rain", "a.wav"));
    ASSERT_EQ(runMake(m_dir, {"src", "out"}).status, 0);
    const auto before = snapshot(m_dir / "out");

    const MakeRun again = runMake(m_dir, {"src", "out"});
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("already holds a story library; add --force"), std::string::npos) << again.err;

    writeBytes(src / "a.wav", "not a sound");
    EXPECT_EQ(runMake(m_dir, {"--force", "src", "out"}).status, 1);
    EXPECT_EQ(snapshot(m_dir / "out"), before);
    EXPECT_EQ(std::distance(fs::directory_iterator(m_dir), {}), 2);  // src and out
}

} // namespace
