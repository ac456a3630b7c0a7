// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli.h"
#include "fit.h"
#include "story_file.h"
#include "story_lines.h"
#include "test_library.h"

#include <sstream>

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

class Fit : public TempFolder {
protected:
    int run(const std::vector<std::string> &args) { return vantrel::runVantrelCheck(args, m_out, m_err); }
    std::ostringstream m_out, m_err;
};

TEST_F(Fit, turnsThe8900ByteSampleIntoAnAcceptedFile)
{
    for (const auto &entry : fs::directory_iterator(VANTREL_SAMPLE_LIBRARY))
        fs::copy(entry.path(), dir());
    std::string original = readFile(dir() / "vtl.txt");
    original += std::string(8900 - original.size(), '=');
    std::ofstream(dir() / "vtl.txt", std::ios::binary) << original;

    EXPECT_EQ(run({"--fit", dir().string()}), 0);

    EXPECT_EQ(splitLines(m_out.str()),
              (std::vector<std::string>{"trimmed 36 bytes from the unused lines after line 288: vtl.txt is now "
                                        "8864 bytes (it was 8900; the old file is vtl.txt.bak)",
                                        "0 errors, 0 warnings"}));
    EXPECT_EQ(vantrel::checkStoryFileSize(dir() / "vtl.txt").verdict, vantrel::SizeCheck::Verdict::Accepted);
    EXPECT_EQ(readFile(dir() / "vtl.txt.bak"), original);
    std::istringstream in(original);
    const auto storyBytes = static_cast<std::size_t>(vantrel::measureStoryPart(in).length);
    EXPECT_EQ(readFile(dir() / "vtl.txt").substr(0, storyBytes), original.substr(0, storyBytes));
}

TEST_F(Fit, padsAShortLibraryAndReportsWhatStillIsWrong)
{
    StoryLibrary library;
    library.size = 8000;
    library.line(26).clear();
    library.write(dir());

    EXPECT_EQ(run({"--fit", dir().string()}), 0);
    EXPECT_EQ(splitLines(m_out.str()),
              (std::vector<std::string>{"padded 864 bytes onto the unused lines after line 288: vtl.txt is now "
                                        "8864 bytes (it was 8000; the old file is vtl.txt.bak)",
                                        "vtl.txt:26: warning: story 2: the title is empty",
                                        "0 errors, 1 warning"}));
}

// --fit mends only the size: with anything else wrong, or nothing to mend,
// it writes nothing at all.
TEST_F(Fit, writesNothingUnlessTheSizeIsTheOnlyError)
{
    StoryLibrary library;
    library.size = 8900;
    library.files.erase("NEWS02.MP3");
    library.write(dir());
    EXPECT_EQ(run({"--fit", dir().string()}), 1);
    EXPECT_EQ(splitLines(m_out.str()).back(),
              "--fit changed nothing: it only mends the size, and vtl.txt has other errors; fix those first");

    library.size = 8864;
    library.write(dir());
    m_out.str("");
    EXPECT_EQ(run({"--fit", dir().string()}), 1);
    EXPECT_EQ(splitLines(m_out.str()).back(),
              "--fit changed nothing: the size of vtl.txt is already within 8860 to 8868 bytes");

    library.line(3) += std::string(9000 - library.storyPart().size(), 'x');
    library.files["NEWS02.MP3"] = library.files["NEWS01.MP3"];
    library.write(dir());
    m_out.str("");
    EXPECT_EQ(run({"--fit", dir().string()}), 1);
    EXPECT_EQ(splitLines(m_out.str()).back(),
              "--fit changed nothing: lines 1 to 288 alone take 9000 bytes, so no change after line 288 can bring "
              "the file down to 8868");

    EXPECT_EQ(readFile(dir() / "vtl.txt"), library.bytes());
    EXPECT_FALSE(fs::exists(dir() / "vtl.txt.bak"));
}

} // namespace
