// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// Splits a story's transcript (UTF-8) into its sentences, which a timing file
// times one cue each. A sentence ends at ".", "?" or "!", together with any
// closing quotes or brackets right after it (" ' ) ] and the curly ” ’), when
// white space follows. It does not end there:
// - before a word that starts with a lower-case letter ("Is it safe?" asked
//   the mayor), opening quotes and brackets skipped;
// - after the titles Mr. Mrs. Ms. Dr. St. Prof. or after e.g. i.e. vs.;
// - after initials: capital letters each followed by a full stop (J. Smith,
//   the U.S. Senate);
// - after a.m. p.m. A.M. P.M. etc., unless the next word starts with a
//   capital letter and is not a day of the week (at 6 p.m. Monday; at 6 p.m.
//   The mayor ...).
// A decimal point needs no rule: no white space follows it. Each sentence has
// its white space runs made single spaces and trimmed; empty ones are dropped.
std::vector<std::string> splitSentences(std::string_view transcriptUtf8);

} // namespace vantrel
