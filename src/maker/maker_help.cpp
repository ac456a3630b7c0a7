// SPDX-License-Identifier: GPL-3.0-or-later
#include "maker_help.h"

namespace vantrel {

// help2man makes "Sentence timings:" a subsection, "Options:" and
// "Examples:" sections; packaging/man/vantrel-make.h2m lays the example
// out line by line in the manual page, where help2man would run it together.
const char *const kMakerHelp = R"(Usage: vantrel-make [--force] [--no-timings] SOURCE OUTPUT

Makes a Vantrel story library in the folder OUTPUT from the story files in
the folder SOURCE and the recordings they name. A story file is named
*.story, or *.story.txt as Notepad saves it; they become menu entries 1, 2,
3 ... in file-name order (at most 12). It is plain text, saved as UTF-8 or
as Notepad's "Unicode": see the example below. It has a "title:" line, an
"audio:" line naming the recording, the transcript after "transcript:",
and then exactly three questions of three answers each; "*" marks the right
answer, "-" the others.

The recording lies beside the story file, in any format GStreamer can read
(WAV, FLAC, Ogg, MP3 ...), and lasts at most 65.5 s; it becomes
STORY01.MP3, STORY02.MP3 ... OUTPUT gets vtl.txt and those MP3 files,
checked as vantrel-check checks them. Each problem is one line, FILE:LINE:
error: MESSAGE, and then nothing is written; a warning, FILE:LINE: warning:
MESSAGE, does not stop the library being made. The last line tells how many
stories were made, how many warnings there were, and which stories have no
sentence timings, and why.

Sentence timings:
  OUTPUT also gets a timing file for each story, STORY01.vtt ..., with the
  times where each sentence of the transcript starts and ends, so that
  students can hear the story sentence by sentence. vantrel-make finds them
  by comparing the recording with the transcript read aloud by espeak-ng,
  sentence by sentence. Speech the transcript leaves out gets a warning at
  the line of the sentence after it, with its seconds in the recording; a
  sentence the recording does not say gets a warning at its line, and the
  story no timing file. A recording that does not sound like its transcript
  at all (another story's, or of a very different length) is an error at
  its "audio:" line.

  A line "timings: FILE" in a story file names a timing file of your own,
  beside the story file, used instead; its times are those of the
  recording, except in a timing file vantrel-make made (its NOTE says its
  times are of the MP3 as Vantrel plays it), which can be mended and given
  back as it is. It is either WebVTT (a first line "WEBVTT", a blank line,
  then for each sentence a line such as "00:01.000 --> 00:04.500", the
  sentence's text and a blank line) or an Audacity label file (in Audacity:
  File > Export > Export Labels; one sentence a line: its start and end in
  seconds and its text, separated by tabs). Each sentence of the transcript
  must have its times, in order. A mistake in it stops the make at its line.

Options:
  --force       replace the library OUTPUT already holds; the old one is
                kept as OUTPUT.bak
  --no-timings  find no sentence timings, and do not compare recordings
                with their transcripts; only the "timings:" files are used
  --help        show this text

Exit status: 0 the library was made, 1 it was not.

Examples:
  vantrel-make my-stories my-library

  where my-stories holds rain-report.wav and 01-rain.story:

  # lines starting with # are comments; blank lines are ignored
  title: Rain slows Merrowdale apples
  audio: rain-report.wav
  transcript:
  Farmers in the Merrowdale valley say heavy rain has slowed this year's
  apple harvest. It rained on twenty-two days in September, and the pickers
  could not work on wet ladders. Farmer Owen Hale hopes for a sunny week.

  question: What fruit are the farmers picking?
  - Pears
  * Apples
  - Grapes

  question: On how many days did it rain in September?
  - Twelve
  - Twenty
  * Twenty-two

  question: What does Owen Hale hope for?
  * A sunny week
  - More pickers
  - Higher prices
)";

} // namespace vantrel
