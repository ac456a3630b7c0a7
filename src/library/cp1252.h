// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// Widens story-file bytes to characters, one byte to one UTF-16 unit, as
// Windows-1252. The five bytes that code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the code points of the same value, so no byte is
// lost or merged.
std::u16string widenCp1252(std::string_view bytes);

// The same characters as UTF-8, for terminals, for the file system and for
// comparing with files that authors write in UTF-8.
std::string utf8FromCp1252(std::string_view bytes);

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

// Turns one line of UTF-8 text into the story file's Windows-1252 bytes, the
// reverse of widenCp1252. The five bytes that code page leaves undefined, and
// control characters, count as unwritable: Vantrel would show them as nothing
// or as boxes.
NarrowedLine narrowToCp1252(std::string_view utf8);

} // namespace vantrel
