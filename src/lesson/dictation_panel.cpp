// SPDX-License-Identifier: GPL-3.0-or-later
// The dictation: one sentence at a time, its check, and the end.
#include "dictation_panel.h"

#include "lesson_texts.h"
#include "sentence_keys.h"

#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QStackedWidget>
#include <QVBoxLayout>

namespace vantrel {

namespace {

// Pinned pixel fonts, as the rest of the window, so that it fits the same
// under every desktop's font and size.
constexpr const char *kStyle = R"(
#DictationPanel { background-color: white; }
#DictationPanel QLabel, #DictationPanel QLineEdit { font: bold 13px "Arial"; color: black; }
#DictationPanel QPushButton { font: bold 13px "Arial"; }
#DictationPanel #DictationSentence, #DictationPanel #DictationTotal { font: bold 16px "Arial"; }
#DictationPanel #DictationMarking { font: 15px "Arial"; }
)";

QPushButton *button(const QString &text, const char *name, QWidget *parent)
{
    auto *b = new QPushButton(text, parent);
    b->setObjectName(QLatin1String(name));
    b->setAutoDefault(false);
    return b;
}

QLabel *label(const char *name, QWidget *parent)
{
    auto *l = new QLabel(parent);
    l->setObjectName(QLatin1String(name));
    l->setWordWrap(true);
    return l;
}

QString keyName(Qt::Key key)
{
    return QKeySequence(key).toString(QKeySequence::NativeText);
}

} // namespace

DictationPanel::DictationPanel(QWidget *parent)
    : QWidget(parent)
{
    setObjectName(QStringLiteral("DictationPanel"));
    setAccessibleName(texts::kDictation);
    setAttribute(Qt::WA_StyledBackground);
    setStyleSheet(QLatin1String(kStyle));
    m_pages = new QStackedWidget(this);
    m_pages->addWidget(buildSentencePage());
    m_pages->addWidget(buildEndPage());
    QPushButton *close = button(texts::kClose, "DictationClose", this);
    close->setToolTip(texts::kClose + QStringLiteral(" (") + keyName(Qt::Key_Escape) + QLatin1Char(')'));
    connect(close, &QPushButton::clicked, this, &DictationPanel::closeRequested);
    auto *rows = new QVBoxLayout(this);
    rows->setContentsMargins(10, 8, 10, 8);
    rows->addWidget(m_pages, 1);
    rows->addWidget(close, 0, Qt::AlignRight);
}

QWidget *DictationPanel::buildSentencePage()
{
    auto *page = new QWidget(this);
    m_count = label("DictationSentence", page);
    QPushButton *play = button(texts::kPlaySentence, "PlaySentence", page);
    m_previous = button(texts::kPreviousSentence, "PreviousSentence", page);
    m_next = button(texts::kNextSentence, "NextSentence", page);
    const std::pair<QPushButton *, Qt::Key> keys[] = {
        {play, kRepeatSentenceKey}, {m_previous, kPreviousSentenceKey}, {m_next, kNextSentenceKey}};
    for (auto [b, key] : keys)
        b->setToolTip(b->text().remove(QLatin1Char('&')) + QStringLiteral(" (") + keyName(key) + QLatin1Char(')'));
    connect(play, &QPushButton::clicked, this, &DictationPanel::playAgain);
    connect(m_previous, &QPushButton::clicked, this, &DictationPanel::previous);
    connect(m_next, &QPushButton::clicked, this, &DictationPanel::next);

    QLabel *prompt = label("WhatYouHeardLabel", page);
    prompt->setText(texts::kWhatYouHeard + QLatin1Char(':'));
    m_answer = new QLineEdit(page);
    m_answer->setObjectName(QStringLiteral("WhatYouHeard"));
    m_answer->setAccessibleName(texts::kWhatYouHeard);
    prompt->setBuddy(m_answer);
    QPushButton *checkButton = button(texts::kCheck, "CheckSentence", page);
    connect(m_answer, &QLineEdit::returnPressed, this, &DictationPanel::check);
    connect(checkButton, &QPushButton::clicked, this, &DictationPanel::check);

    // Read as text by a screen reader, and selectable by keyboard; its
    // links, the words to hear alone, are reached by Tab and opened by Enter.
    m_marking = label("DictationMarking", page);
    m_marking->setTextFormat(Qt::RichText);
    m_marking->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard
                                       | Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard);
    connect(m_marking, &QLabel::linkActivated, this,
            [this](const QString &word) { emit wordRequested(m_index, word.toInt()); });
    m_hearHint = label("HearWordHint", page);
    m_hearHint->setText(texts::kHearWordHint);
    m_score = label("DictationScore", page);

    auto *steps = new QHBoxLayout;
    for (QPushButton *b : {play, m_previous, m_next})
        steps->addWidget(b);
    auto *answer = new QHBoxLayout;
    answer->addWidget(m_answer, 1);
    answer->addWidget(checkButton);
    auto *rows = new QVBoxLayout(page);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->addWidget(m_count);
    rows->addLayout(steps);
    rows->addSpacing(6);
    rows->addWidget(prompt);
    rows->addLayout(answer);
    rows->addSpacing(6);
    rows->addWidget(m_marking);
    rows->addWidget(m_score);
    rows->addWidget(m_hearHint);
    rows->addStretch(1);
    return page;
}

