#pragma once

#include <QPainterPath>
#include <QPolygonF>

// The outline a pen of this width with round caps and round joins draws
// along the points (back to the first when closed), to be filled. Made as
// round-capped strokes of each segment filled together, which is the same
// shape, since Qt's stroker works out each round join's arc with atan2, sine
// and cosine, whose code and tables are pages of libm the tray would keep.
QPainterPath roundStroke(const QPolygonF &points, qreal width, bool closed = false);
