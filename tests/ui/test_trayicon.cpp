// The badge in the tray slot at the sizes hosts really use: each provider's
// level as a bar in its band colour, in its own column under its letter,
// drawn at the screen's own resolution, and legible on every default panel.
#include "support/Contrast.h"
#include "support/DataRows.h"
#include "support/TitleFixtures.h"
#include "ui/ConstantArcs.h"
#include "ui/PanelStyle.h"
#include "ui/RoundStroke.h"
#include "ui/TrayIconPainter.h"

#include <QHash>
#include <QPainter>
#include <QTest>

#include <algorithm>
#include <cmath>
#include <functional>

using namespace Qt::StringLiterals;

namespace {

// None: clear, faint or no band colour. Ink: light grey, as letters and glyphs are.
enum class Hue { None, Ink, Green, Amber, Red };

Hue hueOf(QRgb premultiplied)
{
    const QColor color = QColor::fromRgba(qUnpremultiply(premultiplied));
    const qreal hue = color.hsvHueF() * 360.0;
    if (color.alpha() < 128)
        return Hue::None;
    if (color.hsvSaturationF() < 0.4)
        return color.hsvSaturationF() < 0.2 && color.valueF() > 0.7 ? Hue::Ink : Hue::None;
    return hue >= 90 && hue <= 160 ? Hue::Green
        : hue >= 20 && hue <= 60   ? Hue::Amber
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

// The icon as a panel of that colour shows it.
QImage onPanel(const QImage &icon, QRgb panel)
{
    QImage shown(icon.size(), QImage::Format_RGB32);
    shown.fill(panel);
    QPainter painter(&shown);
    painter.drawImage(QPoint(0, 0), icon);
    return shown;
}

// The commonest colour in the area, leaving out some: what a mark sits on,
// or the colour of a mark itself. Antialiased edges are each rare.
QRgb commonest(const QImage &image, const QRect &area, const QList<QRgb> &except = {},
               const std::function<bool(QRgb)> &wanted = {})
{
    QHash<QRgb, int> counts;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            const QRgb rgb = image.pixel(x, y) | 0xFF000000;
            if (!except.contains(rgb) && (!wanted || wanted(rgb)))
                ++counts[rgb];
        }
    }
    const auto best = std::max_element(counts.cbegin(), counts.cend());
    return best == counts.cend() ? 0 : best.key();
}

} // namespace