QWidget *DictationPanel::buildEndPage()
{
    auto *page = new QWidget(this);
    m_total = label("DictationTotal", page);
    m_againTitle = label("TryAgainLabel", page);
    m_again = new QVBoxLayout;
    auto *rows = new QVBoxLayout(page);
    rows->setContentsMargins(0, 0, 0, 0);
    rows->addWidget(m_total);
    rows->addSpacing(6);
    rows->addWidget(m_againTitle);
    rows->addLayout(m_again);
    rows->addStretch(1);
    return page;
}

void DictationPanel::start(const QStringList &sentences, const std::vector<std::vector<TimedWord>> &words)
{
    m_sentences = sentences;
    m_words = words;
    m_words.resize(std::size_t(sentences.size()));
    m_results.assign(std::size_t(sentences.size()), std::nullopt);
    m_typed.assign(std::size_t(sentences.size()), QString());
    m_answer->clear();
    m_marking->clear();
    m_score->clear();
    goTo(0);
}

void DictationPanel::resume()
{
    if (atTheEnd())
        showEnd();
    else
        goTo(m_index);
}

bool DictationPanel::atTheEnd() const
{
    return m_pages->currentIndex() == 1;
}

void DictationPanel::goTo(int index)
{
    if (index < 0 || index >= m_sentences.size())
        return;
    m_index = index;
    m_pages->setCurrentIndex(0);
    m_count->setText(texts::sentenceOf(index + 1, int(m_sentences.size())));
    m_previous->setEnabled(index > 0);
    m_answer->setText(m_typed[std::size_t(index)]);
    showResult();
    m_answer->setFocus();
}

void DictationPanel::previous()
{
    const int to = atTheEnd() ? int(m_sentences.size()) - 1 : m_index - 1;
    if (to < 0 || to >= m_sentences.size())
        return;
    goTo(to);
    emit playRequested(to);
}

void DictationPanel::next()
{
    if (atTheEnd())
        return;
    if (m_index + 1 >= m_sentences.size()) {
        showEnd();
        return;
    }
    goTo(m_index + 1);
    emit playRequested(m_index);
}

void DictationPanel::playAgain()
{
    if (!atTheEnd() && !m_sentences.isEmpty())
        emit playRequested(m_index);
}

void DictationPanel::check()
{
    if (atTheEnd() || m_sentences.isEmpty())
        return;
    const auto at = std::size_t(m_index);
    m_typed[at] = m_answer->text();
    m_results[at] = checkDictation(m_sentences[m_index].toStdString(), m_typed[at].toStdString());
    showResult();
}

void DictationPanel::showResult()
{
    const std::optional<DictationResult> &result = m_results[std::size_t(m_index)];
    // The sentence's words appear only with its check.
    const QString marked = result ? markedSentence(*result, m_words[std::size_t(m_index)]) : QString();
    m_marking->setText(marked);
    m_score->setText(result ? dictationScore(result->right, result->total, result->typos) : QString());
    m_marking->setVisible(result.has_value());
    m_score->setVisible(result.has_value());
    m_hearHint->setVisible(marked.contains(QLatin1String("<a ")));
}

