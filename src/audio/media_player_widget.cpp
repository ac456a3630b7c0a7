// SPDX-License-Identifier: GPL-3.0-or-later
#include "media_player_widget.h"

#include "player_controls.h"
#include "gst_media_backend.h"
#include "sentence_player.h"

#include <QDebug>
#include <QDir>
#include <QResizeEvent>
#include <QUrl>

#include <algorithm>

namespace vantrel {

namespace {

constexpr qint64 backStepMs = 5000;

std::unique_ptr<MediaBackend> makeGstBackend()
{
    return std::make_unique<GstMediaBackend>();
}

QUrl urlForName(const QString &name)
{
    if (name.isEmpty())
        return {};
    // fromLocalFile, not QUrl(path): names may hold '#', '?' and spaces.
    return QUrl::fromLocalFile(QDir::current().absoluteFilePath(name));
}

} // namespace

MediaPlayerWidget::MediaPlayerWidget(QWidget *parent)
    : QWidget(parent)
    , m_factory(makeGstBackend)
    , m_controls(new PlayerControls(this))
    , m_sentences(new SentencePlayer(this))
{
    // Tab may rest here; keys, Esc and Enter included, go on to the parent.
    setFocusPolicy(Qt::TabFocus);
    // While a child is the focus proxy, Qt moves this widget and its controls
    // as one through setTabOrder(); forms call that before the first show,
    // which is when a tiny player drops the proxy and takes the focus itself.
    setFocusProxy(m_controls->firstControl());
    connectControls();
}

MediaPlayerWidget::~MediaPlayerWidget()
{
    // The backend may signal while it shuts down; let it while this widget is whole.
    m_backend.reset();
}

void MediaPlayerWidget::setBackendFactory(BackendFactory factory)
{
    // An empty factory means the real one, never a call that throws.
    m_factory = factory ? std::move(factory) : makeGstBackend;
}

void MediaPlayerWidget::setAutoStart(bool on)
{
    m_autoStart = on;
}

bool MediaPlayerWidget::autoStart() const
{
    return m_autoStart;
}

void MediaPlayerWidget::setShowControls(bool on)
{
    m_showControls = on;
    // Before the first show the size may still be the default one; the
    // show event decides then.
    if (isVisible())
        updateControls();
}

bool MediaPlayerWidget::showControls() const
{
    return m_showControls;
}

void MediaPlayerWidget::setFileName(const QString &name)
{
    m_fileName = name;
    MediaBackend &backend = ensureBackend();
    // Stopping first rewinds, so the same name again restarts from the beginning.
    backend.stop();
    backend.setSource(urlForName(name));
    if (m_autoStart)
        backend.play();
}

QString MediaPlayerWidget::fileName() const
{
    return m_fileName;
}

void MediaPlayerWidget::preload(const QString &name)
{
    MediaBackend &backend = ensureBackend();
    backend.stop();
    // The backend keeps an unchanged source loaded, so the later setSource()
    // of the same name costs nothing.
    backend.setSource(urlForName(name));
}

void MediaPlayerWidget::stop()
{
    m_sentences->forget(0);
    if (m_backend)
        m_backend->stop();
}

MediaBackend *MediaPlayerWidget::backend() const
{
    return m_backend.get();
}

void MediaPlayerWidget::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    updateControls();
}

void MediaPlayerWidget::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    updateControls();
}

MediaBackend &MediaPlayerWidget::ensureBackend()
{
    if (!m_backend) {
        m_backend = m_factory();
        m_backend->setVolume(m_controls->volume());
        m_backend->setPlaybackRate(m_controls->rate());
        connectBackend(*m_backend);
    }
    return *m_backend;
}

void MediaPlayerWidget::connectBackend(MediaBackend &backend)
{
    connect(&backend, &MediaBackend::positionChanged, m_controls, &PlayerControls::setPosition);
    connect(&backend, &MediaBackend::durationChanged, m_controls, &PlayerControls::setDuration);
    connect(&backend, &MediaBackend::stateChanged, m_controls, &PlayerControls::setPlaybackState);
    connect(&backend, &MediaBackend::errorOccurred, this, &MediaPlayerWidget::reportError);
    connect(&backend, &MediaBackend::stateChanged, this, &MediaPlayerWidget::playbackStateChanged);
    m_sentences->attach(&backend);
}

