// SPDX-License-Identifier: GPL-3.0-or-later
#include "fit.h"

#include "story_file.h"
#include "story_block.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <system_error>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

constexpr int kStoryLineCount = kSlotCount * kBlockSize;
// The middle of the accepted window: a few bytes of later edits either way
// keep the file accepted.
constexpr std::uintmax_t kFitTarget = (kMinStoryFileSize + kMaxStoryFileSize) / 2;

// Unused lines after line 288, cut to exactly `count` bytes.
std::string filler(std::size_t count, bool startNewLine, const std::string &ending)
{
    std::string text = startNewLine ? ending : std::string();
    const std::string line = std::string(60, '=') + ending;
    while (text.size() < count)
        text += line;
    text.resize(count);
    return text;
}

bool isLineEnding(char c)
{
    return c == '\r' || c == '\n';
}

std::string errnoText(const char *fallback)
{
    return errno != 0 ? std::error_code(errno, std::generic_category()).message()
                      : std::string(fallback);
}

bool writeFile(const fs::path &path, std::string_view bytes)
{
    errno = 0;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    return !out.fail();
}

} // namespace

StoryPart measureStoryPart(std::istream &in)
{
    using Traits = std::streambuf::traits_type;
    StoryPart part;
    std::streambuf *buffer = in.rdbuf();
    int lines = 0;
    bool ended = true;  // an empty file needs no ending before its first new line
    bool crLf = true;   // the last ending seen, CR LF where there is none
    // The same line-ending rule as the loader: CR ends a line, an LF right
    // after it belongs to that ending, a bare LF is text.
    while (buffer && lines < kStoryLineCount && !Traits::eq_int_type(buffer->sgetc(), Traits::eof())) {
        ++lines;
        ended = false;
        while (!Traits::eq_int_type(buffer->sgetc(), Traits::eof())) {
            const char c = Traits::to_char_type(buffer->sbumpc());
            ++part.length;
            if (c != '\r')
                continue;
            crLf = Traits::eq_int_type(buffer->sgetc(), Traits::to_int_type('\n'));
            if (crLf) {
                buffer->sbumpc();
                ++part.length;
            }
            ended = true;
            break;
        }
    }
    part.ending = crLf ? "\r\n" : "\r";
    const int missing = kStoryLineCount - lines + (ended ? 0 : 1);
    for (int i = 0; i < missing; ++i)
        part.missingEndings += part.ending;
    return part;
}

FitPlan planFit(std::string_view fileBytes)
{
    FitPlan plan;
    std::istringstream in{std::string(fileBytes)};
    plan.storyPart = measureStoryPart(in);
    const StoryPart &part = plan.storyPart;
    if (fileBytes.size() >= kMinStoryFileSize && fileBytes.size() <= kMaxStoryFileSize)
        return plan;
    if (part.minimumSize() > kMaxStoryFileSize) {
        plan.outcome = FitPlan::Outcome::StoriesTooLong;
        return plan;
    }

    const auto target = static_cast<std::size_t>(std::max(kFitTarget, part.minimumSize()));
    const auto storyLength = static_cast<std::size_t>(part.length);
    std::string_view tail = fileBytes.substr(storyLength);
    const std::size_t tailWanted = target - storyLength - part.missingEndings.size();

    plan.bytes.reserve(target);
    plan.bytes.append(fileBytes.substr(0, storyLength));
    plan.bytes.append(part.missingEndings);
    if (tail.size() >= tailWanted) {
        plan.bytes.append(tail.substr(0, tailWanted));
    } else {
        plan.bytes.append(tail);
        const bool openLine = !tail.empty() && !isLineEnding(tail.back());
        plan.bytes.append(filler(tailWanted - tail.size(), openLine, part.ending));
    }
    plan.outcome = plan.bytes.size() < fileBytes.size() ? FitPlan::Outcome::Trimmed
                                                       : FitPlan::Outcome::Padded;

    // The promise to the author, checked before anything is written.
    const StoryLines before = StoryLines::parse(fileBytes);
    const StoryLines after = StoryLines::parse(plan.bytes);
    for (int n = 1; n <= kStoryLineCount; ++n) {
        if (before.line(n) != after.line(n))
            throw std::logic_error("fitting the story file changed line " + std::to_string(n));
    }
    return plan;
}

FitResult fitStoryFile(const fs::path &folder)
{
    FitResult result;
    const fs::path path = folder / kStoryFileName;
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    std::string bytes(std::istreambuf_iterator<char>(in), {});
    if (!in.is_open() || in.bad()) {
        result.failure = "cannot read " + path.string() + ": " + errnoText("read error");
        return result;
    }
    in.close();

    const FitPlan plan = planFit(bytes);
    result.outcome = plan.outcome;
    result.oldSize = bytes.size();
    result.newSize = plan.outcome == FitPlan::Outcome::Trimmed || plan.outcome == FitPlan::Outcome::Padded
                         ? plan.bytes.size()
                         : bytes.size();
    result.storyBytes = plan.storyPart.minimumSize();
    if (result.newSize == result.oldSize)
        return result;

    fs::path backup = path;
    backup += ".bak";
    if (!writeFile(backup, bytes)) {
        result.failure = "cannot write " + backup.string() + ": " + errnoText("write error")
                         + "; vtl.txt is unchanged";
        return result;
    }
    if (!writeFile(path, plan.bytes)) {
        result.failure = "cannot write " + path.string() + ": " + errnoText("write error")
                         + "; the old file is in " + backup.string();
    }
    return result;
}

} // namespace vantrel
