// SPDX-License-Identifier: GPL-3.0-or-later
#include "text.h"

#include <gtest/gtest.h>

#include <string>

namespace {

class Cp1252 : public testing::TestWithParam<std::pair<unsigned char, char16_t>> {};

TEST_P(Cp1252, widensByteToCodePoint)
{
    const auto [byte, expected] = GetParam();
    const std::u16string text = vantrel::widenCp1252(std::string(1, static_cast<char>(byte)));
    ASSERT_EQ(text.size(), 1u);
    EXPECT_EQ(static_cast<unsigned>(text[0]), static_cast<unsigned>(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Table, Cp1252,
    testing::Values(
        // ASCII and Latin-1 pass through, NUL and line-ending bytes included.
        std::pair{0x00, u'\x00'}, std::pair{0x0A, u'\x0A'}, std::pair{0x41, u'A'},
        std::pair{0x7F, u'\x7F'}, std::pair{0xA0, u'\xA0'}, std::pair{0xE9, u'\xE9'},
        std::pair{0xFF, u'\xFF'},
        // Code page characters.
        std::pair{0x80, u'\u20AC'}, std::pair{0x8E, u'\u017D'}, std::pair{0x92, u'\u2019'},
        std::pair{0x93, u'\u201C'}, std::pair{0x97, u'\u2014'}, std::pair{0x9F, u'\u0178'},
        // Undefined in the code page: kept as their own value.
        std::pair{0x81, char16_t{0x81}}, std::pair{0x8D, char16_t{0x8D}},
        std::pair{0x8F, char16_t{0x8F}}, std::pair{0x90, char16_t{0x90}},
        std::pair{0x9D, char16_t{0x9D}}));

} // namespace
