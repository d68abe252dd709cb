#include "ui/ConstantArcs.h"

QTransform ConstantArcs::turn(int degrees)
{
    static constexpr auto Points = [] {
        std::array<QPointF, 360> points{};
        for (int i = 0; i < 360; ++i)
            points[std::size_t(i)] = unitPoint(i);
        return points;
    }();
    // unitPoint(a) is (cos a, -sin a); a turn by a is (cos a, sin a, -sin a, cos a).
    const QPointF point = Points[std::size_t((degrees % 360 + 360) % 360)];
    return QTransform(point.x(), -point.y(), point.y(), point.x(), 0.0, 0.0);
}
