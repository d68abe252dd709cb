#include "presentation/PanelGeometry.h"

#include <QTest>

namespace {
const QSize Panel(300, 400);
const QRect Screen(0, 0, 1920, 1080);
const QRect BelowTopPanel(0, 28, 1920, 1052); // a 28 px panel with a strut
const QRect AboveBottomPanel(0, 0, 1920, 1052);
} // namespace

class TestPanelGeometry : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void placement_data();
    void placement();
};

void TestPanelGeometry::placement_data()
{
    QTest::addColumn<QRect>("tray");
    QTest::addColumn<QPoint>("point");
    QTest::addColumn<QRect>("available");
    QTest::addColumn<QSize>("panel");
    QTest::addColumn<QRect>("expected");

    // The item sits in the panel, outside the available area.
    QTest::newRow("below a top panel, centred on the item")
        << QRect(1000, 2, 24, 24) << QPoint() << BelowTopPanel << Panel << QRect(862, 30, 300, 400);
    QTest::newRow("above a bottom panel")
        << QRect(1000, 1054, 24, 24) << QPoint() << AboveBottomPanel << Panel << QRect(862, 650, 300, 400);
    QTest::newRow("a panel without a strut: the item inside the available area")
        << QRect(1000, 2, 24, 24) << QPoint() << Screen << Panel << QRect(862, 30, 300, 400);
    QTest::newRow("no geometry: under the pointer at the top")
        << QRect() << QPoint(1500, 10) << BelowTopPanel << Panel << QRect(1350, 28, 300, 400);
    // Always on screen, whatever the anchor says.
    QTest::newRow("top right corner is pushed left")
        << QRect(1890, 2, 24, 24) << QPoint() << BelowTopPanel << Panel << QRect(1620, 30, 300, 400);
    QTest::newRow("tray far off screen") << QRect(-500, -500, 24, 24) << QPoint() << Screen << Panel
                                         << QRect(0, 0, 300, 400);
    // Taller than the screen: the top, with the header, stays visible.
    QTest::newRow("taller than the screen")
        << QRect(1000, 2, 24, 24) << QPoint() << Screen << QSize(300, 2000) << QRect(862, 0, 300, 2000);
}

void TestPanelGeometry::placement()
{
    QFETCH(QRect, tray);
    QFETCH(QPoint, point);
    QFETCH(QRect, available);
    QFETCH(QSize, panel);
    QFETCH(QRect, expected);
    QCOMPARE(panelGeometry(panel, tray, point, available), expected);
}

QTEST_APPLESS_MAIN(TestPanelGeometry)
#include "test_panelgeometry.moc"
