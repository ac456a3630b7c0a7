// SPDX-License-Identifier: GPL-3.0-or-later
#include "story_timings.h"

#include "aligner.h"
#include "cp1252.h"
#include "recording.h"
#include "sentences.h"
#include "speech_coverage.h"
#include "speech_synth.h"
#include "timing_file.h"
#include "transcript_check.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <random>
#include <sstream>
#include <fstream>
#include <iterator>

namespace vantrel {

namespace fs = std::filesystem;

namespace {

constexpr int kAlignmentRate = 16000;

std::vector<std::string> sentencesOf(const FolderStory &story)
{
    return splitSentences(utf8FromCp1252(story.story.transcript.bytes));
}

// Times of the recording to times of the sound as played.
std::vector<Cue> asPlayed(std::vector<Cue> cues)
{
    const auto delay = static_cast<std::int64_t>(std::lround(kEncoderDelayMs));
    for (Cue &cue : cues) {
        cue.startMs += delay, cue.endMs += delay;
        for (WordStart &word : cue.words)
            word.ms += delay;
    }
    return cues;
}

// The aligner's last sound may end in the encoder's padding: kept within the sound.
std::vector<Cue> keptWithin(std::vector<Cue> cues, double playingMs)
{
    const auto last = static_cast<std::int64_t>(std::floor(playingMs));
    for (Cue &cue : cues) {
        cue.startMs = std::min(cue.startMs, last), cue.endMs = std::min(cue.endMs, last);
        std::erase_if(cue.words, [&cue](const WordStart &word) { return word.ms >= cue.endMs; });
    }
    return cues;
}

// The note in the timing files says how far they are moved.
static_assert(kEncoderDelayMs > 49.5 && kEncoderDelayMs < 50.5 && kAsPlayedNote.ends_with("plus 50 ms."));

StoryTimings teachersTimings(const FolderStory &story, double playingMs)
{
    StoryTimings timings;
    const fs::path file = story.file.parent_path() / utf8FromCp1252(story.story.timings.bytes);
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        timings.problems.push_back({story.file, story.story.timings.line,
                                    "the timing file \"" + story.story.timings.bytes + "\" cannot be read"});
        return timings;
    }
    const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const std::string_view text = std::string_view(bytes).substr(bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? 3 : 0);
    // A WebVTT file says so on its first line; anything else is read as Audacity's labels.
    const TimingRead read = text.rfind("WEBVTT", 0) == 0 ? readWebVtt(bytes) : readAudacityLabels(bytes);
    std::vector<TimingError> errors = read.errors;
    // Checked in the file's own times, so that the messages quote them: those
    // of the MP3 as played when vantrel-make's note says so (a file it wrote,
    // given back), else those of the recording.
    const double lengthMs = read.asPlayed ? playingMs : playingMs - kEncoderDelayMs;
    if (errors.empty())
        errors = checkCues(read.cues, sentencesOf(story), static_cast<std::int64_t>(std::floor(lengthMs)));
    const std::vector<Cue> cues = read.asPlayed ? read.cues : asPlayed(read.cues);
    for (const TimingError &error : errors)
        timings.problems.push_back({file, error.line, error.message});
    if (errors.empty())
        timings.webVtt = writeWebVtt(cues);
    return timings;
}

// The transcript's words in another order, sentence lengths kept: the same
// sounds in the same voice, saying nothing the recording says.
std::vector<std::string> shuffledWords(const std::vector<std::string> &sentences)
{
    std::vector<std::string> words;
    std::vector<std::size_t> counts;
    for (const std::string &sentence : sentences) {
        std::istringstream in(sentence);
        std::size_t count = 0;
        for (std::string word; in >> word; ++count)
            words.push_back(word);
        counts.push_back(count);
    }
    std::mt19937 order(1);
    std::shuffle(words.begin(), words.end(), order);
    std::vector<std::string> shuffled;
    auto next = words.begin();
    for (const std::size_t count : counts) {
        std::string sentence;
        for (std::size_t k = 0; k < count; ++k, ++next)
            sentence += (k ? " " : "") + *next;
        shuffled.push_back(sentence);
    }
    return shuffled;
}

// The aligner's word times as a cue's: each at its token's first byte.
std::vector<WordStart> wordStarts(const std::string &sentence, const std::vector<WordTime> &words)
{
    std::vector<std::size_t> tokenAt;
    for (std::size_t at = 0; at < sentence.size(); ++at) {
        if (sentence[at] != ' ' && (at == 0 || sentence[at - 1] == ' '))
            tokenAt.push_back(at);
    }
    std::vector<WordStart> starts;
    for (const WordTime &word : words) {
        if (word.token < tokenAt.size())
            starts.push_back({std::llround(word.startMs), tokenAt[word.token], 0});
    }
    return starts;
}

// A sentence whose word times the aligner doubts keeps its own times; the
// teacher hears of it at the sentence's line.
void warnOfUntimedWords(StoryTimings &timings, const FolderStory &story, const std::vector<std::string> &sentences,
                        const std::vector<SentenceSpan> &spans)
{
    const std::vector<int> lines = sentenceLines(story.story, sentences);
    for (std::size_t s = 0; s < spans.size(); ++s) {
        if (!spans[s].wordDoubt.empty()) {
            timings.problems.push_back({story.file, lines[s],
                                        "no word times for " + quotedSentence(sentences[s])
                                            + ": the recording does not seem to say it word for word ("
                                            + spans[s].wordDoubt + "); its sentence times stay",
                                        true});
        }
    }
}

MakeError doubtAbout(StoryTimings &timings, const FolderStory &story, const std::string &why)
{
    timings.untimedBecause = why;
    return {story.file, story.story.audio.line, "no sentence timings for this story: " + why, true};
}

// Another story's recording would have the students answer questions about
// what they did not hear: the build stops.
MakeError unlikeItsTranscript(const FolderStory &story, const std::string &why)
{
    return {story.file, story.story.audio.line,
            "this recording does not seem to be of this story, or the transcript leaves much of it out: " + why
                + "; check that \"audio:\" names the right recording (to build it anyway, without sentence timings "
                  "and without this check, use --no-timings)"};
}

StoryTimings alignedTimings(const FolderStory &story, double playingMs, const std::atomic<bool> &stop)
{
    StoryTimings timings;
    const std::vector<std::string> sentences = sentencesOf(story);
    Sound recording{{}, kAlignmentRate};
    const Conversion decoded = decodeRecording(story.recording, kAlignmentRate, recording.samples, stop);
    timings.interrupted = decoded.interrupted;
    if (!decoded.ok) {
        if (!decoded.interrupted)
            timings.problems.push_back(
                doubtAbout(timings, story, "the recording cannot be decoded again (" + decoded.problem + ")"));
        return timings;
    }
    Alignment alignment;
    for (const std::string &voice : kSynthVoices) {
        const SpokenSentences spoken = speakSentences(sentences, voice);
        if (!spoken.problem.empty()) {
            timings.problems.push_back(doubtAbout(timings, story, spoken.problem));
            return timings;
        }
        const SpokenSentences other = speakSentences(shuffledWords(sentences), voice);
        Alignment tried = alignSentences(recording, spoken.sentences, other.sentences);
        if (&voice == &kSynthVoices.front() || tried.match > alignment.match)
            alignment = std::move(tried);
    }
    if (const char *debug = std::getenv("VANTREL_DEBUG"); debug && std::string_view(debug) == "align") {
        std::fprintf(stderr, "align: %s: match %.3f, of the rest %.3f\n", story.file.filename().c_str(),
                     alignment.match, alignment.matchOfTheRest);
    }
    if (alignment.unlike) {
        timings.problems.push_back(unlikeItsTranscript(story, alignment.doubt));
        return timings;
    }
    if (alignment.sentences.size() != sentences.size()) {
        timings.problems.push_back(doubtAbout(timings, story, alignment.doubt));
        return timings;
    }
    std::vector<Cue> cues;
    for (std::size_t s = 0; s < sentences.size(); ++s) {
        const SentenceSpan &span = alignment.sentences[s];
        cues.push_back({std::llround(span.startMs), std::llround(span.endMs), sentences[s], 0,
                        wordStarts(sentences[s], span.words)});
    }
    const TranscriptCheck heard = checkAgainstTranscript(story, sentences, cues,
                                                         loudnessPerFrame(recording.samples, recording.rate),
                                                         alignment.unspoken);
    timings.problems.insert(timings.problems.end(), heard.warnings.begin(), heard.warnings.end());
    if (heard.untimedBecause) {
        timings.untimedBecause = *heard.untimedBecause;
        return timings;
    }
    warnOfUntimedWords(timings, story, sentences, alignment.sentences);
    timings.webVtt = writeWebVtt(keptWithin(asPlayed(std::move(cues)), playingMs));
    return timings;
}

} // namespace

StoryTimings timeStory(const FolderStory &story, double playingMs, bool align, const std::atomic<bool> &stop)
{
    if (story.story.timings.line != 0)
        return teachersTimings(story, playingMs);
    if (!align)
        return {};
    return alignedTimings(story, playingMs, stop);
}

} // namespace vantrel
