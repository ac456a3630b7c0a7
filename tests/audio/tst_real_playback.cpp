// SPDX-License-Identifier: GPL-3.0-or-later
#include "media_player_widget.h"
#include "gst_media_backend.h"

#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QSlider>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace vantrel;

// Real MP3 files through GStreamer. With no sound server its automatic sink
// falls back to a silent one that keeps the clock, so files still play in
// real time. What reaches a real sound server is tested with the lesson.
class RealPlaybackTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();
    void playsToEndAndRestartsOnSameName();
    void unplayableFileIsSilent_data();
    void unplayableFileIsSilent();

private:
    QTemporaryDir m_folder;
    QString m_startFolder;
    std::unique_ptr<MediaPlayerWidget> m_player;
    std::unique_ptr<QSignalSpy> m_ended;
    std::unique_ptr<QSignalSpy> m_errors;
};

void RealPlaybackTest::init()
{
    m_startFolder = QDir::currentPath();
    QVERIFY(QDir::setCurrent(m_folder.path()));
    m_player = std::make_unique<MediaPlayerWidget>();
    m_player->resize(2, 2);
    m_player->show();
    // Spy from birth: some errors come while the name is being set.
    m_player->setBackendFactory([this] {
        auto backend = std::make_unique<GstMediaBackend>();
        m_ended = std::make_unique<QSignalSpy>(backend.get(), &MediaBackend::endOfMedia);
        m_errors = std::make_unique<QSignalSpy>(backend.get(), &MediaBackend::errorOccurred);
        return backend;
    });
    // Quiet on a desk with speakers; the sound still runs the whole pipeline.
    m_player->findChild<QSlider *>("volumeSlider")->setValue(0);
}

void RealPlaybackTest::cleanup()
{
    m_player.reset();
    // The spies watched the engine just destroyed; the next test makes its own.
    m_ended.reset();
    m_errors.reset();
    QDir::setCurrent(m_startFolder);
}

void RealPlaybackTest::playsToEndAndRestartsOnSameName()
{
    // A name with what breaks naive path-to-URL conversions.
    const QString name = QStringLiteral("story #1? one.MP3");
    QVERIFY(QFile::copy(VANTREL_AUDIO_TEST_DATA "/tone.MP3", name));

    m_player->setFileName(name);
    QTRY_VERIFY(m_player->backend()->position() >= 500);
    m_player->setFileName(name);
    QTRY_VERIFY(m_player->backend()->position() < 400);
    QCOMPARE(m_player->backend()->state(), MediaBackend::State::Playing);

    QTRY_VERIFY_WITH_TIMEOUT(!m_ended->isEmpty(), 15000);
    QCOMPARE(m_player->backend()->state(), MediaBackend::State::Stopped);
    QVERIFY2(m_errors->isEmpty(), qPrintable(m_errors->value(0).value(0).toString()));
}

void RealPlaybackTest::unplayableFileIsSilent_data()
{
    QTest::addColumn<QByteArray>("content");
    QByteArray noise(8000, '\0');
    QRandomGenerator bytes(4);
    for (char &byte : noise)
        byte = char(bytes.bounded(256));
    QTest::newRow("not an MP3") << noise;
    QTest::newRow("missing") << QByteArray();
}

void RealPlaybackTest::unplayableFileIsSilent()
{
    QFETCH(QByteArray, content);
    QFile file(QStringLiteral("broken.MP3"));
    file.remove();
    if (!content.isEmpty()) {
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(content);
        file.close();
    }

    // Heard twice, as a lesson does: the second time must not pass for playing.
    for (int hearing = 1; hearing <= 2; ++hearing) {
        const qsizetype reported = m_errors ? m_errors->size() : 0;
        m_player->setFileName(file.fileName());
        QTRY_VERIFY_WITH_TIMEOUT(m_errors->size() > reported, 15000);
        QTRY_COMPARE(m_player->backend()->state(), MediaBackend::State::Stopped);
    }
}

QTEST_MAIN(RealPlaybackTest)
#include "tst_real_playback.moc"
