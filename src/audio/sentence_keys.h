// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <Qt>

namespace vantrel {

// The keys of the sentence steps, in the habit of transcription tools, whose
// play controls sit on function keys: none of them is Enter, Esc, Tab,
// Space, an arrow, a letter or F4 (which opens a list), so no other route of
// the window changes. The window handles them; the buttons name them.
inline constexpr Qt::Key kWordKey = Qt::Key_F5;  // the word at the transcript's cursor, alone
inline constexpr Qt::Key kPauseAfterEachKey = Qt::Key_F6;
inline constexpr Qt::Key kPreviousSentenceKey = Qt::Key_F7;
inline constexpr Qt::Key kRepeatSentenceKey = Qt::Key_F8;
inline constexpr Qt::Key kNextSentenceKey = Qt::Key_F9;

} // namespace vantrel
