// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-make run as the teacher runs it, on story folders with recordings
// made by GStreamer, and its .story reader and layout alone.
#include "maker_fixture.h"
#include "checker.h"
#include "hearing.h"
#include "recording.h"
#include "speech_synth.h"
#include "story_file.h"
#include "story_block.h"
#include "timing_file.h"

#include <gst/gst.h>
#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <functional>
#include <regex>

namespace fs = std::filesystem;
using namespace vantrel::test;

namespace {

struct BrokenFolder {
    const char *name;
    std::function<void(MakerTest &)> make;  // into a folder holding one good story, a.story
    std::string firstError;                 // the start of the first line on the error stream
};

void PrintTo(const BrokenFolder &folder, std::ostream *out) { *out << folder.name; }
const BrokenFolder kBrokenFolders[] = {
    {"noTitle", [](MakerTest &t) { t.story(withStory("title: Rain\n", "")); },
     "src/a.story:1: error: no \"title:\" line; every story needs one\n"},
    {"secondAudio", [](MakerTest &t) { t.story(withStory("transcript:\n", "audio: b.wav\ntranscript:\n")); },
     "src/a.story:4: error: a second \"audio:\" line (the first is line 3)\n"},
    {"twoAnswers", [](MakerTest &t) { t.story(withStory("- Pears\n", "")); },
     "src/a.story:8: error: the first question has 2 answers; it needs exactly three\n"},
    {"noStar", [](MakerTest &t) { t.story(withStory("* Twenty-two", "- Twenty-two")); },
     "src/a.story:12: error: the second question has no answer marked \"*\"; mark the right answer with \"*\"\n"},
    {"twoStars", [](MakerTest &t) { t.story(withStory("- Grapes", "* Grapes")); },
     "src/a.story:11: error: a second answer marked \"*\" (the first is line 10); mark only the right answer "
     "with \"*\", the others with \"-\"\n"},
    {"textAfterTheEnd", [](MakerTest &t) { t.story(validStory("Rain", "a.wav") + "Thank you.\n"); },
     "src/a.story:20: error: text after the third question's three answers\n"},
    {"arrowInTitle", [](MakerTest &t) { t.story(withStory("title: Rain", "title: Rain \xE2\x86\x92 mud")); },
     "src/a.story:2: error: this character can't be shown in a story: \xE2\x86\x92 (column 13); use ->\n"},
    {"titleTooWide", [](MakerTest &t) { t.story(withStory("title: Rain", "title: " + std::string(80, 'W'))); },
     "src/a.story:2: error: the title is too long for its button in the menu; this much fits: \"WWWWWWWWWW"},
    {"questionTooWide", [](MakerTest &t) { t.story(withStory("What do they hope for?", kLongQuestion)); },
     "src/a.story:16: error: the question is too long for the top of its frame; this much fits: \"What do the "},
    // Narrower than its button, but wider than what the frame shows of it (in Arial's metrics).
    {"answerClippedByItsFrame",
     [](MakerTest &t) { t.story(withStory("- Prices", "- " + std::string(22, 'W') + std::string(22, 'w') + "a")); },
     "src/a.story:19: error: the answer is too long for its button; this much fits: \"WWWWWWWWWWWWWWWWWWWWWW"},
    {"thirteenStories",
     [](MakerTest &t) {
         for (char c = 'b'; c <= 'm'; ++c)
             t.story(validStory("Rain", "a.wav"), std::string(1, c) + ".story");
     },
     "src/m.story:1: error: this is story 13 of 13; a library holds at most 12 (story files are taken in "
     "file-name order)\n"},
    {"storiesTooLong",
     [](MakerTest &t) {
         t.story(withStory("Farmers are waiting.", std::string(5000, 'x') + "."), "b.story");
         t.story(withStory("Farmers are waiting.", std::string(4000, 'x') + "."), "c.story");
     },
     "src/b.story:4: error: the stories are "},
    {"recordingMissing", [](MakerTest &t) { t.story(withStory("audio: a.wav", "audio: gone.wav")); },
     "src/a.story:3: error: the recording \"gone.wav\" is missing: there is no such file beside a.story\n"},
    {"recordingNotAudio", [](MakerTest &t) { t.story("not a sound at all", "a.wav"); },
     "src/a.story:3: error: the recording \"a.wav\" cannot be used: it is not a sound file GStreamer can read ("},
};

class BrokenFolderTest : public MakerTest, public testing::WithParamInterface<BrokenFolder> {};

// Each mistake is named at its line, with status 1 and nothing left beside src/, new parents included.
TEST_P(BrokenFolderTest, isRefusedAtItsLine)
{
    oneGoodStory();
    GetParam().make(*this);
    const MakeRun run = runMake(dir, "src deep/nested/out");
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err.substr(0, GetParam().firstError.size()), GetParam().firstError) << run.err;
    EXPECT_EQ(entries(), 1u);
}

