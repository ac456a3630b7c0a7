// SPDX-License-Identifier: GPL-3.0-or-later
#include "media_icons.h"

#include <QApplication>
#include <QImage>
#include <QTest>

using namespace vantrel;

namespace {

// Pixels drawn fully in COLOR, and pixels left see-through.
std::pair<int, int> inkAndClear(const QImage &image, const QColor &color)
{
    int ink = 0, clear = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = image.pixel(x, y);
            ink += pixel == color.rgba();
            clear += qAlpha(pixel) == 0;
        }
    }
    return {ink, clear};
}

} // namespace

class MediaIconsTest : public QObject
{
    Q_OBJECT

private slots:
    // Drawn at the density asked for, in the colour given, with room around
    // the shape left clear.
    void drawnAtEveryDensity_data()
    {
        QTest::addColumn<MediaIcon>("kind");
        QTest::addColumn<qreal>("ratio");
        for (const qreal ratio : {1.0, 2.0, 1.5}) {
            const QByteArray at = QByteArray::number(ratio);
            QTest::newRow("play at " + at) << MediaIcon::Play << ratio;
            QTest::newRow("repeat at " + at) << MediaIcon::RepeatSentence << ratio;
            QTest::newRow("pause after each at " + at) << MediaIcon::PauseAfterEach << ratio;
        }
    }

    void drawnAtEveryDensity()
    {
        QFETCH(MediaIcon, kind);
        QFETCH(qreal, ratio);
        const QColor color(20, 90, 160);
        const QPixmap pixmap = mediaIcon(kind, color).pixmap(QSize(16, 16), ratio);
        const int side = qRound(16 * ratio);
        QCOMPARE(pixmap.size(), QSize(side, side));
        QCOMPARE(pixmap.deviceIndependentSize(), QSizeF(16, 16));
        const auto [ink, clear] = inkAndClear(pixmap.toImage().convertToFormat(QImage::Format_ARGB32), color);
        // The shape covers a fair part of the square at any density.
        QVERIFY2(ink >= side * side / 16, qPrintable(QString::number(ink)));
        QVERIFY2(clear >= side * side / 4, qPrintable(QString::number(clear)));
    }

    // A disabled button does not look like an enabled one.
    void disabledLooksDisabled()
    {
        const QIcon icon = mediaIcon(MediaIcon::Stop, Qt::black);
        const QImage normal = icon.pixmap(QSize(16, 16), 1.0).toImage();
        const QImage disabled = icon.pixmap(QSize(16, 16), 1.0, QIcon::Disabled).toImage();
        QCOMPARE(disabled.size(), normal.size());
        QVERIFY(disabled != normal);
    }
};

QTEST_MAIN(MediaIconsTest)
#include "tst_media_icons.moc"
