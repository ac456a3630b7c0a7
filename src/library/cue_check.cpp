// SPDX-License-Identifier: GPL-3.0-or-later
// checkCues, of timing_file.h: a story's cues against its sentences and its
// recording.
#include "text.h"
#include "timing_file.h"
#include "timing_text.h"

#include <algorithm>

namespace vantrel {

namespace {

std::string counted(std::size_t n, const char *singular, const char *plural)
{
    return std::to_string(n) + " " + (n == 1 ? singular : plural);
}

void checkTimes(const Cue &cue, const Cue *previous, std::int64_t lengthMs, std::vector<TimingError> &errors)
{
    const auto error = [&](std::string message) { errors.push_back({cue.line, std::move(message)}); };
    if (cue.endMs < cue.startMs)
        error("this sentence ends at " + formatTime(cue.endMs) + ", before it starts at " + formatTime(cue.startMs));
    else if (cue.endMs == cue.startMs)
        error("this sentence ends where it starts, at " + formatTime(cue.startMs) + "; it must end after it starts");
    if (previous && cue.startMs < previous->startMs) {
        error("this sentence starts at " + formatTime(cue.startMs) + ", before the sentence before it (line "
              + std::to_string(previous->line) + "), which starts at " + formatTime(previous->startMs)
              + "; the sentences must be timed in the transcript's order");
    } else if (previous && cue.startMs < previous->endMs) {
        error("this sentence starts at " + formatTime(cue.startMs) + ", before the sentence before it (line "
              + std::to_string(previous->line) + ") ends at " + formatTime(previous->endMs)
              + "; two sentences' times must not overlap");
    }
    if (cue.endMs > lengthMs)
        error("this sentence ends at " + formatTime(cue.endMs) + ", after the end of the recording, which lasts "
              + formatTime(lengthMs));
}

bool startsAWord(const std::string &text, std::size_t at)
{
    return at > 0 && at < text.size() && text[at - 1] == ' ' && text[at] != ' ';
}

// A cue's word times: each before a word, inside the cue, after the last.
void checkWords(const Cue &cue, std::vector<TimingError> &errors)
{
    std::int64_t before = cue.startMs;
    for (const WordStart &word : cue.words) {
        const std::string time = "the word time " + formatTime(word.ms);
        const auto error = [&](const std::string &message) { errors.push_back({word.line, time + message}); };
        if (!startsAWord(cue.text, word.at))
            error(" does not stand just before a word: put it after a space, before the word it times");
        if (word.ms <= cue.startMs)
            error(" is not after this sentence's start, " + formatTime(cue.startMs) + "; its first word starts "
                  "with it and needs no time");
        else if (word.ms >= cue.endMs)
            error(" is not before this sentence's end, " + formatTime(cue.endMs));
        else if (word.ms <= before)
            error(" does not come after the word time before it, " + formatTime(before));
        before = std::max(before, word.ms);
    }
}

// The two texts, long ones from the start of the word they part in, so that
// the difference shows even in a long sentence.
std::string difference(const std::string &cue, const std::string &sentence)
{
    if (cue.size() <= kShownLength && sentence.size() <= kShownLength)
        return quoted(cue) + " where the transcript has " + quoted(sentence);
    const std::size_t shorter = std::min(cue.size(), sentence.size());
    const auto common = static_cast<std::size_t>(
        std::mismatch(cue.begin(), cue.begin() + static_cast<std::ptrdiff_t>(shorter), sentence.begin()).first
        - cue.begin());
    const std::size_t space = common == 0 ? std::string::npos : cue.rfind(' ', common - 1);
    const std::size_t from = space == std::string::npos ? 0 : space + 1;
    const std::string_view lead = from > 0 ? "..." : "";
    return quoted(std::string_view(cue).substr(from), lead) + " where the transcript has "
           + quoted(std::string_view(sentence).substr(from), lead);
}

} // namespace

std::vector<TimingError> checkCues(const std::vector<Cue> &cues, const std::vector<std::string> &sentences,
                                   std::int64_t lengthMs)
{
    std::vector<TimingError> errors;
    // With a cue too many or too few, every text after the first that
    // differs would differ too; the first one tells where.
    bool compareTexts = true;
    for (std::size_t i = 0; i < cues.size(); ++i) {
        const Cue &cue = cues[i];
        checkTimes(cue, i > 0 ? &cues[i - 1] : nullptr, lengthMs, errors);
        checkWords(cue, errors);
        if (i == sentences.size()) {
            errors.push_back({cue.line, "this is timed sentence " + std::to_string(i + 1) + ", but the transcript has "
                                            + counted(sentences.size(), "sentence", "sentences")
                                            + "; time each sentence once"});
        }
        if (i >= sentences.size() || !compareTexts)
            continue;
        const std::string text = collapseSpaces(cue.text), sentence = collapseSpaces(sentences[i]);
        if (text != sentence) {
            errors.push_back({cue.line, "the text timed here is not sentence " + std::to_string(i + 1)
                                            + " of the transcript: it has " + difference(text, sentence)});
            compareTexts = cues.size() == sentences.size();
        }
    }
    if (cues.size() < sentences.size()) {
        errors.push_back({cues.empty() ? 1 : cues.back().line,
                          "the file ends after " + counted(cues.size(), "timed sentence", "timed sentences")
                              + ", but the transcript has " + counted(sentences.size(), "sentence", "sentences")
                              + "; the next one is " + quoted(sentences[cues.size()])});
    }
    return errors;
}

} // namespace vantrel
