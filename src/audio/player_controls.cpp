// SPDX-License-Identifier: GPL-3.0-or-later
#include "player_controls.h"

#include "media_icons.h"
#include "sentence_keys.h"

#include <QBoxLayout>
#include <QComboBox>
#include <QCoreApplication>
#include <QKeySequence>
#include <QLabel>
#include <QResizeEvent>
#include <QSignalBlocker>
#include <QSlider>
#include <QToolButton>

#include <algorithm>
#include <initializer_list>
#include <limits>

namespace vantrel {

namespace {

constexpr int volumeSteps = 100;

QString clockText(qint64 ms)
{
    const qint64 seconds = std::max<qint64>(ms, 0) / 1000;
    return QStringLiteral("%1:%2").arg(seconds / 60).arg(seconds % 60, 2, 10, QLatin1Char('0'));
}

int sliderValue(qint64 ms)
{
    return int(std::clamp<qint64>(ms, 0, std::numeric_limits<int>::max()));
}

// The slider moves in perceived loudness, the backend wants linear gain:
// the cube, as desktop sound servers map their own volume sliders.
float linearVolume(int sliderPosition)
{
    const float perceived = float(sliderPosition) / volumeSteps;
    return perceived * perceived * perceived;
}

// Slower helps a learner; a little faster, a second listening.
constexpr qreal speeds[] = {0.5, 0.75, 1.0, 1.25};
constexpr int normalSpeed = 2;

// The player sits in a small fixed place, so everything in it has a fixed
// size: a font pinned in pixels, as every caption of the window has, and
// rows as high as a small tool button. Nothing grows with the desktop's font.
constexpr int kRowHeight = 22;
constexpr int kIconSize = 16;
constexpr int kFontPixels = 11;

void describe(QWidget *widget, const QString &text)
{
    widget->setToolTip(text);
    widget->setAccessibleName(text);
}

// The tooltip names the key too; the name stays what the control does.
void nameKey(QWidget *widget, Qt::Key key)
{
    widget->setToolTip(widget->accessibleName() + QStringLiteral(" (%1)").arg(QKeySequence(key).toString()));
}

} // namespace

PlayerControls::PlayerControls(QWidget *parent)
    : QWidget(parent)
{
    // Created in Tab order: the buttons, then the sliders.
    m_play = addButton(QStringLiteral("playButton"), MediaIcon::Play, tr("Play"));
    m_stop = addButton(QStringLiteral("stopButton"), MediaIcon::Stop, tr("Stop"));
    m_back = addButton(QStringLiteral("backButton"), MediaIcon::Back, tr("Back 5 seconds"));
    addSentenceSteps();
    m_speed = addSpeedChoice();
    addPauseChoice();
    m_volume = addSlider(QStringLiteral("volumeSlider"), tr("Volume"));
    m_position = addSlider(QStringLiteral("positionSlider"), tr("Position"));
    m_time = new QLabel(this);
    m_time->setObjectName(QStringLiteral("timeLabel"));
    describe(m_time, tr("Elapsed / total time"));

    m_volume->setRange(0, volumeSteps);
    m_volume->setValue(volumeSteps);
    m_position->setRange(0, 0);
    m_position->setSingleStep(1000);
    m_position->setPageStep(5000);
    showTime();
    pinSizes();
    buildLayout();

    connect(m_play, &QToolButton::clicked, this, &PlayerControls::onPlayClicked);
    connect(m_stop, &QToolButton::clicked, this, &PlayerControls::stopRequested);
    connect(m_back, &QToolButton::clicked, this, &PlayerControls::backRequested);
    connect(m_position, &QSlider::valueChanged, this,
            [this](int ms) { emit seekRequested(ms); });
    connect(m_volume, &QSlider::valueChanged, this,
            [this](int value) { emit volumeChanged(linearVolume(value)); });
    connect(m_speed, &QComboBox::currentIndexChanged, this, [this] { emit rateChanged(rate()); });
}

void PlayerControls::addSentenceSteps()
{
    m_previousSentence = addButton(QStringLiteral("previousSentenceButton"), MediaIcon::PreviousSentence,
                                   tr("Previous sentence"));
    m_repeatSentence = addButton(QStringLiteral("repeatSentenceButton"), MediaIcon::RepeatSentence,
                                 tr("Repeat sentence"));
    m_nextSentence = addButton(QStringLiteral("nextSentenceButton"), MediaIcon::NextSentence, tr("Next sentence"));
    nameKey(m_previousSentence, kPreviousSentenceKey);
    nameKey(m_repeatSentence, kRepeatSentenceKey);
    nameKey(m_nextSentence, kNextSentenceKey);
    for (QToolButton *button : {m_previousSentence, m_repeatSentence, m_nextSentence})
        button->hide();
    connect(m_previousSentence, &QToolButton::clicked, this, &PlayerControls::previousSentenceRequested);
    connect(m_repeatSentence, &QToolButton::clicked, this, &PlayerControls::repeatSentenceRequested);
    connect(m_nextSentence, &QToolButton::clicked, this, &PlayerControls::nextSentenceRequested);
}

void PlayerControls::addPauseChoice()
{
    m_pauseAfterEach = addButton(QStringLiteral("pauseAfterEachButton"), MediaIcon::PauseAfterEach,
                                 tr("Pause after each sentence"));
    m_pauseAfterEach->setCheckable(true);
    nameKey(m_pauseAfterEach, kPauseAfterEachKey);
    m_pauseAfterEach->hide();
    connect(m_pauseAfterEach, &QToolButton::toggled, this, &PlayerControls::pauseAfterEachChanged);
}

QList<QWidget *> PlayerControls::sentenceControls() const
{
    return {m_previousSentence, m_repeatSentence, m_nextSentence, m_pauseAfterEach};
}

void PlayerControls::setSentenceControls(bool on)
{
    m_sentenceControls = on;
    if (!on && m_pauseAfterEach->isChecked())
        m_pauseAfterEach->setChecked(false);
    giveUpRoom();
}

bool PlayerControls::pausesAfterEachSentence() const
{
    return m_sentenceControls && m_pauseAfterEach->isChecked();
}

void PlayerControls::setPausesAfterEachSentence(bool on)
{
    if (m_sentenceControls)
        m_pauseAfterEach->setChecked(on);
}

QComboBox *PlayerControls::addSpeedChoice()
{
    auto *speed = new QComboBox(this);
    speed->setObjectName(QStringLiteral("speedChoice"));
    for (const qreal value : speeds)
        speed->addItem(QStringLiteral("%1\u00d7").arg(value), value);
    speed->setCurrentIndex(normalSpeed);
    describe(speed, tr("Speed"));
    return speed;
}

QToolButton *PlayerControls::addButton(const QString &name, MediaIcon icon, const QString &text)
{
    auto *button = new QToolButton(this);
    button->setObjectName(name);
    button->setIcon(iconFor(icon));
    button->setAutoRaise(true);
    button->setFocusPolicy(Qt::StrongFocus);
    describe(button, text);
    return button;
}

QSlider *PlayerControls::addSlider(const QString &name, const QString &text)
{
    auto *slider = new QSlider(Qt::Horizontal, this);
    slider->setObjectName(name);
    describe(slider, text);
    return slider;
}

void PlayerControls::pinSizes()
{
    for (QToolButton *button :
         {m_play, m_stop, m_back, m_previousSentence, m_repeatSentence, m_nextSentence, m_pauseAfterEach}) {
        button->setFixedSize(kRowHeight, kRowHeight);
        button->setIconSize(QSize(kIconSize, kIconSize));
    }
    for (QWidget *widget : std::initializer_list<QWidget *>{m_speed, m_volume, m_position, m_time})
        widget->setFixedHeight(kRowHeight);
    m_speed->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PlayerControls::pinFonts()
{
    // On each control: a desktop theme may give a class, say QComboBox, a
    // font of its own, which would win over one inherited from here.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(kFontPixels);
    for (QWidget *widget : std::initializer_list<QWidget *>{m_speed, m_time})
        widget->setFont(font);
    // A QComboBox forgets its size hint on a font change but keeps its
    // minimum size hint, which may have been measured in the old font; a
    // style change makes it forget both.
    QEvent restyled(QEvent::StyleChange);
    QCoreApplication::sendEvent(m_speed, &restyled);
    m_fontsPinned = true;
}

void PlayerControls::buildLayout()
{
    // Three rows: the buttons, the sentence steps among them (six and their
    // gaps take 137 of the 141 pixels); the speed, the pause after each
    // sentence and the volume; where the sound is.
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(1);
    for (QToolButton *button : {m_play, m_stop, m_back, m_previousSentence, m_repeatSentence, m_nextSentence})
        buttons->addWidget(button);
    buttons->addStretch(1);
    auto *speedAndVolume = new QHBoxLayout;
    speedAndVolume->setSpacing(4);
    speedAndVolume->addWidget(m_speed);
    speedAndVolume->addWidget(m_pauseAfterEach);
    speedAndVolume->addWidget(m_volume, 1);
    auto *position = new QHBoxLayout;
    position->setSpacing(4);
    position->addWidget(m_position, 1);
    position->addWidget(m_time);
    auto *rows = new QVBoxLayout(this);
    rows->setContentsMargins(2, 0, 2, 0);
    rows->setSpacing(3);
    rows->addLayout(buttons);
    rows->addLayout(speedAndVolume);
    rows->addLayout(position);
    rows->addStretch(1);
}

void PlayerControls::giveUpRoom()
{
    // Where even the fixed sizes do not fit (a style with larger frames),
    // the least needed control goes first, one at a time; Play stays.
    QList<QWidget *> byNeed{m_time, m_volume, m_speed};
    if (m_sentenceControls)
        byNeed += {m_pauseAfterEach, m_previousSentence, m_nextSentence, m_repeatSentence};
    byNeed += {m_back, m_stop, m_position};
    for (QWidget *control : sentenceControls())
        control->setHidden(!m_sentenceControls);
    for (QWidget *control : byNeed)
        control->setHidden(false);
    for (QWidget *control : byNeed) {
        // The rows keep what they measured until told otherwise.
        for (QLayout *row : layout()->findChildren<QLayout *>())
            row->invalidate();
        layout()->invalidate();
        const QSize needed = layout()->totalMinimumSize();
        if (needed.width() <= width() && needed.height() <= height())
            return;
        control->setHidden(true);
    }
}

void PlayerControls::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    giveUpRoom();
}

void PlayerControls::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Pinned when first shown, not when made: a font set on the speed choice
    // builds its drop-down list at once, which would cost the start-up time
    // and memory for a player that may never be shown.
    if (!m_fontsPinned) {
        pinFonts();
        giveUpRoom();
    }
}

