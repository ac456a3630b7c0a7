// SPDX-License-Identifier: GPL-3.0-or-later
#include "checker.h"

#include "cp1252.h"
#include "fit.h"
#include "hearing.h"
#include "mp3_duration.h"
#include "speech_check.h"
#include "story_block.h"
#include "story_file.h"
#include "timing_check.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <system_error>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

constexpr const char *kAudioExtension = ".MP3";
constexpr const char *kTimingExtension = ".vtt";
constexpr double kMaxDurationMismatch = 0.10;
constexpr double kExpectedKbits = 32.0;
constexpr std::size_t kShownNameLength = 40;

// Story bytes as the program shows them, in UTF-8 for the terminal.
std::string shownText(std::string_view bytes)
{
    return utf8FromCp1252(bytes);
}

// A story text in quotes, control characters made visible, long texts cut.
std::string inQuotes(std::string_view bytes)
{
    std::string out = "\"";
    std::size_t shown = 0;
    for (const char c : bytes) {
        if (++shown > kShownNameLength) {
            out += "...";
            break;
        }
        if (c == '\n') {
            out += "\\n";
        } else if (c == '\t') {
            out += "\\t";
        } else if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", static_cast<unsigned char>(c));
            out += hex;
        } else {
            out += shownText(std::string_view(&c, 1));
        }
    }
    return out + "\"";
}

std::string seconds(double ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", ms / 1000.0);
    return text;
}

std::string counted(std::uintmax_t n, const char *singular, const char *plural)
{
    return std::to_string(n) + " " + (n == 1 ? singular : plural);
}

std::string asciiLower(std::string text)
{
    for (char &c : text)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return text;
}

