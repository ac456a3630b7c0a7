// SPDX-License-Identifier: GPL-3.0-or-later
#include "fit.h"
#include "story_lines.h"
#include "test_library.h"

using namespace checker_test;
using Outcome = vantrel::FitPlan::Outcome;

namespace {

std::string repeatedLines(int count, const std::string &ending)
{
    std::string text;
    for (int n = 1; n <= count; ++n)
        text += "line " + std::to_string(n) + ending;
    return text;
}

// Lines 1 to 288 with CR LF endings, `size` bytes in all.
std::string storyPartOf(std::size_t size)
{
    std::string text(size - 288 * 2, 'x');
    for (int n = 0; n < 288; ++n)
        text += "\r\n";
    return text;
}

struct FitCase {
    const char *name;
    std::string file;
    Outcome outcome;
    std::size_t newSize;
};

const FitCase kFitCases[] = {
    {"trimsFillerOf8900Bytes", StoryLibrary{}.storyPart() + std::string(8900 - StoryLibrary{}.storyPart().size(), '='),
     Outcome::Trimmed, 8864},
    {"padsAShortFile", repeatedLines(300, "\r\n"), Outcome::Padded, 8864},
    {"padsWithTheFilesOwnBareCr", repeatedLines(300, "\r"), Outcome::Padded, 8864},
    {"endsLine288BeforePadding", repeatedLines(288, "\r\n") + "no ending", Outcome::Padded, 8864},
    {"suppliesMissingLinesUpTo288", repeatedLines(99, "\r\n") + "line 100", Outcome::Padded, 8864},
    {"keepsStoriesOf8866BytesWhole", storyPartOf(8866) + std::string(40, '='),
     Outcome::Trimmed, 8866},
    {"cannotCutIntoStories", storyPartOf(8869) + std::string(10, '='),
     Outcome::StoriesTooLong, 0},
    {"leavesAFittingFileAlone", std::string(8864, 'x'), Outcome::AlreadyFits, 0},
};

void PrintTo(const FitCase &c, std::ostream *os)
{
    *os << c.name;
}

class FitPlans : public testing::TestWithParam<FitCase> {};

// Whatever is done after line 288, lines 1 to 288 keep every byte.
TEST_P(FitPlans, landInTheWindowWithoutTouchingLines1To288)
{
    const FitCase &c = GetParam();
    const vantrel::FitPlan plan = vantrel::planFit(c.file);
    ASSERT_EQ(plan.outcome, c.outcome);
    if (c.outcome != Outcome::Trimmed && c.outcome != Outcome::Padded)
        return;
    EXPECT_EQ(plan.bytes.size(), c.newSize);
    const auto kept = static_cast<std::size_t>(plan.storyPart.length);
    EXPECT_EQ(plan.bytes.substr(0, kept), c.file.substr(0, kept));
    const auto before = vantrel::StoryLines::parse(c.file);
    const auto after = vantrel::StoryLines::parse(plan.bytes);
    for (int n = 1; n <= 288; ++n)
        ASSERT_EQ(after.line(n), before.line(n)) << "line " << n;
    EXPECT_EQ(after.line(289).find('\n'), std::string::npos) << "filler lines end where Vantrel ends them";
}

INSTANTIATE_TEST_SUITE_P(Table, FitPlans, testing::ValuesIn(kFitCases),
                         [](const auto &info) { return std::string(info.param.name); });

} // namespace
