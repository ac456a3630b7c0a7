// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>

namespace vantrel {

// How long one hearing lasts, in milliseconds, for an audio file of the given
// size in bytes: size / 4 rounded half to even (32 kbit/s is 4 bytes per ms).
std::uintmax_t hearingDelayMs(std::uintmax_t audioBytes);

} // namespace vantrel
