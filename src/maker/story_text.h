// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vantrel {

// A teacher's text file as UTF-8, whichever way the editor saved it: UTF-8
// with or without a byte order mark, or UTF-16 (Notepad's "Unicode") with
// one. Nothing when the bytes are not text: a NUL anywhere (binary, or
// UTF-16 without its mark), or bytes that are not UTF-8 on more than a few
// lines (another encoding throughout), where one message serves the teacher
// better than one per line.
std::optional<std::string> decodeTeachersText(std::string_view bytes);

} // namespace vantrel
