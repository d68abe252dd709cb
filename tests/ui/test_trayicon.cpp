// The badge in the tray slot: the numbers in their band colours where a
// reader looks for them, drawn at the screen's own resolution.
#include "support/TitleFixtures.h"
#include "ui/TrayIconPainter.h"

#include <QGuiApplication>
#include <QTest>

enum class Hue { None, Green, Orange, Red, Other };

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

// Pixels of that hue within rows [top, bottom).
static int count(const QImage &image, Hue hue, int top, int bottom)
{
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < image.width(); ++x)
            n += hueOf(image.pixel(x, y)) == hue;
    return n;
}

class TestTrayIcon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void numbersInTheirColours()
    {
        // Drawn anew at twice the resolution: about four times the ink of a 22 px badge (about 40 per number).
        const QImage image = paintTrayIcon(weeklyTitle(42, 95), 22, 2.0, Qt::black);
        QCOMPARE(image.size(), QSize(44, 44));
        QCOMPARE(image.devicePixelRatio(), 2.0);
        QVERIFY2(count(image, Hue::Green, 0, 22) > 120, "the first number is green, on top");
        QVERIFY2(count(image, Hue::Red, 22, 44) > 120, "the second number is red, below");
        QCOMPARE(count(image, Hue::Red, 0, 22) + count(image, Hue::Green, 22, 44), 0);

        const QImage one = paintTrayIcon(weeklyTitle(75), 22, 1.0, Qt::white);
        QCOMPARE(one.size(), QSize(22, 22));
        QVERIFY2(count(one, Hue::Orange, 0, 22) > 50, "one provider gets one larger number");

        const TitleLayout none = layoutTitle({}, {}, false, DisplayMode::Weekly);
        QVERIFY(count(paintTrayIcon(none, 22, 1.0, Qt::white), Hue::Red, 0, 22) > 60); // the drawn cross
    }
};

QTEST_MAIN(TestTrayIcon)
#include "test_trayicon.moc"
