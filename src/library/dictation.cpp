// SPDX-License-Identifier: GPL-3.0-or-later
// A dictation's check: the typed words aligned to the sentence's, and each
// of the sentence's words marked.
#include "dictation.h"

#include "dictation_words.h"

#include <algorithm>

namespace vantrel {

using dictation::Word;

namespace {

// The words' parts in one row, each knowing its word.
struct Part {
    std::u32string text;
    std::size_t word;
};

std::vector<Part> partsOf(const std::vector<Word> &words)
{
    std::vector<Part> parts;
    for (std::size_t w = 0; w < words.size(); ++w) {
        for (const std::u32string &text : words[w].parts)
            parts.push_back({text, w});
    }
    return parts;
}

enum class Step { Same, Slip, Changed, Dropped, Added };

// Costs that prefer a right word to any other reading: a swap of two words
// reads as one missing and one added around a right one, not as two wrong.
constexpr int kSlipCost = 1;
constexpr int kChangeCost = 3;
constexpr int kGapCost = 2;

// The cheapest way from the sentence's parts to the typed ones, step by step.
std::vector<Step> align(const std::vector<Part> &said, const std::vector<Part> &typed)
{
    const std::size_t n = said.size(), m = typed.size();
    std::vector<std::vector<int>> cost(n + 1, std::vector<int>(m + 1, 0));
    auto pairCost = [&](std::size_t i, std::size_t j) {
        const std::u32string &a = said[i].text, &b = typed[j].text;
        return a == b ? 0 : dictation::isSlip(a, b) ? kSlipCost : kChangeCost;
    };
    for (std::size_t i = 0; i <= n; ++i)
        cost[i][0] = int(i) * kGapCost;
    for (std::size_t j = 0; j <= m; ++j)
        cost[0][j] = int(j) * kGapCost;
    for (std::size_t i = 1; i <= n; ++i) {
        for (std::size_t j = 1; j <= m; ++j)
            cost[i][j] = std::min({cost[i - 1][j - 1] + pairCost(i - 1, j - 1), cost[i - 1][j] + kGapCost,
                                   cost[i][j - 1] + kGapCost});
    }
    // Walked back from the end, a gap is taken before a pairing that costs
    // the same, so that ties pair the words typed first: "thebigdog" for
    // "the big dog" is "the" wrong and the rest missing.
    std::vector<Step> steps;
    for (std::size_t i = n, j = m; i > 0 || j > 0;) {
        if (i > 0 && cost[i][j] == cost[i - 1][j] + kGapCost) {
            steps.push_back(Step::Dropped);
            --i;
        } else if (j > 0 && cost[i][j] == cost[i][j - 1] + kGapCost) {
            steps.push_back(Step::Added);
            --j;
        } else {
            const int paired = pairCost(i - 1, j - 1);
            steps.push_back(paired == 0 ? Step::Same : paired == kSlipCost ? Step::Slip : Step::Changed);
            --i, --j;
        }
    }
    std::reverse(steps.begin(), steps.end());
    return steps;
}

// What became of one sentence word's parts, and of one typed word's.
struct SaidWord {
    int same = 0, slips = 0, changed = 0, dropped = 0;
    std::vector<std::size_t> typed;  // typed words its parts met, in order
};
struct TypedWord {
    bool added = false, met = false;
    std::size_t after = 0;  // the sentence word an extra one comes before
};

void note(std::vector<std::size_t> &list, std::size_t index)
{
    if (list.empty() || list.back() != index)
        list.push_back(index);
}

MarkedWord marked(const Word &word, const SaidWord &fate, const std::vector<Word> &typed)
{
    MarkedWord out{WordMark::Right, word.written, {}, word.at};
    for (std::size_t t : fate.typed)
        out.typed += (out.typed.empty() ? "" : " ") + typed[t].written;
    const int parts = fate.same + fate.slips + fate.changed + fate.dropped;
    if (fate.dropped == parts)
        out.mark = WordMark::Missing;
    else if (fate.changed > 0 || fate.dropped > 0)
        out.mark = WordMark::Wrong;
    else if (fate.slips > 0)
        out.mark = WordMark::Typo;
    return out;
}

} // namespace

DictationResult checkDictation(std::string_view sentence, std::string_view typed)
{
    std::vector<Word> saidWords = dictation::splitWords(sentence), typedWords = dictation::splitWords(typed);
    std::erase_if(saidWords, [](const Word &w) { return w.parts.empty(); });
    std::erase_if(typedWords, [](const Word &w) { return w.parts.empty(); });
    const std::vector<Part> said = partsOf(saidWords), heard = partsOf(typedWords);

    std::vector<SaidWord> fates(saidWords.size());
    std::vector<TypedWord> typings(typedWords.size());
    std::size_t i = 0, j = 0;
    for (Step step : align(said, heard)) {
        if (step == Step::Added) {
            TypedWord &t = typings[heard[j].word];
            t.added = true;
            t.after = i < said.size() ? said[i].word : saidWords.size();
            ++j;
            continue;
        }
        SaidWord &fate = fates[said[i].word];
        if (step == Step::Dropped) {
            ++fate.dropped;
            ++i;
            continue;
        }
        (step == Step::Same ? fate.same : step == Step::Slip ? fate.slips : fate.changed) += 1;
        note(fate.typed, heard[j].word);
        typings[heard[j].word].met = true;
        ++i, ++j;
    }
    // A typed word only partly used ("twenty-two" for "twenty") is wrong
    // where it was used.
    for (SaidWord &fate : fates) {
        for (std::size_t t : fate.typed) {
            if (typings[t].added && fate.changed == 0)
                fate.changed = 1;
        }
    }

    DictationResult result;
    result.total = int(saidWords.size());
    auto addExtrasBefore = [&](std::size_t word) {
        for (std::size_t t = 0; t < typings.size(); ++t) {
            if (typings[t].added && !typings[t].met && typings[t].after == word)
                result.words.push_back({WordMark::Extra, {}, typedWords[t].written, 0});
        }
    };
    for (std::size_t w = 0; w < saidWords.size(); ++w) {
        addExtrasBefore(w);
        result.words.push_back(marked(saidWords[w], fates[w], typedWords));
        result.right += result.words.back().mark == WordMark::Right;
        result.typos += result.words.back().mark == WordMark::Typo;
    }
    addExtrasBefore(saidWords.size());
    return result;
}

int dictationWordCount(std::string_view sentence)
{
    const std::vector<Word> words = dictation::splitWords(sentence);
    return int(std::count_if(words.begin(), words.end(), [](const Word &w) { return !w.parts.empty(); }));
}

} // namespace vantrel
