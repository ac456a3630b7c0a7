// SPDX-License-Identifier: GPL-3.0-or-later
#include "hearing.h"

namespace vantrel {

// Integers only: a double loses exactness for sizes beyond 2^53, and the
// halfway case (remainder 2) must go to the even quotient.
std::uintmax_t hearingDelayMs(std::uintmax_t audioBytes)
{
    const std::uintmax_t q = audioBytes / 4;
    switch (audioBytes % 4) {
    case 0:
    case 1:
        return q;
    case 2:
        return q % 2 == 0 ? q : q + 1;
    default:
        return q + 1;
    }
}

} // namespace vantrel
