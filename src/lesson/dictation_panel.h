// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "dictation.h"
#include "word_steps.h"

#include <QStringList>
#include <QWidget>

#include <optional>
#include <vector>

class QLabel;
class QLineEdit;
class QPushButton;
class QStackedWidget;
class QVBoxLayout;

namespace vantrel {

// A dictation of a timed story, one sentence at a time: the student hears
// a sentence, types it and has it checked word by word; after the last, the
// total and the sentences to try again. Passive about sound: it asks for a
// sentence to be played, and its owner plays it. Nothing outlives start().
class DictationPanel : public QWidget
{
    Q_OBJECT

public:
    explicit DictationPanel(QWidget *parent = nullptr);

    // Begins afresh at the first of SENTENCES (UTF-8 texts of the story);
    // WORDS are the timed words of each, if any: those marked wrong or
    // missing can then be heard alone.
    void start(const QStringList &sentences, const std::vector<std::vector<TimedWord>> &words = {});
    bool started() const { return !m_sentences.isEmpty(); }
    // Shown again: where the student left it.
    void resume();
    int sentence() const { return m_index; }
    bool atTheEnd() const;

    // The sentence keys, as the buttons: each plays its sentence.
    void previous();
    void next();
    void playAgain();

signals:
    void playRequested(int index);
    void wordRequested(int index, int word);
    void closeRequested();

protected:
    void keyPressEvent(QKeyEvent *event) override;

private:
    QWidget *buildSentencePage();
    QWidget *buildEndPage();
    void goTo(int index);
    void check();
    void showResult();
    void showEnd();

    QStringList m_sentences;
    std::vector<std::optional<DictationResult>> m_results;  // the last check of each
    std::vector<QString> m_typed;
    std::vector<std::vector<TimedWord>> m_words;
    int m_index = 0;

    QStackedWidget *m_pages = nullptr;
    QLabel *m_count = nullptr;
    QLineEdit *m_answer = nullptr;
    QPushButton *m_previous = nullptr;
    QPushButton *m_next = nullptr;
    QLabel *m_marking = nullptr;
    QLabel *m_hearHint = nullptr;
    QLabel *m_score = nullptr;
    QLabel *m_total = nullptr;
    QLabel *m_againTitle = nullptr;
    QVBoxLayout *m_again = nullptr;
};

// A checked sentence as rich text in which the marks are words and lines,
// not colours alone: a screen reader reads "rain [typo: rian]". A word marked
// wrong or missing that is among WORDS (the sentence's timed words) is a
// link to its timed word's index.
QString markedSentence(const DictationResult &result, const std::vector<TimedWord> &words = {});
// "N of M words right", with ", K typo(s)" where there are typos.
QString dictationScore(int right, int total, int typos);

} // namespace vantrel
