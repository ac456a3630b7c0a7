// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace vantrel {

// Where a word of a synthetic sound starts: the word is the sentence's
// TOKENth run of non-blank characters.
struct SoundWord {
    std::size_t token = 0;
    std::size_t sample = 0;
};

struct Sound {
    std::vector<float> samples;   // mono, -1..1
    int rate = 0;
    std::vector<SoundWord> words = {};  // a synthesiser's sound only, in order
};

struct WordTime {
    std::size_t token = 0;  // as in SoundWord
    double startMs = 0.0;
};

struct SentenceSpan {
    double startMs = 0.0;  // where its first sound starts
    double endMs = 0.0;    // where its last sound ends
    std::vector<WordTime> words = {};  // its words after the first, in order; none when in doubt
    std::string wordDoubt = {};        // why it has none, when it had some to time: "one word would ..."
};

struct Alignment {
    std::vector<SentenceSpan> sentences;  // empty when the alignment is not trusted
    double match = 0.0;                   // how much better the transcript fits than unrelated words:
                                          // 0 (no better) to 1 (a perfect fit)
    double matchOfTheRest = 0.0;          // the same over the frames matched to some sentence
    std::string doubt;                    // why it is not trusted
    bool unlike = false;                  // with a doubt: the recording is not of this transcript
    std::vector<std::size_t> unspoken;    // sentences the recording does not say
};

// How much better a recording must fit its transcript, as the synthesiser
// reads it, than the same words read in another order (same sounds, same
// voice, saying something else): a fraction of the unrelated reading's mean
// frame distance. Measured on recordings whose truth is known: readings of
// the text itself by espeak-ng and Festival, at 0.85x to 1.15x and in noise
// down to 15 dB, fitted 0.09 to 0.84 better; another story's recording at
// most 0.07. Below it, the frames the recording does say must fit 0.11 better:
// recordings of another text fitted at most 0.10 there.
inline constexpr double kLeastMatch = 0.08;
inline constexpr double kLeastMatchOfTheRest = 0.11;

// Where each sentence lies in RECORDING, found by warping the sentences as
// SPOKEN one by one by a speech synthesiser onto it; UNRELATED is the same
// words spoken in another order. Times are in the recording's own time.
Alignment alignSentences(const Sound &recording, const std::vector<Sound> &spoken,
                         const std::vector<Sound> &unrelated);

} // namespace vantrel
