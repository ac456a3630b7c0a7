// SPDX-License-Identifier: GPL-3.0-or-later
#include "lesson_texts.h"

namespace vantrel::texts {

QString startup()
{
    const QString paragraphBreak = QStringLiteral("\r\r");
    return QStringLiteral("Vantrel software helps people improve their ability to understand news broadcasts on the radio.")
        + paragraphBreak
        + QStringLiteral("It was written for the students of the Marrowby School of English.")
        + paragraphBreak
        + QStringLiteral("Download the free software here: https://vantrel.example.org/download");
}

QString help()
{
    return QStringLiteral("Choose a news story.\n"
                          "Listen to the story three times.\n"
                          "Answer the questions correctly.\n"
                          "Read the text that goes with the story.\n"
                          "Choose another story and continue.");
}

QString closing()
{
    return QStringLiteral("                Version ") + QLatin1String(kVersion)
        + QStringLiteral("\n\n"
                         "Write to us: vantrel@example.org\n\n"
                         "            (c) 2025-2026 The Vantrel developers");
}

std::optional<QString> promptAfterHearing(int heardCount)
{
    switch (heardCount) {
    case 1: return QStringLiteral("Listen two more times.");
    case 2: return QStringLiteral("Listen one more time.");
    case 3: return QStringLiteral("Now try to answer the questions.");
    default: return std::nullopt;
    }
}

QString countWord(int score)
{
    switch (score) {
    case 0: return QStringLiteral("none");
    case 1: return QStringLiteral("one");
    case 2: return QStringLiteral("two");
    default: return QString::number(score);
    }
}

QString checkResult(int score)
{
    if (score == 3)
        return QStringLiteral("You've answered all the questions correctly.\n\n"
                              "             Now read what you've heard.        ");
    return QStringLiteral("You've answered ") + countWord(score) + QStringLiteral(" of the questions correctly.");
}

QString missingAudio(const QString &fileName)
{
    return QStringLiteral("The sound file \"%1\" of this story is missing from the story folder, "
                          "so the story can't be played. Choose another story from the menu.")
        .arg(fileName);
}

QString storyFileUnreadable(const QString &folder, const QString &reason)
{
    return QStringLiteral("cannot read the story file \"vtl.txt\" in %1: %2").arg(folder, reason);
}

QString storyFileSize(unsigned long long size)
{
    return QStringLiteral("the story file \"vtl.txt\" is %1 bytes long; it must be 8860 to 8868 bytes")
        .arg(size);
}

QString sentenceOf(int number, int count)
{
    return QStringLiteral("Sentence %1 of %2").arg(number).arg(count);
}

} // namespace vantrel::texts