INSTANTIATE_TEST_SUITE_P(, BrokenFolderTest, testing::ValuesIn(kBrokenFolders),
                         [](const auto &info) { return std::string(info.param.name); });

// Each too long caption says about how many letters to cut, in its own place's font: about
// as many as run past what fits.
TEST_F(MakerTest, tooLongCaptionsSayHowManyLettersToCut)
{
    const std::string captions[] = {"New bus line for the Drayhill and Corbett valleys", kLongQuestion,
                                     kLongQuestion + " Sun and rain."};
    makeRecording(src / "a.wav", "wavenc", 0.3);
    std::string text = withStory("title: Rain", "title: " + captions[0]);
    text.replace(text.find("What fruit?"), 11, captions[1]);
    text.replace(text.find("- Pears"), 7, "- " + captions[2]);
    story(text);
    const std::string err = runMake(dir, "--no-timings src out").err;
    const std::regex message(R"re(too long for [^;]*; this much fits: "(.*)"; shorten it by about (\d+) letters)re");
    std::size_t found = 0;
    for (std::sregex_iterator it(err.begin(), err.end(), message), end; it != end; ++it, ++found) {
        ASSERT_LT(found, std::size(captions));
        const auto past = static_cast<int>(captions[found].size() - (*it)[1].length());
        EXPECT_NEAR(std::stoi((*it)[2]), past, 2) << (*it)[0];
    }
    EXPECT_EQ(found, std::size(captions)) << err;
}

// A WAV, an Ogg and a 128 kbit/s MP3 recording come out as MP3s whose size
// gives their playing time, in a library vantrel-check finds nothing in.
// Tones are no speech: the stories are not timed.
TEST_F(MakerTest, anyRecordingBecomesATimedLibrary)
{
    makeRecording(src / "one.wav", "wavenc", 1.5);
    makeRecording(src / "two.ogg", "vorbisenc ! oggmux", 2.0);
    makeRecording(src / "three.mp3", "lamemp3enc target=bitrate bitrate=128 cbr=true", 2.5);
    story("\xEF\xBB\xBF" + validStory("One", "one.wav"), "1.story");  // a byte-order mark is no text
    story(validStory("Two", "two.ogg"), "2.story");
    story(validStory("Three", "three.mp3"), "3.story");

    const MakeRun run = runMake(dir, "--no-timings src out");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_NE(run.out.find("story 3 of 3: converting three.mp3"), std::string::npos) << run.out;
    const vantrel::LibraryCheck check = vantrel::checkLibrary(dir / "out");
    EXPECT_TRUE(check.readable);
    EXPECT_EQ(vantrel::summaryLine(check), "0 errors, 0 warnings");
    for (const char *name : {"STORY01.MP3", "STORY02.MP3", "STORY03.MP3"}) {
        const auto hearing = static_cast<double>(vantrel::hearingDelayMs(fs::file_size(dir / "out" / name)));
        EXPECT_NEAR(decodedMs(dir / "out" / name), hearing, 50.0) << name;
    }
    // Each story in its slot: transcript lines joined by single spaces, typographic
    // marks in Windows-1252, and only the right answer keyed.
    const vantrel::StoryLines lines = *vantrel::loadStoryFile(dir / "out" / "vtl.txt").lines;
    EXPECT_EQ(lines.line(1), "STORY01");
    EXPECT_EQ(lines.line(3),
              "Heavy rain has slowed the harvest \x97 the \x93pickers\x94 can\x92t work. Farmers are waiting.");
    EXPECT_EQ(lines.line(18), "What do they hope for?");
    EXPECT_EQ(lines.line(6) + "|" + lines.line(8) + "|" + lines.line(10), "|*|");
    EXPECT_EQ(vantrel::StoryBlock::ofSlot(lines, 3).title, "Three");
    EXPECT_FALSE(vantrel::StoryBlock::ofSlot(lines, 4).isPresent());

    // Made again with --force, the first library is kept whole beside it.
    const auto first = snapshot(dir / "out");
    story(validStory("Three again", "three.mp3"), "3.story");
    ASSERT_EQ(runMake(dir, "--force --no-timings src out").status, 0);
    EXPECT_EQ(snapshot(dir / "out.bak"), first);
}

