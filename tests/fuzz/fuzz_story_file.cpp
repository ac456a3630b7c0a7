// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to both story-file readers. They must never crash,
// never keep more than 385 lines, and must agree with each other: the stream
// reader is what start-up uses, the in-memory split is what the rules are
// tested against.
#include "story_lines.h"
#include "text.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <string_view>

namespace {

void require(bool condition)
{
    if (!condition)
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string_view bytes(reinterpret_cast<const char *>(data), size);
    const vantrel::StoryLines parsed = vantrel::StoryLines::parse(bytes);

    std::istringstream stream{std::string(bytes)};
    const vantrel::StoryLines streamed = vantrel::StoryLines::read(stream);
    require(parsed == streamed);

    require(parsed.suppliedCount() >= 0 && parsed.suppliedCount() <= vantrel::kLineCount);
    std::size_t kept = 0;
    for (int n = 1; n <= vantrel::kLineCount; ++n) {
        const std::string &line = parsed.line(n);
        // A CR always ends a line, so no stored line can hold one.
        require(line.find('\r') == std::string::npos);
        require(n <= parsed.suppliedCount() || line.empty());
        kept += line.size();
        // One character per byte, whatever the byte.
        require(vantrel::widenCp1252(line).size() == line.size());
    }
    require(kept <= size);

    for (int slot = 1; slot <= vantrel::kSlotCount; ++slot) {
        (void)vantrel::isPresent(parsed, slot);
        (void)vantrel::title(parsed, slot);
    }
    return 0;
}
