// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "word_steps.h"

#include <cstdint>
#include <vector>

namespace vantrel {

struct SentenceTime {
    std::int64_t startMs = 0;  // its first sound
    std::int64_t endMs = 0;    // its last
    std::vector<TimedWord> words = {};  // none when its words are not timed
};

// Where a player stands among a story's sentences, and where a step from
// there goes. Sentences are in order and do not overlap.
class SentenceSteps {
public:
    SentenceSteps() = default;
    explicit SentenceSteps(std::vector<SentenceTime> sentences);

    bool empty() const { return m_sentences.empty(); }
    int count() const { return static_cast<int>(m_sentences.size()); }
    const SentenceTime &at(int index) const { return m_sentences[static_cast<std::size_t>(index)]; }

    // The sentence being heard at POSITIONMS; between two, the one heard
    // last; before the first sound, the first. -1 when there are none.
    int current(std::int64_t positionMs) const;
    // The one after INDEX, or INDEX itself when it is the last; likewise before.
    int next(int index) const;
    int previous(int index) const;
    // The first sentence still to end after POSITIONMS: where a player that
    // pauses after each sentence pauses next. -1 after the last one's end.
    int endingAfter(std::int64_t positionMs) const;

private:
    std::vector<SentenceTime> m_sentences;
};

} // namespace vantrel