class TestTrayIcon : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    // The panels desktops ship by default, as measured on their screenshots.
    void readableOnEveryDefaultPanel_data()
    {
        QTest::addColumn<QRgb>("panel");
        QTest::newRow("XFCE") << qRgb(0x35, 0x35, 0x35);
        QTest::newRow("Plasma Breeze") << qRgb(0xCF, 0xD2, 0xD4);
        QTest::newRow("waybar tray") << qRgb(0x29, 0x80, 0xB9);
        QTest::newRow("GNOME top bar") << qRgb(0x00, 0x00, 0x00);
        QTest::newRow("white") << qRgb(0xFF, 0xFF, 0xFF);
    }

    // Letters and every band's fill stand 3:1 (WCAG, graphics) apart from
    // what they are drawn on, measured on the rendered pixels; each band's
    // fill is the colour the panel window gives that band.
    void readableOnEveryDefaultPanel()
    {
        QFETCH(QRgb, panel);
        for (Backdrop shades : {Backdrop::Light, Backdrop::Dark}) {
            for (const auto &[used, band] : {std::pair{42.0, Band::Low}, {76.0, Band::Elevated}, {96.0, Band::Critical}}) {
                for (int size : {16, 22}) {
                    const QImage shown = onPanel(paintTrayIcon(weeklyTitle(used, used), size, 1.0, shades), panel);
                    const QRgb behind = commonest(shown, shown.rect());
                    const QRgb expected = PanelStyle::toColor(bandRgb(bandColor(band), shades)).rgb();
                    // Inside the outer pixel, where the plate's rounded corners blend into the panel.
                    for (const QRect column :
                         {QRect(1, 1, size / 2 - 1, size - 2), QRect(size / 2, 1, size / 2 - 1, size - 2)}) {
                        const QRgb letter = commonest(shown, column.adjusted(0, 0, 0, -size * 3 / 5), {behind});
                        const QRgb fill = commonest(shown, column.adjusted(0, size / 3, 0, 0), {behind, panel},
                                                    [](QRgb rgb) { return QColor(rgb).hsvSaturationF() > 0.3; });
                        const QString where = u"shades %1, %2%, %3 px: "_s.arg(int(shades)).arg(used).arg(size);
                        QVERIFY2(contrast(letter, behind) >= 3.0,
                                 qPrintable(where + u"letter %1 on %2: %3"_s.arg(letter, 0, 16).arg(behind, 0, 16).arg(contrast(letter, behind))));
                        QVERIFY2(contrast(fill, behind) >= 3.0,
                                 qPrintable(where + u"fill %1 on %2: %3"_s.arg(fill, 0, 16).arg(behind, 0, 16).arg(contrast(fill, behind))));
                        QVERIFY2(fill == expected, qPrintable(where + u"fill %1"_s.arg(fill, 0, 16)));
                    }
                }
            }
        }
    }

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
            for (const QRect &column : {left, right})
                QVERIFY(rowsWith(image, Hue::Ink, column.adjusted(0, 0, 0, size / 3 - size)) >= 3);
        }
    }

    // Three to four levels stay bars of their own at every size: each at
    // least two pixels wide, a pixel of plate between neighbours, in title
    // order; a fifth is left to the label. Letters only where a bar is wide
    // enough to carry one (three at 22 px), never squeezed into a smudge.
    void upToFourBarsStaySeparate_data()
    {
        addColumns<int, int>("count", "size");
        for (int count : {3, 4, 5})
            for (int size : {16, 22})
                QTest::addRow("%d at %d px", count, size) << count << size;
    }
    void upToFourBarsStaySeparate()
    {
        const auto [count, size] = fetchRow<int, int>("count", "size");
        const QList<double> used{20, 95, 75, 30, 99};
        const QList<Hue> hues{Hue::Green, Hue::Red, Hue::Amber, Hue::Green};
        ProviderList providers;
        QHash<QString, ProviderState> states;
        for (int i = 0; i < count; ++i) {
            const auto provider = std::make_shared<ScriptedProvider>(u"p%1"_s.arg(i), u"P%1"_s.arg(i));
            providers.append(provider);
            states.insert(provider->id(), stateWith(provider, usageOf({{"Weekly", used.at(i)}})));
        }
        const QImage image
            = paintTrayIcon(layoutTitle(providers, states, false, DisplayMode::Weekly), size, 1.0, Backdrop::Dark);
        // Along the bottom row of the bars, every run of band colour is one bar.
        const int y = size - 3;
        QList<std::pair<Hue, int>> runs;
        Hue previous = Hue::None;
        for (int x = 0; x < size; ++x) {
            const Hue hue = hueOf(image.pixel(x, y));
            const bool band = hue == Hue::Green || hue == Hue::Amber || hue == Hue::Red;
            if (band && hue == previous)
                ++runs.last().second;
            else if (band)
                runs.append({hue, 1});
            previous = band ? hue : Hue::None;
        }
        QCOMPARE(runs.size(), std::min(count, 4));
        for (int i = 0; i < runs.size(); ++i) {
            QCOMPARE(runs.at(i).first, hues.at(i));
            QVERIFY2(runs.at(i).second >= 2, qPrintable(u"bar %1 is %2 px"_s.arg(i).arg(runs.at(i).second)));
        }
        QCOMPARE(rowsWith(image, Hue::Ink, image.rect()) >= 3, count == 3 && size == 22);
    }

    void edgeLevelsGlyphsAndTwiceTheResolution()
    {
        // "0%" shows an empty track; "1%" at least a pixel; over 100 fills the track, not more.
        const QImage image = paintTrayIcon(weeklyTitle(0.6, 1), 22, 1.0, Backdrop::Light);
        QCOMPARE(rowsWith(image, Hue::Green, QRect(0, 0, 11, 22)), 0);
        QCOMPARE(rowsWith(image, Hue::Green, QRect(11, 0, 11, 22)), 1);
        const int full
            = rowsWith(paintTrayIcon(weeklyTitle(250), 22, 1.0, Backdrop::Light), Hue::Red, QRect(0, 0, 22, 22));
        QVERIFY(full >= 11 && full < 22);

        // Without usage: the drawn cross, the hourglass.
        const TitleLayout none = layoutTitle({}, {}, false, DisplayMode::Weekly);
        QVERIFY(rowsWith(paintTrayIcon(none, 16, 1.0, Backdrop::Dark), Hue::Red, QRect(0, 0, 16, 16)) > 6);
        QVERIFY(rowsWith(paintTrayIcon(loadingTitle(), 16, 1.0, Backdrop::Light), Hue::Ink, QRect(0, 0, 16, 16)) > 10);

        // Sharp on a screen of twice the resolution.
        const QImage sharp = paintTrayIcon(weeklyTitle(75), 22, 2.0, Backdrop::Dark);
        QCOMPARE(sharp.size(), QSize(44, 44));
        QCOMPARE(sharp.devicePixelRatio(), 2.0);
        QVERIFY(rowsWith(sharp, Hue::Amber, sharp.rect()) > 10);
    }

    // Round-capped segments filled together: corners covered where they
    // overlap (no winding cancels out), the inside left open, closed on request.
    void roundStrokesCoverTheWholeLine()
    {
        const QPolygonF triangle{{10, 2}, {18, 16}, {2, 16}};
        const QPainterPath closed = roundStroke(triangle, 2.0, true);
        for (const QPointF &corner : triangle)
            QVERIFY(closed.contains(corner) && closed.contains(corner + QPointF(0.1, 0.1)));
        QVERIFY(closed.contains(QPointF(10, 16.9)) && closed.contains(QPointF(10, 1.1)));
        QVERIFY(!closed.contains(QPointF(10, 11)) && !closed.contains(QPointF(10, 0.9)));
        QVERIFY(closed.contains(QPointF(6, 9)));
        QVERIFY(!roundStroke(triangle, 2.0).contains(QPointF(6, 9)));
    }

    // The spinners' turns from the compiled table, as QPainter::rotate makes them, past a whole turn either way.
    void turnsMatchRotation()
    {
        for (int degrees = -725; degrees <= 725; degrees += 5) {
            const QTransform expected = QTransform().rotate(degrees);
            const QTransform turn = ConstantArcs::turn(degrees);
            for (const qreal difference : {turn.m11() - expected.m11(), turn.m12() - expected.m12(),
                                           turn.m21() - expected.m21(), turn.m22() - expected.m22()})
                QVERIFY2(std::abs(difference) < 1e-12, qPrintable(QString::number(degrees)));
        }
    }
};

QTEST_MAIN(TestTrayIcon)
#include "test_trayicon.moc"
