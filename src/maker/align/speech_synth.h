// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "aligner.h"

#include <optional>
#include <string>
#include <vector>

namespace vantrel {

struct SpokenSentences {
    std::vector<Sound> sentences;  // one per sentence given, in order
    std::string problem;           // why none could be spoken
};

// espeak-ng's US English voice, and a higher variant of it: the aligner
// compares a recording with each and keeps the closer.
inline const std::vector<std::string> kSynthVoices = {"en-us", "en-us+f3"};

// Reads each sentence (UTF-8) aloud with espeak-ng's VOICE, on its own, as
// the aligner's model of how the transcript sounds. Not reentrant: espeak-ng
// keeps one state per process.
SpokenSentences speakSentences(const std::vector<std::string> &sentences, const std::string &voice);

} // namespace vantrel
