#include "ui/TrayIconPainter.h"

#include "presentation/BandPalette.h"
#include "presentation/TitleLayout.h"
#include "ui/PanelStyle.h"
#include "ui/RoundStroke.h"

#include <QFont>
#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>

#include <algorithm>
#include <cmath>

using namespace Qt::StringLiterals;

namespace {

// The panel behind the item is unknown (XFCE's is dark grey, Plasma's light
// grey, waybar's tray blue), so the icon brings its own: a near-black plate
// under white letters and band fills that keep 3:1 against it in either shade
// set, whatever the panel.
const QColor Plate(0x14, 0x14, 0x14);
const QColor PlateInk(0xFF, 0xFF, 0xFF);
// Where full is: faint on the plate, as the panel's bar track is on its window.
const QColor PlateTrack(0x30, 0x30, 0x30);

// std::floor by a cast: the C library's floor sits on a page of libm that the
// tray would keep resident for this alone.
qreal wholeBelow(qreal value)
{
    const qreal whole = qreal(qint64(value));
    return whole > value ? whole - 1.0 : whole;
}

QFont badgeFont(qreal pixelSize)
{
    QFont font(u"DejaVu Sans"_s);
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(std::max(1, qRound(pixelSize)));
    font.setBold(true);
    font.setHintingPreference(QFont::PreferFullHinting);
    return font;
}

// Text centred in its box, squeezed sideways when it is wider than the box.
void drawText(QPainter &painter, const QRectF &row, const QString &text, qreal pixelSize, const QColor &color)
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
    // Capitals and digits have no descenders: centre their cap height, not the line box.
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

    const QPolygonF glass{{left, top},    {right, top},   {middle + stroke / 2, middle},
                          {right, bottom}, {left, bottom}, {middle - stroke / 2, middle}};
    painter.fillPath(roundStroke(glass, stroke, true), color);

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
void drawGlyph(QPainter &painter, const QString &glyph, const QRectF &area, Backdrop backdrop)
{
    painter.save();
    painter.translate(area.topLeft());
    const qreal size = std::min(area.width(), area.height());
    if (glyph == LoadingGlyph)
        drawHourglass(painter, size, PlateInk);
    else if (glyph == NoUsageGlyph)
        drawCross(painter, size, PanelStyle::toColor(bandRgb(NamedColor::Red, backdrop)));
    else
        drawText(painter, QRectF(0, 0, size, size), glyph, size * 0.6, PlateInk);
    painter.restore();
}

// The provider's letter over a bar filled from the bottom. The faint track
// shows where full is, and a level above zero always shows at least a sliver.
void drawLevelColumn(QPainter &painter, const QRectF &column, const QString &mark, double fraction, const QColor &fill)
{
    const qreal size = column.height();
    const qreal markHeight = std::round(size * 0.4);
    const qreal barWidth = std::min(column.width() - std::max(2.0, std::round(size / 8.0)), size * 0.45);
    const QRectF track(std::round(column.center().x() - barWidth / 2.0), column.top() + markHeight + 1.0,
                       std::round(barWidth), size - markHeight - 1.0);

    if (!mark.isEmpty())
        drawText(painter, QRectF(column.left(), column.top(), column.width(), markHeight), mark, markHeight * 1.45,
                 PlateInk);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(Qt::NoPen);
    painter.setBrush(PlateTrack);
    painter.drawRect(track);
    if (fraction > 0.0) {
        const qreal height = std::max(1.0, std::round(track.height() * fraction));
        painter.setBrush(fill);
        painter.drawRect(QRectF(track.left(), track.bottom() - height, track.width(), height));
    }
    painter.restore();
}

// Three or four levels: bars of whole pixels, one pixel apart, so each stays a
// bar of its own at 16 px. Letters only where a bar is wide enough to carry
// one; otherwise the order is the label's and the tooltip's.
void drawNarrowColumns(QPainter &painter, const QRectF &inner, qreal inset, const QList<TitlePiece> &levels,
                       const QStringList &marks, Backdrop shades)
{
    constexpr qreal Gap = 1.0;
    constexpr qreal LeastMarkedBar = 5.0;
    const qsizetype count = levels.size();
    const qreal bar = std::max(1.0, wholeBelow((inner.width() - Gap * qreal(count - 1)) / qreal(count)));
    const qreal used = bar * qreal(count) + Gap * qreal(count - 1);
    const qreal left = inner.left() + wholeBelow((inner.width() - used) / 2.0);
    const qreal size = inner.height() + inset;
    const bool marked = bar >= LeastMarkedBar;
    const qreal markHeight = marked ? std::round(size * 0.4) : 0.0;
    const qreal top = marked ? inner.top() + markHeight + 1.0 : inner.top() + inset;

    for (qsizetype i = 0; i < count; ++i) {
        const qreal x = left + (bar + Gap) * qreal(i);
        // The provider's letter alone: an account's second letter does not fit.
        if (marked && !marks.at(i).isEmpty())
            drawText(painter, QRectF(x - Gap / 2.0, inner.top(), bar + Gap, markHeight), marks.at(i).first(1),
                     markHeight * 1.45, PlateInk);
        const QRectF track(x, top, bar, inner.bottom() - top);
        painter.save();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(Qt::NoPen);
        painter.setBrush(PlateTrack);
        painter.drawRect(track);
        const double fraction = levels.at(i).fill;
        if (fraction > 0.0) {
            const qreal height = std::max(1.0, std::round(track.height() * fraction));
            painter.setBrush(PanelStyle::toColor(bandRgb(bandColor(levels.at(i).band), shades)));
            painter.drawRect(QRectF(track.left(), track.bottom() - height, track.width(), height));
        }
        painter.restore();
    }
}

} // namespace

