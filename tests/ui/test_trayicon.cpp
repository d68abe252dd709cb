// The badge in the tray slot at the sizes hosts really use: each provider's
// level as a bar in its band colour, in its own column under its letter,
// drawn at the screen's own resolution.
#include "support/TitleFixtures.h"
#include "ui/TrayIconPainter.h"

#include <QGuiApplication>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

enum class Hue {
    None, // clear, faint, or no band colour
    Ink,  // opaque grey: the letters, the outlines, the glyphs
    Green,
    Orange,
    Red
};

Hue hueOf(QRgb premultiplied)
{
    const QColor color = QColor::fromRgba(qUnpremultiply(premultiplied));
    const qreal hue = color.hsvHueF() * 360.0;
    if (color.alpha() < 128)
        return Hue::None;
    if (color.hsvSaturationF() < 0.4)
        return color.hsvSaturationF() < 0.2 ? Hue::Ink : Hue::None;
    return hue >= 90 && hue <= 160 ? Hue::Green
        : hue >= 20 && hue <= 45   ? Hue::Orange
        : hue <= 12 || hue >= 345  ? Hue::Red
                                   : Hue::None;
}

// Rows of the area that hold the hue somewhere: the height of a bar or of a letter.
int rowsWith(const QImage &image, Hue hue, const QRect &area)
{
    int rows = 0;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        bool found = false;
        for (int x = area.left(); x <= area.right() && !found; ++x)
            found = hueOf(image.pixel(x, y)) == hue;
        rows += found;
    }
    return rows;
}

} // namespace

class TestTrayIcon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void levelsInTheirColumns()
    {
        for (int size : {16, 22}) {
            const QImage image = paintTrayIcon(weeklyTitle(42, 95), size, 1.0, Backdrop::Light);
            QCOMPARE(image.size(), QSize(size, size));
            const QRect left(0, 0, size / 2, size);
            const QRect right = left.translated(size / 2, 0);
            const int green = rowsWith(image, Hue::Green, left);
            const int red = rowsWith(image, Hue::Red, right);
            QVERIFY2(green >= 2 && red > green * 3 / 2, qPrintable(u"%1 %2"_s.arg(green).arg(red)));
            QCOMPARE(rowsWith(image, Hue::Red, left) + rowsWith(image, Hue::Green, right), 0);
            // Each column is marked by its letter above the bar.
            QVERIFY(rowsWith(image, Hue::Ink, QRect(0, 0, size / 2, size / 3)) >= 3);
            QVERIFY(rowsWith(image, Hue::Ink, QRect(size / 2, 0, size / 2, size / 3)) >= 3);
        }
    }

    void edgeLevelsGlyphsAndTwiceTheResolution()
    {
        // "0%" shows an empty track; "1%" at least a pixel; over 100 fills the track, not more.
        const QImage image = paintTrayIcon(weeklyTitle(0.6, 1), 22, 1.0, Backdrop::Light);
        QCOMPARE(rowsWith(image, Hue::Green, QRect(0, 0, 11, 22)), 0);
        QVERIFY(rowsWith(image, Hue::Ink, QRect(0, 11, 11, 11)) >= 8);
        QCOMPARE(rowsWith(image, Hue::Green, QRect(11, 0, 11, 22)), 1);
        const int full
            = rowsWith(paintTrayIcon(weeklyTitle(250), 22, 1.0, Backdrop::Light), Hue::Red, QRect(0, 0, 22, 22));
        QVERIFY(full >= 11 && full < 22);

        // Without usage: the drawn cross, the hourglass.
        const TitleLayout none = layoutTitle({}, {}, false, DisplayMode::Weekly);
        QVERIFY(rowsWith(paintTrayIcon(none, 16, 1.0, Backdrop::Dark), Hue::Red, QRect(0, 0, 16, 16)) > 6);
        QVERIFY(rowsWith(paintTrayIcon(loadingTitle(), 16, 1.0, Backdrop::Light), Hue::Ink, QRect(0, 0, 16, 16)) > 10);

        // Sharp on a screen of twice the resolution.
        const QImage sharp = paintTrayIcon(weeklyTitle(75), 22, 2.0, Qt::white);
        QCOMPARE(sharp.size(), QSize(44, 44));
        QCOMPARE(sharp.devicePixelRatio(), 2.0);
        QVERIFY(rowsWith(sharp, Hue::Orange, sharp.rect()) > 10);
    }
};

QTEST_MAIN(TestTrayIcon)
#include "test_trayicon.moc"
