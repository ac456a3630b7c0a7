// SPDX-License-Identifier: GPL-3.0-or-later
// The .story reader on what editors write: encodings, and characters that a
// story cannot hold, told in plain words with a way around them.
#include "cp1252.h"
#include "plain_spelling.h"
#include "story_source.h"
#include "story_text.h"
#include "text.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

TEST(TeachersText, isDecodedFromWhatEditorsSave)
{
    const std::pair<std::string, std::optional<std::string>> cases[] = {
        {"\xEF\xBB\xBFtitle: x\r\n", "title: x\r\n"},
        {std::string("\xFF\xFEt\0\xE9\0\n\0=\xD8\x00\xDE", 12), "t\xC3\xA9\n\xF0\x9F\x98\x80"},  // a pair: U+1F600
        {std::string("\xFE\xFF\0t\x20\x13", 6), "t\xE2\x80\x93"},
        {std::string("\xFF\xFEt\0\0", 5), std::nullopt},                    // an odd length
        {std::string("\xFF\xFE\x3D\xD8t\0", 6), std::nullopt},              // a lone surrogate
        {std::string("\xFF\xFE\0\0t\0\0\0", 8), std::nullopt},              // UTF-32
        {std::string("t\0i\0", 4), std::nullopt},                           // UTF-16 without its mark
        {"\xE9\n\xE9\n\xE9\n", "\xE9\n\xE9\n\xE9\n"},                        // left for the lines to tell
        {"\xE9\n\xE9\n\xE9\n\xE9", std::nullopt},
    };
    for (const auto &[bytes, text] : cases)
        EXPECT_EQ(vantrel::decodeTeachersText(bytes), text) << testing::PrintToString(bytes);
}

// Every plainer spelling stands for a character the story cannot hold, and
// can itself be held.
TEST(PlainSpelling, replacesOnlyWhatCannotBeWritten)
{
    int spelled = 0;
    for (char32_t c = 0x20; c < 0x10000; ++c) {
        const std::string_view plain = vantrel::plainSpelling(c);
        if (plain.empty() || (c >= 0xD800 && c <= 0xDFFF))
            continue;
        ++spelled;
        EXPECT_FALSE(vantrel::narrowToCp1252(vantrel::utf8Of(c)).problems.empty()) << std::hex << static_cast<unsigned>(c);
        EXPECT_TRUE(vantrel::narrowToCp1252(plain).problems.empty()) << std::hex << static_cast<unsigned>(c);
    }
    EXPECT_GT(spelled, 100);
}

TEST(StorySource, namesWhatCannotBeShownInPlainWords)
{
    const std::pair<std::string, std::string> cases[] = {
        {"\xC5\x81\xC3\xB3" "d\xC5\xBA", "this letter can't be shown in a story: \xC5\x81 (column 8); use L"},
        {"Pe\xC5\x9F", "this letter can't be shown in a story: \xC5\x9F (column 10); use s"},
        {"Erd\xC5\x91s", "this letter can't be shown in a story: \xC5\x91 (column 11); use o"},
        {"A \xE2\x86\x92 B", "this character can't be shown in a story: \xE2\x86\x92 (column 10); use ->"},
        {"\xCE\xB1", "this character can't be shown in a story: \xCE\xB1 (column 8); use another character"},
        {"5\xE2\x80\xAF%", "this kind of space can't be shown in a story (column 9); use an ordinary space"},
        {"a\tb", "a tab in column 9; use spaces instead"},
        {"a\x07" "b", "an invisible character in column 9 that a story can't hold; delete it"},
        {"a\xE2\x80\x8B" "b", "an invisible character in column 9 that a story can't hold; delete it"},
        {"Caf\xE9", "the character in column 11 is not saved as UTF-8; save the file with the encoding \"UTF-8\""},
    };
    for (const auto &[title, message] : cases) {
        const vantrel::ParsedStory parsed = vantrel::parseStorySource("title: " + title + "\n");
        ASSERT_FALSE(parsed.errors.empty()) << title;
        EXPECT_EQ(parsed.errors.front().line, 1);
        EXPECT_EQ(parsed.errors.front().message, message);
    }
    // Ž and … are Windows-1252's own.
    EXPECT_TRUE(vantrel::narrowToCp1252("\xC5\xBD\xC5\xBE\xE2\x80\xA6").problems.empty());
}

} // namespace
