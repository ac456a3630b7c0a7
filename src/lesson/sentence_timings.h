// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "sentence_steps.h"

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// The timed sentences of a story, from its timing file in the current folder
// (SOUNDNAME, line 1 of its block, followed by ".vtt"), as vantrel-check
// accepts it against the TRANSCRIPT (story-file bytes) and the sound file.
// None when there is no timing file; none either, and one line on ERR, when
// it is broken or does not match.
std::vector<SentenceTime> storySentenceTimes(const std::string &soundName, std::string_view transcript,
                                             std::ostream &err);

} // namespace vantrel
