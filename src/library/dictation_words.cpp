// SPDX-License-Identifier: GPL-3.0-or-later
// What counts as the same word in a dictation: the words of a text, folded
// to the form they are compared in.
#include "dictation_words.h"

#include "text.h"

#include <algorithm>
#include <array>

namespace vantrel::dictation {

namespace {

// Decodes UTF-8; a byte that starts no valid sequence stands for itself as
// a Latin-1 letter, so nothing typed is lost.
std::u32string decode(std::string_view text)
{
    std::u32string out;
    for (std::size_t i = 0; i < text.size();) {
        const Utf8Char c = decodeUtf8(text, i);
        out += c.length ? c.codePoint : char32_t(static_cast<unsigned char>(text[i]));
        i += c.length ? c.length : 1;
    }
    return out;
}

bool isSpace(char32_t c)
{
    return c == U' ' || (c >= U'\t' && c <= U'\r') || c == 0xA0 || c == 0x1680 || (c >= 0x2000 && c <= 0x200A)
        || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool isDigit(char32_t c)
{
    return c >= U'0' && c <= U'9';
}

// Letters and digits; outside ASCII, anything but the punctuation and
// symbol blocks a transcript or a keyboard gives.
bool isWordCharacter(char32_t c)
{
    if (c < 0x80)
        return isDigit(c) || (c >= U'a' && c <= U'z') || (c >= U'A' && c <= U'Z');
    if (c <= 0xBF || c == 0xD7 || c == 0xF7)
        return false;
    return !(c >= 0x2000 && c <= 0x2BFF) && !(c >= 0x3000 && c <= 0x303F) && !(c >= 0xFE30 && c <= 0xFE4F)
        && !(c >= 0xFF00 && c <= 0xFF0F);
}

char32_t fold(char32_t c)
{
    if (c >= U'A' && c <= U'Z')
        return c + 32;
    if ((c >= 0xC0 && c <= 0xDE && c != 0xD7))
        return c + 32;
    if (c >= 0x100 && c <= 0x17F && c != 0x130 && c != 0x131 && c != 0x138 && c != 0x149 && c != 0x17F) {
        // Latin Extended-A pairs its cases; the odd run 0x139-0x148 and
        // 0x179-0x17E is shifted by one.
        const bool oddPairs = (c >= 0x139 && c <= 0x148) || (c >= 0x179 && c <= 0x17E);
        return oddPairs ? (c % 2 == 1 ? c + 1 : c) : (c % 2 == 0 ? c + 1 : c);
    }
    if (c == 0x178)
        return 0xFF;
    switch (c) {
    case 0x2018: case 0x2019: case 0x201A: case 0x201B: case 0x2032: case 0x02BC: case 0x0060: case 0x00B4:
        return U'\'';
    case 0x2010: case 0x2011: case 0x2012: case 0x2013: case 0x2014: case 0x2015: case 0x2212:
        return U'-';
    default:
        return c;
    }
}

const std::array<const char32_t *, 20> kOnes = {
    U"zero", U"one", U"two", U"three", U"four", U"five", U"six", U"seven", U"eight", U"nine", U"ten",
    U"eleven", U"twelve", U"thirteen", U"fourteen", U"fifteen", U"sixteen", U"seventeen", U"eighteen",
    U"nineteen"};
const std::array<const char32_t *, 10> kTens = {
    U"", U"", U"twenty", U"thirty", U"forty", U"fifty", U"sixty", U"seventy", U"eighty", U"ninety"};

// "22" as "twenty-two", up to 100; other text as it stands.
std::u32string spelt(const std::u32string &word)
{
    if (word.empty() || word.size() > 3 || !std::all_of(word.begin(), word.end(), isDigit))
        return word;
    int value = 0;
    for (char32_t c : word)
        value = value * 10 + int(c - U'0');
    if (value > 100)
        return word;
    if (value == 100)
        return U"one-hundred";
    if (value < 20)
        return kOnes[std::size_t(value)];
    std::u32string out = kTens[std::size_t(value / 10)];
    if (value % 10)
        out += U'-' + std::u32string(kOnes[std::size_t(value % 10)]);
    return out;
}

// Inside a word only letters, digits, apostrophes and hyphens count, and a
// point between digits: "U.S." is "us", "1,200" is "1200", "3.5" stays.
std::u32string compared(const std::u32string &token)
{
    std::u32string folded;
    for (char32_t c : token)
        folded += fold(c);
    const auto keep = [](char32_t c) { return isWordCharacter(c) || c == U'\'' || c == U'-'; };
    std::size_t first = 0, last = folded.size();
    while (first < last && !isWordCharacter(folded[first]))
        ++first;
    while (last > first && !isWordCharacter(folded[last - 1]))
        --last;
    std::u32string out;
    for (std::size_t i = first; i < last; ++i) {
        const char32_t c = folded[i];
        const bool betweenDigits = c == U'.' && i > first && i + 1 < last && isDigit(folded[i - 1])
            && isDigit(folded[i + 1]);
        if (keep(c) || betweenDigits)
            out += c;
    }
    return out;
}

std::vector<std::u32string> partsOf(const std::u32string &word)
{
    std::vector<std::u32string> parts;
    std::u32string part;
    for (char32_t c : spelt(word) + U'-') {
        if (c != U'-') {
            part += c;
        } else if (!part.empty()) {
            parts.push_back(part);
            part.clear();
        }
    }
    return parts;
}

std::string encode(const std::u32string &text)
{
    std::string out;
    for (char32_t c : text)
        out += utf8Of(c);
    return out;
}

std::size_t letters(const std::u32string &part)
{
    return std::size_t(std::count_if(part.begin(), part.end(), isWordCharacter));
}

// Optimal string alignment distance: inserts, drops, changes and swaps of
// neighbours, each one edit.
std::size_t edits(const std::u32string &a, const std::u32string &b)
{
    std::vector<std::vector<std::size_t>> d(a.size() + 1, std::vector<std::size_t>(b.size() + 1));
    for (std::size_t i = 0; i <= a.size(); ++i)
        d[i][0] = i;
    for (std::size_t j = 0; j <= b.size(); ++j)
        d[0][j] = j;
    for (std::size_t i = 1; i <= a.size(); ++i) {
        for (std::size_t j = 1; j <= b.size(); ++j) {
            d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1, d[i - 1][j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1)});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[i][j] = std::min(d[i][j], d[i - 2][j - 2] + 1);
        }
    }
    return d[a.size()][b.size()];
}

} // namespace

std::vector<Word> splitWords(std::string_view text)
{
    std::vector<Word> words;
    const std::u32string all = decode(text) + U' ';
    std::u32string token;
    std::size_t at = 0;
    for (char32_t c : all) {
        const std::size_t bytes = utf8Of(c).size();
        at += bytes;
        if (!isSpace(c)) {
            token += c;
            continue;
        }
        if (!token.empty()) {
            const std::string written = encode(token);
            words.push_back({written, partsOf(compared(token)), at - bytes - written.size()});
        }
        token.clear();
    }
    return words;
}

bool isSlip(const std::u32string &said, const std::u32string &typed)
{
    const std::size_t length = letters(said);
    const std::size_t allowed = length >= 10 ? 2 : length >= 4 ? 1 : 0;
    // Far apart in length, they cannot be that close: spare the table.
    const std::size_t apart = said.size() > typed.size() ? said.size() - typed.size() : typed.size() - said.size();
    return allowed > 0 && apart <= allowed && edits(said, typed) <= allowed;
}

} // namespace vantrel::dictation
