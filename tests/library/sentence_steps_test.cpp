// SPDX-License-Identifier: GPL-3.0-or-later
#include "sentence_steps.h"
#include "timing_file.h"

#include <gtest/gtest.h>

using vantrel::SentenceSteps;
using vantrel::TimedWord;

namespace vantrel {
void PrintTo(const TimedWord &w, std::ostream *out) { *out << w.startMs << " ms at " << w.at << "+" << w.length; }
} // namespace vantrel

namespace {

// Three sentences: a pause between the first two, none between the last two.
const SentenceSteps kStory({{500, 2000}, {2600, 4000}, {4000, 6000}});

struct Moment {
    std::int64_t positionMs;
    int current, next, previous, endingAfter;
};

const Moment kMoments[] = {
    {0, 0, 1, 0, 0},       // before any sound: the first; Previous repeats it
    {500, 0, 1, 0, 0},     // its first sound
    {1999, 0, 1, 0, 0},
    {2000, 0, 1, 0, 1},    // in the pause: the one heard last, which has ended
    {2599, 0, 1, 0, 1},
    {2600, 1, 2, 0, 1},
    {4000, 2, 2, 1, 2},    // where one ends and the next starts, the next
    {5999, 2, 2, 1, 2},
    {6000, 2, 2, 1, -1},   // after the last: Next repeats it, nothing left to end
    {99000, 2, 2, 1, -1},
};

TEST(SentenceSteps, knowsWhereThePlayerStandsAndWhereAStepGoes)
{
    for (const Moment &m : kMoments) {
        const int current = kStory.current(m.positionMs);
        EXPECT_EQ(current, m.current) << m.positionMs;
        EXPECT_EQ(kStory.next(current), m.next) << m.positionMs;
        EXPECT_EQ(kStory.previous(current), m.previous) << m.positionMs;
        EXPECT_EQ(kStory.endingAfter(m.positionMs), m.endingAfter) << m.positionMs;
    }
}

TEST(SentenceSteps, oneSentenceOrNone)
{
    const SentenceSteps one({{0, 1000}});
    EXPECT_EQ(one.next(one.current(500)), 0);
    EXPECT_EQ(one.previous(one.current(500)), 0);
    const SentenceSteps none;
    EXPECT_EQ(none.current(0), -1);
    EXPECT_EQ(none.endingAfter(0), -1);
}

} // namespace

// The word arithmetic of a cue with some words timed: a word without a time
// goes with the one before; a time at the very start names the first word;
// places are in the sentence as the story has it, its spaces single.
TEST(WordSteps, knowWhichWordIsHeardAndWhereAClickLands)
{
    const vantrel::TimingRead read = vantrel::readWebVtt(
        "WEBVTT\n\n00:01.000 --> 00:03.000\nThe <00:01.240>second <00:01.610>sentence, in the  <00:02.100>end.\n");
    ASSERT_EQ(read.cues.size(), 1u);
    const std::vector<TimedWord> words = vantrel::timedWords(read.cues[0]);
    const std::vector<TimedWord> expected = {{1000, 0, 3}, {1240, 4, 6}, {1610, 11, 16}, {2100, 28, 4}};
    EXPECT_EQ(words, expected);
    EXPECT_EQ(read.cues[0].text.substr(11, 16), "sentence, in the");

    const std::pair<std::int64_t, int> heard[] = {{999, -1},  {1000, 0}, {1239, 0}, {1240, 1}, {1609, 1},
                                                  {1610, 2},  {2099, 2}, {2100, 3}, {2999, 3}, {3000, -1}};
    for (const auto &[ms, word] : heard)
        EXPECT_EQ(vantrel::wordAtTime(words, 3000, ms), word) << ms;
    const std::pair<std::size_t, int> clicked[] = {{0, 0}, {3, 0}, {4, 1}, {10, 1}, {11, 2}, {27, 2}, {28, 3}, {99, 3}};
    for (const auto &[at, word] : clicked)
        EXPECT_EQ(vantrel::wordAtText(words, at), word) << at;
    EXPECT_EQ(vantrel::wordEndMs(words, 0, 3000), 1240);
    EXPECT_EQ(vantrel::wordEndMs(words, 3, 3000), 3000);

    vantrel::Cue firstTimed = read.cues[0];
    firstTimed.words = {{1050, 0, 0}, {1240, 4, 0}};
    EXPECT_EQ(vantrel::timedWords(firstTimed), (std::vector<TimedWord>{{1050, 0, 3}, {1240, 4, 28}}));
    EXPECT_TRUE(vantrel::timedWords({1000, 3000, "No word times.", 0}).empty());
    EXPECT_EQ(vantrel::wordAtTime({}, 3000, 1500), -1);
    EXPECT_EQ(vantrel::wordAtText({}, 0), -1);
}