QIcon PlayerControls::iconFor(MediaIcon icon) const
{
    return mediaIcon(icon, palette().color(QPalette::ButtonText));
}

QSize PlayerControls::smallestSize() const
{
    return m_play->size();
}

void PlayerControls::setPlaybackState(MediaBackend::State state)
{
    m_state = state;
    const bool playing = state == MediaBackend::State::Playing;
    m_play->setIcon(iconFor(playing ? MediaIcon::Pause : MediaIcon::Play));
    describe(m_play, playing ? tr("Pause") : tr("Play"));
}

void PlayerControls::setPosition(qint64 ms)
{
    // A drag in progress wins over the playing position.
    if (!m_position->isSliderDown()) {
        const QSignalBlocker blocker(m_position);
        m_position->setValue(sliderValue(ms));
    }
    showTime();
}

void PlayerControls::setDuration(qint64 ms)
{
    const QSignalBlocker blocker(m_position);
    m_position->setMaximum(sliderValue(ms));
    showTime();
    // A longer time may need more room than the last one.
    giveUpRoom();
}

float PlayerControls::volume() const
{
    return linearVolume(m_volume->value());
}

qreal PlayerControls::rate() const
{
    return m_speed->currentData().toReal();
}

QWidget *PlayerControls::firstControl() const
{
    return m_play;
}

void PlayerControls::onPlayClicked()
{
    if (m_state == MediaBackend::State::Playing)
        emit pauseRequested();
    else
        emit playRequested();
}

void PlayerControls::showTime()
{
    m_time->setText(clockText(m_position->value()) + QStringLiteral(" / ")
                    + clockText(m_position->maximum()));
}

} // namespace vantrel
