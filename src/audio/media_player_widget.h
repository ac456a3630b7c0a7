// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media_backend.h"
#include "sentence_steps.h"

#include <QString>
#include <QWidget>

#include <functional>
#include <memory>

namespace vantrel {

class PlayerControls;
class SentencePlayer;

// A media player to place on a window: give it a file name and, with
// AutoStart on, it plays. It shows the controls that fit its size, so a tiny
// instance plays without offering any control.
class MediaPlayerWidget : public QWidget
{
    Q_OBJECT
    Q_PROPERTY(bool autoStart READ autoStart WRITE setAutoStart)
    Q_PROPERTY(bool showControls READ showControls WRITE setShowControls)
    Q_PROPERTY(QString fileName READ fileName WRITE setFileName)

public:
    using BackendFactory = std::function<std::unique_ptr<MediaBackend>()>;

    explicit MediaPlayerWidget(QWidget *parent = nullptr);
    ~MediaPlayerWidget() override;

    // Used when the backend is first needed; set it before the first file name.
    // The default, also for an empty factory, makes a GstMediaBackend.
    void setBackendFactory(BackendFactory factory);

    void setAutoStart(bool on);
    bool autoStart() const;
    void setShowControls(bool on);
    bool showControls() const;

    // The name is relative to the current working folder. With AutoStart on
    // the file plays from its beginning, also when the name is set again;
    // with it off the file is only loaded.
    void setFileName(const QString &name);
    QString fileName() const;

    // Loads the file ahead of time, playing nothing, so that a later
    // setFileName() with the same name starts without the loading delay.
    void preload(const QString &name);

    void stop();

    // Null until the first file name or control request needs one.
    MediaBackend *backend() const;

    // The timed sentences of the file: with some, the player offers the
    // sentence steps and the pause after each sentence; none takes them away.
    void setSentences(const std::vector<SentenceTime> &sentences);
    void previousSentence();
    void repeatSentence();
    void nextSentence();
    // Plays sentence INDEX from its start and pauses at its end.
    void playSentence(int index);
    // Plays sentence INDEX from its word WORD (of its timed words) to its
    // end; from its start when WORD is not one.
    void playSentenceFrom(int index, int word);
    // Plays that word alone, from just before it, and pauses after it.
    void playWord(int index, int word);
    void togglePauseAfterEachSentence();
    // The sentence heard, or heard last; -1 without sentences.
    int currentSentence() const;
    // The timed word of it being heard, or played alone last; -1 for none.
    int currentWord() const;
    // The sentence's timed words (see SentenceTime); none without.
    std::vector<TimedWord> sentenceWords(int index) const;

signals:
    // The sentence being heard has changed, while the sound plays.
    void sentenceHeard(int index);
    // So has the word of it being heard (-1: none).
    void wordHeard(int word);
    void playbackStateChanged(vantrel::MediaBackend::State state);

protected:
    void resizeEvent(QResizeEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    MediaBackend &ensureBackend();
    void connectBackend(MediaBackend &backend);
    void connectControls();
    void updateControls();
    void goBack();
    void reportError(const QString &message) const;

    BackendFactory m_factory;
    std::unique_ptr<MediaBackend> m_backend;
    PlayerControls *m_controls = nullptr;
    SentencePlayer *m_sentences = nullptr;
    QString m_fileName;
    bool m_autoStart = true;
    bool m_showControls = true;
};

} // namespace vantrel
