// SPDX-License-Identifier: GPL-3.0-or-later
#include "player_controls.h"

#include "media_icons.h"

#include <QBoxLayout>
#include <QComboBox>
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

} // namespace

PlayerControls::PlayerControls(QWidget *parent)
    : QWidget(parent)
{
    // Created in Tab order: the buttons, then the sliders.
    m_play = addButton(QStringLiteral("playButton"), MediaIcon::Play, tr("Play"));
    m_stop = addButton(QStringLiteral("stopButton"), MediaIcon::Stop, tr("Stop"));
    m_back = addButton(QStringLiteral("backButton"), MediaIcon::Back, tr("Back 5 seconds"));
    m_speed = addSpeedChoice();
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
    // On each control: a desktop theme may give a class, say QComboBox, a
    // font of its own, which would win over one inherited from here.
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(kFontPixels);
    for (QWidget *widget : std::initializer_list<QWidget *>{m_speed, m_time})
        widget->setFont(font);
    for (QToolButton *button : {m_play, m_stop, m_back}) {
        button->setFixedSize(kRowHeight, kRowHeight);
        button->setIconSize(QSize(kIconSize, kIconSize));
    }
    for (QWidget *widget : std::initializer_list<QWidget *>{m_speed, m_volume, m_position, m_time})
        widget->setFixedHeight(kRowHeight);
    m_speed->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

void PlayerControls::buildLayout()
{
    // Three rows: the buttons, with room for three more of them (six and
    // their gaps take 137 of the 141 pixels); the speed and the volume;
    // where the sound is.
    auto *buttons = new QHBoxLayout;
    buttons->setSpacing(1);
    for (QToolButton *button : {m_play, m_stop, m_back})
        buttons->addWidget(button);
    buttons->addStretch(1);
    auto *speedAndVolume = new QHBoxLayout;
    speedAndVolume->setSpacing(4);
    speedAndVolume->addWidget(m_speed);
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
    const QList<QWidget *> byNeed{m_time, m_volume, m_speed, m_back, m_stop, m_position};
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