// A library already there survives a refused build byte for byte: without
// --force, and with --force when the new stories are broken.
TEST_F(MakerTest, refusedBuildLeavesTheOldLibrary)
{
    oneGoodStory();
    ASSERT_EQ(runMake(dir, "--no-timings src out").status, 0);
    const auto before = snapshot(dir / "out");

    const MakeRun again = runMake(dir, "--no-timings src out");
    EXPECT_EQ(again.status, 1);
    EXPECT_NE(again.err.find("already holds a story library; add --force"), std::string::npos) << again.err;

    story("not a sound", "a.wav");
    EXPECT_EQ(runMake(dir, "--force --no-timings src out").status, 1);
    EXPECT_EQ(snapshot(dir / "out"), before);
    EXPECT_EQ(entries(), 2u);  // src and out
}

const std::vector<std::string> kNews = {"The museum in Lowbury opened a new hall today.",
                                        "It shows a small wooden ship, found in a field by Dr. Hale.",
                                        "Visitors can see it until the end of May."};
// How far a sentence's timing may be from its sound: the aligner starts a
// sentence a little early on purpose, so that its first sound is heard whole.
constexpr double kLeadMs = 10.0, kStartEarlyMs = 40.0, kEndMs = 40.0, kWordMs = 40.0, kWordMedianMs = 20.0;

std::string storyOf(const std::vector<std::string> &sentences, const std::string &audio, const std::string &more = "")
{
    std::string text = withStory("Heavy rain has slowed the harvest \xE2\x80\x94 the \xE2\x80\x9C" "pickers\xE2\x80\x9D "
                                 "can\xE2\x80\x99t work.\nFarmers are waiting.\n", "");
    text.replace(text.find("audio: a.wav\n"), 13, "audio: " + audio + "\n" + more);
    std::string transcript;
    for (const std::string &sentence : sentences)
        transcript += sentence + "\n";
    return text.insert(text.find("transcript:\n") + 12, transcript);
}

// The word a timestamp stands before, counted from 0.
std::size_t tokenAt(const std::string &text, std::size_t at)
{
    return static_cast<std::size_t>(std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), ' '));
}

// Every sentence's timing starts just before its sound starts in the MP3 as
// played, and ends where it ends: found at the pause before it, not just
// where the warp puts it. Nearly every word is timed, close to where the
// synthesiser started it. --no-timings makes none and warns of nothing.
// The synthesiser's reading says where each word of the sentence starts:
// once, in order, one-letter words too, a number read as several words once,
// and a dash, which it does not say, not at all.
TEST(SpeechSynth, timesEachWordOnceInOrder)
{
    const vantrel::SpokenSentences spoken =
        vantrel::speakSentences({"I saw a cat, 1,200 of them \xE2\x80\x94 U.S. made."}, "en-us");
    ASSERT_EQ(spoken.problem, "");
    std::vector<std::size_t> tokens;
    std::size_t before = 0;
    for (const vantrel::SoundWord &word : spoken.sentences.at(0).words) {
        tokens.push_back(word.token);
        EXPECT_TRUE(tokens.size() == 1 || word.sample > before) << word.token;
        before = word.sample;
    }
    EXPECT_EQ(tokens, (std::vector<std::size_t>{0, 1, 2, 3, 4, 5, 6, 8, 9}));
    EXPECT_LT(before, spoken.sentences[0].samples.size());
}

// A reader may pause where the text has no comma: the word after the pause
// starts where the pause ends, not where the warp lets it take in the pause.
TEST_F(MakerTest, aWordAfterAReadersPauseStartsAfterIt)
{
    const std::vector<Span> parts = speakStory(src / "pause.wav", {kNews[0], "Visitors can see it", "until the end of May."},
                                               {700, 900, 350});
    story(storyOf({kNews[0], kNews[2]}, "pause.wav"), "1.story");
    const MakeRun run = runMake(dir, "src out");
    ASSERT_EQ(run.status, 0);
    EXPECT_EQ(run.err, "");
    const vantrel::TimingRead cues = vantrel::readWebVtt(readFile(dir / "out" / "STORY01.vtt"));
    ASSERT_EQ(cues.cues.size(), 2u);
    const std::vector<vantrel::WordStart> &words = cues.cues[1].words;
    const auto until = std::find_if(words.begin(), words.end(),
                                    [](const vantrel::WordStart &w) { return kNews[2].substr(w.at, 5) == "until"; });
    ASSERT_NE(until, words.end()) << cues.cues[1].text;
    EXPECT_NEAR(static_cast<double>(until->ms) - vantrel::kEncoderDelayMs, parts[2].startMs, kWordMs);
}

