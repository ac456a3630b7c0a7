// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace vantrel {

// Widens story-file bytes to characters, one byte to one UTF-16 unit, as
// Windows-1252. The five bytes that code page leaves undefined (0x81, 0x8D,
// 0x8F, 0x90, 0x9D) map to the code points of the same value, so no byte is
// lost or merged.
std::u16string widenCp1252(std::string_view bytes);

} // namespace vantrel
