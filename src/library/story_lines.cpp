// SPDX-License-Identifier: GPL-3.0-or-later
#include "story_lines.h"

#include <istream>
#include <stdexcept>
#include <streambuf>
#include <utility>

namespace vantrel {

namespace {

constexpr char kCr = '\r';
constexpr char kLf = '\n';

class ViewSource {
public:
    explicit ViewSource(std::string_view bytes) : m_bytes(bytes) {}
    bool atEnd() const { return m_pos == m_bytes.size(); }
    char peek() const { return m_bytes[m_pos]; }
    char take() { return m_bytes[m_pos++]; }

private:
    std::string_view m_bytes;
    std::size_t m_pos = 0;
};

// Works on the stream buffer directly: the end test is a peek, so nothing
// beyond the last byte a line needs is taken from the file.
class BufferSource {
public:
    explicit BufferSource(std::streambuf &buffer) : m_buffer(buffer) {}
    bool atEnd() const { return Traits::eq_int_type(m_buffer.sgetc(), Traits::eof()); }
    char peek() const { return Traits::to_char_type(m_buffer.sgetc()); }
    char take() { return Traits::to_char_type(m_buffer.sbumpc()); }

private:
    using Traits = std::streambuf::traits_type;
    std::streambuf &m_buffer;
};

// End of file is tested before every line, so a final line ending adds no
// empty line; a CR ends a line and swallows one LF right after it, a bare LF
// is text.
template <typename Source>
StoryLines splitLines(Source &source)
{
    StoryLines lines;
    for (int n = 1; n <= kLineCount && !source.atEnd(); ++n) {
        std::string text;
        while (!source.atEnd()) {
            const char c = source.take();
            if (c == kCr) {
                if (!source.atEnd() && source.peek() == kLf)
                    source.take();
                break;
            }
            text.push_back(c);
        }
        lines.setLine(n, std::move(text));
    }
    return lines;
}

void requireLineNumber(int n)
{
    if (n < 1 || n > kLineCount)
        throw std::out_of_range("story line " + std::to_string(n) + " is outside 1 to 385");
}

} // namespace

StoryLines StoryLines::parse(std::string_view bytes)
{
    ViewSource source(bytes);
    return splitLines(source);
}

StoryLines StoryLines::read(std::istream &in)
{
    std::streambuf *buffer = in.rdbuf();
    if (!buffer)
        return {};
    BufferSource source(*buffer);
    return splitLines(source);
}

const std::string &StoryLines::line(int n) const
{
    requireLineNumber(n);
    return m_lines[static_cast<std::size_t>(n - 1)];
}

void StoryLines::setLine(int n, std::string text)
{
    requireLineNumber(n);
    m_lines[static_cast<std::size_t>(n - 1)] = std::move(text);
    if (n > m_supplied)
        m_supplied = n;
}

} // namespace vantrel
