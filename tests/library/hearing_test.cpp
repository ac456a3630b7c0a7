// SPDX-License-Identifier: GPL-3.0-or-later
#include "hearing.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>

namespace {

class HearingDelay : public testing::TestWithParam<std::pair<std::uintmax_t, std::uintmax_t>> {};

TEST_P(HearingDelay, isQuarterOfSizeRoundedHalfToEven)
{
    const auto [bytes, delayMs] = GetParam();
    EXPECT_EQ(vantrel::hearingDelayMs(bytes), delayMs) << bytes << " bytes";
}

constexpr std::uintmax_t kMax = std::numeric_limits<std::uintmax_t>::max();

INSTANTIATE_TEST_SUITE_P(
    Table, HearingDelay,
    testing::Values(std::pair{0u, 0u}, std::pair{1u, 0u}, std::pair{2u, 0u}, std::pair{3u, 1u},
                    std::pair{4u, 1u}, std::pair{5u, 1u}, std::pair{6u, 2u}, std::pair{7u, 2u},
                    std::pair{10u, 2u}, std::pair{14u, 4u}, std::pair{120000u, 30000u},
                    std::pair{262141u, 65535u}, std::pair{262142u, 65536u},
                    // Beyond double precision the rounding must still be exact.
                    std::pair{(std::uintmax_t{1} << 60) + 2, std::uintmax_t{1} << 58},
                    std::pair{(std::uintmax_t{1} << 60) + 6, (std::uintmax_t{1} << 58) + 2},
                    std::pair{kMax, kMax / 4 + 1}));

} // namespace
