// SPDX-License-Identifier: GPL-3.0-or-later
#include "mp3_duration.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <fstream>
#include <vector>

namespace vantrel {

namespace {

constexpr std::size_t kHeaderSize = 4;
constexpr std::size_t kId3HeaderSize = 10;

struct FrameHeader {
    int version = 0;        // the two version bits: 0 MPEG-2.5, 2 MPEG-2, 3 MPEG-1
    int sampleRateIndex = 0;
    int sampleRate = 0;
    int samples = 0;        // per frame
    std::size_t length = 0; // whole frame, header included
};

// kbit/s by bit-rate index, Layer III; index 0 (free format) and 15 are not
// usable, as a free-format frame's length cannot be told from its header.
constexpr std::array<int, 15> kMpeg1Bitrates = {0, 32, 40, 48, 56, 64, 80, 96, 112, 128, 160, 192, 224, 256, 320};
constexpr std::array<int, 15> kMpeg2Bitrates = {0, 8, 16, 24, 32, 40, 48, 56, 64, 80, 96, 112, 128, 144, 160};
constexpr std::array<int, 3> kMpeg1Rates = {44100, 48000, 32000};

std::optional<FrameHeader> parseHeader(const unsigned char *b)
{
    if (b[0] != 0xFF || (b[1] & 0xE0) != 0xE0)
        return std::nullopt;
    FrameHeader h;
    h.version = (b[1] >> 3) & 3;
    const int layer = (b[1] >> 1) & 3;
    const int bitrateIndex = b[2] >> 4;
    h.sampleRateIndex = (b[2] >> 2) & 3;
    const int padding = (b[2] >> 1) & 1;
    const int emphasis = b[3] & 3;
    if (h.version == 1 || layer != 1 || bitrateIndex == 0 || bitrateIndex == 15
        || h.sampleRateIndex == 3 || emphasis == 2)
        return std::nullopt;

    const bool mpeg1 = h.version == 3;
    const int kbits = (mpeg1 ? kMpeg1Bitrates : kMpeg2Bitrates)[static_cast<std::size_t>(bitrateIndex)];
    const int divisor = h.version == 3 ? 1 : h.version == 2 ? 2 : 4;
    h.sampleRate = kMpeg1Rates[static_cast<std::size_t>(h.sampleRateIndex)] / divisor;
    h.samples = mpeg1 ? 1152 : 576;
    h.length = static_cast<std::size_t>((mpeg1 ? 144 : 72) * kbits * 1000 / h.sampleRate + padding);
    return h;
}

// Frames of one stream keep their version and sample rate; only the bit
// rate may change from frame to frame.
bool sameStream(const FrameHeader &a, const FrameHeader &b)
{
    return a.version == b.version && a.sampleRateIndex == b.sampleRateIndex;
}

// A window on the stream that keeps only the bytes not yet consumed.
class Window {
public:
    explicit Window(std::istream &in) : m_in(in) {}

    // True when at least n bytes are available from the current position.
    bool ensure(std::size_t n)
    {
        while (available() < n && !m_ended) {
            if (m_pos > 0) {
                m_bytes.erase(m_bytes.begin(), m_bytes.begin() + static_cast<std::ptrdiff_t>(m_pos));
                m_pos = 0;
            }
            const std::size_t old = m_bytes.size();
            m_bytes.resize(old + kChunk);
            m_in.read(reinterpret_cast<char *>(m_bytes.data() + old), static_cast<std::streamsize>(kChunk));
            const auto got = static_cast<std::size_t>(m_in.gcount());
            m_bytes.resize(old + got);
            if (got < kChunk)
                m_ended = true;
        }
        return available() >= n;
    }

    std::size_t available() const { return m_bytes.size() - m_pos; }
    const unsigned char *at(std::size_t offset) const { return m_bytes.data() + m_pos + offset; }

    void skip(std::uintmax_t n)
    {
        const std::uintmax_t here = std::min<std::uintmax_t>(n, available());
        m_pos += static_cast<std::size_t>(here);
        n -= here;
        // Beyond the window, e.g. past a large tag with a picture in it.
        while (n > 0 && !m_ended) {
            const auto step = static_cast<std::streamsize>(std::min<std::uintmax_t>(n, kChunk));
            m_in.ignore(step);
            if (m_in.gcount() < step)
                m_ended = true;
            n -= static_cast<std::uintmax_t>(m_in.gcount());
        }
    }

private:
    static constexpr std::size_t kChunk = 64 * 1024;
    std::istream &m_in;
    std::vector<unsigned char> m_bytes;
    std::size_t m_pos = 0;
    bool m_ended = false;
};

// Length of the ID3v2 tag starting here, or 0 when there is none.
std::uintmax_t id3v2Length(Window &window)
{
    if (!window.ensure(kId3HeaderSize))
        return 0;
    const unsigned char *b = window.at(0);
    if (b[0] != 'I' || b[1] != 'D' || b[2] != '3' || b[3] == 0xFF || b[4] == 0xFF)
        return 0;
    std::uintmax_t size = 0;
    for (int i = 6; i < 10; ++i) {
        if (b[i] & 0x80)
            return 0;  // not a sync-safe size, so not a tag
        size = (size << 7) | b[i];
    }
    const bool footer = (b[5] & 0x10) != 0;
    return kId3HeaderSize + size + (footer ? kId3HeaderSize : 0);
}

} // namespace

std::int64_t Mp3Scan::wholeMs() const
{
    return static_cast<std::int64_t>(std::ceil(durationMs));
}

std::optional<Mp3Scan> scanMp3(std::istream &in)
{
    Window window(in);
    Mp3Scan scan;
    while (const std::uintmax_t tag = id3v2Length(window)) {
        scan.tagBytes += tag;
        window.skip(tag);
    }

    std::optional<FrameHeader> locked;
    while (window.ensure(kHeaderSize)) {
        const std::optional<FrameHeader> h = parseHeader(window.at(0));
        bool take = h && (!locked || sameStream(*h, *locked));
        if (take && !locked) {
            // After junk, a sync pattern counts only when the next frame of
            // the same stream follows it, or the file ends with it: random
            // bytes often look like one header, rarely like two.
            if (window.ensure(h->length + kHeaderSize)) {
                const std::optional<FrameHeader> next = parseHeader(window.at(h->length));
                take = next && sameStream(*next, *h);
            } else {
                take = window.available() == h->length;
            }
        }
        if (take && !window.ensure(h->length))
            break;  // a frame cut short by the end of the file does not play
        if (!take) {
            locked.reset();
            window.skip(1);
            continue;
        }
        ++scan.frames;
        scan.durationMs += h->samples * 1000.0 / h->sampleRate;
        scan.frameBytes += h->length;
        window.skip(h->length);
        locked = h;
    }
    if (scan.frames == 0)
        return std::nullopt;
    return scan;
}

std::optional<Mp3Scan> scanMp3File(const std::filesystem::path &path)
{
    std::ifstream in(path, std::ios::binary);
    return in ? scanMp3(in) : std::nullopt;
}

} // namespace vantrel
