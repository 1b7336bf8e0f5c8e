#pragma once

#include <QPixmap>
#include <QRect>
#include <QString>

class QPainter;

namespace velkan::ui {

// A picture at its own size and, when there is one, the same picture drawn at twice that size.
// On a screen of more than one device pixel per pixel the larger one is drawn, at the size of
// the smaller, so nothing is shown pixel-doubled; on an ordinary screen the smaller one is
// drawn exactly as it is.
class PicturePair {
public:
    PicturePair() = default;
    // `doubled` is kept only when it is exactly twice the size of `normal`.
    explicit PicturePair(QPixmap normal, QPixmap doubled = {});

    [[nodiscard]] bool IsNull() const { return m_normal.isNull(); }
    // The size it covers, in pixels of an ordinary screen.
    [[nodiscard]] QSize Size() const { return m_normal.size(); }
    [[nodiscard]] const QPixmap& Normal() const { return m_normal; }
    // Twice the size in device pixels, with a device pixel ratio of 2; null when there is none.
    [[nodiscard]] const QPixmap& Doubled() const { return m_doubled; }

    // Draws the part `part` (in pixels of the smaller picture) with its top-left corner at `at`.
    void Draw(QPainter& painter, QPoint at, QRect part) const;
    void Draw(QPainter& painter, QPoint at) const { Draw(painter, at, QRect(QPoint(), Size())); }

private:
    QPixmap m_normal;
    QPixmap m_doubled;
};

// Where the twice-size picture of a file is kept: "name@2x.ext" beside "name.ext".
QString DoubleSizePath(const QString& path);

} // namespace velkan::ui
