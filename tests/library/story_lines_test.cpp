// SPDX-License-Identifier: GPL-3.0-or-later
#include "story_lines.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

using namespace std::string_literals;
using vantrel::StoryLines;

namespace {

std::string joinLines(int count, const std::string &ending)
{
    std::string bytes;
    for (int n = 1; n <= count; ++n)
        bytes += "line " + std::to_string(n) + ending;
    return bytes;
}

struct SplitCase {
    const char *name;
    std::string bytes;
    std::vector<std::string> lines;
};
// Test names show the case, not its bytes.
void PrintTo(const SplitCase &c, std::ostream *os) { *os << c.name; }

class LineEndingRule : public testing::TestWithParam<SplitCase> {};

TEST_P(LineEndingRule, splitsIntoExpectedLinesAndLeavesTheRestEmpty)
{
    const SplitCase &c = GetParam();
    const StoryLines lines = StoryLines::parse(c.bytes);
    ASSERT_EQ(lines.suppliedCount(), static_cast<int>(c.lines.size()));
    for (int n = 1; n <= vantrel::kLineCount; ++n) {
        const std::string expected = n <= lines.suppliedCount() ? c.lines[n - 1] : "";
        EXPECT_EQ(lines.line(n), expected) << "line " << n;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, LineEndingRule,
    testing::Values(
        SplitCase{"emptyFile", "", {}},
        SplitCase{"lastLineNeedsNoEnding", "a\rb", {"a", "b"}},
        SplitCase{"finalCrGivesNoExtraLine", "a\r", {"a"}},
        SplitCase{"finalCrLfGivesNoExtraLine", "a\r\nb\r\n", {"a", "b"}},
        SplitCase{"bareLfStaysInText", "a\n\nb\n", {"a\n\nb\n"}},
        SplitCase{"lfBeforeCrStaysInText", "a\n\rb", {"a\n", "b"}},
        SplitCase{"onlyOneLfBelongsToTheEnding", "a\r\n\nb", {"a", "\nb"}},
        SplitCase{"emptyLinesCountCrLf", "\r\n\r\n", {"", ""}},
        SplitCase{"emptyLinesCountCr", "a\r\r\rb", {"a", "", "", "b"}},
        SplitCase{"singleCr", "\r", {""}},
        SplitCase{"textKeptVerbatim", " \"Hi, there\" ,\t\r", {" \"Hi, there\" ,\t"}},
        SplitCase{"nulIsText", "a\0b\r\0"s, {"a\0b"s, "\0"s}}),
    [](const testing::TestParamInfo<SplitCase> &info) { return info.param.name; });

// A stream buffer that hands out one byte per refill and counts them, so the
// test sees exactly how far the reader went.
class CountingBuffer : public std::streambuf {
public:
    explicit CountingBuffer(std::string bytes) : m_bytes(std::move(bytes)) {}
    std::size_t served() const { return m_served; }

protected:
    int_type underflow() override
    {
        if (m_served == m_bytes.size())
            return traits_type::eof();
        char *byte = &m_bytes[m_served++];
        setg(byte, byte, byte + 1);
        return traits_type::to_int_type(*byte);
    }

private:
    std::string m_bytes;
    std::size_t m_served = 0;
};

TEST(StoryLines, readStopsRightAfterLine385)
{
    const std::string head = joinLines(385, "\r\n");
    CountingBuffer buffer(head + joinLines(15, "\r\n"));
    std::istream in(&buffer);
    const StoryLines lines = StoryLines::read(in);
    EXPECT_EQ(lines, StoryLines::parse(head));
    EXPECT_EQ(lines, StoryLines::parse(head + joinLines(15, "\r\n")));
    EXPECT_EQ(lines.line(385), "line 385");
    EXPECT_EQ(buffer.served(), head.size());
}

TEST(StoryLines, lineNumbersOutsideTheFileThrow)
{
    StoryLines lines;
    EXPECT_THROW(lines.line(0), std::out_of_range);
    EXPECT_THROW(lines.line(386), std::out_of_range);
    EXPECT_THROW(lines.setLine(386, "x"), std::out_of_range);
    EXPECT_THROW(vantrel::blockBase(0), std::out_of_range);
    EXPECT_THROW(vantrel::blockBase(13), std::out_of_range);
    EXPECT_THROW(vantrel::field(lines, 0, 25), std::out_of_range);
}

TEST(StorySlots, blocksCoverLines1To288)
{
    EXPECT_EQ(vantrel::blockBase(2), 24);
    StoryLines lines;
    lines.setLine(265, "audio12");
    lines.setLine(266, "Title 12");
    lines.setLine(288, "*");
    EXPECT_TRUE(vantrel::isPresent(lines, 12));
    EXPECT_FALSE(vantrel::isPresent(lines, 11));
    EXPECT_EQ(vantrel::title(lines, 12), "Title 12");
    EXPECT_EQ(vantrel::field(lines, 264, 1), "audio12");
    EXPECT_EQ(vantrel::field(lines, 264, 24), "*");
}

struct PresenceCase {
    const char *name;
    std::string audioLine;
    std::string titleLine;
    bool present;
};
void PrintTo(const PresenceCase &c, std::ostream *os) { *os << c.name; }

class Presence : public testing::TestWithParam<PresenceCase> {};

TEST_P(Presence, dependsOnLine1Only)
{
    const PresenceCase &c = GetParam();
    StoryLines lines;
    lines.setLine(25, c.audioLine);
    lines.setLine(26, c.titleLine);
    EXPECT_EQ(vantrel::isPresent(lines, 2), c.present);
    EXPECT_FALSE(vantrel::isPresent(lines, 1));
    EXPECT_FALSE(vantrel::isPresent(lines, 3));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, Presence,
    testing::Values(PresenceCase{"name", "NEWS02", "Title", true},
                    PresenceCase{"singleSpace", " ", "", true},
                    PresenceCase{"emptyWithTitle", "", "A title", false}),
    [](const testing::TestParamInfo<PresenceCase> &info) { return info.param.name; });

TEST(AnswerKey, onlyALoneAsteriskIsCorrect)
{
    EXPECT_TRUE(vantrel::isCorrectKey("*"));
    for (const std::string &key : {""s, " *"s, "* "s, "**"s, "x"s, "\t*"s, "*\n"s, "\0*"s})
        EXPECT_FALSE(vantrel::isCorrectKey(key)) << '"' << key << '"';
}

} // namespace
