// SPDX-License-Identifier: GPL-3.0-or-later
#include "sentence_steps.h"

#include <algorithm>

namespace vantrel {

SentenceSteps::SentenceSteps(std::vector<SentenceTime> sentences)
    : m_sentences(std::move(sentences))
{
}

int SentenceSteps::current(std::int64_t positionMs) const
{
    if (m_sentences.empty())
        return -1;
    // The last sentence that has started by now.
    const auto started = std::upper_bound(m_sentences.begin(), m_sentences.end(), positionMs,
                                          [](std::int64_t ms, const SentenceTime &s) { return ms < s.startMs; });
    return started == m_sentences.begin() ? 0 : static_cast<int>(started - m_sentences.begin()) - 1;
}

int SentenceSteps::next(int index) const
{
    return std::clamp(index + 1, 0, std::max(count() - 1, 0));
}

int SentenceSteps::previous(int index) const
{
    return std::clamp(index - 1, 0, std::max(count() - 1, 0));
}

int SentenceSteps::endingAfter(std::int64_t positionMs) const
{
    const auto ending = std::upper_bound(m_sentences.begin(), m_sentences.end(), positionMs,
                                         [](std::int64_t ms, const SentenceTime &s) { return ms < s.endMs; });
    return ending == m_sentences.end() ? -1 : static_cast<int>(ending - m_sentences.begin());
}

} // namespace vantrel
