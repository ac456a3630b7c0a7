// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrel::dictation {

// A word as written (UTF-8) and the parts it is compared by: folded to lower
// case, punctuation around it dropped, apostrophes and dashes made one, a
// number up to 100 spelt out, and split at its hyphens. A word of
// punctuation only has no parts.
struct Word {
    std::string written;
    std::vector<std::u32string> parts;
    std::size_t at = 0;  // where it starts in the text, in bytes (of the text as valid UTF-8)
};

std::vector<Word> splitWords(std::string_view text);

// Whether TYPED is a slip of SAID: one edit (insert, drop, change, swap of
// neighbours) for a part of 4 to 9 letters, two for a longer one.
bool isSlip(const std::u32string &said, const std::u32string &typed);

} // namespace vantrel::dictation
