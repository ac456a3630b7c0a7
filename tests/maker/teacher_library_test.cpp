// SPDX-License-Identifier: GPL-3.0-or-later
// A teacher's own library of three stories, recorded in two voices, and the
// mistakes teachers make with it: each is found and named where it is.
#include "maker_fixture.h"
#include "recording.h"
#include "timing_file.h"

#include <cstdio>
#include <functional>

namespace fs = std::filesystem;
using namespace vantrel::test;

namespace {

struct Recorded {
    const char *file, *voice;
    std::vector<std::string> sentences;
};

const Recorded kStories[] = {
    {"museum.wav", "en-us+m3",
     {"The museum in Lowbury opened a new hall today.", "It shows a small wooden ship, found in a field by Dr. Hale.",
      "Visitors can see it until the end of May."}},
    {"bus.wav", "en-gb-scotland+f2",
     {"A new bus line will link Drayhill with the train station from Monday.",
      "Buses will leave every twenty minutes from six in the morning until nine at night.",
      "The ride will take about half an hour.", "Tickets cost the same as on the other buses in town."}},
    {"storm.wav", "en-us+m3",
     {"A storm closed the coast road near Fenwater for two hours this morning.",
      "Drivers waited in long lines near the harbour until the wind dropped.",
      "The road is open again tonight, but the town asks drivers to take care."}},
};
const std::vector<double> kPausesMs = {600, 800, 500, 700};

// Story N's file: its sentences one a line from line 5, after a comment,
// the title, the audio line and "transcript:".
std::string storyText(const std::vector<std::string> &sentences, const std::string &audio)
{
    std::string text = "# told by a teacher\ntitle: Story\naudio: " + audio + "\ntranscript:\n";
    for (const std::string &sentence : sentences)
        text += sentence + "\n";
    return text + "\nquestion: Where?\n* Here\n- There\n- Nowhere\nquestion: When?\n- Never\n* Today\n- Later\n"
                  "question: Who?\n- Nobody\n- Everybody\n* The town\n";
}

std::vector<std::string> without(std::vector<std::string> sentences, std::size_t which)
{
    sentences.erase(sentences.begin() + static_cast<std::ptrdiff_t>(which));
    return sentences;
}

class TeacherLibrary : public MakerTest {
public:
    // The three stories as the teacher means them; TRUTH, where each sentence is heard.
    void SetUp() override
    {
        for (const Recorded &story : kStories) {
            truth.push_back(speakStory(src / story.file, story.sentences, kPausesMs, story.voice));
            write(&story - kStories, story.sentences);
        }
    }
    void write(std::ptrdiff_t n, const std::vector<std::string> &sentences, const std::string &audio = {}) const
    {
        story(storyText(sentences, audio.empty() ? kStories[n].file : audio), std::to_string(n + 1) + ".story");
    }
    // Story N recorded without its sentence WHICH; the transcript keeps it.
    void unsaid(std::size_t n, std::size_t which)
    {
        truth[n] = speakStory(src / kStories[n].file, without(kStories[n].sentences, which), kPausesMs, kStories[n].voice);
    }
    // Story N recorded with its sentence WHICH said as INSTEAD; the transcript keeps it.
    void saidAs(std::size_t n, std::size_t which, const std::string &instead)
    {
        std::vector<std::string> sentences = kStories[n].sentences;
        sentences[which] = instead;
        truth[n] = speakStory(src / kStories[n].file, sentences, kPausesMs, kStories[n].voice);
    }
    std::vector<vantrel::Cue> cues(int n) const
    {
        return vantrel::readWebVtt(readFile(dir / "out" / ("STORY0" + std::to_string(n) + ".vtt"))).cues;
    }

