// SPDX-License-Identifier: GPL-3.0-or-later
#include "text.h"

#include <array>

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

// Bytes in the UTF-8 sequence this lead byte starts; 0 when no sequence
// may start with it (a continuation byte, or C0, C1, F5 to FF).
std::size_t sequenceLength(unsigned char lead)
{
    if (lead >= 0xC2 && lead <= 0xDF)
        return 2;
    if (lead >= 0xE0 && lead <= 0xEF)
        return 3;
    if (lead >= 0xF0 && lead <= 0xF4)
        return 4;
    return 0;
}

} // namespace

std::u16string widenCp1252(std::string_view bytes)
{
    std::u16string text;
    text.reserve(bytes.size());
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        text.push_back(byte >= 0x80 && byte <= 0x9F ? kHighControls[byte - 0x80]
                                                    : static_cast<char16_t>(byte));
    }
    return text;
}

std::string utf8FromCp1252(std::string_view bytes)
{
    std::string out;
    out.reserve(bytes.size());
    // Every unit is below U+FFFF and none is a surrogate: three bytes at most.
    for (const char16_t c : widenCp1252(bytes)) {
        if (c < 0x80) {
            out.push_back(static_cast<char>(c));
        } else if (c < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (c >> 6)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xE0 | (c >> 12)));
            out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
        }
    }
    return out;
}

bool isUtf8(std::string_view bytes)
{
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i]);
        if (lead < 0x80) {
            ++i;
            continue;
        }
        const std::size_t length = sequenceLength(lead);
        if (length == 0 || bytes.size() - i < length)
            return false;
        // The second byte's range rules out overlong forms, surrogates and
        // code points past U+10FFFF.
        const auto second = static_cast<unsigned char>(bytes[i + 1]);
        const unsigned char low = lead == 0xE0 ? 0xA0 : lead == 0xF0 ? 0x90 : 0x80;
        const unsigned char high = lead == 0xED ? 0x9F : lead == 0xF4 ? 0x8F : 0xBF;
        if (second < low || second > high)
            return false;
        for (std::size_t k = 2; k < length; ++k) {
            if ((static_cast<unsigned char>(bytes[i + k]) & 0xC0) != 0x80)
                return false;
        }
        i += length;
    }
    return true;
}

bool isAsciiSpace(char c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

std::string collapseSpaces(std::string_view text)
{
    std::string out;
    out.reserve(text.size());
    bool space = false;
    for (const char c : text) {
        if (isAsciiSpace(c)) {
            space = !out.empty();
            continue;
        }
        if (space)
            out.push_back(' ');
        space = false;
        out.push_back(c);
    }
    return out;
}

} // namespace vantrel
