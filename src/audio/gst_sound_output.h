// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

typedef struct _GstElement GstElement;
typedef struct _GstMessage GstMessage;

namespace vantrel {

// What playbin plays to: autoaudiosink, which picks the best sink that opens
// (the desktop's sound server, else a device) each time it leaves NULL, and a
// silent sink that keeps time when none does.

// Makes the output for a playbin: autoaudiosink, set to hold half a second
// ahead. Null when GStreamer's good plugins are missing.
GstElement *makeSoundOutput(GstElement *pipeline);

// True when the pipeline's output fell back to the silent sink. Meaningful
// only once the pipeline has left NULL.
bool playsSilently(GstElement *pipeline);

// True for an error of the output itself (the sound server went away), as
// opposed to one of the file or its decoding.
bool isOutputError(GstMessage *error, GstElement *pipeline);

// Whether a real sink opens now: a fresh autoaudiosink is brought to READY
// and back. Takes a few milliseconds, more when a server is slow to answer;
// meant for a worker thread.
bool realOutputOpens();

// The one line that says the stories play silently; said once per run.
void sayNoSoundOutput();

} // namespace vantrel
