// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

typedef struct _GstElement GstElement;

namespace vantrel {

// The filter that keeps the pitch at another speed: scaletempo, renewed at
// every flushing seek, so that each play starts clean. Null when GStreamer's
// good plugins are missing.
GstElement *makeTempoFilter();

} // namespace vantrel
