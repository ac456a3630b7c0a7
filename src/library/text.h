// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// Widens story-file bytes to characters, one byte to one UTF-16 unit, as
// Windows-1252. The five bytes that code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the code points of the same value, so no byte is
// lost or merged.
std::u16string widenCp1252(std::string_view bytes);

// The same characters as UTF-8, for terminals and for comparing with files
// that authors write in UTF-8.
std::string utf8FromCp1252(std::string_view bytes);

// True when the bytes are well-formed UTF-8: no overlong forms, no
// surrogates, nothing beyond U+10FFFF, no sequence cut short.
bool isUtf8(std::string_view bytes);

// Space, tab, CR, LF, VT or FF.
bool isAsciiSpace(char c);

// Every run of ASCII white space (space, tab, CR, LF, VT, FF) made one space,
// and none left at either end: texts that differ only in their line breaks
// and spacing compare equal.
std::string collapseSpaces(std::string_view text);

} // namespace vantrel
