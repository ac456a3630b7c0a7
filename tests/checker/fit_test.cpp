// SPDX-License-Identifier: GPL-3.0-or-later
#include "fit.h"
#include "story_lines.h"
#include "test_library.h"

using Outcome = vantrel::FitPlan::Outcome;

namespace {

// `count` numbered lines with `ending`; with `size`, lines 1 to 288 of that many bytes.
std::string lines(int count, const std::string &ending, std::size_t size = 0)
{
    std::string text = size ? std::string(size - 576, 'x') : "";
    for (int n = 1; n <= count; ++n)
        text += (size ? "" : "line " + std::to_string(n)) + ending;
    return text;
}

// Whatever is done after line 288, lines 1 to 288 keep every byte.
TEST(FitPlan, landsInTheWindowWithoutTouchingLines1To288)
{
    const struct { std::string file; Outcome outcome; std::size_t newSize; } cases[] = {
        {lines(300, "\r\n"), Outcome::Padded, 8864},
        {lines(300, "\r"), Outcome::Padded, 8864},                       // with the file's own bare CR
        {lines(288, "\r\n") + "no ending", Outcome::Padded, 8864},      // line 288 ended first
        {lines(99, "\r\n") + "line 100", Outcome::Padded, 8864},        // missing lines supplied
        {lines(288, "\r\n", 8866) + std::string(40, '='), Outcome::Trimmed, 8866},  // stories kept whole
        {lines(288, "\r\n", 8869) + std::string(10, '='), Outcome::StoriesTooLong, 0},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        const vantrel::FitPlan plan = vantrel::planFit(c.file);
        ASSERT_EQ(plan.outcome, c.outcome);
        if (c.outcome != Outcome::Trimmed && c.outcome != Outcome::Padded)
            continue;
        EXPECT_EQ(plan.bytes.size(), c.newSize);
        const auto kept = static_cast<std::size_t>(plan.storyPart.length);
        EXPECT_EQ(plan.bytes.substr(0, kept), c.file.substr(0, kept));
        const auto before = vantrel::StoryLines::parse(c.file), after = vantrel::StoryLines::parse(plan.bytes);
        for (int n = 1; n <= 288; ++n)
            ASSERT_EQ(after.line(n), before.line(n)) << "line " << n;
        EXPECT_EQ(after.line(289).find('\n'), std::string::npos) << "filler lines end where Vantrel ends them";
    }
}

} // namespace
