// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace vantrel {

// How long one hearing lasts, in milliseconds, for an audio file of the given
// size in bytes: size / 4 rounded half to even (32 kbit/s is 4 bytes per ms).
std::uintmax_t hearingDelayMs(std::uintmax_t audioBytes);

// The largest audio file whose hearing fits the classic 65,535 ms timer;
// one byte more rounds to a longer hearing.
inline constexpr std::uintmax_t kMaxHearingAudioBytes = 262141;

} // namespace vantrel
