#include "ui/linedrawing.h"

#include <QPainter>
#include <QPaintDevice>

#include <cmath>
#include <cstdlib>
#include <vector>

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
    // On a screen of more than one device pixel per pixel the line is drawn in device pixels,
    // one device pixel wide through the same points, rather than as a row of enlarged dots.
    const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    std::vector<QPoint> path;
    if (ratio == 1.0) {
        path.assign(points.begin(), points.end());
    } else {
        const QTransform world = painter.worldTransform();
        for (const QPoint& point : points) {
            const QPointF device = world.map(QPointF(point)) * ratio;
            path.emplace_back(static_cast<int>(std::lround(device.x())),
                              static_cast<int>(std::lround(device.y())));
        }
        painter.setWorldTransform(QTransform::fromScale(1.0 / ratio, 1.0 / ratio));
    }
    for (std::size_t i = 1; i < path.size(); ++i) {
        DrawSegment(painter, path[i - 1], path[i]);
    }
    painter.restore();
}

} // namespace velkan::ui
