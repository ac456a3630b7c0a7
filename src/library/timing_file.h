// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vantrel {

// Where a word of a cue starts, from a WebVTT cue timestamp before it
// ("The <00:01.240>second"): in the sound, and as a byte offset in the cue's
// text, which holds no timestamp.
struct WordStart {
    std::int64_t ms = 0;
    std::size_t at = 0;
    int line = 0;  // where the timestamp stands in its file

    bool operator==(const WordStart &) const = default;
};

// One timed sentence of a story. Its first word starts with it; the others
// may be timed too, in order.
struct Cue {
    std::int64_t startMs = 0, endMs = 0;
    std::string text;
    int line = 0;  // where the cue's times stand in its file
    std::vector<WordStart> words = {};

    bool operator==(const Cue &) const = default;
};

struct TimingError {
    int line = 0;
    std::string message;  // a lower-case clause, as vantrel-check prints it

    bool operator==(const TimingError &) const = default;
};

// The line vantrel-make's timing files hold in a NOTE: their times are of the
// MP3 as Vantrel plays it, not of the recording, so a teacher who gives such
// a file back is taken at its word. Teachers read it; keep it as it is.
inline constexpr std::string_view kAsPlayedNote = "Times are of the sound as Vantrel plays it (the MP3 of the same "
                                                  "name): the recording's own times plus 50 ms.";

struct TimingRead {
    std::vector<Cue> cues;          // only the well-formed ones
    std::vector<TimingError> errors;
    bool asPlayed = false;          // a NOTE holds kAsPlayedNote
};

// Reads a WebVTT file: an optional UTF-8 byte order mark; LF, CR LF or CR
// line endings; "WEBVTT" alone or followed by a space or tab and anything on
// the first line; header lines up to the first blank line; then blocks
// separated by blank lines. NOTE, STYLE and REGION blocks are skipped; a cue
// is an optional identifier line, "START --> END" with optional settings,
// and text lines up to a blank line, joined by single spaces. Times are
// mm:ss.ttt or hh:mm:ss.ttt. In the text, a time in angle brackets is a word
// time (taken out of the text into the cue's words); any other tag stays
// text. A NOTE with kAsPlayedNote in one of its lines sets asPlayed. Any
// bytes are safe to give.
TimingRead readWebVtt(std::string_view bytes);

// Reads an Audacity label track export: "start<TAB>end<TAB>text" a line,
// times in seconds with a decimal point or comma, rounded to the nearest
// millisecond. Blank lines and lines starting with a backslash (the second
// line of a spectral label) are skipped.
TimingRead readAudacityLabels(std::string_view bytes);

// vantrel-make's timing file, of times as played: "WEBVTT", a blank line, a
// NOTE of kAsPlayedNote and how to give the file back, a blank line, and each
// cue as "MM:SS.mmm --> MM:SS.mmm" (with hours, HH:MM:SS.mmm, from one hour
// on), its text with its word times as "<MM:SS.mmm>" before their words, and
// a blank line; LF line endings. A cue's text must hold no line break.
std::string writeWebVtt(const std::vector<Cue> &cues);

// Checks a story's cues against its sentences (see splitSentences) and its
// recording's length: one cue a sentence, in order, with that sentence's
// text (white space runs count as one space); each cue ending after it
// starts, starting no earlier than the one before it ends, and ending within
// the recording. A cue's word times must stand before a word, after the
// cue's start, before its end and each after the one before. Each error
// carries its cue's line, or its word time's.
std::vector<TimingError> checkCues(const std::vector<Cue> &cues, const std::vector<std::string> &sentences,
                                   std::int64_t lengthMs);

} // namespace vantrel
