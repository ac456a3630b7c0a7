// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace vantrel {

// One character of UTF-8 text.
struct Utf8Char {
    char32_t codePoint = 0;
    std::size_t length = 0;  // bytes it takes; 0 when they are not UTF-8
};

// The character starting at byte `at`, which must lie inside the text:
// length 0 for an overlong form, a surrogate, anything beyond U+10FFFF, a
// sequence cut short or a byte no sequence starts with.
Utf8Char decodeUtf8(std::string_view text, std::size_t at);

// True when the bytes are well-formed UTF-8, as decodeUtf8 reads it.
bool isUtf8(std::string_view bytes);

// U+2192 as UTF-8, for naming a character in a message.
std::string utf8Of(char32_t codePoint);

// Space, tab, CR, LF, VT or FF.
bool isAsciiSpace(char c);

// Every run of ASCII white space (space, tab, CR, LF, VT, FF) made one space,
// and none left at either end: texts that differ only in their line breaks
// and spacing compare equal.
std::string collapseSpaces(std::string_view text);

} // namespace vantrel
