// SPDX-License-Identifier: GPL-3.0-or-later
// Feeds arbitrary bytes to both story-file readers. They must never crash,
// never keep more than 385 lines, and must agree with each other: the stream
// reader is what start-up uses, the in-memory split is what the rules are
// tested against.
#include "cp1252.h"
#include "story_block.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>

#define REQUIRE(condition) ((condition) ? void() : std::abort())

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    const vantrel::StoryLines parsed = vantrel::StoryLines::parse(bytes);
    std::istringstream stream(bytes);
    REQUIRE(parsed == vantrel::StoryLines::read(stream));
    REQUIRE(parsed.suppliedCount() >= 0 && parsed.suppliedCount() <= vantrel::kLineCount);
    std::size_t kept = 0;
    for (int n = 1; n <= vantrel::kLineCount; ++n) {
        const std::string &line = parsed.line(n);
        // A CR always ends a line, so no stored line can hold one.
        REQUIRE(line.find('\r') == std::string::npos && (n <= parsed.suppliedCount() || line.empty()));
        // One character per byte, whatever the byte.
        REQUIRE(vantrel::widenCp1252(line).size() == line.size());
        kept += line.size();
    }
    REQUIRE(kept <= size);
    // A slot's block writes back its own 24 lines; it is present by line 1.
    std::string blocks;
    for (int slot = 1; slot <= vantrel::kSlotCount; ++slot) {
        const vantrel::StoryBlock block = vantrel::StoryBlock::ofSlot(parsed, slot);
        REQUIRE(block.isPresent() == !parsed.line(vantrel::blockBase(slot) + 1).empty());
        blocks += block.bytes();
    }
    const vantrel::StoryLines written = vantrel::StoryLines::parse(blocks);
    for (int n = 1; n <= vantrel::kSlotCount * vantrel::kBlockSize; ++n)
        REQUIRE(written.line(n) == parsed.line(n));
    return 0;
}
