// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace vantrel {

// vantrel-make --help, which is also its manual page (through help2man).
extern const char *const kMakerHelp;

} // namespace vantrel
