#include "ui/TrayIconPainter.h"

#include "presentation/BandPalette.h"
#include "presentation/TitleLayout.h"
#include "ui/PanelStyle.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace {

QFont badgeFont(qreal pixelSize)
{
    QFont font(u"DejaVu Sans"_s);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, qRound(pixelSize)));
    font.setBold(true);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// One number centred in its row, squeezed sideways when it is wider than the
// square ("100" and "--" must still fit).
void drawNumber(QPainter &painter, const QRectF &row, const QString &text, qreal pixelSize, const QColor &color)
{
    const QFont font = badgeFont(pixelSize);
    const QFontMetricsF metrics(font);
    const qreal width = metrics.horizontalAdvance(text);
    const qreal squeeze = width > row.width() ? row.width() / width : 1.0;

    painter.save();
    painter.setFont(font);
    painter.setPen(color);
    painter.translate(row.center().x(), row.center().y());
    painter.scale(squeeze, 1.0);
    // Digits have no descenders: centre their cap height, not the full line box.
    const qreal baseline = metrics.capHeight() / 2.0;
    painter.drawText(QPointF(-width / 2.0, baseline), text);
    painter.restore();
}

void drawHourglass(QPainter &painter, qreal size, const QColor &color)
{
    const qreal left = size * 0.25;
    const qreal right = size * 0.75;
    const qreal top = size * 0.12;
    const qreal bottom = size * 0.88;
    const qreal middle = size / 2.0;
    const qreal stroke = std::max(1.0, size / 11.0);

    QPen pen(color, stroke);
    pen.setCapStyle(Qt::RoundCap);
    pen.setJoinStyle(Qt::RoundJoin);
    painter.setPen(pen);
    painter.drawLine(QPointF(left - stroke / 2, top), QPointF(right + stroke / 2, top));
    painter.drawLine(QPointF(left - stroke / 2, bottom), QPointF(right + stroke / 2, bottom));

    QPainterPath glass;
    glass.moveTo(left, top);
    glass.lineTo(right, top);
    glass.lineTo(middle + stroke / 2, middle);
    glass.lineTo(right, bottom);
    glass.lineTo(left, bottom);
    glass.lineTo(middle - stroke / 2, middle);
    glass.closeSubpath();
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(glass);

    // Sand: a little left on top, a heap below.
    QPainterPath sand;
    sand.moveTo(left + (middle - left) * 0.55, top + (middle - top) * 0.55);
    sand.lineTo(right - (right - middle) * 0.55, top + (middle - top) * 0.55);
    sand.lineTo(middle, middle);
    sand.closeSubpath();
    sand.moveTo(middle, bottom - (bottom - middle) * 0.45);
    sand.lineTo(right - stroke / 2, bottom);
    sand.lineTo(left + stroke / 2, bottom);
    sand.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawPath(sand);
}

void drawCross(QPainter &painter, qreal size, const QColor &color)
{
    const qreal inset = size * 0.22;
    QPen pen(color, std::max(1.5, size / 6.5));
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    painter.drawLine(QPointF(inset, inset), QPointF(size - inset, size - inset));
    painter.drawLine(QPointF(size - inset, inset), QPointF(inset, size - inset));
}

// Without a percentage the title is one glyph; an unknown glyph is written out.
void drawGlyph(QPainter &painter, const QString &glyph, qreal size, const QColor &textColor)
{
    if (glyph == LoadingGlyph)
        drawHourglass(painter, size, textColor);
    else if (glyph == NoUsageGlyph)
        drawCross(painter, size, titleBandColor(Band::Critical, textColor));
    else
        drawNumber(painter, QRectF(0, 0, size, size), glyph, size * 0.6, textColor);
}

} // namespace

QColor titleBandColor(Band band, const QColor &textColor)
{
    const Rgb text{quint8(textColor.red()), quint8(textColor.green()), quint8(textColor.blue())};
    return PanelStyle::toColor(bandRgb(titleColor(band), backdropBehindText(text)));
}

QColor panelTextColor(const QPalette &palette)
{
    return palette.color(QPalette::Active, QPalette::WindowText);
}

QImage paintTrayIcon(const TitleLayout &title, int logicalSize, qreal devicePixelRatio, const QColor &textColor)
{
    const qreal ratio = devicePixelRatio > 0 ? devicePixelRatio : 1.0;
    const int pixels = std::max(1, qRound(logicalSize * ratio));
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::TextAntialiasing);
    const qreal size = logicalSize;

    const QList<TitlePiece> numbers = title.percentages();
    if (numbers.isEmpty()) {
        const QString glyph = title.pieces.isEmpty() ? LoadingGlyph.toString() : title.pieces.constFirst().text;
        drawGlyph(painter, glyph, size, textColor);
        return image;
    }

    // The badge has no room for "%": the numbers alone, one row each.
    const qsizetype rows = numbers.size();
    const qreal rowHeight = size / rows;
    const qreal pixelSize = rows == 1 ? size * 0.64 : rowHeight * 0.92;
    for (qsizetype i = 0; i < rows; ++i) {
        QString number = numbers.at(i).text;
        number.chop(1); // the "%"
        const QRectF row(0, rowHeight * i, size, rowHeight);
        drawNumber(painter, row, number, pixelSize, titleBandColor(numbers.at(i).band, textColor));
    }
    return image;
}
