// SPDX-License-Identifier: GPL-3.0-or-later
#include "timing_file.h"

#include "text.h"
#include "timing_text.h"

#include <algorithm>
#include <array>
#include <optional>

namespace vantrel {

namespace {

using namespace std::string_view_literals;

constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";
constexpr std::string_view kArrow = "-->";
// More hours than any recording lasts, and few enough digits that the
// milliseconds cannot overflow.
constexpr std::size_t kMaxHourDigits = 9;
constexpr std::size_t kMaxSecondDigits = 12;
constexpr std::array kSkippedBlocks = {"NOTE"sv, "STYLE"sv, "REGION"sv};
constexpr const char *kTimeShape = "write it as mm:ss.ttt or hh:mm:ss.ttt, such as 01:02.500";

// The lines of the text without their endings (LF, CR LF or CR); an ending
// at the very end starts no further line.
std::vector<std::string_view> splitLines(std::string_view text)
{
    std::vector<std::string_view> lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = std::min(text.find_first_of("\r\n", start), text.size());
        lines.push_back(text.substr(start, end - start));
        start = end + (text.compare(end, 2, "\r\n") == 0 ? 2 : 1);
    }
    return lines;
}

// The lines after any byte order mark; none when one of them is not UTF-8,
// which is then the file's one error: its text cannot be trusted.
std::vector<std::string_view> textLines(std::string_view bytes, TimingRead &read)
{
    if (bytes.starts_with(kByteOrderMark))
        bytes.remove_prefix(kByteOrderMark.size());
    const std::vector<std::string_view> lines = splitLines(bytes);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!isUtf8(lines[i])) {
            read.errors.push_back({lineNumber(i), "this line is not UTF-8 text; save the file as UTF-8"});
            return {};
        }
    }
    return lines;
}

