// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <atomic>
#include <iosfwd>
#include <string>
#include <vector>

namespace vantrel {

// The whole of vantrel-make: arguments (without the program name) in,
// progress on `out`, problems on `err`; `stop` breaks the work off. Needs a
// QApplication and gst_init(). Returns the exit status: 0 made, 1 not made.
int runVantrelMake(const std::vector<std::string> &args, std::ostream &out, std::ostream &err,
                   const std::atomic<bool> &stop);

} // namespace vantrel
