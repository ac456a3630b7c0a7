// SPDX-License-Identifier: GPL-3.0-or-later
#include "story_source.h"

#include "cp1252.h"
#include "plain_spelling.h"
#include "story_text.h"
#include "text.h"

#include <algorithm>
#include <optional>

namespace vantrel {

namespace {

constexpr int kQuestions = 3;
constexpr int kAnswers = 3;
constexpr std::string_view kTitle = "title:";
constexpr std::string_view kAudio = "audio:";
constexpr std::string_view kTranscript = "transcript:";
constexpr std::string_view kTimings = "timings:";
constexpr std::string_view kQuestion = "question:";
constexpr const char *kNotText = "this is not a text file vantrel-make can read; open it in your editor and save it "
                                 "as plain text with the encoding \"UTF-8\" (in Notepad: File > Save As, "
                                 "Encoding: UTF-8)";

std::string_view trimmed(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

bool startsWithKeyword(std::string_view line, std::string_view keyword)
{
    if (line.size() < keyword.size())
        return false;
    return std::equal(keyword.begin(), keyword.end(), line.begin(), [](char k, char c) {
        return k == (c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c);
    });
}

// Zero-width spaces and joiners, and a byte order mark inside the text: Word
// and web pages leave them, and they cannot be seen to be removed.
bool isInvisible(char32_t c)
{
    return (c >= 0x200B && c <= 0x200F) || c == 0x2060 || c == 0xFEFF;
}

std::string unwritableMessage(const Unwritable &problem)
{
    const std::string column = "column " + std::to_string(problem.column);
    const char32_t c = problem.codePoint;
    if (problem.notUtf8)
        return "the character in " + column + " is not saved as UTF-8; save the file with the encoding \"UTF-8\"";
    if (c == '\t')
        return "a tab in " + column + "; use spaces instead";
    if (c < 0x20 || (c >= 0x7F && c <= 0x9F) || isInvisible(c))
        return "an invisible character in " + column + " that a story can't hold; delete it";
    const std::string_view plain = plainSpelling(c);
    if (plain == " ")
        return "this kind of space can't be shown in a story (" + column + "); use an ordinary space";
    const bool letter = !plain.empty() && std::all_of(plain.begin(), plain.end(), [](char k) {
        return (k >= 'A' && k <= 'Z') || (k >= 'a' && k <= 'z');
    });
    return std::string(letter ? "this letter" : "this character") + " can't be shown in a story: " + utf8Of(c)
           + " (" + column + "); use " + (plain.empty() ? std::string("another character") : std::string(plain));
}

std::string ordinal(int n)
{
    static const char *const kWords[] = {"first", "second", "third", "fourth"};
    return n >= 1 && n <= 4 ? kWords[n - 1] : std::to_string(n) + "th";
}

class Reader {
public:
    ParsedStory finish(int lastLine)
    {
        if (!m_failed) {
            if (m_title.line == 0)
                error(1, "no \"title:\" line; every story needs one");
            if (m_audio.line == 0)
                error(1, "no \"audio:\" line naming the story's recording");
            if (m_transcript.line == 0)
                error(1, "no \"transcript:\" line; the transcript follows it");
            else if (m_transcriptText.empty())
                error(m_transcript.line, "the transcript is empty");
            closeQuestion();
            if (!m_failed && m_questionCount < kQuestions) {
                error(std::max(lastLine, 1), "the story ends after " + std::to_string(m_questionCount)
                                                 + (m_questionCount == 1 ? " question" : " questions")
                                                 + "; a story has exactly three");
            }
        }
        ParsedStory parsed;
        parsed.story.title = m_title;
        parsed.story.audio = m_audio;
        parsed.story.timings = m_timings;
        parsed.story.transcript = {m_transcriptText, m_transcript.line};
        parsed.story.transcriptLines = m_transcriptLines;
        parsed.story.questions = m_questions;
        std::stable_sort(m_errors.begin(), m_errors.end(),
                         [](const SourceError &a, const SourceError &b) { return a.line < b.line; });
        parsed.errors = std::move(m_errors);
        return parsed;
    }

    void readLine(int number, std::string_view raw)
    {
        const NarrowedLine narrowed = narrowToCp1252(raw);
        for (const Unwritable &problem : narrowed.problems)
            error(number, unwritableMessage(problem));
        const std::string_view line = trimmed(narrowed.bytes);
        // After a structural mistake the rest of the file would only bring
        // follow-on errors; character problems are still worth listing.
        if (m_failed || line.empty() || line.front() == '#')
            return;
        if (startsWithKeyword(line, kTitle))
            field(m_title, kTitle, number, line);
        else if (startsWithKeyword(line, kAudio))
            field(m_audio, kAudio, number, line);
        else if (startsWithKeyword(line, kTimings))
            field(m_timings, kTimings, number, line);
        else if (startsWithKeyword(line, kTranscript))
            transcriptStart(number, line);
        else if (startsWithKeyword(line, kQuestion))
            question(number, line);
        else if (line.front() == '-' || line.front() == '*')
            answer(number, line);
        else
            text(number, line);
    }

private:
    void error(int line, std::string message) { m_errors.push_back({line, std::move(message)}); }
    void fail(int line, std::string message)
    {
        error(line, std::move(message));
        m_failed = true;
    }

    bool inQuestions() const { return m_questionCount > 0; }

    void field(SourceText &into, std::string_view keyword, int number, std::string_view line)
    {
        const std::string quoted = std::string(1, '"').append(keyword).append(1, '"');
        if (into.line != 0)
            return fail(number, "a second " + quoted + " line (the first is line " + std::to_string(into.line) + ")");
        if (inQuestions())
            return fail(number, quoted + " among the questions; put it before the first \"question:\"");
        const std::string_view value = trimmed(line.substr(keyword.size()));
        if (value.empty())
            return fail(number, quoted + " is empty");
        into = {std::string(value), number};
    }

    void transcriptStart(int number, std::string_view line)
    {
        if (m_transcript.line != 0)
            return fail(number, "a second \"transcript:\" line (the first is line "
                                    + std::to_string(m_transcript.line) + ")");
        if (inQuestions())
            return fail(number, "\"transcript:\" among the questions; put it before the first \"question:\"");
        m_transcript.line = number;
        appendTranscript(number, trimmed(line.substr(kTranscript.size())));
    }

    void appendTranscript(int number, std::string_view text)
    {
        if (text.empty())
            return;
        if (!m_transcriptText.empty())
            m_transcriptText += ' ';
        m_transcriptText += text;
        m_transcriptLines.push_back({std::string(text), number});
    }

    void question(int number, std::string_view line)
    {
        if (m_transcript.line == 0)
            return fail(number, "a question before \"transcript:\"; the transcript comes first");
        closeQuestion();
        if (m_failed)
            return;
        if (m_questionCount == kQuestions)
            return fail(number, "a fourth question; a story has exactly three");
        const std::string_view value = trimmed(line.substr(kQuestion.size()));
        if (value.empty())
            return fail(number, "the question is empty");
        m_questions[static_cast<std::size_t>(m_questionCount)].text = {std::string(value), number};
        ++m_questionCount;
        m_answerCount = 0;
        m_firstCorrectLine = 0;
    }

    void answer(int number, std::string_view line)
    {
        if (!inQuestions())
            return fail(number, "an answer before the first \"question:\"");
        if (m_answerCount == kAnswers) {
            return fail(number, m_questionCount == kQuestions
                                    ? "text after the third question's three answers"
                                    : "a fourth answer; each question has exactly three");
        }
        const bool correct = line.front() == '*';
        const std::string_view value = trimmed(line.substr(1));
        if (value.empty())
            return fail(number, "the answer is empty");
        if (correct && m_firstCorrectLine != 0)
            return fail(number, "a second answer marked \"*\" (the first is line " + std::to_string(m_firstCorrectLine)
                                    + "); mark only the right answer with \"*\", the others with \"-\"");
        if (correct)
            m_firstCorrectLine = number;
        SourceQuestion &question = m_questions[static_cast<std::size_t>(m_questionCount - 1)];
        question.answers[static_cast<std::size_t>(m_answerCount)] = {{std::string(value), number}, correct};
        ++m_answerCount;
    }

    void text(int number, std::string_view line)
    {
        if (inQuestions()) {
            return fail(number, m_questionCount == kQuestions && m_answerCount == kAnswers
                                    ? "text after the third question's three answers"
                                    : "an answer must start with \"*\" (the right one) or \"-\"");
        }
        if (m_transcript.line == 0)
            return fail(number, "text before \"transcript:\"; start lines with \"title:\", \"audio:\" or "
                                "\"transcript:\", or with \"#\" for a comment");
        appendTranscript(number, line);
    }

    // A question is complete with three answers, one of them marked "*".
    void closeQuestion()
    {
        if (!inQuestions())
            return;
        const SourceQuestion &question = m_questions[static_cast<std::size_t>(m_questionCount - 1)];
        const std::string which = "the " + ordinal(m_questionCount) + " question";
        if (m_answerCount < kAnswers) {
            fail(question.text.line, which + " has " + std::to_string(m_answerCount)
                                         + (m_answerCount == 1 ? " answer" : " answers") + "; it needs exactly three");
        } else if (m_firstCorrectLine == 0) {
            fail(question.text.line, which + " has no answer marked \"*\"; mark the right answer with \"*\"");
        }
    }

    SourceText m_title;
    SourceText m_audio;
    SourceText m_timings;
    SourceText m_transcript;  // its line; the text gathers in m_transcriptText
    std::string m_transcriptText;
    std::vector<SourceText> m_transcriptLines;
    std::array<SourceQuestion, 3> m_questions{};
    int m_questionCount = 0;
    int m_answerCount = 0;
    int m_firstCorrectLine = 0;
    bool m_failed = false;
    std::vector<SourceError> m_errors;
};

} // namespace

ParsedStory parseStorySource(std::string_view raw)
{
    const std::optional<std::string> text = decodeTeachersText(raw);
    if (!text)
        return {{}, {{1, kNotText}}};
    std::string_view bytes = *text;
    Reader reader;
    int number = 0;
    while (!bytes.empty()) {
        const std::size_t end = bytes.find('\n');
        std::string_view line = bytes.substr(0, end);
        bytes.remove_prefix(end == std::string_view::npos ? bytes.size() : end + 1);
        if (!line.empty() && line.back() == '\r')
            line.remove_suffix(1);
        reader.readLine(++number, line);
    }
    return reader.finish(number);
}

bool looksLikeStorySource(std::string_view raw)
{
    const std::optional<std::string> text = decodeTeachersText(raw);
    std::string_view rest = text ? std::string_view(*text) : std::string_view();
    while (!rest.empty()) {
        const std::size_t end = std::min(rest.find('\n'), rest.size());
        const std::string_view line = trimmed(rest.substr(0, end));
        rest.remove_prefix(std::min(end + 1, rest.size()));
        if (!line.empty() && line != "\r" && line.front() != '#')
            return startsWithKeyword(line, kTitle);
    }
    return false;
}

} // namespace vantrel
