// The badge in the tray slot at the sizes hosts really use: each provider's
// level as a bar in its band colour, in its own column under its letter,
// drawn at the screen's own resolution.
#include "support/TitleFixtures.h"
#include "ui/TrayIconPainter.h"

#include <QGuiApplication>
#include <QTest>

enum class Hue {
    None,
    Green,
    Orange,
    Red,
    Other
};

static Hue hueOf(QRgb premultiplied)
{
    const QColor color = QColor::fromRgba(qUnpremultiply(premultiplied));
    const qreal hue = color.hsvHueF() * 360.0;
    if (color.alpha() < 128 || color.hsvSaturationF() < 0.4)
        return Hue::None;
    return hue >= 90 && hue <= 160 ? Hue::Green
        : hue >= 20 && hue <= 45   ? Hue::Orange
        : hue <= 12 || hue >= 345  ? Hue::Red
                                   : Hue::Other;
}

// Rows of [left, right) that hold the hue somewhere: the height of a bar.
static int rowsWith(const QImage &image, Hue hue, int left, int right)
{
    int rows = 0;
    for (int y = 0; y < image.height(); ++y) {
        bool found = false;
        for (int x = left; x < right && !found; ++x)
            found = hueOf(image.pixel(x, y)) == hue;
        rows += found;
    }
    return rows;
}

// Opaque grey pixels (the letters and the outlines) within rows [top, bottom).
static int inkRows(const QImage &image, int left, int right, int top, int bottom)
{
    int rows = 0;
    for (int y = top; y < bottom; ++y) {
        bool found = false;
        for (int x = left; x < right && !found; ++x) {
            const QColor color = QColor::fromRgba(qUnpremultiply(image.pixel(x, y)));
            found = color.alpha() > 128 && color.hsvSaturationF() < 0.2;
        }
        rows += found;
    }
    return rows;
}

class TestTrayIcon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void levelsInTheirColumns()
    {
        for (int size : {16, 22}) {
            const QImage image = paintTrayIcon(weeklyTitle(42, 95), size, 1.0, Backdrop::Light);
            QCOMPARE(image.size(), QSize(size, size));
            const int half = size / 2;
            const int green = rowsWith(image, Hue::Green, 0, half);
            const int red = rowsWith(image, Hue::Red, half, size);
            QVERIFY2(green >= 2 && red > green * 3 / 2,
                     qPrintable(QString::number(green) + u' ' + QString::number(red)));
            QCOMPARE(rowsWith(image, Hue::Red, 0, half) + rowsWith(image, Hue::Green, half, size), 0);
            // Each column is marked by its letter above the bar.
            QVERIFY(inkRows(image, 0, half, 0, size / 3) >= 3);
            QVERIFY(inkRows(image, half, size, 0, size / 3) >= 3);
        }
    }

    void emptyAndOverfullLevels()
    {
        // "0%" shows an empty track; "1%" at least a pixel; over 100 fills the track, not more.
        const QImage image = paintTrayIcon(weeklyTitle(0.6, 1), 22, 1.0, Backdrop::Light);
        QCOMPARE(rowsWith(image, Hue::Green, 0, 11), 0);
        QVERIFY(inkRows(image, 0, 11, 11, 22) >= 8);
        QCOMPARE(rowsWith(image, Hue::Green, 11, 22), 1);
        const QImage full = paintTrayIcon(weeklyTitle(250), 22, 1.0, Backdrop::Light);
        QVERIFY(rowsWith(full, Hue::Red, 0, 22) >= 11 && rowsWith(full, Hue::Red, 0, 22) < 22);
    }

    void sharpAtTwiceTheResolution()
    {
        const QImage image = paintTrayIcon(weeklyTitle(75), 22, 2.0, Qt::white);
        QCOMPARE(image.size(), QSize(44, 44));
        QCOMPARE(image.devicePixelRatio(), 2.0);
        QVERIFY(rowsWith(image, Hue::Orange, 0, 44) > 10);
    }

    void glyphsWithoutUsage()
    {
        const TitleLayout none = layoutTitle({}, {}, false, DisplayMode::Weekly);
        QVERIFY(rowsWith(paintTrayIcon(none, 16, 1.0, Backdrop::Dark), Hue::Red, 0, 16) > 6);         // the drawn cross
        QVERIFY(inkRows(paintTrayIcon(loadingTitle(), 16, 1.0, Backdrop::Light), 0, 16, 0, 16) > 10); // the hourglass
    }
};

QTEST_MAIN(TestTrayIcon)
#include "test_trayicon.moc"
