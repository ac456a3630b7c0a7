// SPDX-License-Identifier: GPL-3.0-or-later
#include "word_steps.h"

#include "text.h"
#include "timing_file.h"

#include <algorithm>

namespace vantrel {

namespace {

// The end of the text from AT up to NEXT, its trailing blanks left out.
std::size_t endOfWords(const std::string &text, std::size_t at, std::size_t next)
{
    next = std::min(next, text.size());
    while (next > at && (text[next - 1] == ' ' || text[next - 1] == '\t'))
        --next;
    return next;
}

// Where byte AT of TEXT stands once its white space runs are one space and
// it is trimmed, as the sentence the cue times is.
std::size_t collapsedAt(const std::string &text, std::size_t at)
{
    return collapseSpaces(text.substr(0, std::min(at, text.size())) + "x").size() - 1;
}

} // namespace

std::vector<TimedWord> timedWords(const Cue &cue)
{
    std::vector<TimedWord> words;
    if (cue.words.empty())
        return words;
    const std::string text = collapseSpaces(cue.text);
    words.push_back({cue.startMs, 0, 0});
    for (const WordStart &word : cue.words) {
        const std::size_t at = collapsedAt(cue.text, word.at);
        // A time at the cue's very start names its first word.
        if (at == 0) {
            words.front().startMs = word.ms;
            continue;
        }
        words.push_back({word.ms, at, 0});
    }
    for (std::size_t w = 0; w < words.size(); ++w) {
        const std::size_t next = w + 1 < words.size() ? words[w + 1].at : text.size();
        words[w].length = endOfWords(text, words[w].at, next) - words[w].at;
    }
    return words;
}

int wordAtTime(const std::vector<TimedWord> &words, std::int64_t endMs, std::int64_t positionMs)
{
    if (words.empty() || positionMs < words.front().startMs || positionMs >= endMs)
        return -1;
    const auto started = std::upper_bound(words.begin(), words.end(), positionMs,
                                          [](std::int64_t ms, const TimedWord &w) { return ms < w.startMs; });
    return static_cast<int>(started - words.begin()) - 1;
}

int wordAtText(const std::vector<TimedWord> &words, std::size_t at)
{
    const auto starting = std::upper_bound(words.begin(), words.end(), at,
                                           [](std::size_t offset, const TimedWord &w) { return offset < w.at; });
    return static_cast<int>(starting - words.begin()) - 1;
}

std::int64_t wordEndMs(const std::vector<TimedWord> &words, int index, std::int64_t endMs)
{
    const auto next = static_cast<std::size_t>(index) + 1;
    return next < words.size() ? words[next].startMs : endMs;
}

} // namespace vantrel
