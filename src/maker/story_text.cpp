// SPDX-License-Identifier: GPL-3.0-or-later
#include "story_text.h"

#include "text.h"

#include <algorithm>

namespace vantrel {

namespace {

// A story in Windows-1252 with an accented name or two is better told at
// those lines, with their columns.
constexpr int kMostLinesNotUtf8 = 3;

// UTF-16 after its byte order mark; nothing for an odd length or a lone
// surrogate, which no editor writes.
std::optional<std::string> fromUtf16(std::string_view bytes, bool bigEndian)
{
    if (bytes.size() % 2 != 0)
        return std::nullopt;
    const auto unit = [&](std::size_t at) {
        const auto first = static_cast<unsigned char>(bytes[at]), second = static_cast<unsigned char>(bytes[at + 1]);
        return static_cast<char32_t>(bigEndian ? first << 8 | second : second << 8 | first);
    };
    std::string utf8;
    utf8.reserve(bytes.size());
    for (std::size_t at = 0; at < bytes.size(); at += 2) {
        char32_t c = unit(at);
        if (c >= 0xD800 && c <= 0xDBFF && at + 3 < bytes.size()) {
            const char32_t low = unit(at + 2);
            if (low < 0xDC00 || low > 0xDFFF)
                return std::nullopt;
            c = 0x10000 + ((c - 0xD800) << 10) + (low - 0xDC00);
            at += 2;
        } else if (c >= 0xD800 && c <= 0xDFFF) {
            return std::nullopt;
        }
        utf8 += utf8Of(c);
    }
    return utf8;
}

int linesNotUtf8(std::string_view text)
{
    int count = 0;
    while (!text.empty()) {
        const std::size_t end = std::min(text.find('\n'), text.size());
        count += isUtf8(text.substr(0, end)) ? 0 : 1;
        text.remove_prefix(std::min(end + 1, text.size()));
    }
    return count;
}

} // namespace

std::optional<std::string> decodeTeachersText(std::string_view bytes)
{
    std::optional<std::string> text;
    if (bytes.starts_with("\xFF\xFE"))
        text = fromUtf16(bytes.substr(2), false);
    else if (bytes.starts_with("\xFE\xFF"))
        text = fromUtf16(bytes.substr(2), true);
    else
        text = std::string(bytes.substr(bytes.starts_with("\xEF\xBB\xBF") ? 3 : 0));
    if (!text || text->find('\0') != std::string::npos || linesNotUtf8(*text) > kMostLinesNotUtf8)
        return std::nullopt;
    return text;
}

} // namespace vantrel
