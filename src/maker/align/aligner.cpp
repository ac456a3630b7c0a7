// SPDX-License-Identifier: GPL-3.0-or-later
#include "aligner.h"

#include "sound_features.h"
#include "pauses.h"
#include "warp.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

namespace vantrel {

namespace {

constexpr double kSynthPauseMs = 300.0;
constexpr float kSynthSoundShare = 0.01F;  // of the sentence's peak: below it, the synthesiser is silent
constexpr int kPauseReach = 35;           // frames the warp's estimate may be off
constexpr double kShortestShare = 0.5;    // of the recording's length to the spoken transcript's
constexpr double kLongestShare = 2.0;
constexpr double kPassingShare = 0.5;  // of the way from the path's mean cost to an unrelated text's
constexpr int kShortestWord = 3;             // frames: no word is said in less
constexpr double kMostWordStretch = 4.0;     // a word heard this many times longer or shorter than synthesised

struct Frames {
    int first = 0, end = 0;  // [first, end)
};

struct WordFrame {
    std::size_t token = 0;
    int frame = 0;
};
using SentenceWords = std::vector<WordFrame>;  // a sentence's words after its first

std::string secondsText(double frames)
{
    char text[32];
    std::snprintf(text, sizeof text, "%.1f s", frames * Features::kHopMs / 1000.0);
    return text;
}

// The words of SENTENCE after its first that start within its sound,
// [FIRST, LAST) of its samples, in frames of a sound where FIRST is at
// sample START.
SentenceWords wordFrames(const Sound &sentence, std::size_t first, std::size_t last, std::size_t start,
                         double samplesPerFrame)
{
    SentenceWords words;
    for (const SoundWord &word : sentence.words) {
        if (word.token > 0 && word.sample > first && word.sample < last) {
            const auto frame = static_cast<int>(static_cast<double>(word.sample - first + start) / samplesPerFrame);
            words.push_back({word.token, frame});
        }
    }
    return words;
}

// The sentences spoken one after another, each trimmed to its sound and
// followed by a pause, as a reader pauses between sentences; and the span
// of each one's sound, in frames, with where its words start.
Sound joined(const std::vector<Sound> &spoken, std::vector<Frames> &spans, std::vector<SentenceWords> *words = nullptr)
{
    Sound all;
    all.rate = spoken.empty() ? 0 : spoken.front().rate;
    const auto pause = static_cast<std::size_t>(all.rate * kSynthPauseMs / 1000.0);
    const double samplesPerFrame = all.rate * Features::kHopMs / 1000.0;
    all.samples.assign(pause, 0.0F);
    for (const Sound &sentence : spoken) {
        float peak = 0.0F;
        for (const float sample : sentence.samples)
            peak = std::max(peak, std::abs(sample));
        auto sounding = [peak](float sample) { return std::abs(sample) > kSynthSoundShare * peak; };
        const auto first = std::find_if(sentence.samples.begin(), sentence.samples.end(), sounding);
        const auto last = std::find_if(sentence.samples.rbegin(), sentence.samples.rend(), sounding).base();
        const auto start = static_cast<int>(static_cast<double>(all.samples.size()) / samplesPerFrame);
        if (words) {
            words->push_back(wordFrames(sentence, static_cast<std::size_t>(first - sentence.samples.begin()),
                                        static_cast<std::size_t>(last - sentence.samples.begin()), all.samples.size(),
                                        samplesPerFrame));
        }
        if (first < last)
            all.samples.insert(all.samples.end(), first, last);
        const auto end = static_cast<int>(static_cast<double>(all.samples.size()) / samplesPerFrame);
        spans.push_back({start, std::max(end, start + 1)});
        all.samples.insert(all.samples.end(), pause, 0.0F);
    }
    return all;
}

// Why a word the synthesiser spoke in SAID frames is doubtful when heard in
// HEARD frames; empty when it is not.
std::string wordDoubt(int heard, int said)
{
    if (heard < kShortestWord)
        return "one word would last " + std::to_string(heard * static_cast<int>(Features::kHopMs)) + " ms";
    const double stretch = static_cast<double>(heard) / std::max(said, 1);
    if (stretch > kMostWordStretch || stretch < 1.0 / kMostWordStretch)
        return "one word would take " + std::to_string(static_cast<int>(std::lround(stretch * 100.0)))
               + " % of its usual time";
    return {};
}

// Each sentence after the one before it, and at least one frame long.
void putInOrder(std::vector<Frames> &sentences)
{
    for (std::size_t s = 0; s < sentences.size(); ++s) {
        if (s > 0) {
            sentences[s].first = std::max(sentences[s].first, sentences[s - 1].first + 1);
            sentences[s - 1].end = std::min(sentences[s - 1].end, sentences[s].first);
        }
        sentences[s].end = std::max(sentences[s].end, sentences[s].first + 1);
    }
}

// What a path may do besides matching frames: the pauses between sentences
// take in speech the transcript lacks, and a sentence the recording lacks is
// passed over, each at COST a frame.
WarpAllowances allowancesFor(const std::vector<Frames> &spans, int frames, float cost)
{
    WarpAllowances allowances;
    allowances.cap.assign(frames, cost);
    for (const Frames &said : spans) {
        std::fill(allowances.cap.begin() + std::min(said.first, frames), allowances.cap.begin() + std::min(said.end, frames),
                  std::numeric_limits<float>::infinity());
        allowances.jumps.push_back({said.first - 1, said.end, cost * static_cast<float>(said.end - said.first)});
    }
    return allowances;
}

// How much better the transcript fits the recording than UNRELATED, over
// the recording's frames that PATH matched to some sentence; 0 when none.
double matchOver(const Warp &path, const Warp &unrelated)
{
    double fit = 0.0, unfit = 0.0;
    for (std::size_t j = 0; j < path.frameCost.size(); ++j) {
        if (!std::isnan(path.frameCost[j]))
            fit += path.frameCost[j], unfit += unrelated.frameCost[j];
    }
    return unfit > 0.0 ? 1.0 - fit / unfit : 0.0;
}

// How far LENGTH is from EXPECTED, as a factor either way.
double apart(int length, double expected)
{
    return std::abs(std::log(std::max(length, 1) / std::max(expected, 1.0)));
}

// A reader may pause within a sentence where the synthesiser does not; the
// warp then lets the word on one side of the pause take in the pause and
// part of the word on the other. A pause that long inside a word the
// synthesiser says without one is taken for a pause between words: the word
// starts after it, or ends at it, whichever makes its length closer to the
// synthesiser's at the sentence's pace. HEARD and SAID are where each word
// starts, and after the last, where the sentence ends; ENDS, where each
// word's sound ends.
void placeAroundPauses(std::vector<int> &heard, std::vector<int> &ends, const std::vector<int> &said,
                       const Pauses &pauses, const Pauses &synthPauses)
{
    const std::size_t count = ends.size();
    const double pace = static_cast<double>(heard.back() - heard.front()) / std::max(said.back() - said.front(), 1);
    for (std::size_t w = 0; w < count; ++w) {
        const auto [quiet, sound] = pauses.pauseWithin(heard[w], heard[w + 1]);
        if (quiet < 0 || synthPauses.pauseWithin(said[w], said[w + 1]).first >= 0)
            continue;
        const double expected = pace * (said[w + 1] - said[w]);
        // The first word starts with its sentence, which starts after a pause already.
        if (w > 0 && apart(heard[w + 1] - sound, expected) <= apart(quiet - heard[w], expected)) {
            heard[w] = sound;
            ends[w - 1] = std::min(ends[w - 1], quiet);
        } else {
            ends[w] = quiet;
            if (w + 1 < count)
                heard[w + 1] = sound;
        }
    }
}

// Where each of WORDS starts in the recording, from where PATH puts it; the
// sentence's first word starts with SPAN. In doubt, when the path gives a
// word next to no time, or far more or less than the synthesiser took: then
// it squeezed words the recording lacks, or stretched one over others.
void timeWords(SentenceSpan &span, const SentenceWords &words, const Frames &said, const Warp &path,
               const Pauses &pauses, const Pauses &synthPauses)
{
    if (words.empty())
        return;
    const int last = static_cast<int>(path.firstMatch.size()) - 1;
    std::vector<int> heard{static_cast<int>(std::lround(span.startMs / Features::kHopMs))}, saidAt{said.first};
    for (const WordFrame &word : words) {
        heard.push_back(path.firstMatch[std::min(word.frame, last)]);
        saidAt.push_back(word.frame);
    }
    heard.push_back(static_cast<int>(std::lround(span.endMs / Features::kHopMs)));
    saidAt.push_back(said.end);
    std::vector<int> ends(heard.begin() + 1, heard.end());
    placeAroundPauses(heard, ends, saidAt, pauses, synthPauses);
    for (std::size_t w = 0; w < ends.size(); ++w) {
        span.wordDoubt = wordDoubt(ends[w] - heard[w], saidAt[w + 1] - saidAt[w]);
        if (!span.wordDoubt.empty())
            return;
    }
    for (std::size_t w = 0; w < words.size(); ++w)
        span.words.push_back({words[w].token, heard[w + 1] * Features::kHopMs});
}

// Each sentence's first and last sound, from where PATH puts its edges, and
// its words' starts.
std::vector<SentenceSpan> sentenceSpans(const Warp &path, const std::vector<Frames> &spans,
                                        const std::vector<SentenceWords> &words, const Pauses &pauses,
                                        const Pauses &synthPauses)
{
    const int last = static_cast<int>(path.firstMatch.size()) - 1;
    std::vector<Frames> sentences;
    for (const Frames &said : spans) {
        const int start = path.firstMatch[std::min(said.first, last)], end = path.firstMatch[std::min(said.end, last)];
        sentences.push_back({pauses.soundStartNear(start, kPauseReach), pauses.soundEndNear(end, kPauseReach)});
    }
    putInOrder(sentences);
    std::vector<SentenceSpan> times;
    for (std::size_t s = 0; s < sentences.size(); ++s) {
        times.push_back({sentences[s].first * Features::kHopMs, sentences[s].end * Features::kHopMs});
        timeWords(times.back(), words[s], spans[s], path, pauses, synthPauses);
    }
    return times;
}

} // namespace

Alignment alignSentences(const Sound &recording, const std::vector<Sound> &spoken, const std::vector<Sound> &unrelated)
{
    Alignment alignment;
    std::vector<Frames> spans, unrelatedSpans;
    std::vector<SentenceWords> words;
    const Spectra heardSpectra = computeSpectra(recording.samples, recording.rate);
    const Features heard = computeFeatures(heardSpectra);
    const auto asHeard = [&](const Sound &sound) {
        return computeFeatures(heardAs(computeSpectra(sound.samples, sound.rate), heardSpectra));
    };
    const Features synthetic = asHeard(joined(spoken, spans, &words));
    if (synthetic.frames == 0 || heard.frames == 0) {
        alignment.doubt = "the recording or its transcript is too short to align";
        return alignment;
    }
    const double share = static_cast<double>(heard.frames) / synthetic.frames;
    if (share < kShortestShare || share > kLongestShare) {
        alignment.doubt = "it lasts " + secondsText(heard.frames) + ", but its transcript read aloud takes about "
                          + secondsText(synthetic.frames);
        alignment.unlike = true;
        return alignment;
    }
    const double cost = warp(synthetic, heard).meanCost;
    const Warp unrelatedPath = warp(asHeard(joined(unrelated, unrelatedSpans)), heard);
    alignment.match = unrelatedPath.meanCost > 0.0 ? 1.0 - cost / unrelatedPath.meanCost : 0.0;
    // A frame of the pauses may take in speech, and a sentence be passed
    // over, at a cost between a good match's and an unrelated text's.
    const auto frameCost = static_cast<float>(cost + kPassingShare * (unrelatedPath.meanCost - cost));
    const Warp path = warp(synthetic, heard, allowancesFor(spans, synthetic.frames, frameCost));
    // A recording that lacks a sentence, or has one more, fits its transcript
    // less well as a whole: what it does say must fit all the better.
    alignment.matchOfTheRest = matchOver(path, unrelatedPath);
    if (alignment.match < kLeastMatch && alignment.matchOfTheRest < kLeastMatchOfTheRest) {
        alignment.doubt = "it sounds no more like this story's transcript than like the same words in another order";
        alignment.unlike = true;
        return alignment;
    }
    for (std::size_t s = 0; s < spans.size(); ++s) {
        if (spans[s].first < synthetic.frames && path.passedOver[spans[s].first])
            alignment.unspoken.push_back(s);
    }
    alignment.sentences = sentenceSpans(path, spans, words, Pauses(heard.loudness), Pauses(synthetic.loudness));
    return alignment;
}

} // namespace vantrel
