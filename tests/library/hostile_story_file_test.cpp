// Story files made to trip a loader up: sizes that wrap in 32 bits, files
// that are nothing but line endings or NULs, every byte value, very long
// lines, each kind of line ending at a size the check accepts, and files the
// process may not read.
#include "story_file.h"
#include "temp_folder.h"

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using vantrel::SizeCheck;
using vantrel::StoryLines;

namespace {

constexpr std::size_t kAcceptedSize = 8864;

using HostileStoryFile = vantrel::test::TempFolder;

// --- Sizes far outside the window -------------------------------------------

class SparseSize : public HostileStoryFile, public testing::WithParamInterface<std::uintmax_t> {};

// A size that a 32-bit count would wrap into the accepted window must still
// be refused, and reported as the real size.
TEST_P(SparseSize, isRefusedWithItsExactSize)
{
    const fs::path path = write("S1\r\nTitle\r\n");
    std::error_code ec;
    fs::resize_file(path, GetParam(), ec);
    if (ec)
        GTEST_SKIP() << "this file system cannot hold a sparse file of " << GetParam()
                     << " bytes: " << ec.message();
    const SizeCheck check = vantrel::checkStoryFileSize(path);
    EXPECT_EQ(check.verdict, SizeCheck::Verdict::OutOfRange);
    EXPECT_EQ(check.size, GetParam());
}

INSTANTIATE_TEST_SUITE_P(Sizes, SparseSize,
                         testing::Values(std::uintmax_t{2} << 30,            // 2 GiB
                                         (std::uintmax_t{1} << 32) + 8864)); // wraps to 8864

// --- Odd contents at an accepted size ---------------------------------------

std::string everyByteRepeated()
{
    std::string bytes;
    for (std::size_t i = 0; i < kAcceptedSize; ++i)
        bytes.push_back(static_cast<char>(i % 256));
    return bytes;
}

std::string oneLongLine()
{
    // Line 3, the transcript, is 8,000 bytes; the rest pads to the window.
    std::string bytes = "S1\r\nTitle\r\n" + std::string(8000, 'w') + "\r\n";
    bytes += std::string(kAcceptedSize - bytes.size(), '=');
    return bytes;
}

struct OddContent {
    const char *name;
    std::function<std::string()> bytes;
    int supplied;                      // lines the file supplies
    std::vector<std::pair<int, std::size_t>> lengths; // line number, its length
};
// Test names show the case, not its bytes.
void PrintTo(const OddContent &c, std::ostream *os) { *os << c.name; }

class AcceptedOddContent : public HostileStoryFile, public testing::WithParamInterface<OddContent> {};

// Whatever the bytes, a file in the window loads; the stream reader that
// start-up uses agrees with the in-memory split, and no line keeps a CR.
TEST_P(AcceptedOddContent, loadsByTheLineEndingRule)
{
    const OddContent &c = GetParam();
    const std::string bytes = c.bytes();
    ASSERT_EQ(bytes.size(), kAcceptedSize);
    const fs::path path = write(bytes);

    EXPECT_EQ(vantrel::checkStoryFileSize(path).verdict, SizeCheck::Verdict::Accepted);
    const vantrel::LoadResult load = vantrel::loadStoryFile(path);
    ASSERT_TRUE(load.lines.has_value()) << load.reason;
    EXPECT_EQ(*load.lines, StoryLines::parse(bytes));
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
        OddContent{"everyByteValue", everyByteRepeated, 36, {{1, 13}, {2, 255}, {35, 255}, {36, 146}}},
        OddContent{"onlyNuls", [] { return std::string(kAcceptedSize, '\0'); }, 1, {{1, kAcceptedSize}}},
        OddContent{"nulsInsideLines",
                   [] {
                       std::string line("a\0b\0\0c", 6);
                       std::string bytes;
                       while (bytes.size() + line.size() + 2 <= kAcceptedSize)
                           bytes += line + "\r\n";
                       bytes.resize(kAcceptedSize, '\0');
                       return bytes;
                   },
                   385, {{1, 6}, {385, 6}}},
        OddContent{"line8000Bytes", oneLongLine, 4, {{1, 2}, {2, 5}, {3, 8000}, {4, kAcceptedSize - 8013}}},
        OddContent{"onlyCrs", [] { return std::string(kAcceptedSize, '\r'); }, 385, {{1, 0}, {385, 0}}},
        OddContent{"onlyLfs", [] { return std::string(kAcceptedSize, '\n'); }, 1, {{1, kAcceptedSize}}},
        OddContent{"lfCrPairs",
                   [] {
                       std::string bytes;
                       while (bytes.size() < kAcceptedSize)
                           bytes += "\n\r";
                       return bytes;
                   },
                   // The LF after each CR belongs to that ending.
                   385, {{1, 1}, {2, 0}, {385, 0}}}),
    [](const testing::TestParamInfo<OddContent> &info) { return info.param.name; });

// --- A whole story library with each kind of line ending --------------------

// Lines 1 to 288 hold text of their own number; line 289 pads the file to
// the accepted size, whatever the endings take.
std::vector<std::string> libraryLines()
{
    std::vector<std::string> lines;
    for (int n = 1; n <= 288; ++n)
        lines.push_back(n % 24 == 1 ? "S" + std::to_string(n) : "line " + std::to_string(n));
    return lines;
}

