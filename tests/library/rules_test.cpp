// SPDX-License-Identifier: GPL-3.0-or-later
// The pure rules: line endings, story blocks, the answer key, hearing time, code page.
#include "cp1252.h"
#include "hearing.h"
#include "story_block.h"
#include "story_lines.h"

#include <gtest/gtest.h>

#include <limits>
#include <stdexcept>
#include <string>
#include <vector>

using namespace std::string_literals;
using vantrel::StoryLines;

namespace {

TEST(LineEndingRule, splitsIntoExpectedLinesAndLeavesTheRestEmpty)
{
    const struct { const char *name; std::string bytes; std::vector<std::string> lines; } cases[] = {
        {"emptyFile", "", {}}, {"lastLineNeedsNoEnding", "a\rb", {"a", "b"}}, {"finalCrGivesNoExtraLine", "a\r", {"a"}},
        {"finalCrLfGivesNoExtraLine", "a\r\nb\r\n", {"a", "b"}}, {"bareLfStaysInText", "a\n\nb\n", {"a\n\nb\n"}},
        {"lfBeforeCrStaysInText", "a\n\rb", {"a\n", "b"}}, {"onlyOneLfBelongsToTheEnding", "a\r\n\nb", {"a", "\nb"}},
        {"emptyLinesCountCrLf", "\r\n\r\n", {"", ""}}, {"emptyLinesCountCr", "a\r\r\rb", {"a", "", "", "b"}},
        {"singleCr", "\r", {""}}, {"textKeptVerbatim", " \"Hi, there\" ,\t\r", {" \"Hi, there\" ,\t"}},
        {"nulIsText", "a\0b\r\0"s, {"a\0b"s, "\0"s}}};
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        const StoryLines lines = StoryLines::parse(c.bytes);
        ASSERT_EQ(lines.suppliedCount(), static_cast<int>(c.lines.size()));
        for (int n = 1; n <= vantrel::kLineCount; ++n)
            EXPECT_EQ(lines.line(n), n <= lines.suppliedCount() ? c.lines[n - 1] : "") << "line " << n;
    }
}

TEST(StoryLines, lineNumbersOutsideTheFileThrow)
{
    StoryLines lines;
    EXPECT_THROW(lines.line(0), std::out_of_range);
    EXPECT_THROW(lines.line(386), std::out_of_range);
    EXPECT_THROW(lines.setLine(386, "x"), std::out_of_range);
    EXPECT_THROW(vantrel::blockBase(0), std::out_of_range);
    EXPECT_THROW(vantrel::blockBase(13), std::out_of_range);
    EXPECT_THROW(vantrel::StoryBlock::read(lines, 362), std::out_of_range);
}

// Presence depends on line 1 of the block only.
TEST(StoryBlock, isPresentByItsAudioName)
{
    const struct { const char *audio, *title; bool present; } cases[] = {
        {"NEWS12", "Title 12", true}, {" ", "", true}, {"", "A title", false}};
    for (const auto &c : cases) {
        StoryLines lines;
        lines.setLine(265, c.audio);
        lines.setLine(266, c.title);
        const vantrel::StoryBlock block = vantrel::StoryBlock::ofSlot(lines, 12);
        EXPECT_EQ(block.isPresent(), c.present) << '"' << c.audio << '"';
        EXPECT_EQ(block.title, c.title);
        EXPECT_FALSE(vantrel::StoryBlock::ofSlot(lines, 11).isPresent());
    }
}

// Each field on its line of the file's layout, written and read back alike.
TEST(StoryBlock, fieldsStandOnTheirLines)
{
    vantrel::StoryBlock block{"NEWS02", "Title", "Transcript", {}};
    for (std::size_t q = 0; q < 3; ++q) {
        block.questions[q].text = "Q" + std::to_string(q + 1);
        for (std::size_t a = 0; a < 3; ++a)
            block.questions[q].answers[a] = {block.questions[q].text + char('A' + a), a == q ? "*" : ""};
    }
    const StoryLines lines = StoryLines::parse(block.bytes() + block.bytes());
    const std::pair<int, std::string> expected[] = {{25, "NEWS02"}, {26, "Title"}, {27, "Transcript"}, {28, "Q1"},
                                                    {29, "Q1A"}, {30, "*"}, {31, "Q1B"}, {33, "Q1C"}, {35, "Q2"},
                                                    {38, "Q2B"}, {39, "*"}, {42, "Q3"}, {47, "Q3C"}, {48, "*"}};
    for (const auto &[n, text] : expected)
        EXPECT_EQ(lines.line(n), text) << "line " << n;
    EXPECT_EQ(lines.suppliedCount(), 48);
    EXPECT_EQ(vantrel::StoryBlock::ofSlot(lines, 2), block);
}

