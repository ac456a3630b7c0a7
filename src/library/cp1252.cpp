// SPDX-License-Identifier: GPL-3.0-or-later
#include "cp1252.h"

#include "text.h"

#include <array>
#include <map>

namespace vantrel {

namespace {

// Bytes 0x80 to 0x9F; every other byte is its own code point. The five bytes
// Windows-1252 leaves undefined keep their own value.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char16_t widened(unsigned char byte)
{
    return byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80] : static_cast<char16_t>(byte);
}

// The reverse of the widening, built from it so the two can never disagree:
// every byte that widens to a printable character.
const std::map<char32_t, char> &cp1252Bytes()
{
    static const std::map<char32_t, char> bytes = [] {
        std::map<char32_t, char> map;
        for (int byte = 0x20; byte <= 0xFF; ++byte) {
            const char16_t wide = widened(static_cast<unsigned char>(byte));
            const bool control = wide == 0x7F || (wide >= 0x80 && wide <= 0x9F);
            if (!control)
                map.emplace(wide, static_cast<char>(byte));
        }
        return map;
    }();
    return bytes;
}

} // namespace

std::u16string widenCp1252(std::string_view bytes)
{
    std::u16string text;
    text.reserve(bytes.size());
    for (const char c : bytes)
        text.push_back(widened(static_cast<unsigned char>(c)));
    return text;
}

std::string utf8FromCp1252(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    for (const char16_t c : widenCp1252(bytes))
        out += utf8Of(c);
    return out;
}

NarrowedLine narrowToCp1252(std::string_view utf8)
{
    NarrowedLine line;
    line.bytes.reserve(utf8.size());
    std::size_t column = 0;
    for (std::size_t at = 0; at < utf8.size();) {
        ++column;
        const Utf8Char decoded = decodeUtf8(utf8, at);
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

} // namespace vantrel
