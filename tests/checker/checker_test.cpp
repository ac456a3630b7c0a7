// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli.h"
#include "test_library.h"
#include "timing_file.h"

#include <functional>
#include <sstream>

using namespace checker_test;
using namespace std::string_literals;

namespace {

// Checked, or mended with --fit (which writes only when the size is the one error).
enum Run { Check, FitRefused, Fitted };

struct BrokenLibrary {
    const char *name;
    std::function<void(StoryLibrary &)> breakIt;
    std::vector<std::string> expected;  // every line of the report, summary included
    int status;
    Run run = Check;
};

// Story 2 told in three sentences (Windows-1252 quotes), and a timing file
// that fits it and its 6 s recording, written as authors do, in UTF-8.
const std::string kTimedTranscript = "Dr. Ann Lee spoke at 6 p.m. on Monday. \x93Is it safe?\x94 asked J. Smith. It is!";
const std::string kTiming = "WEBVTT\n\n00:00.000 --> 00:02.500\nDr. Ann Lee spoke\nat 6 p.m. on Monday.\n\n"
                            "00:02.500 --> 00:04.000\n\u201CIs it safe?\u201D asked J. Smith.\n\n"
                            "00:04.200 --> 00:06.000\nIt is!\n";

// Story 2 with that timing file, `from` replaced by `to` in it.
void timed(StoryLibrary &l, const std::string &from = "", const std::string &to = "")
{
    std::string timing = kTiming;
    if (!from.empty())
        timing.replace(timing.find(from), from.size(), to);
    l.line(27, kTimedTranscript);
    l.files["NEWS02.vtt"] = timing;
}

const BrokenLibrary kBrokenLibraries[] = {
    {"oneByteShort", [](StoryLibrary &l) { l.size = 8859; },
     {"vtl.txt:1: error: the file is 8859 bytes, 1 too few; it must be 8860 to 8868 bytes "
      "(vantrel-check --fit can pad the unused lines after line 288)", "1 error, 0 warnings"}, 1},
    {"audioNamedInOtherCase",
     [](StoryLibrary &l) {
         l.files["news02.mp3"] = l.files["NEWS02.MP3"];
         l.files.erase("NEWS02.MP3");
     },
     {"vtl.txt:25: error: story 2: audio file \"NEWS02.MP3\" is missing (there is \"news02.mp3\"; "
      "the name must match line 1 exactly, followed by \".MP3\" in capitals)", "1 error, 0 warnings"}, 1},
    {"audioEmpty", [](StoryLibrary &l) { l.files["NEWS03.MP3"] = ""; },
     {"vtl.txt:49: error: story 3: audio file \"NEWS03.MP3\" is empty", "1 error, 0 warnings"}, 1},
    {"audioTooShortForAHearing", [](StoryLibrary &l) { l.files["NEWS03.MP3"] = "ID"; },
     {"vtl.txt:49: error: story 3: audio file \"NEWS03.MP3\" is only 2 bytes, so a hearing of it would last 0 ms",
      "1 error, 0 warnings"}, 1},
    {"keyWithLeadingSpace", [](StoryLibrary &l) { l.line(6, " *"); },
     {"vtl.txt:4: error: story 1: question 1 has no answer keyed exactly \"*\", so it can never be solved",
      "vtl.txt:6: warning: story 1: the key of answer 1A is \" *\"; only an exact \"*\" marks the right answer, "
      "so this one counts as wrong", "1 error, 1 warning"}, 1},
    {"nearMissKeysBesideTheRightOne", [](StoryLibrary &l) { l.line(15, "**").line(17, "* "); },
     {"vtl.txt:15: warning: story 1: the key of answer 2B is \"**\"; only an exact \"*\" marks the right answer, "
      "so this one counts as wrong",
      "vtl.txt:17: warning: story 1: the key of answer 2C is \"* \"; only an exact \"*\" marks the right answer, "
      "so this one counts as wrong", "0 errors, 2 warnings"}, 0},
    {"twoRightAnswers", [](StoryLibrary &l) { l.line(24, "*"); },
     {"vtl.txt:18: warning: story 1: question 3 has 2 answers keyed \"*\" (A and C); any of them counts as right",
      "0 errors, 1 warning"}, 0},
    {"emptyFields", [](StoryLibrary &l) { l.line(74, "").line(75, "").line(83, "").line(93, ""); },
     {"vtl.txt:74: warning: story 4: the title is empty",
      "vtl.txt:75: warning: story 4: the transcript is empty",
      "vtl.txt:83: warning: story 4: question 2 is empty",
      "vtl.txt:93: warning: story 4: answer 3B is empty", "0 errors, 4 warnings"}, 0},
    {"titleWithoutAudioName", [](StoryLibrary &l) { l.line(265, ""); },
     {"vtl.txt:265: warning: story 12: line 1 (the audio name) is empty but the title is not: the story stays "
      "\"unavailable\" at start-up and appears only after a return to the menu", "0 errors, 1 warning"}, 0},
    {"pathSeparators",
     [](StoryLibrary &l) {
         l.line(97, "sounds/NEWS05").line(121, "sounds\\NEWS06");
         l.files["sounds/NEWS05.MP3"] = l.files["NEWS05.MP3"];
         l.files["sounds\\NEWS06.MP3"] = l.files["NEWS06.MP3"];
     },
     {"vtl.txt:97: warning: story 5: the audio name \"sounds/NEWS05\" holds a path separator; "
      "put the MP3 beside vtl.txt and name it without a folder",
      "vtl.txt:121: warning: story 6: the audio name \"sounds\\NEWS06\" holds a path separator; "
      "put the MP3 beside vtl.txt and name it without a folder", "0 errors, 2 warnings"}, 0},
    {"hearingTooLong",
     [](StoryLibrary &l) {
         l.files["NEWS07.MP3"] = frames(kMpeg1At48k, 2730) + std::string(61, '\0');  // 262141 bytes
         l.files["NEWS08.MP3"] = frames(kMpeg1At48k, 3000);
     },
     {"vtl.txt:169: warning: story 8: audio file \"NEWS08.MP3\" is 288000 bytes, so a hearing lasts 72.0 s; "
      "a hearing may last at most 65.5 s (262141 bytes)", "0 errors, 1 warning"}, 0},
    {"bitRateNot32", [](StoryLibrary &l) { l.files["NEWS09.MP3"] = frames(kMpeg1At48k64kbit, 250); },
     {"vtl.txt:193: warning: story 9: audio file \"NEWS09.MP3\" plays for 6.0 s, but its hearing ends after 12.0 s "
      "(size / 4 ms): its sound is 64 kbit/s, not 32; re-encode it at a constant 32 kbit/s", "0 errors, 1 warning"}, 0},
    {"bulkyTag",
     [](StoryLibrary &l) {
         l.files["NEWS10.MP3"] = id3Tag(10000) + frames(kMpeg1At48k, 250);
         l.files["NEWS11.MP3"] = id3Tag(2400) + frames(kMpeg1At48k, 250);  // 10 % exactly: no warning
     },
     {"vtl.txt:217: warning: story 10: audio file \"NEWS10.MP3\" plays for 6.0 s, but its hearing ends after 8.5 s "
      "(size / 4 ms): 10000 of its bytes are not sound (tags, a picture or other data); remove them",
      "0 errors, 1 warning"}, 0},
    {"notMp3", [](StoryLibrary &l) { l.files["NEWS11.MP3"] = std::string(24000, 'x'); },
     {"vtl.txt:241: warning: story 11: audio file \"NEWS11.MP3\" does not look like MP3 audio "
      "(no MPEG audio frames found)", "0 errors, 1 warning"}, 0},
    {"strayLineFeed", [](StoryLibrary &l) { l.line(51, "First part.\nSecond part."); },
     {"vtl.txt:51: warning: this line holds 1 line feed without a carriage return; Vantrel does not end a line "
      "there, so what your editor shows as the next lines belongs to this one and every later line moves up; "
      "use CR LF line endings", "0 errors, 1 warning"}, 0},
    {"bareCarriageReturns", [](StoryLibrary &l) { l.ending = "\r"; }, {"0 errors, 0 warnings"}, 0},
    {"noStoryPresent",
     [](StoryLibrary &l) {
         for (int base = 0; base < 288; base += 24)
             l.line(base + 1, "").line(base + 2, "");
     },
     {"vtl.txt:1: warning: no story is present (line 1 of every block is empty), so every menu entry stays "
      "\"unavailable\"", "0 errors, 1 warning"}, 0},
    // The whole file reads as line 1: slot 1 gets a name it has no audio
    // for and empty fields, every other slot is absent.
    {"unixLineEndings", [](StoryLibrary &l) { l.ending = "\n"; },
     {"vtl.txt:1: warning: the lines end in LF alone (Unix line endings), but Vantrel ends a line only at CR, "
      "so it reads the whole file as one line; save it with Windows (CR LF) line endings",
      "vtl.txt:1: error: story 1: audio file \"NEWS01\\nTitle 1\\nTranscript of Title 1\\nQue...\" cannot be read: "
      "File name too long",
      "vtl.txt:2: warning: story 1: the title is empty",
      "vtl.txt:3: warning: story 1: the transcript is empty",
      "vtl.txt:4: warning: story 1: question 1 is empty",
      "vtl.txt:4: error: story 1: question 1 has no answer keyed exactly \"*\", so it can never be solved",
      "vtl.txt:5: warning: story 1: answer 1A is empty",
      "vtl.txt:7: warning: story 1: answer 1B is empty",
      "vtl.txt:9: warning: story 1: answer 1C is empty",
      "vtl.txt:11: warning: story 1: question 2 is empty",
      "vtl.txt:11: error: story 1: question 2 has no answer keyed exactly \"*\", so it can never be solved",
      "vtl.txt:12: warning: story 1: answer 2A is empty",
      "vtl.txt:14: warning: story 1: answer 2B is empty",
      "vtl.txt:16: warning: story 1: answer 2C is empty",
      "vtl.txt:18: warning: story 1: question 3 is empty",
      "vtl.txt:18: error: story 1: question 3 has no answer keyed exactly \"*\", so it can never be solved",
      "vtl.txt:19: warning: story 1: answer 3A is empty",
      "vtl.txt:21: warning: story 1: answer 3B is empty",
      "vtl.txt:23: warning: story 1: answer 3C is empty", "4 errors, 15 warnings"}, 1},
    {"timingFileFits", [](StoryLibrary &l) { timed(l); }, {"0 errors, 0 warnings"}, 0},
    // vantrel-make's note changes nothing: the last sentence still may end where the MP3 does.
    {"timingFileWithVantrelsNote",
     [](StoryLibrary &l) { timed(l, "WEBVTT\n", "WEBVTT\n\nNOTE\n" + std::string(vantrel::kAsPlayedNote) + "\n"); },
     {"0 errors, 0 warnings"}, 0},
    // Word times: some words timed, on a cue of two lines, are as good as none.
    {"timingWithWordTimes",
     [](StoryLibrary &l) { timed(l, "Ann Lee spoke\nat 6", "Ann <00:00.400>Lee spoke\nat <00:01.100>6"); },
     {"0 errors, 0 warnings"}, 0},
    {"timingWordTimeMalformed", [](StoryLibrary &l) { timed(l, "asked J.", "<00:03.5>asked J."); },
     {"NEWS02.vtt:8: error: the word time \"00:03.5\" is not a time: write it as mm:ss.ttt or hh:mm:ss.ttt, "
      "such as 01:02.500", "1 error, 0 warnings"}, 1},
    {"timingWordTimesOutOfTheirSentence",
     [](StoryLibrary &l) { timed(l, "at 6 p.m. on", "at <00:02.600>6 p.m. <00:01.000>on"); },
     {"NEWS02.vtt:5: error: the word time 00:02.600 is not before this sentence's end, 00:02.500",
      "NEWS02.vtt:5: error: the word time 00:01.000 does not come after the word time before it, 00:02.600",
      "2 errors, 0 warnings"}, 1},
    {"timingHeaderMissing", [](StoryLibrary &l) { timed(l, "WEBVTT", "WEBVTT:"); },
     {"NEWS02.vtt:1: error: the first line is not \"WEBVTT\", so this is not a WebVTT file", "1 error, 0 warnings"}, 1},
    {"timingTimeMalformed", [](StoryLibrary &l) { timed(l, "00:02.500 -->", "00:02.5 -->"); },
     {"NEWS02.vtt:7: error: the start \"00:02.5\" is not a time: write it as mm:ss.ttt or hh:mm:ss.ttt, "
      "such as 01:02.500", "1 error, 0 warnings"}, 1},
    {"timingCuesOverlap", [](StoryLibrary &l) { timed(l, "00:04.200", "00:03.900"); },
     {"NEWS02.vtt:10: error: this sentence starts at 00:03.900, before the sentence before it (line 7) ends at "
      "00:04.000; two sentences' times must not overlap", "1 error, 0 warnings"}, 1},
    {"timingCuesOutOfOrder", [](StoryLibrary &l) { timed(l, "00:04.200 --> 00:06.000", "00:01.000 --> 00:02.000"); },
     {"NEWS02.vtt:10: error: this sentence starts at 00:01.000, before the sentence before it (line 7), which "
      "starts at 00:02.500; the sentences must be timed in the transcript's order", "1 error, 0 warnings"}, 1},
    {"timingBeyondTheRecording", [](StoryLibrary &l) { timed(l, "00:06.000", "00:06.001"); },
     {"NEWS02.vtt:10: error: this sentence ends at 00:06.001, after the end of the recording, which lasts 00:06.000",
      "1 error, 0 warnings"}, 1},
    {"timingCueMissing", [](StoryLibrary &l) { timed(l, "\n00:04.200 --> 00:06.000\nIt is!\n", ""); },
     {"NEWS02.vtt:7: error: the file ends after 2 timed sentences, but the transcript has 3 sentences; the next one "
      "is \"It is!\"",
      "1 error, 0 warnings"}, 1},
    // vtl.txt's findings come first, whatever their lines.
    {"timingTextWrong",
     [](StoryLibrary &l) {
         timed(l, "J. Smith", "J. Smyth");
         l.line(74, "");
     },
     {"vtl.txt:74: warning: story 4: the title is empty",
      "NEWS02.vtt:7: error: the text timed here is not sentence 2 of the transcript: it has \"\u201CIs it safe?\u201D "
      "asked J. Smyth.\" where the transcript has \"\u201CIs it safe?\u201D asked J. Smith.\"", "1 error, 1 warning"}, 1},
    {"timingWithoutRecordingIsNotTimed",
     [](StoryLibrary &l) {
         timed(l, "00:06.000", "00:09.000");
         l.files.erase("NEWS02.MP3");
     },
     {"vtl.txt:25: error: story 2: audio file \"NEWS02.MP3\" is missing", "1 error, 0 warnings"}, 1},
    {"timingFileAFolder", [](StoryLibrary &l) { l.files["NEWS03.vtt/cues"] = ""; },
     {"NEWS03.vtt:1: error: the timing file is a folder, not a file", "1 error, 0 warnings"}, 1},
    {"fitTrims", [](StoryLibrary &l) { l.size = 8900; },
     {"trimmed 36 bytes from the unused lines after line 288: vtl.txt is now 8864 bytes (it was 8900; the old "
      "file is vtl.txt.bak)", "0 errors, 0 warnings"}, 0, Fitted},
    {"fitPadsAndReportsWhatStillIsWrong",
     [](StoryLibrary &l) {
         l.size = 8000;
         l.line(26, "");
     },
     {"padded 864 bytes onto the unused lines after line 288: vtl.txt is now 8864 bytes (it was 8000; the old "
      "file is vtl.txt.bak)",
      "vtl.txt:26: warning: story 2: the title is empty", "0 errors, 1 warning"}, 0, Fitted},
    // It changes nothing a timing file depends on.
    {"fitLeavesTimingErrorsToTheAuthor",
     [](StoryLibrary &l) {
         l.size = 8900;
         timed(l, "It is!", "It was!");
     },
     {"trimmed 36 bytes from the unused lines after line 288: vtl.txt is now 8864 bytes (it was 8900; the old "
      "file is vtl.txt.bak)",
      "NEWS02.vtt:10: error: the text timed here is not sentence 3 of the transcript: it has \"It was!\" where the "
      "transcript has \"It is!\"", "1 error, 0 warnings"}, 1, Fitted},
    {"fitRefusesWithOtherErrors",
     [](StoryLibrary &l) {
         l.size = 8900;
         l.files.erase("NEWS02.MP3");
     },
     {"vtl.txt:1: error: the file is 8900 bytes, 32 too many; it must be 8860 to 8868 bytes "
      "(vantrel-check --fit can trim the unused lines after line 288)",
      "vtl.txt:25: error: story 2: audio file \"NEWS02.MP3\" is missing", "2 errors, 0 warnings",
      "--fit changed nothing: it only mends the size, and vtl.txt has other errors; fix those first"}, 1, FitRefused},
    {"fitRefusesAFittingFile", [](StoryLibrary &l) { l.files.erase("NEWS02.MP3"); },
     {"vtl.txt:25: error: story 2: audio file \"NEWS02.MP3\" is missing", "1 error, 0 warnings",
      "--fit changed nothing: the size of vtl.txt is already within 8860 to 8868 bytes"}, 1, FitRefused},
    {"fitCannotCutIntoStories",
     [](StoryLibrary &l) {
         l.at(3) += std::string(9000 - l.storyPart().size(), 'x');
         l.size = 9000;
     },
     {"vtl.txt:1: error: the file is 9000 bytes, 132 too many; it must be 8860 to 8868 bytes, "
      "but lines 1 to 288 alone take 9000 bytes: shorten the stories by at least 132 bytes", "1 error, 0 warnings",
      "--fit changed nothing: lines 1 to 288 alone take 9000 bytes, so no change after line 288 can bring the "
      "file down to 8868"}, 1, FitRefused},
};

void PrintTo(const BrokenLibrary &library, std::ostream *os) { *os << library.name; }

class BrokenLibraries : public testing::TestWithParam<BrokenLibrary> {};

// A check writes nothing; --fit keeps the old file and lines 1 to 288 byte for byte.
TEST_P(BrokenLibraries, reportEveryProblemOnItsLine)
{
    const BrokenLibrary &c = GetParam();
    StoryDir folder;
    StoryLibrary library;
    c.breakIt(library);
    library.write(folder);
    const auto before = snapshot(folder.dir());

    std::ostringstream out, err;
    const std::string dir = folder.dir().string();
    const int status = vantrel::runVantrelCheck(c.run == Check ? std::vector{dir} : std::vector{"--fit"s, dir}, out, err);

    std::string report;
    for (const std::string &line : c.expected)
        report += line + '\n';
    EXPECT_EQ(out.str(), report);
    EXPECT_EQ(status, c.status);
    EXPECT_EQ(err.str(), "");
    if (c.run != Fitted) {
        EXPECT_EQ(snapshot(folder.dir()), before);
        return;
    }
    const std::string original = library.bytes(), fitted = readFile(folder.dir() / "vtl.txt");
    EXPECT_EQ(readFile(folder.dir() / "vtl.txt.bak"), original);
    EXPECT_EQ(fitted.size(), 8864u);
    EXPECT_EQ(fitted.substr(0, library.storyPart().size()), library.storyPart());
}

INSTANTIATE_TEST_SUITE_P(Table, BrokenLibraries, testing::ValuesIn(kBrokenLibraries),
                         [](const auto &info) { return std::string(info.param.name); });

// What reaches a lesson unharmed must not be reported.
TEST(SampleLibrary, passesWithoutErrorOrWarning)
{
    std::ostringstream out, err;
    EXPECT_EQ(vantrel::runVantrelCheck({VANTREL_SAMPLE_LIBRARY}, out, err), 0);
    EXPECT_EQ(out.str(), "0 errors, 0 warnings\n");
    EXPECT_EQ(err.str(), "");
}

// What cannot be read, and a wrong command line, end with status 2 and one line on the error stream.
TEST(Unreadable, endsWithStatus2)
{
    StoryDir folder;
    const std::string dir = folder.dir().string(), missing = dir + "/missing", sub = dir + "/sub";
    fs::create_directories(sub + "/vtl.txt");
    const struct { std::vector<std::string> args; std::string err; } cases[] = {
        {{missing}, "cannot read folder " + missing + ": No such file or directory"},
        {{dir}, "cannot read " + dir + "/vtl.txt: No such file or directory"},
        {{"--fit", sub}, "cannot read " + sub + "/vtl.txt: is a folder, not a file"},
        {{"--fix"}, "unknown option --fix; see vantrel-check --help"},
        {{"one", "two"}, "one folder at most; see vantrel-check --help"},
        {{"--help", "--fix-me-later"}, "unknown option --fix-me-later; see vantrel-check --help"},
    };
    for (const auto &c : cases) {
        std::ostringstream out, err;
        EXPECT_EQ(vantrel::runVantrelCheck(c.args, out, err), 2) << c.err;
        EXPECT_EQ(err.str(), "vantrel-check: " + c.err + "\n");
        EXPECT_EQ(out.str(), "");
    }
    std::ostringstream out, err;
    EXPECT_EQ(vantrel::runVantrelCheck({"--help"}, out, err), 0);
    EXPECT_NE(out.str().find("8860 to 8868 bytes"), std::string::npos);
}

} // namespace
