// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// What the timing files' readers, writer and check say about times and
// texts; not for use outside them.

#include <cstdint>
#include <string>
#include <string_view>

namespace vantrel {

inline constexpr std::int64_t kSecondMs = 1000;
inline constexpr std::int64_t kMinuteMs = 60 * kSecondMs;
inline constexpr std::int64_t kHourMs = 60 * kMinuteMs;
// Bytes of a text that a message quotes.
inline constexpr std::size_t kShownLength = 40;

// The 1-based number of the line at this index, kept within int.
int lineNumber(std::size_t index);

// "MM:SS.mmm", or "HH:MM:SS.mmm" from one hour on, as WebVTT writes times.
// A time before 0 is written as 0, the only place it can be.
std::string formatTime(std::int64_t ms);

// The text in quotes for a message, `lead` before it: control characters as
// \xNN, and cut short (at a character's start) after kShownLength bytes.
std::string quoted(std::string_view text, std::string_view lead = {});

} // namespace vantrel
