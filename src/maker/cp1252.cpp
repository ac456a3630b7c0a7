// SPDX-License-Identifier: GPL-3.0-or-later
#include "cp1252.h"

#include "text.h"

#include <algorithm>
#include <map>

namespace vantrel {

namespace {

// The reverse of Vantrel's own widening, built from it so the two can never
// disagree: every byte that widens to a printable character.
const std::map<char32_t, char> &cp1252Bytes()
{
    static const std::map<char32_t, char> bytes = [] {
        std::map<char32_t, char> map;
        for (int byte = 0x20; byte <= 0xFF; ++byte) {
            const char c = static_cast<char>(byte);
            const char16_t wide = widenCp1252(std::string_view(&c, 1)).front();
            const bool control = wide == 0x7F || (wide >= 0x80 && wide <= 0x9F);
            if (!control)
                map.emplace(wide, c);
        }
        return map;
    }();
    return bytes;
}

// Latin Extended-A, U+0100 to U+017F (Polish, Czech, Hungarian, Turkish,
// Romanian, Baltic ...), by the plain letter each is written with; a space
// where Windows-1252 holds the letter itself, '?' where it takes two.
constexpr std::string_view kPlainLatinA = "AaAaAaCcCcCcCcDdDdEeEeEeEeEeGgGg"
                                          "GgGgHhHhIiIiIiIiIi??JjKkkLlLlLlL"
                                          "lLlNnNnNn?NnOoOoOo  RrRrRrSsSsSs"
                                          "  TtTtTtUuUuUuUuUuUuWwYy ZzZz  s";
constexpr char32_t kLatinAFirst = 0x0100;

struct Spelling {
    char32_t codePoint;
    std::string_view plain;
};

// In code point order. Letters with marks beyond Latin Extended-A, and the
// symbols editors put in for a teacher (Word's arrows, dashes and spaces).
constexpr Spelling kPlainOthers[] = {
    {0x0132, "IJ"}, {0x0133, "ij"}, {0x0149, "'n"},  {0x0218, "S"},  {0x0219, "s"},  {0x021A, "T"},
    {0x021B, "t"},  {0x2002, " "},  {0x2003, " "},   {0x2004, " "},  {0x2005, " "},  {0x2006, " "},
    {0x2007, " "},  {0x2008, " "},  {0x2009, " "},   {0x200A, " "},  {0x2010, "-"},  {0x2011, "-"},
    {0x2012, "-"},  {0x2015, "\xE2\x80\x94"}, {0x202F, " "}, {0x2032, "'"}, {0x2033, "\""}, {0x2044, "/"},
    {0x205F, " "},  {0x2116, "No."}, {0x2190, "<-"}, {0x2192, "->"}, {0x2194, "<->"},
    {0x21D0, "<="}, {0x21D2, "=>"}, {0x21D4, "<=>"}, {0x2212, "-"},  {0x2248, "~"},  {0x2264, "<="},
    {0x2265, ">="}, {0x3000, " "},
};
static_assert(std::is_sorted(std::begin(kPlainOthers), std::end(kPlainOthers),
                             [](const Spelling &a, const Spelling &b) { return a.codePoint < b.codePoint; }));

struct Decoded {
    char32_t codePoint = 0;
    std::size_t length = 0;  // bytes taken; 0 when they are not UTF-8
};

Decoded decodeUtf8(std::string_view text, std::size_t at)
{
    const auto lead = static_cast<unsigned char>(text[at]);
    if (lead < 0x80)
        return {lead, 1};
    std::size_t length = 0;
    char32_t value = 0;
    char32_t minimum = 0;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2, value = lead & 0x1F, minimum = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3, value = lead & 0x0F, minimum = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4, value = lead & 0x07, minimum = 0x10000;
    } else {
        return {};
    }
    if (at + length > text.size())
        return {};
    for (std::size_t i = 1; i < length; ++i) {
        const auto next = static_cast<unsigned char>(text[at + i]);
        if ((next & 0xC0) != 0x80)
            return {};
        value = (value << 6) | (next & 0x3F);
    }
    if (value < minimum || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return {};
    return {value, length};
}

} // namespace

NarrowedLine narrowToCp1252(std::string_view utf8)
{
    NarrowedLine line;
    line.bytes.reserve(utf8.size());
    std::size_t column = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        ++column;
        const Decoded decoded = decodeUtf8(utf8, at);
        if (decoded.length == 0) {
            line.problems.push_back({column, 0, true});
            line.bytes.push_back('?');
            ++at;  // resynchronise on the next byte
            continue;
        }
        at += decoded.length;
        const auto &bytes = cp1252Bytes();
        const auto found = bytes.find(decoded.codePoint);
        if (found == bytes.end()) {
            line.problems.push_back({column, decoded.codePoint, false});
            line.bytes.push_back('?');
        } else {
            line.bytes.push_back(found->second);
        }
    }
    return line;
}

std::string cp1252ToUtf8(std::string_view bytes)
{
    std::string out;
    for (const char16_t c : widenCp1252(bytes))
        out += utf8Of(c);
    return out;
}

std::string_view plainSpelling(char32_t c)
{
    if (c >= kLatinAFirst && c < kLatinAFirst + kPlainLatinA.size()) {
        const std::string_view letter = kPlainLatinA.substr(c - kLatinAFirst, 1);
        if (letter != " " && letter != "?")
            return letter;
    }
    const auto *const end = std::end(kPlainOthers);
    const auto *const found = std::lower_bound(std::begin(kPlainOthers), end, c,
                                               [](const Spelling &s, char32_t value) { return s.codePoint < value; });
    return found != end && found->codePoint == c ? found->plain : std::string_view();
}

std::string utf8Of(char32_t c)
{
    std::string out;
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
    return out;
}

} // namespace vantrel