    std::vector<std::vector<Span>> truth;
};

struct Mistake {
    const char *name;
    std::function<void(TeacherLibrary &)> make;
    int status;
    std::string firstLine;  // the start of the first line on the error stream; empty: nothing said
    std::function<void(TeacherLibrary &, const MakeRun &)> check;
};
void PrintTo(const Mistake &mistake, std::ostream *out) { *out << mistake.name; }

// The speech the transcript lacks is named, from its first sound to its last
// (in the recording's own seconds), and no sentence's times take it in.
void namesLeftOut(TeacherLibrary &t, const MakeRun &run, int story, std::size_t left)
{
    const Span missing = t.truth[static_cast<std::size_t>(story - 1)][left];
    double from = 0, to = 0;
    const std::size_t at = run.err.find("speaks from ");
    ASSERT_NE(at, std::string::npos) << run.err;
    ASSERT_EQ(std::sscanf(run.err.c_str() + at, "speaks from %lf to %lf s", &from, &to), 2) << run.err;
    EXPECT_NEAR(from * 1000, missing.startMs, 150.0) << run.err;
    EXPECT_NEAR(to * 1000, missing.endMs, 150.0) << run.err;
    for (const vantrel::Cue &cue : t.cues(story)) {
        const double start = static_cast<double>(cue.startMs) - vantrel::kEncoderDelayMs;
        const double end = static_cast<double>(cue.endMs) - vantrel::kEncoderDelayMs;
        EXPECT_TRUE(end <= missing.startMs + 100 || start >= missing.endMs - 100) << cue.text;
    }
}

const Mistake kMistakes[] = {
    {"asMeant", [](TeacherLibrary &) {}, 0, "",
     [](TeacherLibrary &t, const MakeRun &run) {
         EXPECT_NE(run.out.find("made out: 3 stories, no warnings\n"), std::string::npos) << run.out;
         EXPECT_EQ(t.cues(2).size(), 4u);
     }},
    {"sentenceLeftOutOfTheTranscript", [](TeacherLibrary &t) { t.write(1, without(kStories[1].sentences, 1)); }, 0,
     "src/2.story:6: warning: the recording speaks from ",
     [](TeacherLibrary &t, const MakeRun &run) {
         EXPECT_NE(run.err.find(", before \"The ride will take about half an hour.\", but the transcript has nothing "
                                "there; write what is said into the transcript, or cut it from the recording\n"),
                   std::string::npos) << run.err;
         namesLeftOut(t, run, 2, 1);
         EXPECT_NE(run.out.find("made out: 3 stories, 1 warning (above)\n"), std::string::npos) << run.out;
     }},
    {"lastSentenceLeftOut", [](TeacherLibrary &t) { t.write(2, without(kStories[2].sentences, 2)); }, 0,
     "src/3.story:6: warning: the recording speaks from ",
     [](TeacherLibrary &t, const MakeRun &run) {
         EXPECT_NE(run.err.find(", after \"Drivers waited in long lines near the ...\""), std::string::npos) << run.err;
         namesLeftOut(t, run, 3, 2);
     }},
    {"sentenceNeverSaid", [](TeacherLibrary &t) { t.unsaid(0, 1); }, 0,
     "src/1.story:6: warning: the recording does not say \"It shows a small wooden ship, found in a ...\" (it would "
     "come at about ",
     [](TeacherLibrary &t, const MakeRun &run) {
         EXPECT_FALSE(fs::exists(t.dir / "out" / "STORY01.vtt"));
         EXPECT_NE(run.out.find("no sentence timings for 1.story: the recording does not say every sentence"),
                   std::string::npos) << run.out;
     }},
    // Words the recording lacks would be squeezed into no time: the sentence
    // keeps its times, but gets no word times, and the teacher is told.
    {"wordsLeftOutOfASentence", [](TeacherLibrary &t) { t.saidAs(2, 1, "Drivers waited near the harbour."); }, 0,
     "src/3.story:6: warning: no word times for \"Drivers waited in long lines near the ...\": ",
     [](TeacherLibrary &t, const MakeRun &run) {
         EXPECT_NE(run.err.find("not seem to say it word for word (one word would last "), std::string::npos)
             << run.err;
         EXPECT_NE(run.err.find(" ms); its sentence times stay\n"), std::string::npos) << run.err;
         const std::vector<vantrel::Cue> cues = t.cues(3);
         ASSERT_EQ(cues.size(), 3u);
         EXPECT_TRUE(cues[1].words.empty());
         EXPECT_FALSE(cues[0].words.empty() || cues[2].words.empty());
     }},
    {"anotherStorysRecording", [](TeacherLibrary &t) { t.write(2, kStories[2].sentences, "museum.wav"); }, 1,
     "src/3.story:3: error: this recording does not seem to be of this story, or the transcript leaves much of it out: ",
     [](TeacherLibrary &t, const MakeRun &run) {
         EXPECT_NE(run.err.find("use --no-timings)\n"), std::string::npos) << run.err;
         EXPECT_FALSE(fs::exists(t.dir / "out"));
         EXPECT_EQ(runMake(t.dir, "--no-timings src out").status, 0);
     }},
    {"savedAsUnicodeAndWithAMark",
     [](TeacherLibrary &t) {
         t.story(utf16(storyText(kStories[0].sentences, kStories[0].file), false), "1.story");
         t.story("\xEF\xBB\xBF" + storyText(kStories[1].sentences, kStories[1].file), "2.story");
     },
     0, "", [](TeacherLibrary &t, const MakeRun &) { EXPECT_EQ(t.cues(1).size(), 3u); }},
    // The timing file made, given back as the story's own, comes out the same to the millisecond.
    {"rebuiltFromItsOwnTimings",
     [](TeacherLibrary &t) {
         ASSERT_EQ(runMake(t.dir, "src made").status, 0);
         fs::copy_file(t.dir / "made" / "STORY02.vtt", t.src / "bus.vtt");
         std::string text = storyText(kStories[1].sentences, kStories[1].file);
         t.story(text.insert(text.find("transcript:"), "timings: bus.vtt\n"), "2.story");
     },
     0, "",
     [](TeacherLibrary &t, const MakeRun &) {
         EXPECT_EQ(readFile(t.dir / "out" / "STORY02.vtt"), readFile(t.dir / "made" / "STORY02.vtt"));
     }},
    {"namedByNotepad",
     [](TeacherLibrary &t) {
         fs::rename(t.src / "3.story", t.src / "3.story.txt");
     },
     0, "", [](TeacherLibrary &t, const MakeRun &) { EXPECT_EQ(t.cues(3).size(), 3u); }},
};

class TeacherMistake : public TeacherLibrary, public testing::WithParamInterface<Mistake> {};

TEST_P(TeacherMistake, isFoundWhereItIs)
{
    GetParam().make(*this);
    const MakeRun run = runMake(dir, "src out");
    EXPECT_EQ(run.status, GetParam().status) << run.err;
    EXPECT_EQ(run.err.substr(0, GetParam().firstLine.size()), GetParam().firstLine) << run.err;
    if (GetParam().firstLine.empty()) {
        EXPECT_EQ(run.err, "");
    }
    GetParam().check(*this, run);
}

INSTANTIATE_TEST_SUITE_P(, TeacherMistake, testing::ValuesIn(kMistakes),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
