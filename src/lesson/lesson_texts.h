// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "vantrel_version.h"

#include <QString>

#include <optional>

namespace vantrel {

// The program's own texts, kept together so that the handlers read as steps
// and the exact wording can be checked in one place.
namespace texts {

inline const QString kWindowTitle = QStringLiteral("Vantrel: Choose a Story");
inline const QString kStartupTitle = QStringLiteral("Vantrel ") + QLatin1String(kVersion);
inline const QString kCheckTitle = QStringLiteral("Checking Work");
inline const QString kHelpTitle = QStringLiteral("Help");
inline const QString kProgramTitle = QStringLiteral("Vantrel");
inline const QString kFirstPrompt = QStringLiteral("Listen to the story three times.");
inline const QString kReadPrompt = QStringLiteral("Read the script:");

// Three paragraphs joined by two carriage returns each, no line feed.
QString startup();

// Five lines joined by single line feeds.
QString help();

// Version, contact and notice, each separated by two line feeds.
QString closing();

// The prompt after a hearing has ended; nothing for a count outside 1 to 3.
std::optional<QString> promptAfterHearing(int heardCount);

// "none", "one", "two" for a partial score.
QString countWord(int score);

// What a check of the answers reports for a score of 0 to 3.
QString checkResult(int score);

// The dictation of a timed story.
inline const QString kDictation = QStringLiteral("Dictation");
inline const QString kDictationButton = QStringLiteral("&Dictation");
inline const QString kPlaySentence = QStringLiteral("&Play sentence");
inline const QString kPreviousSentence = QStringLiteral("Previous sentence");
inline const QString kNextSentence = QStringLiteral("Next sentence");
inline const QString kWhatYouHeard = QStringLiteral("What you heard");
inline const QString kCheck = QStringLiteral("Chec&k");
inline const QString kClose = QStringLiteral("Close");
inline const QString kHearWordHint = QStringLiteral("Click a word in blue, or Tab to it and press Enter, to hear "
                                                    "it alone.");
inline const QString kTryAgain = QStringLiteral("Sentences to try again:");
inline const QString kAllRight = QStringLiteral("Every sentence is right.");
// "Sentence N of M"
QString sentenceOf(int number, int count);

QString missingAudio(const QString &fileName);
QString storyFileUnreadable(const QString &folder, const QString &reason);
QString storyFileSize(unsigned long long size);

} // namespace texts
} // namespace vantrel