bool isDigits(std::string_view text, std::size_t minimum, std::size_t maximum)
{
    return text.size() >= minimum && text.size() <= maximum
           && std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The value of at most 18 digits, so it fits.
std::int64_t valueOf(std::string_view digits)
{
    std::int64_t value = 0;
    for (const char c : digits)
        value = value * 10 + (c - '0');
    return value;
}

struct Time {
    std::int64_t ms = 0;
    const char *problem = nullptr;  // why the text is not a time
};

// "mm:ss.ttt" or "hh:mm:ss.ttt", hours at least two digits.
Time parseTimestamp(std::string_view text)
{
    const std::size_t point = text.find('.');
    const std::size_t lastColon = text.rfind(':', point);
    if (point == std::string_view::npos || lastColon == std::string_view::npos)
        return {0, kTimeShape};
    const std::string_view front = text.substr(0, lastColon);
    const std::size_t firstColon = front.rfind(':');
    const bool withHours = firstColon != std::string_view::npos;
    const std::string_view hours = withHours ? front.substr(0, firstColon) : ""sv;
    const std::string_view minutes = withHours ? front.substr(firstColon + 1) : front;
    const std::string_view seconds = text.substr(lastColon + 1, point - lastColon - 1);
    const std::string_view fraction = text.substr(point + 1);
    if (!isDigits(minutes, 2, 2) || !isDigits(seconds, 2, 2) || !isDigits(fraction, 3, 3)
        || (withHours && !isDigits(hours, 2, std::string_view::npos)))
        return {0, kTimeShape};
    if (hours.size() > kMaxHourDigits)
        return {0, "the hours have more than 9 digits"};
    if (valueOf(minutes) > 59)
        return {0, "minutes run from 00 to 59"};
    if (valueOf(seconds) > 59)
        return {0, "seconds run from 00 to 59"};
    return {valueOf(hours) * kHourMs + valueOf(minutes) * kMinuteMs + valueOf(seconds) * kSecondMs
                + valueOf(fraction),
            nullptr};
}

std::string_view trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

bool hasArrow(std::string_view line)
{
    return line.find(kArrow) != std::string_view::npos;
}

// The times of a "START --> END [settings]" line, or nothing after
// reporting what is wrong with them.
std::optional<Cue> readTimes(std::string_view line, int number, std::vector<TimingError> &errors)
{
    const std::size_t arrow = line.find(kArrow);
    const std::string_view startText = trimmed(line.substr(0, arrow));
    const std::string_view after = trimmed(line.substr(arrow + kArrow.size()));
    const std::string_view endText = after.substr(0, after.find_first_of(" \t"));
    const Time start = parseTimestamp(startText), end = parseTimestamp(endText);
    if (start.problem)
        errors.push_back({number, "the start " + quoted(startText) + " is not a time: " + start.problem});
    if (end.problem)
        errors.push_back({number, "the end " + quoted(endText) + " is not a time: " + end.problem});
    if (start.problem || end.problem)
        return std::nullopt;
    return Cue{start.ms, end.ms, {}, number};
}

// "NOTE", "STYLE" or "REGION" alone or before a space or tab.
bool isSkippedBlock(std::string_view head)
{
    return std::any_of(kSkippedBlocks.begin(), kSkippedBlocks.end(), [head](std::string_view word) {
        return head.starts_with(word)
               && (head.size() == word.size() || head[word.size()] == ' ' || head[word.size()] == '\t');
    });
}

std::size_t blockEnd(const std::vector<std::string_view> &lines, std::size_t from)
{
    while (from < lines.size() && !lines[from].empty())
        ++from;
    return from;
}

// True for a NOTE block that holds kAsPlayedNote, on its first line or after.
bool isAsPlayedNote(const std::vector<std::string_view> &lines, std::size_t first, std::size_t end)
{
    return lines[first].starts_with("NOTE")
           && std::any_of(lines.begin() + static_cast<std::ptrdiff_t>(first),
                          lines.begin() + static_cast<std::ptrdiff_t>(end),
                          [](std::string_view line) { return line.find(kAsPlayedNote) != std::string_view::npos; });
}

// A cue's text line, its word times taken out: "<" and a digit start one,
// up to the next ">" with no space or "<" between. Other tags, and a lone
// "<", stay text, for the check to show.
void appendCueLine(Cue &cue, std::string_view line, int number, std::vector<TimingError> &errors)
{
    for (std::size_t i = 0; i < line.size();) {
        const std::size_t close = line[i] == '<' ? line.find_first_of("<> \t", i + 1) : std::string_view::npos;
        if (close == std::string_view::npos || line[close] != '>' || line[i + 1] < '0' || line[i + 1] > '9') {
            cue.text += line[i++];
            continue;
        }
        const std::string_view tag = line.substr(i + 1, close - i - 1);
        const Time time = parseTimestamp(tag);
        if (time.problem)
            errors.push_back({number, "the word time " + quoted(tag) + " is not a time: " + time.problem});
        else
            cue.words.push_back({time.ms, cue.text.size(), number});
        i = close + 1;
    }
}

// Reads the block that starts at `first` and returns where the next one
// starts: at its blank line, or at a timing line that should have had one.
std::size_t readBlock(const std::vector<std::string_view> &lines, std::size_t first, TimingRead &read)
{
    if (isSkippedBlock(lines[first])) {
        const std::size_t end = blockEnd(lines, first);
        read.asPlayed = read.asPlayed || isAsPlayedNote(lines, first, end);
        return end;
    }
    const std::size_t timing = hasArrow(lines[first]) ? first : first + 1;
    if (timing == lines.size() || lines[timing].empty() || !hasArrow(lines[timing])) {
        read.errors.push_back({lineNumber(first), "these lines are neither a timed sentence nor a note: a timed "
                                                  "sentence starts with its times, such as \"00:01.000 --> "
                                                  "00:04.500\", or with one line naming it and then its times"});
        return blockEnd(lines, first);
    }
    std::optional<Cue> cue = readTimes(lines[timing], lineNumber(timing), read.errors);
    Cue text;
    std::size_t k = timing + 1;
    for (; k < lines.size() && !lines[k].empty(); ++k) {
        if (hasArrow(lines[k])) {
            read.errors.push_back({lineNumber(k), "a sentence's text cannot hold \"-->\"; put a blank line "
                                                  "before the next sentence's times"});
            return k;
        }
        if (k > timing + 1)
            text.text += ' ';
        appendCueLine(text, lines[k], lineNumber(k), read.errors);
    }
    if (cue) {
        cue->text = std::move(text.text);
        cue->words = std::move(text.words);
        read.cues.push_back(std::move(*cue));
    }
    return k;
}

bool isSignature(std::string_view line)
{
    return line.starts_with("WEBVTT") && (line.size() == 6 || line[6] == ' ' || line[6] == '\t');
}

// Seconds as Audacity writes them, "12.345678" (or "12,345678" in locales
// with a decimal comma), to the nearest millisecond.
std::optional<std::int64_t> parseSeconds(std::string_view text)
{
    const std::size_t point = text.find_first_of(".,");
    const std::string_view whole = text.substr(0, point);
    const std::string_view fraction = point == std::string_view::npos ? "0"sv : text.substr(point + 1);
    if (!isDigits(whole, 1, kMaxSecondDigits) || !isDigits(fraction, 1, std::string_view::npos))
        return std::nullopt;
    std::int64_t ms = valueOf(whole) * kSecondMs;
    std::int64_t scale = 100;
    for (std::size_t k = 0; k < 3 && k < fraction.size(); ++k, scale /= 10)
        ms += (fraction[k] - '0') * scale;
    return fraction.size() > 3 && fraction[3] >= '5' ? ms + 1 : ms;
}

void readLabel(std::string_view line, int number, TimingRead &read)
{
    const std::size_t tab = line.find('\t');
    if (tab == std::string_view::npos) {
        read.errors.push_back({number, "a label line holds its start, end and text, separated by tabs; this one "
                                       "has no tab"});
        return;
    }
    const std::size_t textTab = line.find('\t', tab + 1);
    const std::string_view startText = line.substr(0, tab);
    const std::string_view endText = line.substr(tab + 1, textTab == std::string_view::npos ? textTab : textTab - tab - 1);
    const std::optional<std::int64_t> start = parseSeconds(startText), end = parseSeconds(endText);
    if (!start)
        read.errors.push_back({number, "the label's start " + quoted(startText) + " is not a time in seconds, "
                                                                                 "such as 1.250"});
    if (!end)
        read.errors.push_back({number, "the label's end " + quoted(endText) + " is not a time in seconds, "
                                                                             "such as 1.250"});
    if (start && end) {
        const std::string_view text = textTab == std::string_view::npos ? ""sv : line.substr(textTab + 1);
        read.cues.push_back({*start, *end, std::string(text), number});
    }
}

} // namespace

