// SPDX-License-Identifier: GPL-3.0-or-later
#include "sentence_steps.h"

#include <gtest/gtest.h>

using vantrel::SentenceSteps;

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
