#include "story_file.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>

namespace fs = std::filesystem;
using vantrel::SizeCheck;

namespace {

// A fresh folder per test, removed afterwards.
using StoryFile = vantrel::test::TempFolder;

class SizeBounds : public StoryFile, public testing::WithParamInterface<std::pair<std::size_t, SizeCheck::Verdict>> {};

TEST_P(SizeBounds, acceptsOnly8860To8868Bytes)
{
    const auto [size, verdict] = GetParam();
    const SizeCheck check = vantrel::checkStoryFileSize(write(std::string(size, 'x')));
    EXPECT_EQ(check.verdict, verdict);
    EXPECT_EQ(check.size, size);
}

INSTANTIATE_TEST_SUITE_P(Bounds, SizeBounds,
                         testing::Values(std::pair{0u, SizeCheck::Verdict::OutOfRange},
                                         std::pair{8859u, SizeCheck::Verdict::OutOfRange},
                                         std::pair{8860u, SizeCheck::Verdict::Accepted},
                                         std::pair{8868u, SizeCheck::Verdict::Accepted},
                                         std::pair{8869u, SizeCheck::Verdict::OutOfRange}));

TEST_F(StoryFile, linkToAFileIsFollowed)
{
    const fs::path target = write(std::string(8864, 'x'), "story.txt");
    fs::create_symlink(target, m_dir / vantrel::kStoryFileName);
    const SizeCheck check = vantrel::checkStoryFileSize(m_dir / vantrel::kStoryFileName);
    EXPECT_EQ(check.verdict, SizeCheck::Verdict::Accepted);
    EXPECT_EQ(check.size, 8864u);
}

enum class Broken { Missing, Folder, DanglingLink, Pipe };

class Unreadable : public StoryFile, public testing::WithParamInterface<Broken> {};

TEST_P(Unreadable, isReportedWithAReasonNotThrown)
{
    const fs::path path = m_dir / vantrel::kStoryFileName;
    switch (GetParam()) {
    case Broken::Missing:
        break;
    case Broken::Folder:
        fs::create_directory(path);
        break;
    case Broken::DanglingLink:
        fs::create_symlink(m_dir / "gone.txt", path);
        break;
    case Broken::Pipe:
        ASSERT_EQ(::mkfifo(path.c_str(), 0600), 0);
        break;
    }

    SizeCheck check;
    ASSERT_NO_THROW(check = vantrel::checkStoryFileSize(path));
    EXPECT_EQ(check.verdict, SizeCheck::Verdict::Unreadable);
    EXPECT_FALSE(check.reason.empty());

    vantrel::LoadResult load;
    ASSERT_NO_THROW(load = vantrel::loadStoryFile(path));
    EXPECT_FALSE(load.lines.has_value());
    EXPECT_EQ(load.reason, check.reason);
    if (GetParam() == Broken::Missing) {
        EXPECT_EQ(check.reason, "No such file or directory");
    }
}

INSTANTIATE_TEST_SUITE_P(Cases, Unreadable,
                         testing::Values(Broken::Missing, Broken::Folder, Broken::DanglingLink, Broken::Pipe));

TEST_F(StoryFile, everyByteValueLoads)
{
    std::string line;
    for (int b = 0; b < 256; ++b)
        if (b != '\r')
            line.push_back(static_cast<char>(b));
    const std::string bytes = line + "\r\n" + std::string(1, '\0') + "\r\xFF";
    const vantrel::LoadResult load = vantrel::loadStoryFile(write(bytes));
    ASSERT_TRUE(load.lines.has_value()) << load.reason;
    EXPECT_EQ(load.lines->suppliedCount(), 3);
    EXPECT_EQ(load.lines->line(1), line);
    EXPECT_EQ(load.lines->line(2), std::string(1, '\0'));
    EXPECT_EQ(load.lines->line(3), "\xFF");
}

// Lines 401 onwards are a 2 GiB hole: a loader that read past line 385 would
// take a long time and a lot of memory.
TEST_F(StoryFile, hugeFileIsReadOnlyAsFarAsLine385)
{
    std::string bytes;
    for (int n = 1; n <= 400; ++n)
        bytes += "line " + std::to_string(n) + "\r\n";
    const fs::path path = write(bytes);
    std::error_code ec;
    fs::resize_file(path, std::uintmax_t{2} << 30, ec);
    if (ec)
        GTEST_SKIP() << "cannot make a sparse file here: " << ec.message();

    const vantrel::LoadResult load = vantrel::loadStoryFile(path);
    ASSERT_TRUE(load.lines.has_value()) << load.reason;
    EXPECT_EQ(load.lines->suppliedCount(), 385);
    EXPECT_EQ(load.lines->line(385), "line 385");
}

} // namespace