std::string joined(const std::vector<std::string> &lines, const std::function<std::string(int)> &ending)
{
    std::string bytes;
    for (std::size_t i = 0; i < lines.size(); ++i)
        bytes += lines[i] + ending(static_cast<int>(i) + 1);
    bytes += std::string(kAcceptedSize - bytes.size(), '=');
    return bytes;
}

struct Endings {
    const char *name;
    std::function<std::string(int)> ending;
};
// Test names show the case, not its bytes.
void PrintTo(const Endings &c, std::ostream *os) { *os << c.name; }

class LineEndings : public HostileStoryFile, public testing::WithParamInterface<Endings> {};

TEST_P(LineEndings, crLfBareCrAndMixedLoadTheSameLibrary)
{
    const std::vector<std::string> lines = libraryLines();
    const fs::path path = write(joined(lines, GetParam().ending));
    ASSERT_EQ(vantrel::checkStoryFileSize(path).verdict, SizeCheck::Verdict::Accepted);
    const vantrel::LoadResult load = vantrel::loadStoryFile(path);
    ASSERT_TRUE(load.lines.has_value()) << load.reason;
    ASSERT_EQ(load.lines->suppliedCount(), 289);
    for (int n = 1; n <= 288; ++n)
        ASSERT_EQ(load.lines->line(n), lines[static_cast<std::size_t>(n - 1)]) << "line " << n;
    for (int slot = 1; slot <= vantrel::kSlotCount; ++slot)
        EXPECT_TRUE(vantrel::isPresent(*load.lines, slot)) << "slot " << slot;
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, LineEndings,
    testing::Values(Endings{"crLf", [](int) { return std::string("\r\n"); }},
                    Endings{"bareCr", [](int) { return std::string("\r"); }},
                    Endings{"mixed", [](int n) { return std::string(n % 2 ? "\r\n" : "\r"); }}),
    [](const testing::TestParamInfo<Endings> &info) { return info.param.name; });

// Saved with Unix endings, the library is one line: only slot 1 can be there.
TEST_F(HostileStoryFile, bareLfLibraryIsOneLine)
{
    const std::string bytes = joined(libraryLines(), [](int) { return std::string("\n"); });
    const vantrel::LoadResult load = vantrel::loadStoryFile(write(bytes));
    ASSERT_TRUE(load.lines.has_value()) << load.reason;
    EXPECT_EQ(load.lines->suppliedCount(), 1);
    EXPECT_EQ(load.lines->line(1), bytes);
    EXPECT_TRUE(vantrel::isPresent(*load.lines, 1));
    EXPECT_EQ(vantrel::title(*load.lines, 1), "");
    for (int slot = 2; slot <= vantrel::kSlotCount; ++slot)
        EXPECT_FALSE(vantrel::isPresent(*load.lines, slot)) << "slot " << slot;
}

// --- Files that can't be read -----------------------------------------------

TEST_F(HostileStoryFile, fileWithoutReadPermissionIsReportedNotThrown)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "runs as root, who reads a file whatever its mode; "
                        "an unreadable story file can't be made here";
    const fs::path path = write(std::string(kAcceptedSize, 'x'));
    fs::permissions(path, fs::perms::none);

    // Its size can still be had, so only the load finds out.
    EXPECT_EQ(vantrel::checkStoryFileSize(path).verdict, SizeCheck::Verdict::Accepted);
    vantrel::LoadResult load;
    ASSERT_NO_THROW(load = vantrel::loadStoryFile(path));
    EXPECT_FALSE(load.lines.has_value());
    EXPECT_EQ(load.reason, "Permission denied");
}

struct Unopenable {
    const char *name;
    std::function<void(const fs::path &)> make;
};
// Test names show the case, not its bytes.
void PrintTo(const Unopenable &c, std::ostream *os) { *os << c.name; }

class NotAStoryFile : public HostileStoryFile, public testing::WithParamInterface<Unopenable> {};

// Neither a link that points at itself nor one to an endless device may hang
// start-up or end it by an exception.
TEST_P(NotAStoryFile, isUnreadableWithAReason)
{
    GetParam().make(storyPath());
    SizeCheck check;
    ASSERT_NO_THROW(check = vantrel::checkStoryFileSize(storyPath()));
    EXPECT_EQ(check.verdict, SizeCheck::Verdict::Unreadable);
    EXPECT_FALSE(check.reason.empty());
    vantrel::LoadResult load;
    ASSERT_NO_THROW(load = vantrel::loadStoryFile(storyPath()));
    EXPECT_FALSE(load.lines.has_value());
    EXPECT_FALSE(load.reason.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Cases, NotAStoryFile,
    testing::Values(Unopenable{"linkToItself", [](const fs::path &p) { fs::create_symlink(p.filename(), p); }},
                    Unopenable{"linkToDevZero", [](const fs::path &p) { fs::create_symlink("/dev/zero", p); }},
                    Unopenable{"linkToAFolder", [](const fs::path &p) { fs::create_directory_symlink(p.parent_path(), p); }}),
    [](const testing::TestParamInfo<Unopenable> &info) { return info.param.name; });

} // namespace