TEST_F(MakerTest, timingsFollowTheSpeechClosely)
{
    const std::vector<Span> truth = speakStory(src / "museum.wav", kNews, {700, 900, 800});
    story(storyOf(kNews, "museum.wav"), "1.story");

    const MakeRun run = runMake(dir, "src out");
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    const vantrel::TimingRead cues = vantrel::readWebVtt(readFile(dir / "out" / "STORY01.vtt"));
    ASSERT_EQ(cues.errors.size(), 0u);
    ASSERT_EQ(cues.cues.size(), kNews.size());
    std::vector<double> wordErrors;
    for (std::size_t s = 0; s < kNews.size(); ++s) {
        EXPECT_EQ(cues.cues[s].text, kNews[s]);
        const double start = static_cast<double>(cues.cues[s].startMs) - truth[s].startMs - vantrel::kEncoderDelayMs;
        const double end = static_cast<double>(cues.cues[s].endMs) - truth[s].endMs - vantrel::kEncoderDelayMs;
        EXPECT_LE(start, -kLeadMs) << s;
        EXPECT_GE(start, -kStartEarlyMs) << s;
        EXPECT_NEAR(end, 0.0, kEndMs) << s;
        EXPECT_GE(cues.cues[s].words.size() + 2, truth[s].wordMs.size()) << s;
        for (const vantrel::WordStart &word : cues.cues[s].words) {
            const std::size_t token = tokenAt(kNews[s], word.at);
            ASSERT_TRUE(truth[s].wordMs.contains(token)) << s << " " << word.at;
            wordErrors.push_back(std::abs(static_cast<double>(word.ms) - vantrel::kEncoderDelayMs
                                          - truth[s].wordMs.at(token)));
            EXPECT_LE(wordErrors.back(), kWordMs) << s << ": " << kNews[s].substr(word.at);
        }
    }
    std::nth_element(wordErrors.begin(), wordErrors.begin() + std::ssize(wordErrors) / 2, wordErrors.end());
    EXPECT_LE(wordErrors[wordErrors.size() / 2], kWordMedianMs);

    const MakeRun untimed = runMake(dir, "--force --no-timings src out");
    EXPECT_EQ(untimed.status, 0);
    EXPECT_EQ(untimed.err, "");
    EXPECT_NE(untimed.out.find("made out: 1 story, no warnings; no sentence timings (--no-timings)\n"),
              std::string::npos) << untimed.out;
    EXPECT_FALSE(fs::exists(dir / "out" / "STORY01.vtt"));
}

struct TeachersTimings {
    const char *name;
    std::string file;       // timings.txt, beside the story
    std::string expected;   // STORY01.vtt, or the first error
};

void PrintTo(const TeachersTimings &timings, std::ostream *out) { *out << timings.name; }
// STORY01.vtt as vantrel-make writes it, note and all, with these cues.
std::string made(const std::string &cues) { return vantrel::writeWebVtt({}) + cues; }
// Times as played already, so kept as they stand: the last sentence ends in the MP3's
// last 50 ms, which are after the recording's end.
const std::string kAsPlayed = made("00:00.220 --> 00:01.000\nHeavy rain has slowed the harvest \xE2\x80\x94 the "
                                   "\xE2\x80\x9C" "pickers\xE2\x80\x9D can\xE2\x80\x99t work.\n\n"
                                   "00:01.000 --> 00:02.040\nFarmers are waiting.\n\n");
