// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string_view>

namespace vantrel {

// How a teacher can write a character that the story file cannot hold: a
// plainer spelling, as UTF-8 ("L" for "Ł", "->" for "→", " " for a thin
// space), or empty when there is none.
std::string_view plainSpelling(char32_t codePoint);

} // namespace vantrel
