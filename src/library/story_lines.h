// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <iosfwd>
#include <string>
#include <string_view>

namespace vantrel {

inline constexpr int kLineCount = 385;
inline constexpr int kSlotCount = 12;
inline constexpr int kBlockSize = 24;

// The story file in memory: lines numbered 1 to 385, each held as the raw
// bytes the file had (line ending dropped). A line the file did not supply is
// empty. Bytes stay bytes here; widenCp1252() turns them into characters.
class StoryLines {
public:
    StoryLines() = default;

    // Splits file contents by the story file's line-ending rule: a CR ends a
    // line, an LF right after that CR belongs to the same ending, a bare LF
    // stays in the text. At most 385 lines are kept; the rest is ignored.
    static StoryLines parse(std::string_view bytes);

    // The same split, taking bytes from the stream only until line 385 and its
    // ending are consumed, so the rest of a huge file is never read. Read
    // errors thrown by the stream buffer propagate.
    static StoryLines read(std::istream &in);

    // Line n, 1 to 385. Throws std::out_of_range outside that range.
    const std::string &line(int n) const;
    // Stores line n as if the file had supplied lines up to n.
    void setLine(int n, std::string text);

    // How many lines the file supplied (0 to 385).
    int suppliedCount() const { return m_supplied; }

    bool operator==(const StoryLines &) const = default;

private:
    std::array<std::string, kLineCount> m_lines{};
    int m_supplied = 0;
};

// Slot s (1 to 12) owns lines blockBase(s) + 1 to blockBase(s) + 24.
// Throws std::out_of_range for a slot outside 1 to 12.
int blockBase(int slot);

// A slot is present when line 1 of its block holds at least one byte.
bool isPresent(const StoryLines &lines, int slot);

// Line 2 of the slot's block.
const std::string &title(const StoryLines &lines, int slot);

// Field k (1 to 24) of the story whose block starts after line storyBase.
// Throws std::out_of_range for k outside 1 to 24 or a line outside the file.
const std::string &field(const StoryLines &lines, int storyBase, int k);

// Answer keys mark the correct answer only when exactly "*".
bool isCorrectKey(std::string_view key);

} // namespace vantrel