void DictationPanel::showEnd()
{
    int right = 0, total = 0;
    // The last end's grid (a layout is its own item) and its buttons go.
    while (QLayoutItem *item = m_again->takeAt(0))
        delete item;
    for (QPushButton *old : m_pages->widget(1)->findChildren<QPushButton *>())
        old->deleteLater();
    auto *grid = new QGridLayout;
    QPushButton *first = nullptr;
    for (int s = 0; s < m_sentences.size(); ++s) {
        const std::optional<DictationResult> &result = m_results[std::size_t(s)];
        total += result ? result->total : dictationWordCount(m_sentences[s].toStdString());
        right += result ? result->right : 0;
        if (result && result->right == result->total)
            continue;
        QPushButton *again = button(QStringLiteral("Sentence %1").arg(s + 1), "TryAgain", m_pages->widget(1));
        connect(again, &QPushButton::clicked, this, [this, s] {
            // Tried again from scratch: the old marking would show its words.
            m_results[std::size_t(s)].reset();
            m_typed[std::size_t(s)].clear();
            goTo(s);
        });
        grid->addWidget(again, grid->count() / 4, grid->count() % 4);
        first = first ? first : again;
    }
    m_again->addLayout(grid);
    m_total->setText(dictationScore(right, total, 0));
    m_againTitle->setText(first ? texts::kTryAgain : texts::kAllRight);
    m_pages->setCurrentIndex(1);
    if (first)
        first->setFocus();
}

void DictationPanel::keyPressEvent(QKeyEvent *event)
{
    // The sentence keys keep their sense here, on the dictation's sentence.
    if (event->modifiers() == Qt::NoModifier) {
        switch (event->key()) {
        case kPreviousSentenceKey: previous(); return;
        case kRepeatSentenceKey: playAgain(); return;
        case kNextSentenceKey: next(); return;
        case Qt::Key_Escape: emit closeRequested(); return;
        case Qt::Key_Return:
        case Qt::Key_Enter: return;  // the field's own Enter checks
        default: break;
        }
    }
    QWidget::keyPressEvent(event);
}

QString markedSentence(const DictationResult &result, const std::vector<TimedWord> &timed)
{
    QStringList words;
    for (const MarkedWord &w : result.words) {
        QString word = QString::fromStdString(w.word).toHtmlEscaped();
        const int heard = wordAtText(timed, w.at);
        if ((w.mark == WordMark::Wrong || w.mark == WordMark::Missing) && heard >= 0)
            word = QStringLiteral("<a href=\"%1\">%2</a>").arg(heard).arg(word);
        const QString typed = QString::fromStdString(w.typed).toHtmlEscaped();
        switch (w.mark) {
        case WordMark::Right:
            words << word;
            break;
        case WordMark::Typo:
            words << QStringLiteral("<u>%1</u> <span style=\"color:#8a5a00\">[typo: <s>%2</s>]</span>").arg(word, typed);
            break;
        case WordMark::Wrong:
            words << QStringLiteral("<u>%1</u> <span style=\"color:#a00000\">[wrong: <s>%2</s>]</span>").arg(word, typed);
            break;
        case WordMark::Missing:
            words << QStringLiteral("<u>%1</u> <span style=\"color:#a00000\">[missing]</span>").arg(word);
            break;
        case WordMark::Extra:
            words << QStringLiteral("<span style=\"color:#a00000\">[extra: <s>%1</s>]</span>").arg(typed);
            break;
        }
    }
    return words.join(QLatin1Char(' '));
}

QString dictationScore(int right, int total, int typos)
{
    QString line = QStringLiteral("%1 of %2 words right").arg(right).arg(total);
    if (typos > 0)
        line += typos == 1 ? QStringLiteral(", 1 typo") : QStringLiteral(", %1 typos").arg(typos);
    return line;
}

} // namespace vantrel