QColor titleBandColor(Band band, const QColor &textColor)
{
    const Rgb text{quint8(textColor.red()), quint8(textColor.green()), quint8(textColor.blue())};
    return PanelStyle::toColor(bandRgb(bandColor(band), backdropBehindText(text)));
}

QImage paintTrayIcon(const TitleLayout &title, int logicalSize, qreal devicePixelRatio, Backdrop shades)
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
    QPainterPath plate;
    const qreal radius = size / 8.0;
    plate.addRoundedRect(QRectF(0, 0, size, size), radius, radius);
    painter.fillPath(plate, Plate);
    painter.setClipPath(plate);
    // The marks stay clear of the plate's rounded corners.
    const qreal inset = std::max(1.0, std::round(size / 16.0));
    const QRectF inner(inset, 0, size - 2 * inset, size - inset);

    QList<TitlePiece> levels;
    QStringList marks;
    QString mark;
    for (const TitlePiece &piece : title.pieces) {
        if (piece.kind == TitlePiece::Kind::IconImage || piece.kind == TitlePiece::Kind::IconText)
            mark = piece.mark;
        else if (piece.kind == TitlePiece::Kind::Percentage) {
            levels.append(piece);
            marks.append(mark);
            mark.clear();
        }
    }
    if (levels.isEmpty()) {
        const QString glyph = title.pieces.isEmpty() ? LoadingGlyph.toString() : title.pieces.constFirst().text;
        drawGlyph(painter, glyph, QRectF(0, 0, size, size), shades);
        return image;
    }

    // Four at most: more would be slivers; the label and the tooltip have them all.
    constexpr qsizetype MostColumns = 4;
    if (levels.size() > MostColumns) {
        levels.resize(MostColumns);
        marks.resize(MostColumns);
    }
    if (levels.size() > 2) {
        drawNarrowColumns(painter, inner, inset, levels, marks, shades);
        return image;
    }

    // One column per provider: its letter on top, a level bar below.
    const qreal column = inner.width() / levels.size();
    for (qsizetype i = 0; i < levels.size(); ++i) {
        const TitlePiece &level = levels.at(i);
        const QColor fill = PanelStyle::toColor(bandRgb(bandColor(level.band), shades));
        drawLevelColumn(painter, QRectF(inner.left() + column * i, inner.top(), column, inner.height()),
                        marks.at(i), level.fill, fill);
    }
    return image;
}
