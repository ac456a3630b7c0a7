// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QColor>
#include <QIcon>

namespace vantrel {

enum class MediaIcon { Play, Pause, Stop, Back, PreviousSentence, RepeatSentence, NextSentence, PauseAfterEach };

// The player's icons, drawn here rather than taken from the desktop's icon
// theme: some themes lack them, and some draw them too faint to read.
QIcon mediaIcon(MediaIcon kind, const QColor &color);

} // namespace vantrel
