// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media_backend.h"
#include "media_icons.h"

#include <QWidget>

class QComboBox;
class QLabel;
class QSlider;
class QToolButton;

namespace vantrel {

// The buttons and sliders of a player. Passive: it emits what the user asks
// for and shows the state its owner sets; it never touches a backend.
class PlayerControls : public QWidget
{
    Q_OBJECT

public:
    explicit PlayerControls(QWidget *parent = nullptr);

    void setPlaybackState(MediaBackend::State state);
    void setPosition(qint64 ms);
    void setDuration(qint64 ms);

    // Linear volume the user has chosen, 0 to 1.
    float volume() const;
    // Playing speed the user has chosen; 1 is the recording's own.
    qreal rate() const;
    // The control that should take the focus when the player as a whole gets it.
    QWidget *firstControl() const;
    // The least room in which the player still offers a control.
    QSize smallestSize() const;
    // Offers the sentence steps and the pause after each sentence, for a
    // recording whose sentences are timed.
    void setSentenceControls(bool on);
    bool pausesAfterEachSentence() const;
    void setPausesAfterEachSentence(bool on);

signals:
    void playRequested();
    void pauseRequested();
    void stopRequested();
    void seekRequested(qint64 ms);
    void backRequested();
    void volumeChanged(float volume);
    void rateChanged(qreal rate);
    void previousSentenceRequested();
    void repeatSentenceRequested();
    void nextSentenceRequested();
    void pauseAfterEachChanged(bool on);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    QToolButton *addButton(const QString &name, MediaIcon icon, const QString &text);
    QIcon iconFor(MediaIcon icon) const;
    QSlider *addSlider(const QString &name, const QString &text);
    QComboBox *addSpeedChoice();
    void buildLayout();
    void pinSizes();
    void pinFonts();
    void addSentenceSteps();
    void addPauseChoice();
    QList<QWidget *> sentenceControls() const;
    void giveUpRoom();
    void onPlayClicked();
    void showTime();

    QToolButton *m_play = nullptr;
    QToolButton *m_stop = nullptr;
    QToolButton *m_back = nullptr;
    QToolButton *m_previousSentence = nullptr;
    QToolButton *m_repeatSentence = nullptr;
    QToolButton *m_nextSentence = nullptr;
    QToolButton *m_pauseAfterEach = nullptr;
    bool m_sentenceControls = false;
    bool m_fontsPinned = false;
    QComboBox *m_speed = nullptr;
    QSlider *m_volume = nullptr;
    QSlider *m_position = nullptr;
    QLabel *m_time = nullptr;
    MediaBackend::State m_state = MediaBackend::State::Stopped;
};

} // namespace vantrel
