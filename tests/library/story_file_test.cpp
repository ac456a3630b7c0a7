// SPDX-License-Identifier: GPL-3.0-or-later
// The story file on disk: the size window, files that can't be read, and
// odd bytes at an accepted size.
#include "../support/file_modes.h"
#include "../support/story_folder.h"
#include "story_file.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <functional>
#include <vector>

namespace fs = std::filesystem;
using vantrel::SizeCheck;
using vantrel::test::StoryDir;

namespace {

constexpr std::size_t kAccepted = 8864;

constexpr auto kIn = SizeCheck::Verdict::Accepted, kOut = SizeCheck::Verdict::OutOfRange;

// Sparse, so the sizes that wrap a 32-bit count cost no room; they must be
// refused and reported as their real size. A link to a file is followed.
TEST(StoryFile, acceptsOnly8860To8868Bytes)
{
    StoryDir folder;
    const fs::path path = folder.write("story.txt", "S1\r\nTitle\r\n");
    fs::create_symlink(path, folder.dir() / vantrel::kStoryFileName);
    for (const auto &[size, verdict] : {std::pair{0ul, kOut}, std::pair{8859ul, kOut}, std::pair{8860ul, kIn},
                                        std::pair{8868ul, kIn}, std::pair{8869ul, kOut}, std::pair{2ul << 30, kOut},
                                        std::pair{(1ul << 32) + 8864, kOut}}) {
        std::error_code ec;
        fs::resize_file(path, size, ec);
        if (ec)
            GTEST_SKIP() << "no sparse file of " << size << " bytes here: " << ec.message();
        EXPECT_EQ(vantrel::checkStoryFileSize(vantrel::kStoryFileName).verdict, verdict) << size;
        EXPECT_EQ(vantrel::checkStoryFileSize(vantrel::kStoryFileName).size, size);
    }
}

// Nothing here may hang start-up (a pipe, an endless device) or end it by an
// exception; both checks give the same reason.
TEST(StoryFile, whatIsNotAFileIsUnreadableWithAReason)
{
    const std::pair<std::function<void(const fs::path &)>, std::string> cases[] = {
        {[](const fs::path &) {}, "No such file or directory"},
        {[](const fs::path &p) { fs::create_directory(p); }, "is a folder, not a file"},
        {[](const fs::path &p) { fs::create_symlink("gone.txt", p); }, "is a link to a missing file"},
        {[](const fs::path &p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); }, "is not a regular file"},
        {[](const fs::path &p) { fs::create_symlink(p.filename(), p); }, "Too many levels of symbolic links"},
        {[](const fs::path &p) { fs::create_symlink("/dev/zero", p); }, "is not a regular file"},
        {[](const fs::path &p) { fs::create_directory_symlink(p.parent_path(), p); }, "is a folder, not a file"}};
    StoryDir folder;
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const fs::path path = folder.dir() / std::to_string(i) / vantrel::kStoryFileName;
        fs::create_directory(path.parent_path());
        cases[i].first(path);
        SizeCheck check;
        ASSERT_NO_THROW(check = vantrel::checkStoryFileSize(path)) << "case " << i;
        EXPECT_EQ(check.verdict, SizeCheck::Verdict::Unreadable) << "case " << i;
        EXPECT_EQ(check.reason, cases[i].second);
        vantrel::LoadResult load;
        ASSERT_NO_THROW(load = vantrel::loadStoryFile(path));
        EXPECT_FALSE(load.lines.has_value());
        EXPECT_EQ(load.reason, check.reason);
    }
}

// Without read permission the size can still be had, so only the load finds
// out. Root too is held to the file's mode.
TEST(StoryFile, fileWithoutReadPermissionIsReportedNotThrown)
{
    StoryDir folder;
    const fs::path path = folder.write(vantrel::kStoryFileName, std::string(kAccepted, 'x'));
    fs::permissions(path, fs::perms::none);
    const vantrel::test::FileModesObeyed modes;
    if (std::ifstream(path).is_open())
        GTEST_SKIP() << "this process reads a file whatever its mode";
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
std::string library()
{
    std::string bytes;
    for (int n = 1; n <= 288; ++n)
        bytes += (n % 24 == 1 ? "S" : "line ") + std::to_string(n) + (n % 2 ? "\r\n" : "\r");
    return bytes + std::string(kAccepted - bytes.size(), '=');
}

// Whatever the bytes, a file in the window loads; the stream reader that
// start-up uses agrees with the in-memory split, and no line keeps a CR.
// Each case: the bytes, the lines they supply, and some lines' lengths.
TEST(StoryFile, oddContentLoadsByTheLineEndingRule)
{
    const struct { std::string bytes; int supplied; std::vector<std::pair<int, std::size_t>> lengths; } cases[] = {
        // 0x0D ends a line in each round of 256 bytes; 0xFF must not pass for
        // the end of the file, nor 0x00 for the end of a line.
        {repeated(""), 36, {{1, 13}, {2, 255}, {35, 255}, {36, 146}}},
        {repeated(std::string("a\0b\0\0c\r\n", 8)), 385, {{1, 6}, {385, 6}}},
        {"S1\r\nTi\r\n" + std::string(8000, 'w') + "\r\n" + std::string(kAccepted - 8010, '='), 4,
         {{1, 2}, {2, 2}, {3, 8000}, {4, kAccepted - 8010}}},
        // The LF after each CR belongs to that ending.
        {repeated("\n\r"), 385, {{1, 1}, {2, 0}, {385, 0}}},
        // Both kinds of ending, mixed, give twelve whole stories.
        {library(), 289, {{1, 2}, {288, 8}}},
    };
    StoryDir folder;
    for (const auto &c : cases) {
        SCOPED_TRACE("case " + std::to_string(&c - cases));
        ASSERT_EQ(c.bytes.size(), kAccepted);
        const fs::path path = folder.write(vantrel::kStoryFileName, c.bytes);
        EXPECT_EQ(vantrel::checkStoryFileSize(path).verdict, kIn);
        const vantrel::LoadResult load = vantrel::loadStoryFile(path);
        ASSERT_TRUE(load.lines.has_value()) << load.reason;
        EXPECT_EQ(*load.lines, vantrel::StoryLines::parse(c.bytes));
        EXPECT_EQ(load.lines->suppliedCount(), c.supplied);
        for (const auto &[n, length] : c.lengths)
            EXPECT_EQ(load.lines->line(n).size(), length) << "line " << n;
        for (int n = 1; n <= vantrel::kLineCount; ++n)
            EXPECT_EQ(load.lines->line(n).find('\r'), std::string::npos) << "line " << n;
    }
}

} // namespace
