// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "media_player_widget.h"
#include "story_block.h"

#include <QStringList>
#include <QTextEdit>
#include <QWidget>

#include <array>
#include <memory>
#include <optional>

class QDropEvent;
class QKeyEvent;
class QShowEvent;
class QTextCursor;
class QTimer;
namespace Ui {
class NewsBase;
}

namespace vantrel {

class MessageBoxInterface;
class OptionButton;
class ProgramEndInterface;

// The lesson window. Its controls and their looks live in newsbase.ui; the
// handlers are spread over newsbase_*.cpp, one file per concern.
class NewsBase : public QWidget {
    Q_OBJECT
public:
    NewsBase(MessageBoxInterface &boxes, ProgramEndInterface &programEnd,
             MediaPlayerWidget::BackendFactory players = {}, QWidget *parent = nullptr);
    ~NewsBase() override;

    // Start-up and the story menu
    void Form_Load();
    void Cuento_Click();
    void SelectNews_DragDrop();

    // A story's lesson
    void StoryChosen_Click();
    void Escuchar_Click();
    void Atrasado_Timer();
    void CheckWork_Click();
    void CambioCuento_Click();

    // Help and exit
    void Ayuda_Click();
    void Salida_Click();
    void ScriptBox_Click();

    // The dictation of a timed story, once its answers are right
    void Dictation_Click();
    void closeDictation();

    // Keys
    void Form_KeyPress(int keyAscii);

    int storyBase() const { return StoryBase; }
    int heardCount() const { return HeardCount; }
    bool programEnded() const { return m_ended; }

signals:
    // A story was picked in the menu: the student may open it next.
    void storyPicked();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;
    void showEvent(QShowEvent *event) override;

private:
    void connectHandlers();
    void configurePlayers(MediaPlayerWidget::BackendFactory players);
    void installKeyHandlers();
    bool loadStoryFile();
    void fillMenuByPresence();
    void refreshMenuByTitle();
    void copyStoryIntoWindow();
    void preloadStory();
    void clearAnswerSelections();
    void openQuestions();
    void showFullScore();
    void stopHearing();
    void enableListeningButtons();
    void silence();
    void reportUnreadableStoryFile(const std::string &reason);
    void hideLessonControls();
    void setPrompt(const QString &caption);
    void setStoryTitle(const QString &caption);
    StoryBlock chosenStory() const;
    QString audioFileName() const;
    std::optional<qint64> audioFileSize(const QString &fileName) const;
    void endProgram(int status, const QString &diagnostic = {});
    void keepFocusOnScreen();
    bool handleControlKey(QObject *control, int keyAscii);
    bool isStoryMenuControl(QObject *control) const;
    bool isLessonControl(QObject *control) const;
    bool acceptOwnDrag(QObject *watched, QDropEvent *event);
    void loadSentences();
    bool handleSentenceKey(const QKeyEvent *event);
    QTextCursor sentenceInTranscript(int index) const;
    void markSentence(int index);
    void showInTranscript(const QTextCursor &sentence);
    void readMarkedSentence(MediaBackend::State state);
    void playSentenceAt(const QPoint &point);
    int sentenceAtTranscript(int position) const;
    // Words, for a story whose words are timed too.
    QTextCursor wordInTranscript(int sentence, int word) const;
    int wordAtTranscript(int sentence, int position) const;
    void markWord(int word);
    void markHeard(int sentence, int word);
    void playWordAtCursor();
    std::vector<std::vector<TimedWord>> timedWordsOfSentences() const;
    void connectDictation();
    void offerDictation();
    bool handleDictationKey(const QKeyEvent *event);

    std::array<OptionButton *, kSlotCount> storyOptions() const;
    std::array<OptionButton *, 9> answerOptions() const;

    std::unique_ptr<Ui::NewsBase> ui;
    MessageBoxInterface &m_boxes;
    ProgramEndInterface &m_programEnd;
    QTimer *Atrasado = nullptr;

    // Shared by the handlers, as the lesson's own variables.
    vantrel::StoryLines StoryLines;
    int StoryBase = 0;
    int HeardCount = 0;

    QStringList m_sentenceTexts;  // of a story whose sentences are timed
    // Where the full player stood when the dictation opened, to go back to.
    struct PlayerPlace {
        MediaBackend::State state = MediaBackend::State::Stopped;
        qint64 position = 0;
    } m_beforeDictation;
    QList<QTextEdit::ExtraSelection> m_markBeforeDictation;

    bool m_ended = false;
    const QEvent *m_controlKey = nullptr; // the key press a control's handler already saw
};

} // namespace vantrel