std::string trimmedSpaces(const std::string &text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

class Checker {
public:
    Checker(const fs::path &folder, const StoryLines &lines, bool hear) : m_folder(folder), m_lines(lines), m_hear(hear)
    {
    }

    std::vector<Finding> take() { return std::move(m_findings); }

    void error(int line, std::string message)
    {
        m_findings.push_back({line, Finding::Severity::Error, std::move(message)});
    }
    void warning(int line, std::string message)
    {
        m_findings.push_back({line, Finding::Severity::Warning, std::move(message)});
    }

    void checkLineEndings()
    {
        if (m_lines.suppliedCount() == 1 && m_lines.line(1).find('\n') != std::string::npos) {
            warning(1, "the lines end in LF alone (Unix line endings), but Vantrel ends a line only at CR, "
                       "so it reads the whole file as one line; save it with Windows (CR LF) line endings");
            return;
        }
        for (int n = 1; n <= kSlotCount * kBlockSize; ++n) {
            const std::string &text = m_lines.line(n);
            const auto feeds = static_cast<std::uintmax_t>(std::count(text.begin(), text.end(), '\n'));
            if (feeds > 0) {
                warning(n, "this line holds " + counted(feeds, "line feed", "line feeds")
                               + " without a carriage return; Vantrel does not end a line there, so what your "
                                 "editor shows as the next lines belongs to this one and every later line moves up; "
                                 "use CR LF line endings");
            }
        }
    }

    void checkSlot(int slot)
    {
        const int base = blockBase(slot);
        const StoryBlock block = StoryBlock::read(m_lines, base);
        const std::string story = "story " + std::to_string(slot) + ": ";
        if (!block.isPresent()) {
            if (!block.title.empty()) {
                warning(base + kAudioNameLine, story + "line 1 (the audio name) is empty but the title is not: the "
                                                       "story stays \"unavailable\" at start-up and appears only "
                                                       "after a return to the menu");
            }
            return;
        }
        ++m_present;
        const std::optional<std::int64_t> recordingMs = checkAudio(block.audioName, story, base + kAudioNameLine);
        checkTiming(block, recordingMs);
        if (block.title.empty())
            warning(base + kTitleLine, story + "the title is empty");
        if (block.transcript.empty())
            warning(base + kTranscriptLine, story + "the transcript is empty");
        for (int q = 0; q < kQuestionCount; ++q)
            checkQuestion(story, base, block.questions[static_cast<std::size_t>(q)], q);
    }

    void checkNoStory()
    {
        if (m_present == 0)
            warning(1, "no story is present (line 1 of every block is empty), so every menu entry stays "
                       "\"unavailable\"");
    }

private:
    // Question q of the story's block, 0 to 2, whose lines follow line `base`.
    void checkQuestion(const std::string &story, int base, const BlockQuestion &question, int q)
    {
        const int line = base + questionLine(q);
        const std::string number = std::to_string(q + 1);
        if (question.text.empty())
            warning(line, story + "question " + number + " is empty");
        std::string correct;
        for (int a = 0; a < kAnswerCount; ++a) {
            const BlockAnswer &answer = question.answers[static_cast<std::size_t>(a)];
            const std::string name = number + static_cast<char>('A' + a);
            if (answer.text.empty())
                warning(base + answerLine(q, a), story + "answer " + name + " is empty");
            if (isCorrectKey(answer.key)) {
                correct.push_back(static_cast<char>('A' + a));
            } else if (!answer.key.empty()) {
                warning(base + keyLine(q, a), story + "the key of answer " + name + " is " + inQuotes(answer.key)
                                                  + "; only an exact \"*\" marks the right answer, "
                                                    "so this one counts as wrong");
            }
        }
        if (correct.empty()) {
            error(line, story + "question " + number + " has no answer keyed exactly \"*\", so it can never be solved");
        } else if (correct.size() > 1) {
            const std::string letters = correct.size() == 2
                                            ? std::string{correct[0]} + " and " + correct[1]
                                            : std::string{correct[0]} + ", " + correct[1] + " and " + correct[2];
            warning(line, story + "question " + number + " has " + std::to_string(correct.size())
                              + " answers keyed \"*\" (" + letters + "); any of them counts as right");
        }
    }

    // The timing file is named like the MP3; without a playing time read
    // from the MP3's frames, its cues are checked against the text alone.
    // Only cues that pass are heard against the MP3.
    void checkTiming(const StoryBlock &block, std::optional<std::int64_t> recordingMs)
    {
        const std::string sound = shownText(block.audioName);
        const std::string name = sound + kTimingExtension;
        const fs::path heard = m_hear ? m_folder / fs::path(sound + kAudioExtension) : fs::path();
        TimingFileCheck timing = checkTimingFile(m_folder / fs::path(name), name, block.transcript, recordingMs);
        const bool accepted = timing.found && timing.findings.empty();
        for (Finding &finding : timing.findings)
            m_findings.push_back(std::move(finding));
        if (accepted && !heard.empty())
            hearTimingFile(heard, timing.cues, name, m_findings);
    }

    // The recording's playing time, rounded up to whole milliseconds, when
    // its frames can be read.
    std::optional<std::int64_t> checkAudio(const std::string &name, const std::string &story, int line)
    {
        if (name.find_first_of("/\\") != std::string::npos) {
            warning(line, story + "the audio name " + inQuotes(name)
                              + " holds a path separator; put the MP3 beside vtl.txt and name it without a folder");
        }
        // Vantrel widens the name and hands it to the file system, which
        // takes UTF-8 on Linux.
        const std::string fileName = shownText(name) + kAudioExtension;
        const std::string audio = story + "audio file " + inQuotes(name + kAudioExtension);
        const fs::path path = m_folder / fs::path(fileName);

        std::error_code ec;
        const fs::file_status status = fs::status(path, ec);
        if (status.type() == fs::file_type::not_found) {
            error(line, audio + " is missing" + lookAlike(name));
            return std::nullopt;
        }
        if (!fs::is_regular_file(status)) {
            error(line, audio + (ec ? " cannot be read: " + ec.message() : std::string(" is not a file")));
            return std::nullopt;
        }
        const std::uintmax_t size = fs::file_size(path, ec);
        std::ifstream in(path, std::ios::binary);
        if (ec || !in.is_open()) {
            error(line, audio + " cannot be read" + (ec ? ": " + ec.message() : std::string()));
            return std::nullopt;
        }
        if (size == 0) {
            error(line, audio + " is empty");
            return std::nullopt;
        }
        const std::uintmax_t delay = hearingDelayMs(size);
        if (delay == 0) {
            error(line, audio + " is only " + counted(size, "byte", "bytes") + ", so a hearing of it would last 0 ms");
            return std::nullopt;
        }
        if (size > kMaxHearingAudioBytes) {
            warning(line, audio + " is " + std::to_string(size) + " bytes, so a hearing lasts "
                              + seconds(static_cast<double>(delay))
                              + "; a hearing may last at most 65.5 s (262141 bytes)");
        }

        const std::optional<Mp3Scan> scan = scanMp3(in);
        if (!scan) {
            warning(line, audio + " does not look like MP3 audio (no MPEG audio frames found)");
            return std::nullopt;
        }
        const double real = scan->durationMs;
        const std::int64_t recordingMs = scan->wholeMs();
        if (std::abs(static_cast<double>(delay) - real) <= kMaxDurationMismatch * real)
            return recordingMs;
        const double kbits = static_cast<double>(scan->frameBytes) * 8.0 / real;
        std::string why;
        if (std::abs(kbits - kExpectedKbits) > 0.05 * kExpectedKbits) {
            why = "its sound is " + std::to_string(std::lround(kbits))
                  + " kbit/s, not 32; re-encode it at a constant 32 kbit/s";
        } else {
            why = std::to_string(size - scan->frameBytes)
                  + " of its bytes are not sound (tags, a picture or other data); remove them";
        }
        warning(line, audio + " plays for " + seconds(real) + ", but its hearing ends after "
                          + seconds(static_cast<double>(delay)) + " (size / 4 ms): " + why);
        return recordingMs;
    }

    // A "missing" file is most often there under a name that differs in
    // letter case or surrounding spaces; point the author at it.
    std::string lookAlike(const std::string &name) const
    {
        const std::string wanted = asciiLower(trimmedSpaces(shownText(name)) + kAudioExtension);
        std::error_code ec;
        for (fs::directory_iterator it(m_folder, ec), end; !ec && it != end; it.increment(ec)) {
            const std::string candidate = it->path().filename().string();
            if (asciiLower(candidate) == wanted) {
                return " (there is \"" + candidate + "\""
                       + "; the name must match line 1 exactly, followed by \".MP3\" in capitals)";
            }
        }
        return {};
    }

    const fs::path &m_folder;
    const StoryLines &m_lines;
    bool m_hear = true;
    std::vector<Finding> m_findings;
    int m_present = 0;
};

std::string sizeMessage(std::uintmax_t size, const StoryPart &part)
{
    std::string message = "the file is " + std::to_string(size) + " bytes, ";
    if (size > kMaxStoryFileSize)
        message += std::to_string(size - kMaxStoryFileSize) + " too many";
    else
        message += std::to_string(kMinStoryFileSize - size) + " too few";
    message += "; it must be 8860 to 8868 bytes";
    if (part.minimumSize() > kMaxStoryFileSize) {
        return message + ", but lines 1 to 288 alone take " + std::to_string(part.minimumSize())
               + " bytes: shorten the stories by at least "
               + counted(part.minimumSize() - kMaxStoryFileSize, "byte", "bytes");
    }
    return message + " (vantrel-check --fit can " + (size > kMaxStoryFileSize ? "trim" : "pad")
           + " the unused lines after line 288)";
}

} // namespace

