// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the .story reader of vantrel-make. It must never
// crash or hang, report every problem at a line the input has, and only ever
// hand on text the story file can hold: no line endings inside a field.
#include "story_source.h"

#include <algorithm>
#include <cstdint>
#include <cstdlib>

#define REQUIRE(condition) ((condition) ? void() : std::abort())

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const vantrel::ParsedStory parsed = vantrel::parseStorySource(bytes);
    const auto requireFieldText = [](const vantrel::SourceText &text, bool nonEmpty = false) {
        REQUIRE(text.bytes.find_first_of("\r\n") == std::string::npos && (!nonEmpty || !text.bytes.empty()));
    };
    const auto lines = static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    for (const vantrel::SourceError &error : parsed.errors)
        REQUIRE(error.line >= 1 && error.line <= lines && !error.message.empty());
    if (!parsed.errors.empty())
        return 0;
    for (const vantrel::SourceText *text : {&parsed.story.title, &parsed.story.audio, &parsed.story.transcript})
        requireFieldText(*text, true);
    for (const vantrel::SourceQuestion &question : parsed.story.questions) {
        requireFieldText(question.text);
        int correct = 0;
        for (const vantrel::SourceAnswer &answer : question.answers) {
            requireFieldText(answer.text);
            correct += answer.correct ? 1 : 0;
        }
        REQUIRE(correct == 1);
    }
    return 0;
}
