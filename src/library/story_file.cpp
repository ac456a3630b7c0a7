// SPDX-License-Identifier: GPL-3.0-or-later
#include "story_file.h"

#include <cerrno>
#include <fstream>
#include <system_error>
#include <utility>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

// Why the path cannot be treated as the story file, or nothing when it names
// a regular file (links followed). Only a regular file has a size worth
// trusting, and opening a pipe or device could block start-up.
std::optional<std::string> notAFileReason(const fs::path &path)
{
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    if (status.type() == fs::file_type::not_found) {
        std::error_code linkEc;
        if (fs::is_symlink(fs::symlink_status(path, linkEc)))
            return "is a link to a missing file";
        return ec ? ec.message() : std::string("No such file or directory");
    }
    if (ec)
        return ec.message();
    if (fs::is_directory(status))
        return "is a folder, not a file";
    if (!fs::is_regular_file(status))
        return "is not a regular file";
    return std::nullopt;
}

std::string errnoText(int error)
{
    if (error == 0)
        return "cannot be opened";
    return std::error_code(error, std::generic_category()).message();
}

} // namespace

SizeCheck checkStoryFileSize(const fs::path &path)
{
    SizeCheck check;
    if (auto why = notAFileReason(path)) {
        check.reason = std::move(*why);
        return check;
    }
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (ec) {
        check.reason = ec.message();
        return check;
    }
    check.size = size;
    check.verdict = size >= kMinStoryFileSize && size <= kMaxStoryFileSize
                        ? SizeCheck::Verdict::Accepted
                        : SizeCheck::Verdict::OutOfRange;
    return check;
}

LoadResult loadStoryFile(const fs::path &path)
{
    LoadResult result;
    if (auto why = notAFileReason(path)) {
        result.reason = std::move(*why);
        return result;
    }
    errno = 0;
    std::ifstream file(path, std::ios::binary);
    if (!file.is_open()) {
        result.reason = errnoText(errno);
        return result;
    }
    try {
        result.lines = StoryLines::read(file);
    } catch (const std::ios_base::failure &e) {
        // libstdc++ reports a failed read(2) by throwing from the buffer.
        const std::error_code code = e.code();
        result.reason = code && code != std::io_errc::stream ? code.message()
                                                             : std::string("could not be read");
    }
    return result;
}

} // namespace vantrel
