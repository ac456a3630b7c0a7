// SPDX-License-Identifier: GPL-3.0-or-later
#include "timing_check.h"

#include "cp1252.h"
#include "sentences.h"

#include <cerrno>
#include <fstream>
#include <iterator>
#include <limits>
#include <system_error>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

// A story of at most 65 s needs a few kilobytes of timing; far more is not a
// timing file, and is not worth holding in memory.
constexpr std::uintmax_t kMaxTimingFileBytes = 1 << 20;

// The file's bytes, or why they cannot be had.
std::optional<std::string> readTimingFile(const fs::path &path, const fs::file_status &status, std::string &bytes)
{
    if (fs::is_directory(status))
        return "the timing file is a folder, not a file";
    if (!fs::is_regular_file(status))
        return "the timing file is not a regular file";
    std::error_code ec;
    const std::uintmax_t size = fs::file_size(path, ec);
    if (!ec && size > kMaxTimingFileBytes) {
        return "the timing file is " + std::to_string(size) + " bytes; a timing file may be at most "
               + std::to_string(kMaxTimingFileBytes) + " bytes";
    }
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (ec || !in.is_open()) {
        const std::error_code why = ec ? ec : std::error_code(errno, std::generic_category());
        return "the timing file cannot be read" + (why ? ": " + why.message() : std::string());
    }
    bytes.assign(std::istreambuf_iterator<char>(in), {});
    return std::nullopt;
}

} // namespace

TimingFileCheck checkTimingFile(const fs::path &path, const std::string &shownName, std::string_view transcript,
                                std::optional<std::int64_t> recordingMs)
{
    TimingFileCheck check;
    std::error_code ec;
    const fs::file_status status = fs::status(path, ec);
    check.found = fs::exists(status);
    if (!check.found)
        return check;
    const auto error = [&](int line, std::string message) {
        check.findings.push_back({line, Finding::Severity::Error, std::move(message), shownName});
    };
    std::string bytes;
    if (const std::optional<std::string> why = readTimingFile(path, status, bytes)) {
        error(1, *why);
        return check;
    }
    TimingRead read = readWebVtt(bytes);
    // A cue that could not be read would shift every later one against the
    // sentences; its own error says enough.
    const std::vector<TimingError> errors
        = read.errors.empty() ? checkCues(read.cues, splitSentences(utf8FromCp1252(transcript)),
                                          recordingMs.value_or(std::numeric_limits<std::int64_t>::max()))
                              : read.errors;
    for (const TimingError &e : errors)
        error(e.line, e.message);
    check.cues = std::move(read.cues);
    return check;
}

} // namespace vantrel
