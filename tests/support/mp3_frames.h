// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// MPEG audio made up frame by frame, for every suite that needs an MP3.

#include <array>
#include <string>

namespace vantrel::test {

// One kind of Layer III frame: its 4 header bytes and its length.
struct FrameKind {
    std::array<unsigned char, 4> header;
    std::size_t length;
};

// Exactly 4 bytes a millisecond, as a hearing is timed: 96-byte frames of 24 ms.
inline constexpr FrameKind kMpeg1At48k{{0xFF, 0xFB, 0x14, 0xC0}, 96};
inline constexpr FrameKind kMpeg1At48k64kbit{{0xFF, 0xFB, 0x54, 0xC0}, 192};
inline constexpr FrameKind kMpeg1At44k{{0xFF, 0xFB, 0x10, 0xC0}, 104};          // 26.12 ms
inline constexpr FrameKind kMpeg1At44kPadded{{0xFF, 0xFB, 0x12, 0xC0}, 105};
inline constexpr FrameKind kMpeg2At22k{{0xFF, 0xF3, 0x40, 0xC0}, 104};          // 26.12 ms
inline constexpr FrameKind kMpeg25At11k{{0xFF, 0xE3, 0x40, 0xC0}, 208};         // 52.24 ms

// Frames of the given kind with zeros after each header.
inline std::string frames(const FrameKind &kind, int count)
{
    std::string frame(kind.header.begin(), kind.header.end());
    frame.resize(kind.length, '\0');
    std::string out;
    for (int i = 0; i < count; ++i)
        out += frame;
    return out;
}

// An ID3v2.3 tag of `total` bytes, header included, whose body is `fill` repeated.
inline std::string id3Tag(std::size_t total, const std::string &fill = std::string(1, '\0'))
{
    std::string tag("ID3\x03\0\0", 6);
    for (int shift = 21; shift >= 0; shift -= 7)
        tag += static_cast<char>(((total - 10) >> shift) & 0x7F);
    while (tag.size() < total)
        tag += fill;
    tag.resize(total);
    return tag;
}

} // namespace vantrel::test
