// SPDX-License-Identifier: GPL-3.0-or-later
#include "plain_spelling.h"

#include <algorithm>
#include <iterator>

namespace vantrel {

namespace {

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

} // namespace

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

} // namespace vantrel
