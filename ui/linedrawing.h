#pragma once

#include <QColor>
#include <QPoint>

#include <initializer_list>

class QPainter;

namespace velkan::ui {

// One-pixel lines through the points, each segment leaving out its end point, the way a pen
// moved from point to point draws: so adjoining segments meet without doubling a pixel. On a
// screen of more than one device pixel per pixel the lines are one device pixel wide.
void DrawPolyline(QPainter& painter, const QColor& colour, std::initializer_list<QPoint> points);

} // namespace velkan::ui
