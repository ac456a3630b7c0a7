// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <iosfwd>
#include <string>
#include <string_view>

namespace vantrel {

inline constexpr int kLineCount = 385;

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

} // namespace vantrel
