// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

enum class WordMark { Right, Typo, Wrong, Missing, Extra };

// One word of a checked dictation, in the sentence's order; an extra word
// stands where the student typed it.
struct MarkedWord {
    WordMark mark = WordMark::Right;
    std::string word;  // the sentence's word as written; empty for an extra one
    std::string typed; // what the student typed for it; empty when missing
    std::size_t at = 0; // where the sentence's word starts in the sentence, in bytes
};

struct DictationResult {
    std::vector<MarkedWord> words;
    int right = 0;  // sentence words marked right
    int typos = 0;  // sentence words marked as a typo
    int total = 0;  // the sentence's words
};

// Compares what the student typed with the sentence, both UTF-8, word by
// word. The typed words are aligned to the sentence's by an edit distance,
// so a missing word does not shift the later ones. What counts as the same
// word: case and punctuation around a word do not; curly and straight
// apostrophes, and hyphens and dashes, are one; a hyphenated word may be
// typed as two and two words hyphenated; digits and number words up to 100
// say the same number. One slip (a letter inserted, dropped, changed, or two
// neighbours swapped) in a word of 4 to 9 letters is a typo, and two in a
// longer one; shorter words are right or wrong.
DictationResult checkDictation(std::string_view sentence, std::string_view typed);

// The words of a sentence as the check counts them.
int dictationWordCount(std::string_view sentence);

} // namespace vantrel