TimingRead readWebVtt(std::string_view bytes)
{
    TimingRead read;
    const std::vector<std::string_view> lines = textLines(bytes, read);
    if (!read.errors.empty())
        return read;
    if (lines.empty() || !isSignature(lines[0])) {
        read.errors.push_back({1, "the first line is not \"WEBVTT\", so this is not a WebVTT file"});
        return read;
    }
    std::size_t i = 1;
    while (i < lines.size() && !lines[i].empty() && !hasArrow(lines[i]))
        ++i;
    if (i < lines.size() && !lines[i].empty())
        read.errors.push_back({lineNumber(i), "a blank line must come before the first timed sentence"});
    while (i < lines.size())
        i = lines[i].empty() ? i + 1 : readBlock(lines, i, read);
    if (read.cues.empty() && read.errors.empty())
        read.errors.push_back({1, "the file holds no timed sentence"});
    return read;
}

TimingRead readAudacityLabels(std::string_view bytes)
{
    TimingRead read;
    const std::vector<std::string_view> lines = textLines(bytes, read);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        if (!lines[i].starts_with('\\') && !trimmed(lines[i]).empty())
            readLabel(lines[i], lineNumber(i), read);
    }
    if (read.cues.empty() && read.errors.empty())
        read.errors.push_back({1, "the file holds no label"});
    return read;
}

std::string writeWebVtt(const std::vector<Cue> &cues)
{
    std::string out = "WEBVTT\n\nNOTE\n" + std::string(kAsPlayedNote)
                      + "\nGiven back in a story's \"timings:\" line with this note, they are used as they "
                        "stand.\n\n";
    for (const Cue &cue : cues) {
        out += formatTime(cue.startMs) + " --> " + formatTime(cue.endMs) + "\n";
        std::size_t written = 0;
        for (const WordStart &word : cue.words) {
            const std::size_t at = std::clamp(word.at, written, cue.text.size());
            out += cue.text.substr(written, at - written) + "<" + formatTime(word.ms) + ">";
            written = at;
        }
        out += cue.text.substr(written) + "\n\n";
    }
    return out;
}

} // namespace vantrel
