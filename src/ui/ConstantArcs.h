#pragma once

#include <QPainterPath>
#include <QPointF>
#include <QTransform>

#include <array>
#include <numbers>

// Points on circles at angles known while compiling, worked out by the
// compiler. Qt's own arcs call sine and cosine at run time for angles off the
// right angles, and those calls alone keep pages of libm resident in the tray.
// Angles in degrees, counter-clockwise on screen as Qt's.
namespace ConstantArcs {

// The point at that angle on the circle of radius 1 round the origin
// (y downwards), by the power series of sine and cosine.
constexpr QPointF unitPoint(double degrees)
{
    while (degrees > 180.0)
        degrees -= 360.0;
    while (degrees < -180.0)
        degrees += 360.0;
    const double x = degrees * std::numbers::pi / 180.0;
    double cos = 0.0;
    double sin = 0.0;
    double term = 1.0; // x^n / n!
    for (int n = 0; n < 40; ++n) {
        (n % 2 == 0 ? cos : sin) += (n % 4 < 2) ? term : -term;
        term *= x / (n + 1);
    }
    return {cos, -sin};
}

// The arc from start through sweep degrees as Pieces cubic curves: the start
// point, then each curve's two handles and end.
template <int Pieces> constexpr std::array<QPointF, 1 + 3 * Pieces> arc(double start, double sweep)
{
    const double step = sweep / Pieces;
    // A handle's length for a curve over that angle: 4/3 · tan(step / 4).
    const QPointF quarter = unitPoint(step / 4.0);
    const double handle = 4.0 / 3.0 * -quarter.y() / quarter.x();
    // Along the circle, counter-clockwise, at the point p: (p.y, -p.x).
    const auto tangent = [](QPointF p) { return QPointF(p.y(), -p.x()); };
    std::array<QPointF, 1 + 3 * Pieces> points{};
    points[0] = unitPoint(start);
    for (int i = 0; i < Pieces; ++i) {
        const QPointF from = unitPoint(start + step * i);
        const QPointF to = unitPoint(start + step * (i + 1));
        points[1 + 3 * i] = from + handle * tangent(from);
        points[2 + 3 * i] = to - handle * tangent(to);
        points[3 + 3 * i] = to;
    }
    return points;
}

// The arc scaled to radius round centre, as a path of its own.
template <std::size_t Points> QPainterPath arcPath(const std::array<QPointF, Points> &arc, QPointF centre, qreal radius)
{
    QPainterPath path(centre + arc[0] * radius);
    for (std::size_t i = 1; i + 2 < Points; i += 3)
        path.cubicTo(centre + arc[i] * radius, centre + arc[i + 1] * radius, centre + arc[i + 2] * radius);
    return path;
}

// A turn clockwise on screen by whole degrees, as QPainter::rotate makes it,
// from a table of the 360 points: a spinner's whole-degree steps are smooth
// to the eye.
QTransform turn(int degrees);

} // namespace ConstantArcs
