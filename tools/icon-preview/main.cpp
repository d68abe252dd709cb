#include "core/UsageModel.h"
#include "presentation/TitleLayout.h"
#include "ui/TrayIconPainter.h"

#include <QGuiApplication>
#include <QPainter>

#include <cstdio>

using namespace Qt::StringLiterals;

namespace {

// A hand-made title: the painter only reads the pieces.
TitleLayout titleOf(QList<std::pair<double, Band>> levels)
{
    TitleLayout title;
    const QString marks[] = {u"C"_s, u"X"_s};
    for (qsizetype i = 0; i < levels.size(); ++i) {
        TitlePiece icon{TitlePiece::Kind::IconImage, {}, {}, Band::Low, {}, marks[i % 2]};
        TitlePiece level{TitlePiece::Kind::Percentage, percentText(levels[i].first), {}, levels[i].second};
        level.fill = levels[i].first / 100.0;
        title.pieces << icon << level;
    }
    return title;
}

} // namespace

int main(int argc, char **argv)
{
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fputs("usage: icon-preview OUT.png\n", stderr);
        return 2;
    }
    const QList<TitleLayout> titles{titleOf({{50, Band::Low}, {40, Band::Low}}),
                                    titleOf({{85, Band::Elevated}, {95, Band::Critical}}),
                                    titleOf({{12, Band::Low}, {76, Band::Elevated}}),
                                    titleOf({{92, Band::Critical}}),
                                    loadingTitle(),
                                    layoutTitle({}, {}, false, DisplayMode::Weekly)};
    // The default panels of the desktops, then once more with the dark shades.
    const QList<std::pair<QColor, Backdrop>> panels{
        {QColor(0x35, 0x35, 0x35), Backdrop::Light}, // XFCE
        {QColor(0xCF, 0xD2, 0xD4), Backdrop::Light}, // Plasma, Breeze
        {QColor(0x31, 0x36, 0x3B), Backdrop::Light}, // Plasma, Breeze Dark
        {QColor(0x29, 0x80, 0xB9), Backdrop::Light}, // waybar's tray
        {QColor(0x00, 0x00, 0x00), Backdrop::Light}, // GNOME
        {QColor(0xFA, 0xFA, 0xFA), Backdrop::Light}, // Adwaita light
        {QColor(0x31, 0x36, 0x3B), Backdrop::Dark}};
    constexpr int Cell = 28;
    QImage image(Cell * int(titles.size()) * 2, Cell * int(panels.size()), QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&image);
    for (int row = 0; row < panels.size(); ++row) {
        painter.fillRect(0, row * Cell, image.width(), Cell, panels[row].first);
        for (int i = 0; i < titles.size(); ++i) {
            for (int size : {16, 22}) {
                const int x = (i * 2 + (size == 22)) * Cell + (Cell - size) / 2;
                painter.drawImage(x, row * Cell + (Cell - size) / 2,
                                  paintTrayIcon(titles[i], size, 1.0, panels[row].second));
            }
        }
    }
    painter.end();
    return image.save(QString::fromLocal8Bit(argv[1])) ? 0 : 1;
}
