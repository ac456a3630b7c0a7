// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace vantrel {

// The whole of vantrel-check: arguments (without the program name) in,
// report on `out`, trouble with the command line or the files on `err`.
// Returns the exit status: 0 no error, 1 errors, 2 nothing could be checked.
int runVantrelCheck(const std::vector<std::string> &args, std::ostream &out, std::ostream &err);

} // namespace vantrel
