// Band colours must stay readable where they are drawn: WCAG contrast of at
// least 3:1 (the level for graphics and large text) against the panels the
// desktops ship by default.
#include "presentation/BandPalette.h"

#include <QTest>

#include <cmath>

namespace {

// WCAG 2 relative luminance, written out here independently of the palette.
double channel(int value)
{
    const double c = value / 255.0;
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

double luminance(Rgb rgb)
{
    return 0.2126 * channel(rgb.red) + 0.7152 * channel(rgb.green) + 0.0722 * channel(rgb.blue);
}

double contrast(Rgb a, Rgb b)
{
    const double la = luminance(a);
    const double lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

const Rgb PlasmaPanel{0xEF, 0xF0, 0xF1};
const Rgb XfcePanel{0x2B, 0x2B, 0x2B};
const Rgb GnomeTopBar{0x1D, 0x1D, 0x1D};
const Rgb White{0xFF, 0xFF, 0xFF};

const NamedColor AllColours[] = {NamedColor::Green, NamedColor::Yellow, NamedColor::Orange, NamedColor::Red};

QByteArray describe(NamedColor colour, Rgb background, double ratio)
{
    return QByteArray::number(int(colour)) + " on " + QByteArray::number(background.red) + ": "
        + QByteArray::number(ratio, 'f', 2);
}

} // namespace

class TestBandPalette : public QObject
{
    Q_OBJECT

private Q_SLOTS:
    void lightShadesHoldOnLightAndDarkPanels()
    {
        // The tray uses these where the host does not say how bright its panel is.
        for (NamedColor colour : AllColours) {
            for (Rgb panel : {PlasmaPanel, White, XfcePanel, GnomeTopBar}) {
                const double ratio = contrast(bandRgb(colour, Backdrop::Light), panel);
                QVERIFY2(ratio >= 3.0, describe(colour, panel, ratio).constData());
            }
        }
    }

    void darkShadesHoldOnDarkPanels()
    {
        for (NamedColor colour : AllColours) {
            for (Rgb panel : {XfcePanel, GnomeTopBar}) {
                const double ratio = contrast(bandRgb(colour, Backdrop::Dark), panel);
                QVERIFY2(ratio >= 3.0, describe(colour, panel, ratio).constData());
            }
        }
    }

    void bandsStayApart()
    {
        // Three title bands on one backdrop must not collapse into one colour.
        for (Backdrop backdrop : {Backdrop::Light, Backdrop::Dark}) {
            const Rgb low = bandRgb(titleColor(Band::Low), backdrop);
            const Rgb elevated = bandRgb(titleColor(Band::Elevated), backdrop);
            const Rgb critical = bandRgb(titleColor(Band::Critical), backdrop);
            QVERIFY(low != elevated && elevated != critical && low != critical);
        }
        QCOMPARE(backdropBehindText(White), Backdrop::Dark);
        QCOMPARE(backdropBehindText(Rgb{0x23, 0x26, 0x29}), Backdrop::Light);
    }
};

QTEST_APPLESS_MAIN(TestBandPalette)
#include "test_bandpalette.moc"