const TeachersTimings kTeachersTimings[] = {
    {"audacityLabels", "0.1\t0.9\tHeavy rain has slowed the harvest \xE2\x80\x94 the \xE2\x80\x9C" "pickers\xE2\x80\x9D "
                       "can\xE2\x80\x99t work.\n1.2\t1.5\tFarmers are waiting.\n",
     made("00:00.150 --> 00:00.950\nHeavy rain has slowed the harvest \xE2\x80\x94 the \xE2\x80\x9C" "pickers\xE2\x80\x9D "
     "can\xE2\x80\x99t work.\n\n00:01.250 --> 00:01.550\nFarmers are waiting.\n\n")},
    {"webVtt", "WEBVTT\n\n1\n00:00.000 --> 00:01.000\nHeavy rain has slowed the harvest \xE2\x80\x94\nthe \xE2\x80\x9C"
               "pickers\xE2\x80\x9D can\xE2\x80\x99t work.\n\n2\n00:01.000 --> 00:01.900\nFarmers are waiting.\n",
     made("00:00.050 --> 00:01.050\nHeavy rain has slowed the harvest \xE2\x80\x94 the \xE2\x80\x9C" "pickers\xE2\x80\x9D "
     "can\xE2\x80\x99t work.\n\n00:01.050 --> 00:01.950\nFarmers are waiting.\n\n")},
    // Word times move with their sentences.
    {"webVttWithWordTimes", "WEBVTT\n\n00:00.000 --> 00:01.000\nHeavy <00:00.300>rain has slowed the harvest "
                            "\xE2\x80\x94 the \xE2\x80\x9C" "pickers\xE2\x80\x9D can\xE2\x80\x99t work.\n\n"
                            "00:01.000 --> 00:01.900\nFarmers <00:01.400>are waiting.\n",
     made("00:00.050 --> 00:01.050\nHeavy <00:00.350>rain has slowed the harvest \xE2\x80\x94 the \xE2\x80\x9C"
          "pickers\xE2\x80\x9D can\xE2\x80\x99t work.\n\n00:01.050 --> 00:01.950\nFarmers <00:01.450>are waiting.\n\n")},
    {"madeByVantrel", kAsPlayed, kAsPlayed},
    {"missingSentence", "0.1\t0.9\tHeavy rain.\n", "src/timings.txt:1: error: "},
    // In the teacher's own times, before the encoder's delay.
    {"overlapping", "0.1\t0.9\tHeavy rain has slowed the harvest \xE2\x80\x94 the \xE2\x80\x9C" "pickers\xE2\x80\x9D "
                    "can\xE2\x80\x99t work.\n0.8\t1.5\tFarmers  are waiting.\n",
     "src/timings.txt:2: error: this sentence starts at 00:00.800, before the sentence before it (line 1) ends at "
     "00:00.900; two sentences' times must not overlap\n"},
    {"beyondTheSound", "WEBVTT\n\n00:00.000 --> 00:01.000\nHeavy rain has slowed the harvest \xE2\x80\x94 the "
                       "\xE2\x80\x9C" "pickers\xE2\x80\x9D can\xE2\x80\x99t work.\n\n00:01.000 --> 00:09.000\nFarmers are waiting.\n",
     "src/timings.txt:6: error: "},
};

class TeachersTimingsTest : public MakerTest, public testing::WithParamInterface<TeachersTimings> {};

// A teacher's timing file is used instead of alignment, moved by the encoder's
// delay unless vantrel-make wrote it; what it makes, given back as it is, comes
// out the same, so rebuilds do not drift. A broken one stops the make at its line.
TEST_P(TeachersTimingsTest, replaceTheAlignment)
{
    makeRecording(src / "a.wav", "wavenc", 2.0);
    story(withStory("audio: a.wav\n", "audio: a.wav\ntimings: timings.txt\n"));
    m_folder.write(src / "timings.txt", GetParam().file);
    const MakeRun run = runMake(dir, "src out");
    if (GetParam().expected.rfind("WEBVTT", 0) == 0) {
        ASSERT_EQ(run.status, 0) << run.err;
        const std::string vtt = readFile(dir / "out" / "STORY01.vtt");
        EXPECT_EQ(vtt, GetParam().expected);
        m_folder.write(src / "timings.txt", vtt);
        const MakeRun again = runMake(dir, "--force src out");
        ASSERT_EQ(again.status, 0) << again.err;
        EXPECT_EQ(readFile(dir / "out" / "STORY01.vtt"), vtt);
    } else {
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(run.err.substr(0, GetParam().expected.size()), GetParam().expected) << run.err;
    }
}

INSTANTIATE_TEST_SUITE_P(, TeachersTimingsTest, testing::ValuesIn(kTeachersTimings),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace

int main(int argc, char **argv)
{
    gst_init(&argc, &argv);
    testing::InitGoogleTest(&argc, argv);
    const int status = RUN_ALL_TESTS();
    gst_deinit();
    return status;
}
