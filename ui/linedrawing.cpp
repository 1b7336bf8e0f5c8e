#include "linedrawing.h"

#include <QPainter>

#include <cstdlib>

namespace velkan::ui {

namespace {

void DrawSegment(QPainter& painter, QPoint from, QPoint to)
{
    // Bresenham, stopping before the end point.
    const int dx = std::abs(to.x() - from.x());
    const int dy = -std::abs(to.y() - from.y());
    const int stepX = from.x() < to.x() ? 1 : -1;
    const int stepY = from.y() < to.y() ? 1 : -1;
    int error = dx + dy;
    QPoint at = from;
    while (at != to) {
        painter.drawPoint(at);
        const int twice = 2 * error;
        if (twice >= dy) {
            error += dy;
            at.rx() += stepX;
        }
        if (twice <= dx) {
            error += dx;
            at.ry() += stepY;
        }
    }
}

} // namespace

void DrawPolyline(QPainter& painter, const QColor& colour, std::initializer_list<QPoint> points)
{
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.setPen(QPen(colour, 0));
    const QPoint* previous = nullptr;
    for (const QPoint& point : points) {
        if (previous != nullptr) {
            DrawSegment(painter, *previous, point);
        }
        previous = &point;
    }
    painter.restore();
}

} // namespace velkan::ui
