// SPDX-License-Identifier: GPL-3.0-or-later
#include "sentences.h"

#include "text.h"

#include <algorithm>
#include <array>

namespace vantrel {

namespace {

using namespace std::string_view_literals;

// Quotes and brackets that may close a sentence after its final mark, and
// those that may open a word; the straight quotes do both. The curly ones are
// spelt in UTF-8 bytes, whatever the compiler's character set.
constexpr std::array kClosers = {"\""sv, "'"sv, ")"sv, "]"sv, "\xE2\x80\x9D"sv, "\xE2\x80\x99"sv};
constexpr std::array kOpeners = {"\""sv, "'"sv, "("sv, "["sv, "\xE2\x80\x9C"sv, "\xE2\x80\x98"sv};

// After these a full stop never ends a sentence: titles lead on to a name,
// and these abbreviations to what they introduce.
constexpr std::array kNeverLast = {"Mr."sv, "Mrs."sv, "Ms."sv, "Dr."sv, "St."sv,
                                   "Prof."sv, "e.g."sv, "i.e."sv, "vs."sv};
// These end a sentence as often as not; the next word decides.
constexpr std::array kSometimesLast = {"a.m."sv, "p.m."sv, "A.M."sv, "P.M."sv, "etc."sv};
constexpr std::array kWeekdays = {"Monday"sv, "Tuesday"sv, "Wednesday"sv, "Thursday"sv,
                                  "Friday"sv, "Saturday"sv, "Sunday"sv};

bool isOneOf(std::string_view word, const auto &list)
{
    return std::find(list.begin(), list.end(), word) != list.end();
}

// Length of the mark from `list` that `text` starts with, or 0.
std::size_t markAt(std::string_view text, const auto &list)
{
    for (const std::string_view mark : list) {
        if (text.starts_with(mark))
            return mark.size();
    }
    return 0;
}

enum class Case { Upper, Lower, None };

// The case of the word's first letter: ASCII, and the Latin-1 letters that
// Windows-1252 transcripts hold (U+00C0 to U+00FF, as UTF-8).
Case caseOf(std::string_view word)
{
    if (word.empty())
        return Case::None;
    const auto c = static_cast<unsigned char>(word[0]);
    if (c >= 'A' && c <= 'Z')
        return Case::Upper;
    if (c >= 'a' && c <= 'z')
        return Case::Lower;
    if (c != 0xC3 || word.size() < 2)
        return Case::None;
    const auto low = static_cast<unsigned char>(word[1]);
    if (low >= 0x80 && low <= 0x9E && low != 0x97)  // À to Þ, not ×
        return Case::Upper;
    if (low >= 0x9F && low <= 0xBF && low != 0xB7)  // ß to ÿ, not ÷
        return Case::Lower;
    return Case::None;
}

bool isWeekday(std::string_view word)
{
    return std::any_of(kWeekdays.begin(), kWeekdays.end(), [word](std::string_view day) {
        return word.starts_with(day) && caseOf(word.substr(day.size())) == Case::None;
    });
}

// "J." or "U.S.": capital letters, each followed by a full stop.
bool isInitials(std::string_view word)
{
    if (word.empty() || word.size() % 2 != 0)
        return false;
    for (std::size_t k = 0; k < word.size(); k += 2) {
        if (word[k] < 'A' || word[k] > 'Z' || word[k + 1] != '.')
            return false;
    }
    return true;
}

// The word that ends with the full stop at `stop`, opening quotes and
// brackets left out; it starts no earlier than the sentence, at `from`.
std::string_view wordBefore(std::string_view text, std::size_t from, std::size_t stop)
{
    std::size_t start = stop;
    while (start > from && !isAsciiSpace(text[start - 1]))
        --start;
    while (const std::size_t length = markAt(text.substr(start, stop - start), kOpeners))
        start += length;
    return text.substr(start, stop + 1 - start);
}

// The word after white space from `at` on, opening quotes and brackets left out.
std::string_view wordAfter(std::string_view text, std::size_t at)
{
    while (at < text.size() && isAsciiSpace(text[at]))
        ++at;
    while (const std::size_t length = markAt(text.substr(at), kOpeners))
        at += length;
    std::size_t end = at;
    while (end < text.size() && !isAsciiSpace(text[end]))
        ++end;
    return text.substr(at, end - at);
}

// Whether the mark at `mark`, of the sentence that starts at `from`, ends it;
// white space starts at `after`.
bool endsSentence(std::string_view text, std::size_t from, std::size_t mark, std::size_t after)
{
    const std::string_view next = wordAfter(text, after);
    if (caseOf(next) == Case::Lower)
        return false;
    if (text[mark] != '.')
        return true;
    const std::string_view word = wordBefore(text, from, mark);
    // Before the initials: "P.M." looks like them.
    if (isOneOf(word, kSometimesLast))
        return caseOf(next) == Case::Upper && !isWeekday(next);
    return !isOneOf(word, kNeverLast) && !isInitials(word);
}

void keep(std::vector<std::string> &sentences, std::string_view text)
{
    std::string sentence = collapseSpaces(text);
    if (!sentence.empty())
        sentences.push_back(std::move(sentence));
}

} // namespace

std::vector<std::string> splitSentences(std::string_view text)
{
    std::vector<std::string> sentences;
    std::size_t from = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '.' && text[i] != '?' && text[i] != '!')
            continue;
        std::size_t after = i + 1;
        while (const std::size_t length = markAt(text.substr(after), kClosers))
            after += length;
        if (after == text.size() || !isAsciiSpace(text[after]) || !endsSentence(text, from, i, after))
            continue;
        keep(sentences, text.substr(from, after - from));
        from = after;
        i = after;
    }
    keep(sentences, text.substr(from));
    return sentences;
}

} // namespace vantrel
