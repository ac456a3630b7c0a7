// SPDX-License-Identifier: GPL-3.0-or-later
#include "transcript_check.h"

#include "cp1252.h"
#include "speech_coverage.h"
#include "text.h"

#include <algorithm>
#include <cstdio>

namespace vantrel {

namespace {

constexpr std::size_t kQuotedLength = 40;

std::string seconds(std::int64_t ms)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", static_cast<double>(ms) / 1000.0);
    return text;
}

std::string untimedMessage(const UntimedSpeech &speech, const std::vector<std::string> &sentences)
{
    const bool last = speech.before == sentences.size();
    const std::string where = last ? "after " + quotedSentence(sentences.back())
                                   : "before " + quotedSentence(sentences[speech.before]);
    return "the recording speaks from " + seconds(speech.startMs) + " to " + seconds(speech.endMs) + " s, " + where
           + ", but the transcript has nothing there; write what is said into the transcript, or cut it from the "
             "recording";
}

std::string unspokenMessage(const std::string &sentence, std::int64_t atMs)
{
    return "the recording does not say " + quotedSentence(sentence) + " (it would come at about " + seconds(atMs)
           + " s); take the sentence out of the transcript, or record it; until then this story gets no sentence "
             "timings";
}

} // namespace

std::string quotedSentence(const std::string &sentence)
{
    std::string quoted(1, '"');
    if (sentence.size() <= kQuotedLength)
        return quoted.append(sentence).append(1, '"');
    const std::size_t space = sentence.rfind(' ', kQuotedLength);
    return quoted.append(sentence, 0, space == std::string::npos ? kQuotedLength : space).append(" ...\"");
}

std::vector<int> sentenceLines(const StorySource &story, const std::vector<std::string> &sentences)
{
    // The transcript's lines joined as the story file joins them, each
    // line's place in it remembered.
    std::string joined;
    std::vector<std::pair<std::size_t, int>> starts;
    for (const SourceText &line : story.transcriptLines) {
        if (!joined.empty())
            joined += ' ';
        starts.emplace_back(joined.size(), line.line);
        joined += collapseSpaces(utf8FromCp1252(line.bytes));
    }
    std::vector<int> lines;
    std::size_t from = 0;
    for (const std::string &sentence : sentences) {
        const std::size_t at = joined.find(sentence, from);
        int line = story.transcript.line;
        for (const auto &[offset, number] : starts) {
            if (at != std::string::npos && offset <= at)
                line = number;
        }
        lines.push_back(line);
        from = at == std::string::npos ? from : at + sentence.size();
    }
    return lines;
}

TranscriptCheck checkAgainstTranscript(const FolderStory &story, const std::vector<std::string> &sentences,
                                       const std::vector<Cue> &cues, const std::vector<float> &loudness,
                                       const std::vector<std::size_t> &unspoken)
{
    TranscriptCheck check;
    const std::vector<int> lines = sentenceLines(story.story, sentences);
    const SpeechCoverage coverage = checkSpeechCoverage(loudness, cues);
    for (const UntimedSpeech &speech : coverage.untimed) {
        const int line = lines[std::min(speech.before, sentences.size() - 1)];
        check.warnings.push_back({story.file, line, untimedMessage(speech, sentences), true});
    }
    std::vector<std::size_t> unsaid = unspoken;
    unsaid.insert(unsaid.end(), coverage.silent.begin(), coverage.silent.end());
    std::sort(unsaid.begin(), unsaid.end());
    unsaid.erase(std::unique(unsaid.begin(), unsaid.end()), unsaid.end());
    for (const std::size_t s : unsaid)
        check.warnings.push_back({story.file, lines[s], unspokenMessage(sentences[s], cues[s].startMs), true});
    if (!unsaid.empty())
        check.untimedBecause = "the recording does not say every sentence of the transcript";
    std::stable_sort(check.warnings.begin(), check.warnings.end(),
                     [](const MakeError &a, const MakeError &b) { return a.line < b.line; });
    return check;
}

} // namespace vantrel