TEST(AnswerKey, onlyALoneAsteriskIsCorrect)
{
    EXPECT_TRUE(vantrel::isCorrectKey("*"));
    for (const std::string &key : {""s, " *"s, "* "s, "**"s, "x"s, "\t*"s, "*\n"s, "\0*"s})
        EXPECT_FALSE(vantrel::isCorrectKey(key)) << '"' << key << '"';
}

// A quarter of the size, rounded half to even, exact beyond double precision.
TEST(HearingDelay, isQuarterOfSizeRoundedHalfToEven)
{
    constexpr std::uintmax_t kMax = std::numeric_limits<std::uintmax_t>::max(), k58 = std::uintmax_t{1} << 58;
    const std::pair<std::uintmax_t, std::uintmax_t> cases[] = {
        {0, 0}, {1, 0}, {2, 0}, {3, 1}, {4, 1}, {5, 1}, {6, 2}, {7, 2}, {10, 2}, {14, 4}, {120000, 30000},
        {262141, 65535}, {262142, 65536}, {4 * k58 + 2, k58}, {4 * k58 + 6, k58 + 2}, {kMax, kMax / 4 + 1}};
    for (const auto &[bytes, delayMs] : cases)
        EXPECT_EQ(vantrel::hearingDelayMs(bytes), delayMs) << bytes << " bytes";
}

// ASCII and Latin-1 pass through; code page characters; undefined ones keep their value.
TEST(Cp1252, widensByteToCodePoint)
{
    const std::pair<unsigned char, char16_t> cases[] = {
        {0x00, 0x00}, {0x0A, 0x0A}, {0x41, u'A'}, {0x7F, 0x7F}, {0xA0, 0xA0}, {0xE9, 0xE9}, {0xFF, 0xFF},
        {0x80, u'\u20AC'}, {0x8E, u'\u017D'}, {0x92, u'\u2019'}, {0x93, u'\u201C'}, {0x97, u'\u2014'},
        {0x9F, u'\u0178'}, {0x81, 0x81}, {0x8D, 0x8D}, {0x8F, 0x8F}, {0x90, 0x90}, {0x9D, 0x9D}};
    for (const auto &[byte, expected] : cases)
        EXPECT_EQ(vantrel::widenCp1252(std::string(1, static_cast<char>(byte))), std::u16string(1, expected))
            << static_cast<int>(byte);
}

// Narrowing undoes the widening of every printable byte; controls, undefined
// bytes, what the code page lacks and what is not UTF-8 are named by column.
TEST(Cp1252, narrowsBackWhatItCanHold)
{
    const std::string kUnwritable = "\x7F\x81\x8D\x8F\x90\x9D";
    for (int byte = 0x20; byte <= 0xFF; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        const vantrel::NarrowedLine line = vantrel::narrowToCp1252(vantrel::utf8FromCp1252(one));
        EXPECT_EQ(line.problems.empty(), kUnwritable.find(one) == std::string::npos) << byte;
        EXPECT_EQ(line.bytes, line.problems.empty() ? one : "?") << byte;
    }
    EXPECT_EQ(vantrel::narrowToCp1252("\xC5\xBD\xE2\x80\xA6 \xC3\xA9").bytes, "\x8E\x85 \xE9");
    const struct { std::string utf8; std::size_t column; char32_t codePoint; } cases[] = {
        {"a\tb", 2, U'\t'}, {"\xC3\xA9\xC5\x81", 2, U'\u0141'}, {"\xE2\x86\x92", 1, U'\u2192'},
        {"ab\xE9", 3, 0}, {"\xC0\xAF", 1, 0}, {"\xED\xA0\x80", 1, 0}};
    for (const auto &c : cases) {
        const vantrel::NarrowedLine line = vantrel::narrowToCp1252(c.utf8);
        ASSERT_FALSE(line.problems.empty()) << c.utf8;
        EXPECT_EQ(line.problems[0].column, c.column) << c.utf8;
        EXPECT_EQ(line.problems[0].codePoint, c.codePoint) << c.utf8;
        EXPECT_EQ(line.problems[0].notUtf8, c.codePoint == 0) << c.utf8;
    }
}

} // namespace
