// SPDX-License-Identifier: GPL-3.0-or-later
// The story file on disk: the size window, files that can't be read, and
// odd bytes at an accepted size.
#include "../support/story_folder.h"
#include "story_file.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

namespace fs = std::filesystem;
using vantrel::SizeCheck;
using vantrel::StoryLines;
using vantrel::test::StoryDir;

namespace {

constexpr std::size_t kAccepted = 8864;

class SizeWindow : public testing::TestWithParam<std::pair<std::uintmax_t, SizeCheck::Verdict>> {};

// Sparse, so the sizes that wrap a 32-bit count cost no room; they must be
// refused and reported as their real size.
TEST_P(SizeWindow, acceptsOnly8860To8868Bytes)
{
    const auto [size, verdict] = GetParam();
    StoryDir folder;
    const fs::path path = folder.write(vantrel::kStoryFileName, "S1\r\nTitle\r\n");
    std::error_code ec;
    fs::resize_file(path, size, ec);
    if (ec)
        GTEST_SKIP() << "no sparse file of " << size << " bytes here: " << ec.message();
    EXPECT_EQ(vantrel::checkStoryFileSize(path).verdict, verdict);
    EXPECT_EQ(vantrel::checkStoryFileSize(path).size, size);
}

constexpr auto kIn = SizeCheck::Verdict::Accepted, kOut = SizeCheck::Verdict::OutOfRange;
INSTANTIATE_TEST_SUITE_P(Bounds, SizeWindow,
                         testing::Values(std::pair{0u, kOut}, std::pair{8859u, kOut}, std::pair{8860u, kIn},
                                         std::pair{8868u, kIn}, std::pair{8869u, kOut},
                                         std::pair{std::uintmax_t{2} << 30, kOut},
                                         std::pair{(std::uintmax_t{1} << 32) + 8864, kOut}));

struct Unopenable {
    const char *name;
    std::function<void(const fs::path &)> make;
    const char *reason;  // nullptr: any reason
};
void PrintTo(const Unopenable &c, std::ostream *os) { *os << c.name; }

class NotAStoryFile : public testing::TestWithParam<Unopenable> {};

// Nothing here may hang start-up (a pipe, an endless device) or end it by an
// exception; both checks give the same reason.
TEST_P(NotAStoryFile, isUnreadableWithAReason)
{
    StoryDir folder;
    const fs::path path = folder.dir() / vantrel::kStoryFileName;
    GetParam().make(path);
    SizeCheck check;
    ASSERT_NO_THROW(check = vantrel::checkStoryFileSize(path));
    EXPECT_EQ(check.verdict, SizeCheck::Verdict::Unreadable);
    EXPECT_FALSE(check.reason.empty());
    EXPECT_EQ(check.reason, GetParam().reason ? GetParam().reason : check.reason);
    vantrel::LoadResult load;
    ASSERT_NO_THROW(load = vantrel::loadStoryFile(path));
    EXPECT_FALSE(load.lines.has_value());
    EXPECT_EQ(load.reason, check.reason);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NotAStoryFile,
    testing::Values(
        Unopenable{"missing", [](const fs::path &) {}, "No such file or directory"},
        Unopenable{"folder", [](const fs::path &p) { fs::create_directory(p); }, "is a folder, not a file"},
        Unopenable{"danglingLink", [](const fs::path &p) { fs::create_symlink("gone.txt", p); },
                   "is a link to a missing file"},
        Unopenable{"pipe", [](const fs::path &p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, nullptr},
        Unopenable{"linkToItself", [](const fs::path &p) { fs::create_symlink(p.filename(), p); }, nullptr},
        Unopenable{"linkToDevZero", [](const fs::path &p) { fs::create_symlink("/dev/zero", p); }, nullptr},
        Unopenable{"linkToAFolder", [](const fs::path &p) { fs::create_directory_symlink(p.parent_path(), p); },
                   nullptr}),
    [](const auto &info) { return std::string(info.param.name); });

// A link to a file is followed; a file without read permission keeps its
// size, so only the load finds out (root reads it whatever its mode).
TEST(StoryFile, linkIsFollowedAndUnreadableFileIsReportedNotThrown)
{
    StoryDir folder;
    const fs::path path = folder.write("story.txt", std::string(kAccepted, 'x'));
    fs::create_symlink(path, folder.dir() / vantrel::kStoryFileName);
    EXPECT_EQ(vantrel::checkStoryFileSize(vantrel::kStoryFileName).verdict, kIn);
    if (::geteuid() == 0)
        return;
    fs::permissions(path, fs::perms::none);
    EXPECT_EQ(vantrel::checkStoryFileSize(path).verdict, kIn);
    const vantrel::LoadResult load = vantrel::loadStoryFile(path);
    EXPECT_FALSE(load.lines.has_value());
    EXPECT_EQ(load.reason, "Permission denied");
}

// Lines 401 onwards are a 2 GiB hole: a loader that read past line 385 would
// take a long time and a lot of memory.
TEST(StoryFile, hugeFileIsReadOnlyAsFarAsLine385)
{
    std::string bytes;
    for (int n = 1; n <= 400; ++n)
        bytes += "line " + std::to_string(n) + "\r\n";
    StoryDir folder;
    const fs::path path = folder.write(vantrel::kStoryFileName, bytes);
    std::error_code ec;
    fs::resize_file(path, std::uintmax_t{2} << 30, ec);
    if (ec)
        GTEST_SKIP() << "cannot make a sparse file here: " << ec.message();
    const vantrel::LoadResult load = vantrel::loadStoryFile(path);
    ASSERT_TRUE(load.lines.has_value()) << load.reason;
    EXPECT_EQ(load.lines->suppliedCount(), 385);
    EXPECT_EQ(load.lines->line(385), "line 385");
}

// `unit` repeated (with its index when it is empty) to the accepted size.
std::string repeated(const std::string &unit)
{
    std::string bytes;
    while (bytes.size() < kAccepted)
        bytes += unit.empty() ? std::string(1, static_cast<char>(bytes.size() % 256)) : unit;
    return bytes.substr(0, kAccepted);
}

// A whole library: line n holds its own number, slot lines name a sound.
std::string library(const std::function<std::string(int)> &ending)
{
    std::string bytes;
    for (int n = 1; n <= 288; ++n)
        bytes += (n % 24 == 1 ? "S" : "line ") + std::to_string(n) + ending(n);
    return bytes + std::string(kAccepted - bytes.size(), '=');
}

struct OddContent {
    const char *name;
    std::string bytes;
    int supplied;                                     // lines the file supplies
    std::vector<std::pair<int, std::size_t>> lengths; // line number, its length
};
void PrintTo(const OddContent &c, std::ostream *os) { *os << c.name; }

class AcceptedOddContent : public testing::TestWithParam<OddContent> {};

// Whatever the bytes, a file in the window loads; the stream reader that
// start-up uses agrees with the in-memory split, and no line keeps a CR.
TEST_P(AcceptedOddContent, loadsByTheLineEndingRule)
{
    const OddContent &c = GetParam();
    ASSERT_EQ(c.bytes.size(), kAccepted);
    StoryDir folder;
    const fs::path path = folder.write(vantrel::kStoryFileName, c.bytes);
    EXPECT_EQ(vantrel::checkStoryFileSize(path).verdict, kIn);
    const vantrel::LoadResult load = vantrel::loadStoryFile(path);
    ASSERT_TRUE(load.lines.has_value()) << load.reason;
    EXPECT_EQ(*load.lines, StoryLines::parse(c.bytes));
    EXPECT_EQ(load.lines->suppliedCount(), c.supplied);
    for (const auto &[n, length] : c.lengths)
        EXPECT_EQ(load.lines->line(n).size(), length) << "line " << n;
    for (int n = 1; n <= vantrel::kLineCount; ++n)
        EXPECT_EQ(load.lines->line(n).find('\r'), std::string::npos) << "line " << n;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AcceptedOddContent,
    testing::Values(
        // 0x0D ends a line in each round of 256 bytes; 0xFF must not pass for
        // the end of the file, nor 0x00 for the end of a line.
        OddContent{"everyByteValue", repeated(""), 36, {{1, 13}, {2, 255}, {35, 255}, {36, 146}}},
        OddContent{"onlyNuls", std::string(kAccepted, '\0'), 1, {{1, kAccepted}}},
        OddContent{"nulsInsideLines", repeated(std::string("a\0b\0\0c\r\n", 8)), 385, {{1, 6}, {385, 6}}},
        OddContent{"line8000Bytes", "S1\r\nTi\r\n" + std::string(8000, 'w') + "\r\n" + std::string(kAccepted - 8010, '='), 4,
                   {{1, 2}, {2, 2}, {3, 8000}, {4, kAccepted - 8010}}},
        OddContent{"onlyCrs", std::string(kAccepted, '\r'), 385, {{1, 0}, {385, 0}}},
        OddContent{"onlyLfs", std::string(kAccepted, '\n'), 1, {{1, kAccepted}}},
        // The LF after each CR belongs to that ending.
        OddContent{"lfCrPairs", repeated("\n\r"), 385, {{1, 1}, {2, 0}, {385, 0}}},
        // Each kind of ending gives the same twelve stories.
        OddContent{"crLfLibrary", library([](int) { return "\r\n"; }), 289, {{1, 2}, {288, 8}}},
        OddContent{"bareCrLibrary", library([](int) { return "\r"; }), 289, {{1, 2}, {288, 8}}},
        OddContent{"mixedLibrary", library([](int n) { return n % 2 ? "\r\n" : "\r"; }), 289, {{1, 2}, {288, 8}}}),
    [](const auto &info) { return std::string(info.param.name); });

} // namespace