int LibraryCheck::errorCount() const
{
    return static_cast<int>(std::count_if(findings.begin(), findings.end(), [](const Finding &f) {
        return f.severity == Finding::Severity::Error;
    }));
}

int LibraryCheck::storyFileErrorCount() const
{
    return static_cast<int>(std::count_if(findings.begin(), findings.end(), [](const Finding &f) {
        return f.severity == Finding::Severity::Error && f.file == kStoryFileName;
    }));
}

int LibraryCheck::warningCount() const
{
    return static_cast<int>(findings.size()) - errorCount();
}

LibraryCheck checkLibrary(const fs::path &folder, bool hear)
{
    LibraryCheck check;
    const fs::path path = folder / kStoryFileName;
    const SizeCheck size = checkStoryFileSize(path);
    if (size.verdict == SizeCheck::Verdict::Unreadable) {
        check.reason = size.reason;
        return check;
    }
    const LoadResult load = loadStoryFile(path);
    if (!load.lines) {
        check.reason = load.reason;
        return check;
    }
    check.readable = true;

    Checker checker(folder, *load.lines, hear);
    if (size.verdict == SizeCheck::Verdict::OutOfRange) {
        std::ifstream in(path, std::ios::binary);
        checker.error(1, sizeMessage(size.size, measureStoryPart(in)));
        check.sizeOutOfRange = true;
    }
    checker.checkLineEndings();
    for (int slot = 1; slot <= kSlotCount; ++slot)
        checker.checkSlot(slot);
    checker.checkNoStory();

    check.findings = checker.take();
    // The timing files' findings keep their order: story by story, each
    // file's in line order.
    std::stable_sort(check.findings.begin(), check.findings.end(), [](const Finding &a, const Finding &b) {
        const bool aStoryFile = a.file == kStoryFileName, bStoryFile = b.file == kStoryFileName;
        return aStoryFile && (!bStoryFile || a.line < b.line);
    });
    return check;
}

std::string summaryLine(const LibraryCheck &check)
{
    return counted(static_cast<std::uintmax_t>(check.errorCount()), "error", "errors") + ", "
           + counted(static_cast<std::uintmax_t>(check.warningCount()), "warning", "warnings");
}

} // namespace vantrel
