// SPDX-License-Identifier: GPL-3.0-or-later
// Sentences of a transcript, and the timing files that time them.
#include "sentences.h"
#include "timing_file.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

using namespace std::string_literals;
using vantrel::Cue;
using vantrel::TimingError;
using Sentences = std::vector<std::string>;

namespace vantrel {
void PrintTo(const Cue &c, std::ostream *os) { *os << c.line << ": " << c.startMs << " --> " << c.endMs << " " << c.text; }
void PrintTo(const TimingError &e, std::ostream *os) { *os << e.line << ": " << e.message; }
} // namespace vantrel

namespace {

TEST(SplitSentences, breaksOnlyWhereASentenceEnds)
{
    const std::pair<std::string, Sentences> cases[] = {
        {"  It rained.\tFarmers  waited?  Yes! ", {"It rained.", "Farmers waited?", "Yes!"}},
        {"Mr. Hale, Mrs. Hale, Ms. Ode and Dr. Ray met at St. Ann's. Prof. Ito came.",
         {"Mr. Hale, Mrs. Hale, Ms. Ode and Dr. Ray met at St. Ann's.", "Prof. Ito came."}},
        {"J. R. Smith of the U.S. Senate spoke. Prices rose 3.5 per cent.",
         {"J. R. Smith of the U.S. Senate spoke.", "Prices rose 3.5 per cent."}},
        {"It opens at 9 a.m. Monday and shuts at 5 P.M. The mayor came at 6 p.m. and left.",
         {"It opens at 9 a.m. Monday and shuts at 5 P.M.", "The mayor came at 6 p.m. and left."}},
        {"He said \"Stop.\" Then (quietly.) \u201CGo!\u201D \u2018Now?\u2019 Fine.",
         {"He said \"Stop.\"", "Then (quietly.)", "\u201CGo!\u201D", "\u2018Now?\u2019", "Fine."}},
        {"\"Is it safe?\" asked the mayor. Really?! \u00C9lise knew... \u00E9lan.",
         {"\"Is it safe?\" asked the mayor.", "Really?!", "\u00C9lise knew... \u00E9lan."}},
        {"Apples, e.g. Ripe ones, etc. And pears.", {"Apples, e.g. Ripe ones, etc.", "And pears."}},
        {" \t ", {}},
    };
    for (const auto &[transcript, sentences] : cases)
        EXPECT_EQ(vantrel::splitSentences(transcript), sentences) << transcript;
}

const std::vector<Cue> kCues = {{0, 2500, "\u201CRain,\u201D she said.", 7}, {2500, 3599999, "", 10},
                                {3600000, 36000000001, "Late.", 13}};

TEST(WebVtt, writtenCuesReadBackUnchanged)
{
    const std::string written = vantrel::writeWebVtt(kCues);
    EXPECT_EQ(written, "WEBVTT\n\nNOTE\n" + std::string(vantrel::kAsPlayedNote)
                           + "\nGiven back in a story's \"timings:\" line with this note, they are used as they stand.\n\n"
                             "00:00.000 --> 00:02.500\n\u201CRain,\u201D she said.\n\n00:02.500 --> 59:59.999\n\n\n"
                             "01:00:00.000 --> 10000:00:00.001\nLate.\n\n");
    const vantrel::TimingRead read = vantrel::readWebVtt(written);
    EXPECT_EQ(read.cues, kCues);
    EXPECT_EQ(read.errors, std::vector<TimingError>{});
    EXPECT_TRUE(read.asPlayed);
}

// Other tools' files: byte order mark, header, notes, identifiers, settings, line endings;
// only vantrel-make's note, wherever in a NOTE, says the times are as played.
TEST(WebVtt, readsEveryLayoutOfACue)
{
    const std::string note(vantrel::kAsPlayedNote);
    const std::tuple<std::string, int, bool> cases[] = {
        {"WEBVTT\n\n00:01.000 --> 01:00:02.500\nHello\nthere\n", 3, false},
        {"\xEF\xBB\xBFWEBVTT - news\r\nKind: captions\r\n\r\nNOTE by hand\r\n00:00.000\r\n\r\nSTYLE\r\n::cue {}\r\n\r\n"
         "\r\n1\r\n00:01.000\t-->\t01:00:02.500 align:start line:0\r\nHello\r\nthere", 12, false},
        {"WEBVTT\r\rREGION\rid:r\r\r 00:01.000 --> 0001:00:02.500\rHello\rthere\r\r", 6, false},
        {"WEBVTT\r\n\r\nNOTE " + note + "\r\n\r\n00:01.000 --> 01:00:02.500\r\nHello\r\nthere\r\n", 5, true},
        {"WEBVTT\n\n00:01.000 --> 01:00:02.500\nHello\nthere\n\nNOTE\nmended by hand\n  " + note + "\n", 3, true},
        {"WEBVTT\n\nSTYLE\n" + note + "\n\n00:01.000 --> 01:00:02.500\nHello\nthere\n", 6, false},
    };
    for (const auto &[bytes, line, asPlayed] : cases) {
        const vantrel::TimingRead read = vantrel::readWebVtt(bytes);
        EXPECT_EQ(read.cues, (std::vector<Cue>{{1000, 3602500, "Hello there", line}})) << bytes;
        EXPECT_EQ(read.errors, std::vector<TimingError>{}) << bytes;
        EXPECT_EQ(read.asPlayed, asPlayed) << bytes;
    }
}

TEST(WebVtt, reportsWhatIsWrongOnItsLine)
{
    const std::string shape = " is not a time: write it as mm:ss.ttt or hh:mm:ss.ttt, such as 01:02.500";
    const std::string cue = "\n\n00:01.000 --> 00:02.000\nx\n";
    const std::pair<std::string, TimingError> cases[] = {
        {"WEBVTT" + cue + "\xC0\x80\n", {5, "this line is not UTF-8 text; save the file as UTF-8"}},
        {"", {1, "the first line is not \"WEBVTT\", so this is not a WebVTT file"}},
        {"WEBVTTX" + cue, {1, "the first line is not \"WEBVTT\", so this is not a WebVTT file"}},
        {"WEBVTT\n\nNOTE nothing yet\n", {1, "the file holds no timed sentence"}},
        {"WEBVTT\n00:01.000 --> 00:02.000\nx\n", {2, "a blank line must come before the first timed sentence"}},
        {"WEBVTT\n\n1:02.000 --> 00:02.000\n", {3, "the start \"1:02.000\"" + shape}},
        {"WEBVTT\n\n00:00.000 --> 00:02.00\n", {3, "the end \"00:02.00\"" + shape}},
        {"WEBVTT\n\n0:00:00.000 --> 00:02.000\n", {3, "the start \"0:00:00.000\"" + shape}},
        {"WEBVTT\n\n00:00,000 --> 00:02.000\n", {3, "the start \"00:00,000\"" + shape}},
        {"WEBVTT\n\n00:00.000 --> 00:02.000x\n", {3, "the end \"00:02.000x\"" + shape}},
        {"WEBVTT\n\n00:60.000 --> 01:00.000\n", {3, "the start \"00:60.000\" is not a time: seconds run from 00 to 59"}},
        {"WEBVTT\n\n01:60:00.000 --> 01:00.000\n", {3, "the start \"01:60:00.000\" is not a time: minutes run from 00 to 59"}},
        {"WEBVTT\n\n1000000000:00:00.000 --> 01:00.000\n",
         {3, "the start \"1000000000:00:00.000\" is not a time: the hours have more than 9 digits"}},
        {"WEBVTT" + cue + "00:02.000 --> 00:03.000\n",
         {5, "a sentence's text cannot hold \"-->\"; put a blank line before the next sentence's times"}},
        {"WEBVTT\n\nid\nx" + cue, {3, "these lines are neither a timed sentence nor a note: a timed sentence starts "
                                      "with its times, such as \"00:01.000 --> 00:04.500\", or with one line naming "
                                      "it and then its times"}},
    };
    for (const auto &[bytes, error] : cases) {
        const std::vector<TimingError> errors = vantrel::readWebVtt(bytes).errors;
        EXPECT_EQ(errors.empty() ? TimingError{} : errors.front(), error) << bytes;
    }
}

// Word times as WebVTT cue timestamps: taken out of the text, with hours or
// without, on any of a cue's lines, some words timed and others not; other
// tags stay text; a malformed time is reported on its line.
TEST(WebVtt, readsAndWritesWordTimes)
{
    using vantrel::WordStart;
    const std::string head = "WEBVTT\n\n00:01.000 --> 00:04.000\n";
    const std::tuple<std::string, std::string, std::vector<WordStart>, std::vector<TimingError>> cases[] = {
        {"The <00:01.240>second <00:00:01.610>sentence", "The second sentence", {{1240, 4, 4}, {1610, 11, 4}}, {}},
        {"Some words <01:00:02.000>timed\nand <00:03.500>others", "Some words timed and others",
         {{3602000, 11, 4}, {3500, 21, 5}}, {}},
        {"Not <b>bold</b> <v Ann>or <a.b>", "Not <b>bold</b> <v Ann>or <a.b>", {}, {}},
        {"Open <00:02.000 and 1 < 2 <>", "Open <00:02.000 and 1 < 2 <>", {}, {}},
        {"Bad <00:02.00>time <1:02.000>here", "Bad time here", {},
         {{4, "the word time \"00:02.00\" is not a time: write it as mm:ss.ttt or hh:mm:ss.ttt, such as 01:02.500"},
          {4, "the word time \"1:02.000\" is not a time: write it as mm:ss.ttt or hh:mm:ss.ttt, such as 01:02.500"}}},
    };
    for (const auto &[text, plain, words, errors] : cases) {
        const vantrel::TimingRead read = vantrel::readWebVtt(head + text + "\n");
        ASSERT_EQ(read.cues.size(), 1u) << text;
        EXPECT_EQ(read.cues[0].text, plain) << text;
        EXPECT_EQ(read.cues[0].words, words) << text;
        EXPECT_EQ(read.errors, errors) << text;
    }
    const std::vector<Cue> timed = {{1000, 4000, "The second sentence", 7, {{1240, 4, 8}, {3601610, 11, 8}}}};
    const std::string written = vantrel::writeWebVtt(timed);
    EXPECT_NE(written.find("\nThe <00:01.240>second <01:00:01.610>sentence\n"), std::string::npos) << written;
    EXPECT_EQ(vantrel::readWebVtt(written).cues, timed);
}

TEST(AudacityLabels, readLabelsToTheNearestMillisecond)
{
    const vantrel::TimingRead read = vantrel::readAudacityLabels(
        "0.000000\t1.2345\tFirst one\r\n\\\t100.0\t2000.0\r\n\r\n1,2345\t2,9995\t\r\n3\t4\r\n5.x\t6\tBad\r\n7");
    EXPECT_EQ(read.cues, (std::vector<Cue>{{0, 1235, "First one", 1}, {1235, 3000, "", 4}, {3000, 4000, "", 5}}));
    EXPECT_EQ(read.errors, (std::vector<TimingError>{
                               {6, "the label's start \"5.x\" is not a time in seconds, such as 1.250"},
                               {7, "a label line holds its start, end and text, separated by tabs; this one has no tab"}}));
}

// A teacher's times against the transcript: spacing aside, the texts must
// agree, and the times must run forward within the recording.
TEST(CheckCues, tellsTheTeacherWhatIsWrongWithTheTimes)
{
    const Sentences two = {"It rained.", "Farmers  waited."};
    const std::tuple<std::vector<Cue>, std::int64_t, std::vector<TimingError>> cases[] = {
        {{{0, 900, " It  rained.\t", 2}, {1000, 2000, "Farmers waited.", 5}}, 2000, {}},
        {{{0, 900, "It rained.", 2}, {800, 2000, "Farmers waited.", 5}}, 2000,
         {{5, "this sentence starts at 00:00.800, before the sentence before it (line 2) ends at 00:00.900; two "
              "sentences' times must not overlap"}}},
        {{{900, 900, "It rained.", 2}, {1000, 2001, "Farmers waited.", 5}}, 2000,
         {{2, "this sentence ends where it starts, at 00:00.900; it must end after it starts"},
          {5, "this sentence ends at 00:02.001, after the end of the recording, which lasts 00:02.000"}}},
        {{{0, 900, "It rained.", 2}}, 2000,
         {{2, "the file ends after 1 timed sentence, but the transcript has 2 sentences; the next one is "
              "\"Farmers  waited.\""}}},
        {{{0, 900, "It rained.", 2}, {1000, 1500, "Farmers wanted.", 5}, {1600, 1700, "x", 8}}, 2000,
         {{5, "the text timed here is not sentence 2 of the transcript: it has \"Farmers wanted.\" where the "
              "transcript has \"Farmers waited.\""},
          {8, "this is timed sentence 3, but the transcript has 2 sentences; time each sentence once"}}},
    };
    for (const auto &[cues, lengthMs, errors] : cases)
        EXPECT_EQ(vantrel::checkCues(cues, two, lengthMs), errors) << testing::PrintToString(cues);
}

// Word times inside their cue, in order, each before a word; a cue without
// them is as good.
TEST(CheckCues, wordTimesStandInsideTheirSentenceInOrder)
{
    const Sentences one = {"Farmers waited for rain."};
    const std::string text = one[0];
    const std::pair<std::vector<vantrel::WordStart>, std::vector<TimingError>> cases[] = {
        {{}, {}},
        {{{1200, 8, 3}, {1500, 15, 3}, {1900, 19, 4}}, {}},
        {{{1200, 9, 3}}, {{3, "the word time 00:01.200 does not stand just before a word: put it after a space, "
                                "before the word it times"}}},
        {{{1000, 8, 3}}, {{3, "the word time 00:01.000 is not after this sentence's start, 00:01.000; its first "
                                "word starts with it and needs no time"}}},
        {{{3000, 8, 3}}, {{3, "the word time 00:03.000 is not before this sentence's end, 00:03.000"}}},
        {{{1500, 8, 3}, {1500, 15, 4}, {1400, 19, 4}},
         {{4, "the word time 00:01.500 does not come after the word time before it, 00:01.500"},
          {4, "the word time 00:01.400 does not come after the word time before it, 00:01.500"}}},
        {{{1500, 0, 3}, {1600, text.size(), 3}},
         {{3, "the word time 00:01.500 does not stand just before a word: put it after a space, before the word "
              "it times"},
          {3, "the word time 00:01.600 does not stand just before a word: put it after a space, before the word "
              "it times"}}},
    };
    for (const auto &[words, errors] : cases)
        EXPECT_EQ(vantrel::checkCues({{1000, 3000, text, 2, words}}, one, 5000), errors) << words.size();
}

} // namespace
