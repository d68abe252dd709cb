#include "PanelGeometry.h"

#include <QTest>

namespace {
const QSize Panel(300, 400);
const QRect Screen(0, 0, 1920, 1080);
} // namespace

class PanelGeometryTest : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void placement_data();
    void placement();
    void alwaysOnScreen_data();
    void alwaysOnScreen();
};

void PanelGeometryTest::placement_data()
{
    QTest::addColumn<QRect>("tray");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QRect>("expected");

    // A 28 px top panel outside the available area; the item in the middle of it.
    QTest::newRow("below a top panel, centred on the item")
        << QRect(1000, 2, 24, 24) << QPoint() << QRect(0, 28, 1920, 1052) << QRect(862, 30, 300, 400);
    QTest::newRow("above a bottom panel")
        << QRect(1000, 1054, 24, 24) << QPoint() << QRect(0, 0, 1920, 1052) << QRect(862, 650, 300, 400);
    QTest::newRow("top right corner is pushed left onto the screen")
        << QRect(1890, 2, 24, 24) << QPoint() << QRect(0, 28, 1920, 1052) << QRect(1620, 30, 300, 400);
    QTest::newRow("bottom left corner is pushed right")
        << QRect(4, 1054, 24, 24) << QPoint() << QRect(0, 0, 1920, 1052) << QRect(0, 650, 300, 400);
    QTest::newRow("beside a left panel")
        << QRect(4, 500, 24, 24) << QPoint() << QRect(32, 0, 1888, 1080) << QRect(32, 312, 300, 400);
    QTest::newRow("beside a right panel, low down")
        << QRect(1892, 1000, 24, 24) << QPoint() << QRect(0, 0, 1888, 1080) << QRect(1588, 680, 300, 400);
    QTest::newRow("a panel without a strut: the item inside the available area")
        << QRect(1000, 2, 24, 24) << QPoint() << Screen << QRect(862, 30, 300, 400);
    QTest::newRow("no geometry: under the pointer at the top")
        << QRect() << QPoint(1500, 10) << QRect(0, 28, 1920, 1052) << QRect(1350, 28, 300, 400);
    QTest::newRow("no geometry: above the pointer at the bottom")
        << QRect() << QPoint(1500, 1070) << Screen << QRect(1350, 666, 300, 400);
    QTest::newRow("second screen to the right")
        << QRect(2900, 2, 24, 24) << QPoint() << QRect(1920, 28, 1280, 996) << QRect(2762, 30, 300, 400);
}

void PanelGeometryTest::placement()
{
    QFETCH(QRect, tray);
    QFETCH(QPoint, point);
    QFETCH(QRect, available);
    QFETCH(QRect, expected);
    QCOMPARE(panelGeometry(Panel, tray, point, available), expected);
}

void PanelGeometryTest::alwaysOnScreen_data()
{
    QTest::addColumn<QRect>("tray");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QSize>("panel");

    QTest::newRow("tray far off screen") << QRect(-500, -500, 24, 24) << QPoint() << Panel;
    QTest::newRow("pointer off screen") << QRect() << QPoint(5000, 5000) << Panel;
    QTest::newRow("pointer at the origin") << QRect() << QPoint(0, 0) << Panel;
    QTest::newRow("taller than the screen") << QRect(1000, 2, 24, 24) << QPoint() << QSize(300, 2000);
}

void PanelGeometryTest::alwaysOnScreen()
{
    QFETCH(QRect, tray);
    QFETCH(QPoint, point);
    QFETCH(QSize, panel);
    const QRect placed = panelGeometry(panel, tray, point, Screen);
    QCOMPARE(placed.size(), panel);
    if (panel.height() <= Screen.height())
        QVERIFY(Screen.contains(placed));
    else
        QCOMPARE(placed.topLeft().y(), Screen.top()); // the top, with the header, stays visible
}

QTEST_APPLESS_MAIN(PanelGeometryTest)
#include "tst_panelgeometry.moc"
