// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// A character of a UTF-8 line that the story file cannot hold.
struct Unwritable {
    std::size_t column = 0;  // 1-based, in characters
    char32_t codePoint = 0;  // 0 with `notUtf8`
    bool notUtf8 = false;    // the bytes there are not UTF-8 at all
};

struct NarrowedLine {
    std::string bytes;               // Windows-1252; '?' stands in for each problem
    std::vector<Unwritable> problems;
};

// Turns one line of UTF-8 text into the story file's Windows-1252 bytes. The
// five bytes that code page leaves undefined, and control characters, count
// as unwritable: Vantrel would show them as nothing or as boxes.
NarrowedLine narrowToCp1252(std::string_view utf8);

// Story-file bytes back to UTF-8, as Vantrel widens them.
std::string cp1252ToUtf8(std::string_view bytes);

// How a teacher can write a character that the story file cannot hold: a
// plainer spelling, as UTF-8 ("L" for "Ł", "->" for "→", " " for a thin
// space), or empty when there is none.
std::string_view plainSpelling(char32_t codePoint);

// U+2192 as UTF-8, for naming a character in a message.
std::string utf8Of(char32_t codePoint);

} // namespace vantrel
