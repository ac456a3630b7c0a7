// SPDX-License-Identifier: GPL-3.0-or-later
#include "timing_text.h"

#include <algorithm>
#include <cstdio>
#include <limits>

namespace vantrel {

int lineNumber(std::size_t index)
{
    return static_cast<int>(std::min<std::size_t>(index, std::numeric_limits<int>::max() - 1) + 1);
}

std::string formatTime(std::int64_t ms)
{
    ms = std::max<std::int64_t>(ms, 0);
    const auto hours = static_cast<long long>(ms / kHourMs);
    const auto minutes = static_cast<long long>(ms / kMinuteMs % 60);
    const auto seconds = static_cast<long long>(ms / kSecondMs % 60);
    const auto millis = static_cast<long long>(ms % kSecondMs);
    char text[64];
    if (hours > 0)
        std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld.%03lld", hours, minutes, seconds, millis);
    else
        std::snprintf(text, sizeof text, "%02lld:%02lld.%03lld", minutes, seconds, millis);
    return text;
}

std::string quoted(std::string_view text, std::string_view lead)
{
    std::string out = std::string(1, '"').append(lead);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto c = static_cast<unsigned char>(text[i]);
        if (i >= kShownLength && (c & 0xC0) != 0x80) {
            out += "...";
            break;
        }
        if (c < 0x20 || c == 0x7F) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "\\x%02X", c);
            out += hex;
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out + "\"";
}

} // namespace vantrel
