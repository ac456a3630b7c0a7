// SPDX-License-Identifier: GPL-3.0-or-later
#include "newsbase.h"

#include "lesson_texts.h"
#include "message_box.h"
#include "option_button.h"
#include "program_end.h"
#include "story_text.h"
#include "ui_newsbase.h"

#include <QAccessibleWidget>
#include <QDir>
#include <QFileInfo>
#include <QShowEvent>
#include <QTimer>

namespace vantrel {

namespace {

// A plain top-level QWidget reaches screen readers as a "filler"; as a frame
// it is announced by its title when it becomes active.
QAccessibleInterface *accessibleLessonWindow(const QString &className, QObject *object)
{
    if (className != QLatin1String(NewsBase::staticMetaObject.className()) || !object->isWidgetType())
        return nullptr;
    return new QAccessibleWidget(static_cast<QWidget *>(object), QAccessible::Window);
}

void exposeAsFrame()
{
    static const bool installed = (QAccessible::installFactory(accessibleLessonWindow), true);
    Q_UNUSED(installed);
}

} // namespace

NewsBase::NewsBase(MessageBoxInterface &boxes, ProgramEndInterface &programEnd,
                   MediaPlayerWidget::BackendFactory players, QWidget *parent)
    : QWidget(parent)
    , ui(std::make_unique<Ui::NewsBase>())
    , m_boxes(boxes)
    , m_programEnd(programEnd)
{
    exposeAsFrame();
    ui->setupUi(this);
    setWindowIcon(QIcon(QStringLiteral(":/vantrel/vantrel.png")));

    Atrasado = new QTimer(this);
    Atrasado->setObjectName(QStringLiteral("Atrasado"));
    Atrasado->setSingleShot(true);
    // A coarse timer may fire 5 % early or late: over a minute, whole seconds
    // away from the end of the sound.
    Atrasado->setTimerType(Qt::PreciseTimer);

    configurePlayers(std::move(players));
    connectHandlers();
    installKeyHandlers();
}

NewsBase::~NewsBase() = default;

void NewsBase::configurePlayers(MediaPlayerWidget::BackendFactory players)
{
    ui->SimplePlayer->setAutoStart(true);
    ui->SimplePlayer->setShowControls(true);
    ui->AudioPlayer->setAutoStart(false);
    ui->AudioPlayer->setShowControls(true);
    if (players) {
        ui->SimplePlayer->setBackendFactory(players);
        ui->AudioPlayer->setBackendFactory(std::move(players));
    }
}

void NewsBase::connectHandlers()
{
    for (OptionButton *option : storyOptions())
        connect(option, &QAbstractButton::clicked, this, &NewsBase::Cuento_Click);
    ui->SelectNews->setAcceptDrops(true);
    ui->SelectNews->installEventFilter(this);
    ui->ScriptBox->viewport()->installEventFilter(this);

    connect(ui->StoryChosen, &QAbstractButton::clicked, this, &NewsBase::StoryChosen_Click);
    connect(ui->Salida, &QAbstractButton::clicked, this, &NewsBase::Salida_Click);
    connect(ui->Escuchar, &QAbstractButton::clicked, this, &NewsBase::Escuchar_Click);
    connect(ui->CambioCuento, &QAbstractButton::clicked, this, &NewsBase::CambioCuento_Click);
    connect(ui->Ayuda, &QAbstractButton::clicked, this, &NewsBase::Ayuda_Click);
    connect(ui->CheckWork, &QAbstractButton::clicked, this, &NewsBase::CheckWork_Click);
    connect(Atrasado, &QTimer::timeout, this, &NewsBase::Atrasado_Timer);
    connect(ui->AudioPlayer, &MediaPlayerWidget::sentenceHeard, this, &NewsBase::markSentence);
    connect(ui->AudioPlayer, &MediaPlayerWidget::wordHeard, this, &NewsBase::markWord);
    connect(ui->AudioPlayer, &MediaPlayerWidget::playbackStateChanged, this, &NewsBase::readMarkedSentence);
    connectDictation();
}

std::array<OptionButton *, kSlotCount> NewsBase::storyOptions() const
{
    return {ui->CuentoUno, ui->CuentoDos, ui->CuentoTres, ui->CuentoCuatro,
            ui->CuentoCinco, ui->CuentoSeis, ui->CuentoSiete, ui->CuentoOcho,
            ui->CuentoNueve, ui->CuentoDiez, ui->CuentoOnce, ui->CuentoDoce};
}

std::array<OptionButton *, 9> NewsBase::answerOptions() const
{
    return {ui->PregUnoA, ui->PregUnoB, ui->PregUnoC,
            ui->PregDosA, ui->PregDosB, ui->PregDosC,
            ui->PregTresA, ui->PregTresB, ui->PregTresC};
}

void NewsBase::showEvent(QShowEvent *event)
{
    QWidget::showEvent(event);
    // Shown by the student's own key or click on the start-up box: ask for
    // the keyboard, which a window manager may otherwise leave nowhere once
    // the box is gone.
    if (!event->spontaneous())
        activateWindow();
}

void NewsBase::setPrompt(const QString &caption)
{
    ui->Escuche->setText(caption);
    ui->Escuche->adjustSize();
}

void NewsBase::setStoryTitle(const QString &caption)
{
    ui->StoryTitle->setText(caption);
    ui->StoryTitle->adjustSize();
}

StoryBlock NewsBase::chosenStory() const
{
    return StoryBlock::read(StoryLines, StoryBase);
}

QString NewsBase::audioFileName() const
{
    return storyText(chosenStory().audioName) + QStringLiteral(".MP3");
}

std::optional<qint64> NewsBase::audioFileSize(const QString &fileName) const
{
    const QFileInfo info(fileName);
    if (!info.isFile())
        return std::nullopt;
    return info.size();
}

void NewsBase::endProgram(int status, const QString &diagnostic)
{
    m_ended = true;
    silence();
    m_programEnd.end(status, diagnostic);
}

void NewsBase::silence()
{
    Atrasado->stop();
    ui->SimplePlayer->stop();
    ui->AudioPlayer->stop();
}

void NewsBase::reportUnreadableStoryFile(const std::string &reason)
{
    const QString problem = texts::storyFileUnreadable(QDir::currentPath(), QString::fromStdString(reason));
    m_boxes.show(nullptr, texts::kProgramTitle, problem);
    endProgram(1, problem);
}

} // namespace vantrel
