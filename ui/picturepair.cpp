#include "ui/picturepair.h"

#include <QFileInfo>
#include <QPainter>

namespace velkan::ui {

PicturePair::PicturePair(QPixmap normal, QPixmap doubled) : m_normal(std::move(normal))
{
    m_normal.setDevicePixelRatio(1);
    if (!m_normal.isNull() && doubled.size() == 2 * m_normal.size()) {
        m_doubled = std::move(doubled);
        m_doubled.setDevicePixelRatio(2);
    }
}

void PicturePair::Draw(QPainter& painter, QPoint at, QRect part) const
{
    const qreal ratio = painter.device() != nullptr ? painter.device()->devicePixelRatioF() : 1.0;
    if (ratio <= 1.0 || m_doubled.isNull()) {
        painter.drawPixmap(at, m_normal, part);
        return;
    }
    // At ratios other than 2 the larger picture is scaled to the device: smoothly, not by
    // repeating or dropping whole pixels.
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform, ratio != 2.0);
    painter.drawPixmap(QRectF(at, part.size()), m_doubled,
                       QRectF(2.0 * QPointF(part.topLeft()), 2.0 * QSizeF(part.size())));
    painter.restore();
}

QString DoubleSizePath(const QString& path)
{
    const QFileInfo file(path);
    const QString suffix = file.suffix();
    const QString stem = suffix.isEmpty() ? path : path.left(path.size() - suffix.size() - 1);
    return suffix.isEmpty() ? stem + QStringLiteral("@2x") : stem + QStringLiteral("@2x.") + suffix;
}

} // namespace velkan::ui
