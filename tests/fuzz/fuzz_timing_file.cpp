// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the timing-file readers and the sentence split.
// They must never crash or hang, report errors only at lines the input has,
// hand on only cues (and their word times) that write back and read back the
// same, and split a text without losing or adding anything but white space.
#include "sentences.h"
#include "text.h"
#include "timing_file.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#define REQUIRE(condition) ((condition) ? void() : std::abort())

namespace {

void requireSane(const vantrel::TimingRead &read, int lines)
{
    for (const vantrel::TimingError &error : read.errors)
        REQUIRE(error.line >= 1 && error.line <= lines && !error.message.empty());
    REQUIRE(!read.errors.empty() || !read.cues.empty());
    for (const vantrel::Cue &cue : read.cues) {
        REQUIRE(cue.line >= 1 && cue.line <= lines && cue.startMs >= 0 && cue.endMs >= 0);
        REQUIRE(vantrel::isUtf8(cue.text) && cue.text.find_first_of("\r\n") == std::string::npos);
        std::size_t at = 0;
        for (const vantrel::WordStart &word : cue.words) {
            REQUIRE(word.at >= at && word.at <= cue.text.size() && word.line > cue.line && word.line <= lines);
            at = word.at;
        }
    }
}

bool sameTimesAndTexts(const std::vector<vantrel::Cue> &a, const std::vector<vantrel::Cue> &b)
{
    return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](const vantrel::Cue &x, const vantrel::Cue &y) {
        return x.startMs == y.startMs && x.endMs == y.endMs && x.text == y.text
               && std::equal(x.words.begin(), x.words.end(), y.words.begin(), y.words.end(),
                             [](const vantrel::WordStart &v, const vantrel::WordStart &w) {
                                 return v.ms == w.ms && v.at == w.at;
                             });
    });
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const auto isEnding = [](char c) { return c == '\r' || c == '\n'; };
    const int lines = static_cast<int>(std::count_if(bytes.begin(), bytes.end(), isEnding)) + 1;

    const vantrel::TimingRead vtt = vantrel::readWebVtt(bytes);
    requireSane(vtt, lines);
    if (vtt.errors.empty())
        REQUIRE(sameTimesAndTexts(vantrel::readWebVtt(vantrel::writeWebVtt(vtt.cues)).cues, vtt.cues));
    requireSane(vantrel::readAudacityLabels(bytes), lines);

    std::string text;
    for (const vantrel::Cue &cue : vtt.cues)
        text += cue.text + ' ';
    for (const vantrel::TimingError &error : vantrel::checkCues(vtt.cues, vantrel::splitSentences(text), 6000))
        REQUIRE(error.line >= 1 && error.line <= lines);

    // Every sentence trimmed, with single spaces; together, the whole text.
    std::string joined;
    for (const std::string &sentence : vantrel::splitSentences(bytes)) {
        REQUIRE(!sentence.empty() && sentence == vantrel::collapseSpaces(sentence));
        joined += (joined.empty() ? "" : " ") + sentence;
    }
    REQUIRE(joined == vantrel::collapseSpaces(bytes));
    return 0;
}
