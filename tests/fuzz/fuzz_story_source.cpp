// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to the .story reader of vantrel-make. It must never
// crash or hang, report every problem at a line the input has, and only ever
// hand on text the story file can hold: no line endings inside a field.
#include "story_source.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

void requireFieldText(const vantrel::SourceText &text)
{
    require(text.bytes.find_first_of("\r\n") == std::string::npos);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const vantrel::ParsedStory parsed = vantrel::parseStorySource(bytes);

    const auto lines = static_cast<int>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
    for (const vantrel::SourceError &error : parsed.errors) {
        require(error.line >= 1 && error.line <= lines);
        require(!error.message.empty());
    }
    if (!parsed.errors.empty())
        return 0;
    const vantrel::StorySource &story = parsed.story;
    for (const vantrel::SourceText *text : {&story.title, &story.audio, &story.transcript}) {
        requireFieldText(*text);
        require(!text->bytes.empty());
    }
    for (const vantrel::SourceQuestion &question : story.questions) {
        requireFieldText(question.text);
        int correct = 0;
        for (const vantrel::SourceAnswer &answer : question.answers) {
            requireFieldText(answer.text);
            correct += answer.correct ? 1 : 0;
        }
        require(correct == 1);
    }
    return 0;
}
