// SPDX-License-Identifier: GPL-3.0-or-later
#include "library_layout.h"
#include "maker_test_support.h"
#include "story_file.h"
#include "story_lines.h"
#include "story_source.h"

using namespace maker_test;

namespace {

// Transcript lines are joined with single spaces, and typographic marks
// become their Windows-1252 bytes.
TEST(StorySource, readsTheTeachersFormat)
{
    const vantrel::ParsedStory parsed = vantrel::parseStorySource("\xEF\xBB\xBF" + validStory("Rain", "a.wav"));
    ASSERT_TRUE(parsed.errors.empty()) << parsed.errors.front().message;
    EXPECT_EQ(parsed.story.transcript.bytes,
              "Heavy rain has slowed the harvest \x97 the \x93pickers\x94 can\x92t work. Farmers are waiting.");
    EXPECT_EQ(parsed.story.questions[2].text.bytes, "What do they hope for?");
    EXPECT_TRUE(parsed.story.questions[1].answers[2].correct);
    EXPECT_FALSE(parsed.story.questions[1].answers[0].correct);
}

// The laid-out file is one Vantrel accepts, with each story in its slot.
TEST(StorySource, laysStoriesIntoSlots)
{
    const vantrel::StorySource story = vantrel::parseStorySource(validStory("Rain", "a.wav")).story;
    const vantrel::LaidOutLibrary library = vantrel::layOutLibrary({story, story});
    EXPECT_GE(library.bytes.size(), vantrel::kMinStoryFileSize);
    EXPECT_LE(library.bytes.size(), vantrel::kMaxStoryFileSize);
    const vantrel::StoryLines lines = vantrel::StoryLines::parse(library.bytes);
    EXPECT_EQ(lines.line(25), vantrel::audioNameOf(2));
    EXPECT_EQ(vantrel::title(lines, 2), "Rain");
    EXPECT_TRUE(vantrel::isCorrectKey(lines.line(24 + 8)));  // the right answer of question 1
    EXPECT_FALSE(vantrel::isPresent(lines, 3));
}

} // namespace
