// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QString>
#include <QWidget>

#include <memory>
#include <vector>

class QAbstractButton;
class QGroupBox;

namespace vantrel {

// Where a story text is shown in the lesson window.
enum class CaptionPlace { MenuOption, QuestionFrame, AnswerOption };

struct CaptionFit {
    bool fits = true;
    int width = 0;          // pixels the caption needs
    int room = 0;           // pixels the narrowest control of its family offers
    int bare = 0;           // pixels that control needs with no caption at all
    QString longestFitting; // the longest start of the text that fits
};

// Measures captions the way the lesson window shows them. The controls'
// fonts, widths and the parents that clip them are read from the window's
// own Designer file, built into this program, so the rule follows any change
// of the window's design. Needs a QApplication.
class CaptionMeasure {
public:
    CaptionMeasure();
    ~CaptionMeasure();

    CaptionFit measure(CaptionPlace place, const QString &caption);

private:
    struct Control {
        QWidget *widget = nullptr;
        int room = 0;
    };
    int needed(const Control &control, const QString &caption) const;
    bool fitsAll(const std::vector<Control> &controls, const QString &caption) const;

    std::unique_ptr<QWidget> m_host;
    std::vector<Control> m_menu;
    std::vector<Control> m_questions;
    std::vector<Control> m_answers;
};

} // namespace vantrel
