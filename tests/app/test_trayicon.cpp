// The badge in the tray slot: the numbers in their band colours where a
// reader looks for them, drawn at the screen's own resolution.
#include "TitleLayout.h"
#include "test_title_fixtures.h"
#include "TrayIconPainter.h"

#include <QGuiApplication>
#include <QTest>

using namespace Qt::StringLiterals;

namespace {

enum class Hue { None, Green, Orange, Red, Other };

Hue hueOf(QRgb premultiplied)
{
    const QColor color = QColor::fromRgba(qUnpremultiply(premultiplied));
    if (color.alpha() < 128)
        return Hue::None;
    if (color.hsvSaturationF() < 0.4)
        return Hue::Other;
    const qreal hue = color.hsvHueF() * 360.0;
    if (hue >= 90 && hue <= 160)
        return Hue::Green;
    if (hue >= 20 && hue <= 45)
        return Hue::Orange;
    if (hue <= 12 || hue >= 345)
        return Hue::Red;
    return Hue::Other;
}

// Pixels of that hue within rows [top, bottom) of the image.
int count(const QImage &image, Hue hue, int top, int bottom)
{
    int n = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < image.width(); ++x)
            n += hueOf(image.pixel(x, y)) == hue;
    return n;
}

QRect inkBounds(const QImage &image)
{
    QRect bounds;
    for (int i = 0; i < image.width() * image.height(); ++i)
        if (qAlpha(image.pixel(i % image.width(), i / image.width())) > 64)
            bounds |= QRect(i % image.width(), i / image.width(), 1, 1);
    return bounds;
}

TitleLayout titleOf(std::initializer_list<double> values)
{
    ProviderList providers;
    QHash<QString, ProviderState> states;
    int i = 0;
    for (double value : values) {
        auto provider = std::make_shared<TitleTestProvider>(u"p%1"_s.arg(i), u"P"_s, u"P"_s, std::nullopt);
        providers.append(provider);
        states.insert(provider->id(), stateWith(provider, limits({{"Weekly", value}})));
        ++i;
    }
    return layoutTitle(providers, states, false, DisplayMode::Weekly);
}

} // namespace

class TestTrayIcon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void twoNumbersStackedInTheirColours()
    {
        const QImage image = paintTrayIcon(titleOf({42, 95}), 22, 2.0, Qt::black);
        QCOMPARE(image.size(), QSize(44, 44));
        QCOMPARE(image.devicePixelRatio(), 2.0);

        const int half = image.height() / 2;
        QVERIFY2(count(image, Hue::Green, 0, half) > 40, "the first number is green, on top");
        QCOMPARE(count(image, Hue::Red, 0, half), 0);
        QVERIFY2(count(image, Hue::Red, half, image.height()) > 40, "the second number is red, below");
        QCOMPARE(count(image, Hue::Green, half, image.height()), 0);

        QVERIFY(inkBounds(image).height() >= 30); // about 10 px each: the slot's height, not a sliver

    }

    void oneProviderGetsOneLargerNumber()
    {
        const QImage image = paintTrayIcon(titleOf({75}), 22, 1.0, Qt::white);
        QCOMPARE(image.size(), QSize(22, 22));
        QVERIFY(inkBounds(image).height() >= 9);
        QVERIFY(count(image, Hue::Orange, 0, 22) > 20);
        QCOMPARE(count(image, Hue::Green, 0, 22) + count(image, Hue::Red, 0, 22), 0);
    }

    void drawnAtDeviceResolution()
    {
        // The dpr-2 badge is drawn anew, not a blown-up 22 px one: twice the ink, same place.
        const TitleLayout title = titleOf({42, 17});
        const QRect small = inkBounds(paintTrayIcon(title, 22, 1.0, Qt::black));
        const QRect large = inkBounds(paintTrayIcon(title, 22, 2.0, Qt::black));
        QVERIFY(qAbs(large.height() - 2 * small.height()) <= 3);
        QVERIFY(qAbs(large.center().y() - 2 * small.center().y()) <= 3);
    }

    void glyphsWithoutUsage()
    {
        const QImage hourglass = paintTrayIcon(loadingTitle(), 22, 1.0, Qt::white);
        QVERIFY(count(hourglass, Hue::Other, 0, 22) > 20); // in the panel's text colour
        QCOMPARE(count(hourglass, Hue::Red, 0, 22), 0);

        const TitleLayout none = layoutTitle({}, {}, false, DisplayMode::Weekly);
        QCOMPARE(none.text(), u"\u274C"_s);
        QVERIFY(count(paintTrayIcon(none, 22, 2.0, Qt::white), Hue::Red, 0, 44) > 40);
    }
};

QTEST_MAIN(TestTrayIcon)
#include "test_trayicon.moc"