void MediaPlayerWidget::connectControls()
{
    connect(m_controls, &PlayerControls::playRequested, this, [this] {
        ensureBackend().play();
        m_sentences->playing();
    });
    connect(m_controls, &PlayerControls::pauseRequested, this, [this] { ensureBackend().pause(); });
    connect(m_controls, &PlayerControls::stopRequested, this, &MediaPlayerWidget::stop);
    connect(m_controls, &PlayerControls::backRequested, this, &MediaPlayerWidget::goBack);
    connect(m_controls, &PlayerControls::seekRequested, this, [this](qint64 ms) {
        m_sentences->forget(ms);
        ensureBackend().setPosition(ms);
    });
    connect(m_controls, &PlayerControls::previousSentenceRequested, this, &MediaPlayerWidget::previousSentence);
    connect(m_controls, &PlayerControls::repeatSentenceRequested, this, &MediaPlayerWidget::repeatSentence);
    connect(m_controls, &PlayerControls::nextSentenceRequested, this, &MediaPlayerWidget::nextSentence);
    connect(m_controls, &PlayerControls::pauseAfterEachChanged, m_sentences, &SentencePlayer::setPauseAfterEach);
    connect(m_sentences, &SentencePlayer::currentChanged, this, &MediaPlayerWidget::sentenceHeard);
    connect(m_sentences, &SentencePlayer::currentWordChanged, this, &MediaPlayerWidget::wordHeard);
    connect(m_controls, &PlayerControls::volumeChanged, this, [this](float volume) {
        if (m_backend)
            m_backend->setVolume(volume);
    });
    connect(m_controls, &PlayerControls::rateChanged, this, [this](qreal rate) {
        if (m_backend)
            m_backend->setPlaybackRate(rate);
    });
}

void MediaPlayerWidget::updateControls()
{
    // A player too small for even one control shows none: no hidden button
    // that Tab or a click could still reach. A larger one shows what fits.
    const QSize needed = m_controls->smallestSize();
    const bool shown = m_showControls && width() >= needed.width()
                       && height() >= needed.height();
    m_controls->setGeometry(rect());
    m_controls->setVisible(shown);
    setFocusProxy(shown ? m_controls->firstControl() : nullptr);
}

void MediaPlayerWidget::setSentences(const std::vector<SentenceTime> &sentences)
{
    m_sentences->setSentences(SentenceSteps(sentences));
    m_controls->setSentenceControls(!sentences.empty());
}

void MediaPlayerWidget::previousSentence()
{
    ensureBackend();
    m_sentences->previous();
}

void MediaPlayerWidget::repeatSentence()
{
    ensureBackend();
    m_sentences->repeat();
}

void MediaPlayerWidget::nextSentence()
{
    ensureBackend();
    m_sentences->next();
}

void MediaPlayerWidget::playSentence(int index)
{
    ensureBackend();
    m_sentences->play(index);
}

void MediaPlayerWidget::playSentenceFrom(int index, int word)
{
    ensureBackend();
    m_sentences->playFrom(index, word);
}

void MediaPlayerWidget::playWord(int index, int word)
{
    ensureBackend();
    m_sentences->playWord(index, word);
}

void MediaPlayerWidget::togglePauseAfterEachSentence()
{
    m_controls->setPausesAfterEachSentence(!m_controls->pausesAfterEachSentence());
}

int MediaPlayerWidget::currentSentence() const
{
    return m_sentences->hasSentences() ? m_sentences->current() : -1;
}

int MediaPlayerWidget::currentWord() const
{
    return m_sentences->hasSentences() ? m_sentences->currentWord() : -1;
}

std::vector<TimedWord> MediaPlayerWidget::sentenceWords(int index) const
{
    return m_sentences->wordsOf(index);
}

void MediaPlayerWidget::goBack()
{
    MediaBackend &backend = ensureBackend();
    const qint64 back = std::max<qint64>(backend.position() - backStepMs, 0);
    m_sentences->forget(back);
    backend.setPosition(back);
}

void MediaPlayerWidget::reportError(const QString &message) const
{
    // Once per file: a broken file is tried again at every hearing, and by
    // both players, with nothing new to say.
    static QString lastReported;
    if (m_fileName == lastReported)
        return;
    lastReported = m_fileName;
    qWarning().noquote() << "Cannot play" << m_fileName << "-" << message;
}

} // namespace vantrel
