#pragma once

#include "ui/picturepair.h"

#include <QAbstractButton>
#include <QColor>
#include <QImage>
#include <QPixmap>
#include <QString>
#include <array>
#include <optional>

namespace velkan::ui {

// A push button that shows pictures instead of a caption: the word is in the picture. It
// lights up while the mouse is over it, sinks by one pixel while pressed and has a picture of
// its own while disabled. The owner hears of a click through the ordinary clicked() signal.
class BitmapButton : public QAbstractButton {
    Q_OBJECT

public:
    // Status codes of the setters.
    static constexpr int kOk = 0;
    static constexpr int kNoBitmapSize = 1; // a picture was given but has no size
    static constexpr int kNoMask = 2;       // the transparent colour could not be masked out
    static constexpr int kBadColorIndex = 3;

    // Picture indexes.
    static constexpr int kInImage = 0;       // hovered or pressed
    static constexpr int kOutImage = 1;      // at rest
    static constexpr int kDisabledImage = 2; // disabled

    // Colour indexes.
    static constexpr quint8 kHoverBackground = 0; // hovered or pressed
    static constexpr quint8 kHoverText = 1;
    static constexpr quint8 kOutBackground = 2; // at rest
    static constexpr quint8 kOutText = 3;
    static constexpr quint8 kFocusBackground = 4; // focused, neither hovered nor pressed
    static constexpr quint8 kFocusText = 5;
    static constexpr int kColorCount = 6;

    explicit BitmapButton(QWidget* parent = nullptr);

    // Drops every picture held so far, then keeps the given ones with `transparent` masked
    // out. A null `in` leaves the button without pictures (kOk). `out` and `disabled` are
    // optional: std::nullopt means "none", while a given image that is null has no size and
    // fails with kNoBitmapSize. On any failure every picture is dropped again.
    int SetBitmaps(const QImage& in, const std::optional<QImage>& out,
                   const std::optional<QImage>& disabled, const QColor& transparent);

    // The same with ":/bitmaps/<id>.bmp" from the resources; an id of 0 or less means no
    // picture, and a picture that does not load is passed on as a null image. Where
    // ":/bitmaps/<id>@2x.bmp" is there too, it is what screens of more than one device pixel
    // per pixel show.
    int SetBitmapResources(int inId, int outId, int disabledId, const QColor& transparent);

    // kBadColorIndex for an index past kFocusText.
    int SetColor(quint8 index, const QColor& color, bool repaint = true);
    // Every colour back to the palette's Button (backgrounds) and ButtonText (texts).
    int SetDefaultColors(bool repaint = true);
    // An invalid QColor for an index past kFocusText.
    [[nodiscard]] QColor Color(quint8 index) const;

    // Ignores an empty text. With activate false the text is kept but never shown. The text is
    // also the button's accessible name: the picture carries the only other copy of the word.
    void SetTooltipText(const QString& text, bool activate = true);
    [[nodiscard]] bool IsTooltipActive() const { return m_tooltipActive; }

    [[nodiscard]] bool IsHovering() const { return m_hovering; }
    // The colour masked out of the pictures kept.
    [[nodiscard]] QColor TransparentColor() const { return m_transparent; }
    // The picture kept under the index (masked), or a null pixmap.
    [[nodiscard]] QPixmap Bitmap(int index) const;
    // Its twice-size form, or a null pixmap.
    [[nodiscard]] QPixmap DoubleSizeBitmap(int index) const;

    [[nodiscard]] QSize sizeHint() const override;

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    int KeepBitmap(int index, const QImage& image, const QColor& transparent);
    void KeepDoubleSizeBitmap(int index, const QImage& image);
    void ReleaseBitmaps();
    void SetHovering(bool hovering);
    void PassFocusOn();

    std::array<PicturePair, 3> m_bitmaps;
    std::array<QColor, kColorCount> m_colors;
    QColor m_transparent;
    bool m_hovering = false;
    bool m_tooltipActive = false;
};

} // namespace velkan::ui
